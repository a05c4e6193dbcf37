#include "versioninfo.h"
#include "ui_versioninfo.h"

#include <QLabel>
#include <QLayout>
#include <QPixmap>

#include "mycommon.h"

// The pictures are compiled into the core library, which is static: its
// resource bundle is only registered when somebody asks for it.  The macro
// declares the registration function and must therefore be used at global
// namespace scope.  Registering twice is harmless.
static void initKestaconResources()
{
    Q_INIT_RESOURCE(KESTAcon);
}

VersionInfo::VersionInfo(QWidget* parent) : QWidget(parent), m_ui(new Ui::VersionInfo)
{
    initKestaconResources();
    m_ui->setupUi(this);

    // Let the row give every label its final size first: the decimal point
    // label has only a maximum size and gets its width from the layout.
    layout()->activate();

    SetScaledPicture(m_ui->LBL_APP_NAME, MyCommon::IMAGE_TITLE);
    SetScaledPicture(m_ui->LBL_APP_VER_STR, MyCommon::IMAGE_VER_STR);

    QLabel* const digits[] = {m_ui->LBL_APP_VER_MAJOR, m_ui->LBL_APP_VER_PERIOD,
                              m_ui->LBL_APP_VER_MINOR_1, m_ui->LBL_APP_VER_MINOR_2};
    const QString& version = MyCommon::APP_VERSION;
    const int count = qMin(version.size(), int(sizeof(digits) / sizeof(digits[0])));
    for (int i = 0; i < count; ++i) {
        char c = version.at(i).toLatin1();
        if (c == '.')
            c = 'D';
        SetScaledPicture(digits[i], QString::asprintf(qPrintable(MyCommon::IMAGE_VER_NUM), c));
    }
}

VersionInfo::~VersionInfo()
{
    delete m_ui;
}

void VersionInfo::SetScaledPicture(QLabel* label, const QString& path)
{
    const QPixmap picture(path);
    label->setPixmap(picture.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
}
