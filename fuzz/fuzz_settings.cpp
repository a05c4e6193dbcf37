// A settings file of any content loaded into the main window's stores.  The
// window is built once (offscreen, with no board tools on PATH); each input
// is written to a file of its own, opened as the settings file and loaded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QApplication>
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
    common->DeleteSettingInstance();
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    common->OpenSettingInstance(settingsPath());
    g_window->LoadSettings();
    return 0;
}
