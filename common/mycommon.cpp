#include "mycommon.h"
#include "qtcompat.h"

#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include "logscanner.h"
#include "myparameterbutton.h"
#include "userinputblocker.h"

// ---- vocabulary -----------------------------------------------------------

const QString MyCommon::APPLICATION_NAME = QStringLiteral("KESTA Controller(KESTAcon)");
const QString MyCommon::ORGANIZATION_NAME = QStringLiteral("VELMORA");
const QString MyCommon::ORGANIZATION_DOMAIN = QStringLiteral("kesta.velmora.example");
const QString MyCommon::SETTINGS_FILE_NAME = QStringLiteral("KESTAcon.ini");
const QString MyCommon::POWERED_BY_PREFIX = QStringLiteral("Powered by ");
const QString MyCommon::APP_VERSION = QStringLiteral("1.05");

const QString MyCommon::TOOL_DRVEMU = QStringLiteral("drvemu");
const QString MyCommon::TOOL_DRVDUMP = QStringLiteral("drvdump");
const QString MyCommon::TOOL_DRVRESTORE = QStringLiteral("drvrestore");
const QString MyCommon::TOOL_DRVUNFORMAT = QStringLiteral("drvunformat");
const QString MyCommon::TOOL_DRVINFO = QStringLiteral("drvinfo");
const QString MyCommon::TOOL_DRVCTL = QStringLiteral("drvctl");
const QString MyCommon::TOOL_HVRCONV = QStringLiteral("hvrconv");
const QString MyCommon::TOOL_HVRTOOL = QStringLiteral("hvrtool");

const QStringList MyCommon::DRVEMU_ARGS_NORMAL = {QStringLiteral("-v")};
const QStringList MyCommon::DRVEMU_ARGS_HALFSTEP = {QStringLiteral("-v"), QStringLiteral("-shalf")};
const QStringList MyCommon::DRVEMU_ARGS_PC9821 = {QStringLiteral("-o q1")};
const QString MyCommon::DRVEMU_OPT_X68K_ON = QStringLiteral("-o x1");
const QString MyCommon::DRVEMU_OPT_X68K_OFF = QStringLiteral("-o x0");
const QString MyCommon::DRVEMU_OPT_MOTOR_ON = QStringLiteral("-o m1");
const QString MyCommon::DRVEMU_OPT_MOTOR_OFF = QStringLiteral("-o m0");

const QString MyCommon::OPT_I = QStringLiteral("-i");
const QString MyCommon::OPT_N = QStringLiteral("-n");
const QString MyCommon::OPT_C = QStringLiteral("-c");
const QString MyCommon::OPT_H = QStringLiteral("-h");
const QString MyCommon::OPT_D = QStringLiteral("-d");
const QString MyCommon::OPT_B = QStringLiteral("-b");
const QString MyCommon::OPT_E = QStringLiteral("-e");
const QString MyCommon::OPT_S = QStringLiteral("-s");
const QString MyCommon::OPT_O = QStringLiteral("-o");
const QString MyCommon::OPT_F = QStringLiteral("-f");
const QString MyCommon::OPT_T = QStringLiteral("-t");
const QString MyCommon::OPT_R = QStringLiteral("-r");
const QString MyCommon::OPT_P = QStringLiteral("-p");
const QString MyCommon::OPT_V = QStringLiteral("-v");
const QString MyCommon::OPT_U = QStringLiteral("-u");
const QStringList MyCommon::SINGLE_LETTER_OPTIONS = {
    QStringLiteral("-i"), QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("-h"),
    QStringLiteral("-d"), QStringLiteral("-b"), QStringLiteral("-e"), QStringLiteral("-s"),
    QStringLiteral("-o"), QStringLiteral("-f"), QStringLiteral("-t"), QStringLiteral("-r"),
    QStringLiteral("-p"), QStringLiteral("-v"), QStringLiteral("-u")};

const QString MyCommon::FORMAT_ENCODE = QStringLiteral("encode");
const QString MyCommon::FORMAT_RAW = QStringLiteral("raw");

const QString MyCommon::DRVCTL_INSERT = QStringLiteral("insert");
const QString MyCommon::DRVCTL_EJECT = QStringLiteral("eject");
const QString MyCommon::DRVCTL_PROTECT = QStringLiteral("protect");
const QStringList MyCommon::DRVCTL_ARGS_LIST = {QStringLiteral("-l")};
const QStringList MyCommon::DRVCTL_ARGS_INSERT0 = {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("insert")};
const QStringList MyCommon::DRVCTL_ARGS_INSERT1 = {QStringLiteral("-i"), QStringLiteral("1"), QStringLiteral("insert")};
const QStringList MyCommon::DRVCTL_ARGS_EJECT0 = {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("eject")};
const QStringList MyCommon::DRVCTL_ARGS_EJECT1 = {QStringLiteral("-i"), QStringLiteral("1"), QStringLiteral("eject")};
const QStringList MyCommon::DRVCTL_ARGS_PROTECT0 = {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("protect")};
const QStringList MyCommon::DRVCTL_ARGS_PROTECT1 = {QStringLiteral("-i"), QStringLiteral("1"), QStringLiteral("protect")};
const QString MyCommon::DRVCTL_LIST_COMMAND = QStringLiteral("drvctl -l");
const QString MyCommon::EMPTY_DRIVE = QStringLiteral("EMPTY");

const QString MyCommon::KEY_DRIVES = QStringLiteral("DRIVES");
const QString MyCommon::KEY_CYLINDERS = QStringLiteral("CYLINDERS");
const QString MyCommon::KEY_HEADS = QStringLiteral("HEADS");
const QString MyCommon::KEY_BEGIN = QStringLiteral("BEGIN");
const QString MyCommon::KEY_END = QStringLiteral("END");
const QString MyCommon::KEY_STEPS = QStringLiteral("STEPS");
const QString MyCommon::KEY_DENSITY = QStringLiteral("DENSITY");
const QString MyCommon::KEY_FORMAT = QStringLiteral("FORMAT");
const QString MyCommon::KEY_ASSERT_PIN1 = QStringLiteral("ASSERT_PIN1");
const QString MyCommon::KEY_ASSERT_PIN2 = QStringLiteral("ASSERT_PIN2");
const QString MyCommon::KEY_ASSERT_PIN3 = QStringLiteral("ASSERT_PIN3");
const QString MyCommon::KEY_RETRY = QStringLiteral("RETRY");
const QString MyCommon::KEY_FLAG = QStringLiteral("FLAG");
const QString MyCommon::KEY_DISKNO = QStringLiteral("DISKNO");
const QString MyCommon::KEY_NAME = QStringLiteral("name");
const QString MyCommon::KEY_OVERWRITE = QStringLiteral("OVERWRITE");
const QString MyCommon::NOT_GIVEN = QStringLiteral("---");

const QString MyCommon::IMAGE_TITLE = QStringLiteral("://image/KESTAcon_TITLE.png");
const QString MyCommon::IMAGE_VER_NUM = QStringLiteral("://image/KESTAcon_VER_NUM%c.png");
const QString MyCommon::IMAGE_VER_STR = QStringLiteral("://image/KESTAcon_VER_STR.png");

const QString MyCommon::KEY_BS = QStringLiteral("BS");
const QString MyCommon::KEY_ENTER = QStringLiteral("ENTER");
const QString MyCommon::KEY_SHIFT = QStringLiteral("SHIFT");
const QString MyCommon::KEY_NUM = QStringLiteral("&123");
const QString MyCommon::KEY_LEFT = QString(QChar(0x2190));
const QString MyCommon::KEY_RIGHT = QString(QChar(0x2192));
const QString MyCommon::KEY_SPACE = QStringLiteral("SPACE");
const QString MyCommon::KEY_CLOSE = QStringLiteral("CLOSE");
const QString MyCommon::KEY_ABC = QStringLiteral("ABC");
const QString MyCommon::KEY_PAGE1 = QStringLiteral("1/2");
const QString MyCommon::KEY_PAGE2 = QStringLiteral("2/2");

const QString MyCommon::LABEL_SAVING = QString::fromUtf8("保存中");
const QString MyCommon::LABEL_DUMPING = QString::fromUtf8("ダンプ中");
const QString MyCommon::LABEL_RESTORING = QString::fromUtf8("リストア中");
const QString MyCommon::LABEL_UNFORMATTING = QString::fromUtf8("アンフォーマット中");
const QString MyCommon::LABEL_MEASURING = QString::fromUtf8("計測中");
const QString MyCommon::PROGRESS_STYLE = QStringLiteral("background-color: rgb(165, 165, 165)");

const QString MyCommon::CAPTION_DUMP = QStringLiteral("DUMP");
const QString MyCommon::CAPTION_REDUMP = QStringLiteral("REDUMP");
const QString MyCommon::TITLE_FILE_SELECT = QStringLiteral("File Select Dialog");
const QString MyCommon::TITLE_FOLDER_SELECT = QStringLiteral("Folder Select Dialog");

const QString MyCommon::MODE_NORMAL = QStringLiteral("NORMAL");
const QString MyCommon::MODE_HALFSTEP = QStringLiteral("HALFSTEP");
const QString MyCommon::MODE_PC9821 = QStringLiteral("PC-9821");
const QStringList MyCommon::EMULATOR_MODES = {QStringLiteral("NORMAL"), QStringLiteral("HALFSTEP"),
                                              QStringLiteral("PC-9821")};

const QString MyCommon::REDUMP_STYLE_PLAIN = QStringLiteral("background-color: rgb(226, 226, 226);");
const QString MyCommon::REDUMP_STYLE_HIGHLIGHT = QStringLiteral("background-color: rgb(255, 170, 255);");
const QString MyCommon::LARGE_CONTROL_STYLE = QStringLiteral(
    "QScrollBar:vertical {"
    " border: 2px solid #999999; background: white; width: 50px; margin: 0px 0px 0px 0px; }"
    "QScrollBar::handle:vertical { background: rgb(140, 160, 170); min-height: 50px; }"
    "QScrollBar::add-line:vertical { height: 0px; subcontrol-position: bottom; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:vertical { height: 0px; subcontrol-position: top; subcontrol-origin: margin; }"
    "QComboBox { border: 1px solid gray; border-radius: 3px; padding: 1px 18px 1px 3px; }"
    "QComboBox:!editable, QComboBox::drop-down:editable {"
    " background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #E1E1E1, stop: 0.4 #DDDDDD,"
    " stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3); }"
    "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: top right; width: 50px;"
    " border-left-width: 1px; border-left-color: darkgray; border-left-style: solid; }"
    "QComboBox::down-arrow { image: url(/usr/share/icons/16x16/downarrow.png); }");

// ---- construction ---------------------------------------------------------

namespace {
QString g_iniPathOverride;
}

MyCommon* MyCommon::getInstance()
{
    // Function-local static: initialised once, thread-safe, never destroyed
    // before exit (the object is leaked on purpose, like the settings).
    static MyCommon* instance = new MyCommon();
    return instance;
}

MyCommon::MyCommon()
{
    InitialDefaultSettingInfo();
}

void MyCommon::InitialDefaultSettingInfo()
{
    const QString x68k = QStringLiteral(
        "ASSERT_PIN3/---, STEPS/1, RETRY/3, FLAG/1, CYLINDERS/80, FORMAT/encode, DRIVES/0, DENSITY/high, "
        "HEADS/2, END/79, BEGIN/0, ASSERT_PIN1/---, ASSERT_PIN2/---, DISKNO/1");
    const QString pc88 = QStringLiteral(
        "ASSERT_PIN3/12, STEPS/1, RETRY/3, FLAG/1, CYLINDERS/40, FORMAT/encode, DRIVES/0, DENSITY/double, "
        "HEADS/2, END/39, BEGIN/0, ASSERT_PIN1/2, ASSERT_PIN2/4, DISKNO/1");
    const QString x1 = QStringLiteral(
        "ASSERT_PIN3/---, STEPS/1, RETRY/3, FLAG/1, CYLINDERS/40, FORMAT/encode, DRIVES/0, DENSITY/double, "
        "HEADS/2, END/39, BEGIN/0, ASSERT_PIN1/2, ASSERT_PIN2/---, DISKNO/1");
    const QString fm77 = QStringLiteral(
        "ASSERT_PIN3/---, STEPS/2, RETRY/3, FLAG/1, CYLINDERS/40, FORMAT/encode, DRIVES/0, DENSITY/double, "
        "HEADS/2, END/39, BEGIN/0, ASSERT_PIN1/---, ASSERT_PIN2/---, DISKNO/1");

    m_defaults.insert(QStringLiteral("DRVEMU/MODE"), QStringLiteral("NORMAL"));
    m_defaults.insert(QStringLiteral("DRVEMU/X68KOPT"), true);
    m_defaults.insert(QStringLiteral("DRVEMU/MTRSIGNAL"), true);
    m_defaults.insert(QStringLiteral("CONVERT/DISKNO"), QStringLiteral("1"));
    m_defaults.insert(QStringLiteral("CONVERT/FORMAT"), QStringLiteral("0"));
    m_defaults.insert(QStringLiteral("CONVERT/EXT"), QStringLiteral(".DIM"));
    m_defaults.insert(QStringLiteral("CONVERT/MAKEHVR"), QStringLiteral("BLANK IMAGE"));
    m_defaults.insert(QStringLiteral("CONVERT/TYPE"), QStringLiteral("0"));
    m_defaults.insert(QStringLiteral("CONVERT/RPM"), QStringLiteral("0"));
    m_defaults.insert(QStringLiteral("CONVERT/PROTECT"), QStringLiteral("0"));
    m_defaults.insert(QStringLiteral("RESTORE/DISKNO"), QStringLiteral("1"));
    for (const QString& op : {QStringLiteral("DUMP"), QStringLiteral("RESTORE"), QStringLiteral("UNFORMAT")}) {
        m_defaults.insert(op + QStringLiteral("/X68KBTN"), x68k);
        m_defaults.insert(op + QStringLiteral("/PC88BTN"), pc88);
        m_defaults.insert(op + QStringLiteral("/X1BTN"), x1);
        m_defaults.insert(op + QStringLiteral("/FM77BTN"), fm77);
    }
}

// ---- settings store -------------------------------------------------------

void MyCommon::SetSettingInstance(QSettings* settings)
{
    if (m_settingInstance != settings)
        delete m_settingInstance;
    m_settingInstance = settings;
}

QSettings* MyCommon::GetSettingInstance() const
{
    return m_settingInstance;
}

void MyCommon::DeleteSettingInstance()
{
    delete m_settingInstance;
    m_settingInstance = nullptr;
}

void MyCommon::OpenSettingInstance(const QString& path)
{
    // QSettings guards every write with "<file>.lock".  A write cut short by
    // a power loss or SIGKILL can leave that file empty: it names no process,
    // so QLockFile can not see that its owner is gone and takes it for a live
    // lock until it is 30 s old, and each settings write blocks the window
    // that long.  An empty lock that nobody holds (a live owner holds its
    // flock from the moment it creates the file) is removed here.
    const QByteArray lockPath = QFile::encodeName(path + QStringLiteral(".lock"));
    const int lockFd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    if (lockFd >= 0) {
        struct stat info;
        if (::fstat(lockFd, &info) == 0 && info.st_size == 0 && ::flock(lockFd, LOCK_EX | LOCK_NB) == 0) {
            qWarning() << "removing an empty settings lock left by an interrupted write:" << lockPath;
            ::unlink(lockPath.constData());
        }
        ::close(lockFd);
    }
    auto* settings = new QSettings(path, QSettings::IniFormat);
    QtCompat::UseUtf8(*settings);
    SetSettingInstance(settings);
}

namespace {
// "SECTION/ENTRY" into the INI section and the entry name.
std::pair<QString, QString> splitKey(const QString& key)
{
    const int slash = key.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {QString(), key};
    return {key.left(slash), key.mid(slash + 1)};
}
} // namespace

QVariant MyCommon::ReadSetting(const QString& key, const QVariant& fallback)
{
    if (!m_settingInstance)
        return fallback;
    const auto [section, entry] = splitKey(key);
    m_settingInstance->beginGroup(section);
    const QVariant value = m_settingInstance->value(entry, fallback);
    m_settingInstance->endGroup();
    return value;
}

void MyCommon::WriteSetting(const QString& key, const QVariant* value)
{
    if (!m_settingInstance) {
        qWarning() << "settings write before the settings file is open:" << key;
        return;
    }
    const auto [section, entry] = splitKey(key);
    m_settingInstance->beginGroup(section);
    if (value)
        m_settingInstance->setValue(entry, *value);
    else
        m_settingInstance->remove(entry);
    m_settingInstance->endGroup();
    m_settingInstance->sync();
    ++m_settingWrites;
}

QString MyCommon::GetSettingString(const QString& key)
{
    const QString fallback = m_defaults.value(key).toString();
    const QString value = ReadSetting(key, fallback).toString();
    qDebug() << "GetSettingString" << key << value;
    return value;
}

int MyCommon::GetSettingInt(const QString& key)
{
    const int fallback = m_defaults.value(key).toInt();
    const int value = ReadSetting(key, fallback).toInt();
    qDebug() << "GetSettingInt" << key << value;
    return value;
}

bool MyCommon::GetSettingBool(const QString& key)
{
    const bool fallback = m_defaults.value(key).toBool();
    const bool value = ReadSetting(key, fallback).toBool();
    qDebug() << "GetSettingBool" << key << value;
    return value;
}

QStringList MyCommon::GetSettingStringList(const QString& key)
{
    QStringList fallback;
    if (m_defaults.contains(key))
        fallback = m_defaults.value(key).toString().split(QLatin1Char(','), Qt::KeepEmptyParts);
    const QVariant raw = ReadSetting(key, fallback);
    // A single stored string (no comma in the file) comes back as a string.
    QStringList value = QtCompat::IsString(raw) ? QStringList{raw.toString()} : raw.toStringList();
    qDebug() << "GetSettingStringList" << key << value;
    return value;
}

void MyCommon::SetSettingString(const QString& key, const QString& value)
{
    const QVariant v(value);
    WriteSetting(key, &v);
}

void MyCommon::SetSettingInt(const QString& key, int value)
{
    const QVariant v(value);
    WriteSetting(key, &v);
}

void MyCommon::SetSettingBool(const QString& key, bool value)
{
    const QVariant v(value);
    WriteSetting(key, &v);
}

void MyCommon::SetSettingStringList(const QString& key, const QStringList& value)
{
    const QVariant v(value);
    WriteSetting(key, &v);
}

void MyCommon::RemoveSettingString(const QString& key)
{
    WriteSetting(key, nullptr);
}

QString MyCommon::GetApplicationInifilePath()
{
    if (!g_iniPathOverride.isEmpty())
        return g_iniPathOverride;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + SETTINGS_FILE_NAME;
}

void MyCommon::SetApplicationInifilePathForTest(const QString& path)
{
    g_iniPathOverride = path;
}

QString MyCommon::MakeFullPathByCurrentFolderPath(const QString& name) const
{
    if (name.isEmpty())
        return QString();
    return m_settings.m_lastAccessFolder + QLatin1Char('/') + name;
}

QString MyCommon::GetFolderPath(const QString& path)
{
    qDebug() << "GetFolderPath: " << path;
    if (path.isEmpty())
        return path;
    QString result = path;
    const QFileInfo info(path);
    if (info.exists() && info.isFile()) {
        const int slash = result.lastIndexOf(QLatin1Char('/'));
        result = slash < 0 ? QString() : result.left(slash);
        qDebug() << "GetFolderPath(file): " << result;
    }
    if (result.endsWith(QLatin1Char('/'))) {
        result.chop(1);
        qDebug() << "GetFolderPath(remove/): " << result;
    }
    return result;
}

// ---- tool runners ---------------------------------------------------------

namespace {

// Waits in a local event loop until proc has finished, at most timeoutMs
// (-1: no limit).  Returns true when the process is no longer running.
bool waitForEnd(QProcess& proc, int timeoutMs, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents)
{
    if (proc.state() == QProcess::NotRunning)
        return true;
    QEventLoop loop;
    QObject::connect(&proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QObject::connect(&proc, &QProcess::errorOccurred, &loop, [&loop, &proc](QProcess::ProcessError) {
        if (proc.state() == QProcess::NotRunning)
            loop.quit();
    });
    QTimer limit;
    if (timeoutMs >= 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(timeoutMs);
    }
    if (proc.state() != QProcess::NotRunning)
        loop.exec(flags);
    return proc.state() == QProcess::NotRunning;
}

void endProcess(QProcess& proc)
{
    if (proc.state() == QProcess::NotRunning)
        return;
    proc.terminate();
    if (!waitForEnd(proc, 1000)) {
        proc.kill();
        waitForEnd(proc, 5000);
    }
}

} // namespace

QByteArray MyCommon::RunCaptured(const QString& program, const QStringList& args, int silenceLimitMs,
                                 bool emitChunks)
{
    QByteArray result;
    QProcess proc;
    // Standard error is never read; send it nowhere so it cannot pile up.
    proc.setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    bool ended = false;
    bool silent = false;

    auto drain = [&]() {
        const QByteArray chunk = proc.readAllStandardOutput();
        if (chunk.isEmpty())
            return;
        result.append(chunk);
        if (!ended)
            silence.start(silenceLimitMs);
        if (emitChunks)
            emit commandOutputs(chunk);
    };
    connect(&proc, &QProcess::readyReadStandardOutput, &loop, drain);
    connect(&proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, [&]() {
        ended = true;
        loop.quit();
    });
    connect(&proc, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart || proc.state() == QProcess::NotRunning) {
            ended = true;
            loop.quit();
        }
    });
    connect(&silence, &QTimer::timeout, &loop, [&]() {
        silent = true;
        loop.quit();
    });

    proc.start(program, args, QIODevice::ReadWrite);
    if (!ended && proc.state() != QProcess::NotRunning) {
        silence.start(silenceLimitMs);
        loop.exec();
    }
    silence.stop();
    drain();
    if (silent)
        qDebug() << "Command: no output for" << silenceLimitMs << "ms, ending" << program;
    endProcess(proc);
    proc.close();
    return result;
}

QByteArray MyCommon::Command(const QString& program, const QStringList& args)
{
    return RunCaptured(program, args, m_silenceLimit, true);
}

QByteArray MyCommon::CommandQuiet(const QString& program, const QStringList& args, int silenceLimitMs)
{
    return RunCaptured(program, args, silenceLimitMs < 0 ? m_silenceLimit : silenceLimitMs, false);
}

void MyCommon::RunBlocking(const QString& program, const QStringList& args)
{
    QProcess proc;
    proc.setProcessChannelMode(QProcess::ForwardedChannels);
    UserInputBlocker blocker;
    proc.start(program, args, QIODevice::ReadWrite);
    waitForEnd(proc, -1);
}

QByteArray MyCommon::Execute(const QString& program, const QStringList& args)
{
    RunBlocking(program, args);
    return QByteArray();
}

QStringList MyCommon::SplitCommandLine(const QString& commandLine)
{
    return commandLine.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

QByteArray MyCommon::LinuxCommand(const QString& commandLine)
{
    QStringList parts = SplitCommandLine(commandLine);
    const QString program = parts.takeFirst();
    qDebug() << "CMD1:" << program;
    for (const QString& arg : qAsConst(parts))
        qDebug() << "PARAM:" << arg;
    RunBlocking(program, parts);
    return QByteArray();
}

bool MyCommon::IsDRVEMUListingActive(const QByteArray& listing)
{
    return listing.split('\n').size() > 5;
}

bool MyCommon::Check_DRVEMU_Active()
{
    QStringList parts = SplitCommandLine(DRVCTL_LIST_COMMAND);
    const QString program = parts.takeFirst();
    return IsDRVEMUListingActive(CommandQuiet(program, parts));
}

QString MyCommon::ParseDRVEMUVersion(const QByteArray& output)
{
    const QList<QByteArray> lines = output.split('\n');
    if (lines.isEmpty())
        return QString();
    const QString first = QString::fromUtf8(lines.first());
    return first.split(QLatin1Char('('), Qt::KeepEmptyParts).first();
}

QString MyCommon::Get_DRVEMU_Version()
{
    const QString program = SplitCommandLine(DRVCTL_LIST_COMMAND).first();
    // Bounded: a drvctl that hangs must not hold the first window for long.
    QElapsedTimer clock;
    clock.start();
    const QByteArray output = CommandQuiet(program, {}, m_versionLimit);
    qDebug() << "Get_DRVEMU_Version took" << clock.elapsed() << "ms";
    return ParseDRVEMUVersion(output);
}

// ---- log console ----------------------------------------------------------

void MyCommon::LogAppend(QTextEdit* edit, QByteArray* chunk)
{
    if (!edit || !chunk)
        return;
    const LogScanner::Result scanned = LogScanner::Scan(*chunk);
    if (!scanned.paragraphs.isEmpty()) {
        QTextDocument* doc = edit->document();
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        cursor.movePosition(QTextCursor::End);
        for (const QString& paragraph : scanned.paragraphs) {
            // Same shape as QTextEdit::append, as plain text: a new block
            // unless the document is still empty.
            if (!doc->isEmpty())
                cursor.insertBlock();
            cursor.insertText(paragraph);
        }
        cursor.endEditBlock();
    }
    if (!scanned.cursorFinal.isNull()) {
        const int n = scanned.cursorCount;
        switch (scanned.cursorFinal.unicode()) {
        case 'A':
            MoveCursor(edit, 0, -n);
            break;
        case 'B':
            MoveCursor(edit, 0, n);
            break;
        case 'C':
            MoveCursor(edit, n, 0);
            break;
        case 'D':
            MoveCursor(edit, -n, 0);
            break;
        case 'E':
            MoveCursor(edit, 0, n);
            SetCursorX(edit, 0, 0);
            break;
        case 'F':
            MoveCursor(edit, 0, -n);
            SetCursorX(edit, 0, 0);
            break;
        case 'G':
            SetCursorX(edit, n, 0);
            break;
        default:
            break;
        }
    }
}

namespace {
QTextBlock clampedBlock(QTextDocument* doc, int paragraph)
{
    const int last = doc->blockCount() - 1;
    return doc->findBlockByNumber(qBound(0, paragraph, last));
}
} // namespace

void MyCommon::MoveCursor(QTextEdit* edit, int column, int paragraph)
{
    const QTextBlock block = clampedBlock(edit->document(), paragraph);
    QTextCursor cursor(block);
    if (column != 0) {
        const int length = block.length();
        const int steps = column < length ? column - 1 : length - 1;
        if (steps > 0)
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, steps);
    }
    edit->setTextCursor(cursor);
}

void MyCommon::SetCursorX(QTextEdit* edit, int column, int paragraph)
{
    QTextDocument* doc = edit->document();
    const QTextBlock block = clampedBlock(doc, paragraph);
    QTextCursor cursor(block);
    if (column != 0) {
        const int length = block.length();
        const int target = column < length ? column - 1 : length - 1;
        cursor.setPosition(qBound(0, target, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    }
    edit->setTextCursor(cursor);
}

// ---- helpers --------------------------------------------------------------

QWidget* MyCommon::GetMainWindow(QWidget* widget)
{
    QWidget* top = widget;
    while (top && top->parentWidget())
        top = top->parentWidget();
    return top;
}

void MyCommon::SystemError(const QString& text)
{
    qDebug() << text;
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("MyCommon", "System error."), text,
                    QMessageBox::Ok);
    box.exec();
}

int MyCommon::GetIntValueFromMyParameterButtonText(MyParameterButton* button, int defaultValue)
{
    if (!button)
        return defaultValue;
    bool ok = false;
    const int value = button->currentText().toInt(&ok, 10);
    return ok ? value : defaultValue;
}
