// A settings file of any content loaded into the main window's stores.  The
// window is built once (offscreen, with no board tools on PATH); each input
// is written to a file of its own, opened as the settings file and loaded.
// Loading adds named sets and folder marks to what the window holds, so each
// input starts from a reset window: memory that still grows run after run is
// then the window's own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"

namespace {

QTemporaryDir* g_dir = nullptr;
MainWindow* g_window = nullptr;

QString settingsPath()
{
    return g_dir->filePath(QStringLiteral("KESTAcon.ini"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\nqt.*=false"));
    // The reset between inputs warns about every write it skips.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    g_dir = new QTemporaryDir;
    // No drvctl to ask for its version: the window starts without a board.
    const QString emptyBin = g_dir->filePath(QStringLiteral("bin"));
    QDir().mkpath(emptyBin);
    qputenv("PATH", QFile::encodeName(emptyBin));
    MyCommon::SetApplicationInifilePathForTest(settingsPath());
    g_window = new MainWindow;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MyCommon* common = MyCommon::getInstance();
    // Reset with no settings file open: nothing is written.
    common->DeleteSettingInstance();
    g_window->InitializeSettings();
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    common->OpenSettingInstance(settingsPath());
    g_window->LoadSettings();
    // What loading handed to the event loop (deferred deletes, queued calls).
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
