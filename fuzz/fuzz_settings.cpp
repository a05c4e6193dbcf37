// A settings file of any content loaded into the main window's stores and
// saved again.  The window is built once (offscreen, with no board tools on
// PATH); each input is written to a file of its own, opened as the settings
// file, loaded and saved.  Loading adds named sets and folder marks to what
// the window holds, so each input starts from a reset window.
//
// Checked: a section the input holds intact (it reads the same inside the
// whole file as on its own) keeps every entry the program does not write
// itself; a file set aside as too large or damaged is the input, byte for
// byte.  The size limit is lowered so that large inputs reach it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"

namespace {

constexpr qint64 SIZE_LIMIT = 24 * 1024;

QTemporaryDir* g_dir = nullptr;
MainWindow* g_window = nullptr;

QString settingsPath()
{
    return g_dir->filePath(QStringLiteral("KESTAcon.ini"));
}

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every key of an INI text ("SECTION/ENTRY") with its value as stored.
using Entries = QMap<QString, QStringList>;
Entries parse(const QByteArray& text)
{
    // A new name for each parse: the settings library caches files by name.
    static quint64 n = 0;
    const QString path = g_dir->filePath(QStringLiteral("parse%1.ini").arg(++n));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    Entries entries;
    {
        QSettings settings(path, QSettings::IniFormat);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        settings.setIniCodec("UTF-8");
#endif
        for (const QString& key : settings.allKeys()) {
            const QVariant value = settings.value(key);
            const bool list = value.userType() == QMetaType::QStringList || value.userType() == QMetaType::QVariantList;
            entries.insert(key, !value.isValid() ? QStringList() : list ? value.toStringList() : QStringList{value.toString()});
        }
    }
    QFile::remove(path);
    return entries;
}

Entries sectionOf(const Entries& entries, const QString& section)
{
    Entries part;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        if (it.key().section(QLatin1Char('/'), 0, 0) == section && it.key().contains(QLatin1Char('/')))
            part.insert(it.key(), it.value());
    }
    return part;
}

// The entries that loading and saving write or remove.
bool writtenByTheProgram(const QString& key)
{
    static const QStringList written = {
        "SETTING/VERSION", "CURRENT_FOLDER/LASTACCESS_FOLDER_PATH", "DRVEMU/MODE", "DRVEMU/HALFSTEP",
        "CONVERT/DISKNO",  "CONVERT/FORMAT", "CONVERT/EXT", "CONVERT/MAKEHVR", "CONVERT/TYPE",
        "CONVERT/RPM",     "CONVERT/PROTECT", "RESTORE/DISKNO"};
    const QString section = key.section(QLatin1Char('/'), 0, 0);
    bool number = false;
    key.section(QLatin1Char('/'), 1).toInt(&number);
    return written.contains(key) || section == QLatin1String("FOLDER_MARK") ||
           (number && (section == QLatin1String("DUMP") || section == QLatin1String("RESTORE")));
}

// The input cut at every line that opens a section.
QList<QByteArray> sectionBlocks(const QByteArray& text)
{
    QList<QByteArray> blocks{QByteArray()};
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().startsWith('['))
            blocks.append(QByteArray());
        blocks.last().append(line).append('\n');
    }
    return blocks;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\nqt.*=false"));
    // The reset between inputs warns about every write it skips.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    // In memory where possible: each settings write is flushed to disk.
    g_dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                ? new QTemporaryDir(QStringLiteral("/dev/shm/kesta-fuzz-XXXXXX"))
                : new QTemporaryDir;
    std::atexit([] { delete g_dir; });
    // No drvctl to ask for its version: the window starts without a board.
    const QString emptyBin = g_dir->filePath(QStringLiteral("bin"));
    QDir().mkpath(emptyBin);
    qputenv("PATH", QFile::encodeName(emptyBin));
    MyCommon::SetApplicationInifilePathForTest(settingsPath());
    MyCommon::SetSettingsSizeLimitForTest(SIZE_LIMIT);
    g_window = new MainWindow;
    // Notices would pile up as boxes nobody closes.
    QObject::disconnect(MyCommon::getInstance(), &MyCommon::userNotice, g_window, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    MyCommon* common = MyCommon::getInstance();
    // Reset with no settings file open: nothing is written.
    common->DeleteSettingInstance();
    g_window->InitializeSettings();
    const QString path = settingsPath();
    for (const QString& aside : {path + ".damaged", path + ".too-large"})
        QFile::remove(aside);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(input);
    }
    common->OpenSettingInstance(path);
    g_window->LoadSettings();
    g_window->SaveSettings();
    // What loading handed to the event loop (deferred deletes, queued calls).
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (qint64(size) > SIZE_LIMIT) {
        check(fileBytes(path + ".too-large") == input);
        return 0;
    }
    if (QFile::exists(path + ".damaged"))
        check(fileBytes(path + ".damaged") == input);

    const Entries whole = parse(input);
    const Entries saved = parse(fileBytes(path));
    QMap<QString, int> seen;
    QMap<QString, Entries> alone;
    for (const QByteArray& block : sectionBlocks(input)) {
        const Entries entries = parse(block);
        QStringList sections;
        for (const QString& key : entries.keys()) {
            if (key.contains(QLatin1Char('/')) && !sections.contains(key.section(QLatin1Char('/'), 0, 0)))
                sections << key.section(QLatin1Char('/'), 0, 0);
        }
        for (const QString& section : sections)
            ++seen[section];
        if (sections.size() == 1)
            alone.insert(sections.first(), entries);
    }
    for (auto it = alone.constBegin(); it != alone.constEnd(); ++it) {
        const Entries held = sectionOf(whole, it.key());
        if (seen.value(it.key()) != 1 || held != it.value())
            continue; // not intact in the input
        for (auto entry = held.constBegin(); entry != held.constEnd(); ++entry) {
            if (!writtenByTheProgram(entry.key()))
                check(saved.contains(entry.key()) && saved.value(entry.key()) == entry.value());
        }
    }
    return 0;
}
