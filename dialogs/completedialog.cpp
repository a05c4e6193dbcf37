#include "completedialog.h"
#include "ui_completedialog.h"

#include <QFontMetrics>

CompleteDialog::CompleteDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::CompleteDialog)
{
    m_ui->setupUi(this);
    m_ui->LBL_COMPLETE_DETAIL->hide();
}

CompleteDialog::~CompleteDialog()
{
    delete m_ui;
}

void CompleteDialog::SetLines(const QStringList& lines)
{
    m_ui->LBL_COMPLETE->setText(lines.value(0));
    const QStringList details = lines.mid(1, MAX_DETAIL_LINES);
    if (details.isEmpty()) {
        m_ui->LBL_COMPLETE_DETAIL->clear();
        m_ui->LBL_COMPLETE_DETAIL->hide();
        return;
    }
    // Every line on one line of its own: a long path or tool message is
    // shortened in the middle (the log holds it whole), so the dialog never
    // grows beyond four lines.
    const int width = WIDE_WIDTH;
    const int textWidth = width - 40;
    const QFontMetrics metrics(m_ui->LBL_COMPLETE_DETAIL->font());
    QStringList shown;
    for (const QString& line : details)
        shown << metrics.elidedText(line, Qt::ElideMiddle, textWidth);
    m_ui->LBL_COMPLETE_DETAIL->setText(shown.join(QLatin1Char('\n')));
    const int detailHeight = metrics.lineSpacing() * shown.size() + 4;

    m_ui->LBL_COMPLETE->setGeometry(20, 10, textWidth, 50);
    m_ui->LBL_COMPLETE_DETAIL->setGeometry(20, 62, textWidth, detailHeight);
    m_ui->LBL_COMPLETE_DETAIL->show();
    const QRect ok = m_ui->BTN_COMPLETE_OK->geometry();
    const int buttonTop = 62 + detailHeight + 10;
    m_ui->BTN_COMPLETE_OK->setGeometry((width - ok.width()) / 2, buttonTop, ok.width(), ok.height());
    setFixedSize(width, buttonTop + ok.height() + 12);
}

QStringList CompleteDialog::Lines() const
{
    QStringList lines{m_ui->LBL_COMPLETE->text()};
    if (!m_ui->LBL_COMPLETE_DETAIL->text().isEmpty())
        lines += m_ui->LBL_COMPLETE_DETAIL->text().split(QLatin1Char('\n'));
    return lines;
}

void CompleteDialog::on_BTN_COMPLETE_OK_clicked()
{
    accept();
}
