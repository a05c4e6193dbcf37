#include <QApplication>
#include <QDir>
#include <QStringList>

#include "mainwindow.h"
#include "screenshots.h"
#include "touchstyle.h"

static void registerResources()
{
    // Also done by a static initialiser; a second registration is harmless.
    Q_INIT_RESOURCE(KESTAcon);
}

int main(int argc, char* argv[])
{
    // "--screenshot DIR": render every page and tab offscreen into DIR and exit.
    QString screenshotDir;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--screenshot"))
            screenshotDir = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (!screenshotDir.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    TouchStyle::Apply();
    MainWindow window;
    window.show();
    registerResources();
    if (!screenshotDir.isEmpty())
        return Screenshots::SaveAll(&window, screenshotDir) ? 0 : 1;
    return app.exec();
}
