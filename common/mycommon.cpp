#include "mycommon.h"
#include "qtcompat.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include "kestalog.h"
#include "kestaversion.h"
#include "logscanner.h"
#include "machinepresets.h"
#include "touchstyle.h"
#include "userinputblocker.h"

// ---- vocabulary -----------------------------------------------------------

const QString MyCommon::APPLICATION_NAME = QStringLiteral("KESTA Controller(KESTAcon)");
const QString MyCommon::ORGANIZATION_NAME = QStringLiteral("VELMORA");
const QString MyCommon::ORGANIZATION_DOMAIN = QStringLiteral("kesta.velmora.example");
const QString MyCommon::SETTINGS_FILE_NAME = QStringLiteral("KESTAcon.ini");
const QString MyCommon::POWERED_BY_PREFIX = QStringLiteral("Powered by ");
const QString MyCommon::APP_VERSION = QStringLiteral(KESTA_VERSION);

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
const QString MyCommon::LARGE_CONTROL_STYLE =
    TouchStyle::WideScrollBar() + TouchStyle::ValueList(QStringLiteral("padding: 1px 18px 1px 3px;"), 50);

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
    using MachinePresets::Machine;
    using MachinePresets::SettingsDefault;
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
        m_defaults.insert(op + QStringLiteral("/X68KBTN"), SettingsDefault(Machine::X68K));
        m_defaults.insert(op + QStringLiteral("/PC88BTN"), SettingsDefault(Machine::PC88));
        m_defaults.insert(op + QStringLiteral("/X1BTN"), SettingsDefault(Machine::X1));
        m_defaults.insert(op + QStringLiteral("/FM77BTN"), SettingsDefault(Machine::FM77));
    }
}

// ---- settings store -------------------------------------------------------

const QStringList MyCommon::SETTINGS_SECTIONS = {
    QStringLiteral("SETTING"),  QStringLiteral("MODE"),     QStringLiteral("CURRENT_FOLDER"),
    QStringLiteral("OVERWRITE"), QStringLiteral("STARTUP"), QStringLiteral("LASTINSERT_FDIMAGE"),
    QStringLiteral("DRVEMU"),   QStringLiteral("CONVERT"),  QStringLiteral("DUMP"),
    QStringLiteral("RESTORE"),  QStringLiteral("UNFORMAT"), QStringLiteral("FOLDER_MARK")};

namespace {

qint64 g_settingsSizeLimit = MyCommon::SETTINGS_SIZE_LIMIT;
void (*g_commitHook)() = nullptr;

QString lastSystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Writes data to path as a new file that takes the old one's place only when
// every byte of it and the switch itself succeeded; the old file is kept
// otherwise.  A read-only file is left alone, as its owner wants.
bool writeWholeFile(const QString& path, const QByteArray& data, QString* reason, bool withHook = false)
{
    if (QFileInfo::exists(path) && ::access(QFile::encodeName(path).constData(), W_OK) != 0) {
        *reason = lastSystemError();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *reason = file.errorString();
        return false;
    }
    errno = 0;
    // A short write (a full disk) is an error even where the device does not call it one.
    if (file.write(data) != data.size() || !file.flush()) {
        *reason = file.error() != QFileDevice::NoError ? file.errorString() : lastSystemError();
        file.cancelWriting();
        return false;
    }
    if (withHook && g_commitHook)
        g_commitHook();
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

// A scratch file of the working copy: written in place, every byte checked.
bool writeScratchFile(const QString& path, const QByteArray& data, QString* reason)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush()) {
        *reason = file.error() != QFileDevice::NoError ? file.errorString() : lastSystemError();
        return false;
    }
    return true;
}

// A value as the INI text holds it: a list, or one string.
QStringList storedForm(const QVariant& value)
{
    if (!value.isValid())
        return {};
    if (value.userType() == QMetaType::QStringList || value.userType() == QMetaType::QVariantList)
        return value.toStringList();
    return {value.toString()};
}

// The known sections whose header and at least one entry are in text.
QStringList sectionsInText(const QByteArray& text)
{
    QStringList found;
    QString current;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            current = QString::fromUtf8(line.mid(1, line.size() - 2)).trimmed();
        } else if (line.contains('=') && MyCommon::SETTINGS_SECTIONS.contains(current) && !found.contains(current)) {
            found << current;
        }
    }
    return found;
}

} // namespace

void MyCommon::SetSettingsSizeLimitForTest(qint64 bytes)
{
    g_settingsSizeLimit = bytes;
}

void MyCommon::SetSettingsCommitHookForTest(void (*hook)())
{
    g_commitHook = hook;
}

void MyCommon::SetSettingInstance(QSettings* settings)
{
    // A settings object handed over is written by the library itself, as it is.
    if (m_settingInstance != settings)
        delete m_settingInstance;
    m_settingInstance = settings;
    delete m_settingsScratch;
    m_settingsScratch = nullptr;
    m_settingsPath = settings ? settings->fileName() : QString();
    m_settingsBlocked.clear();
}

QSettings* MyCommon::GetSettingInstance() const
{
    return m_settingInstance;
}

void MyCommon::DeleteSettingInstance()
{
    delete m_settingInstance;
    m_settingInstance = nullptr;
    delete m_settingsScratch;
    m_settingsScratch = nullptr;
    m_settingsPath.clear();
}

void MyCommon::OpenSettingInstance(const QString& path)
{
    DeleteSettingInstance();
    m_settingsPath = path;
    m_settingsBlocked.clear();
    m_toldCannotSave = false;

    QByteArray text;
    const QFileInfo info(path);
    if (info.isFile() && info.size() > g_settingsSizeLimit) {
        // Reading it would freeze the window for seconds, and every write for longer.
        const QString aside = path + QStringLiteral(".too-large");
        QFile::remove(aside);
        qCWarning(lcSettings) << "settings file of" << info.size() << "bytes set aside as" << aside;
        if (QFile::rename(path, aside)) {
            Notify(tr("The settings file is too large (%1 bytes).\nIt was set aside as %2.\n"
                      "The settings start from their defaults.").arg(QString::number(info.size()), aside));
        } else {
            m_settingsBlocked = tr("%1 is too large and could not be set aside").arg(path);
            Notify(tr("The settings file is too large (%1 bytes) and could not be set aside.\n%2\n"
                      "The settings start from their defaults.").arg(QString::number(info.size()), path));
        }
    } else if (info.isFile()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            text = file.readAll();
        } else {
            // Written over, what it holds would be gone without having been read.
            m_settingsBlocked = tr("the file cannot be read (%1)").arg(file.errorString());
            qCWarning(lcSettings) << "settings file unreadable:" << path << file.errorString();
        }
    }

    static bool cleanUpAtExit = false;
    if (!cleanUpAtExit) {
        cleanUpAtExit = true;
        qAddPostRoutine([] { MyCommon::getInstance()->DeleteSettingInstance(); });
    }
    // In memory where that is at hand (no flush to an SD card for the copy),
    // unless TMPDIR says where temporary files go.
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const bool inMemory = qEnvironmentVariableIsEmpty("TMPDIR") && shm.isDir() && shm.isWritable();
    m_settingsScratch = new QTemporaryDir((inMemory ? shm.filePath() : QDir::tempPath()) + QStringLiteral("/KESTAcon-XXXXXX"));
    QString reason;
    const QString work = m_settingsScratch->filePath(SETTINGS_FILE_NAME);
    if (!m_settingsScratch->isValid() || (!text.isEmpty() && !writeScratchFile(work, text, &reason))) {
        // Without the working copy every write would replace the file with defaults.
        m_settingsBlocked = tr("no working copy (%1)").arg(reason.isEmpty() ? m_settingsScratch->errorString() : reason);
        qCWarning(lcSettings) << "settings:" << m_settingsBlocked;
    }
    auto* settings = new QSettings(work, QSettings::IniFormat);
    QtCompat::UseUtf8(*settings);
    m_settingInstance = settings;

    // A stray quote folds every later section into one value.  The file as
    // it was goes aside before anything is written over it.
    QStringList lost = sectionsInText(text);
    for (const QString& group : settings->childGroups())
        lost.removeAll(group);
    if (!lost.isEmpty()) {
        const QString aside = path + QStringLiteral(".damaged");
        qCWarning(lcSettings) << "settings file damaged, sections lost:" << lost << "copy:" << aside;
        if (writeWholeFile(aside, text, &reason)) {
            Notify(tr("The settings file is damaged: %1 could not be read.\nA copy was kept as %2.\n"
                      "Those settings start from their defaults.").arg(lost.join(QStringLiteral(", ")), aside));
        } else {
            m_settingsBlocked = tr("the damaged file could not be copied aside (%1)").arg(reason);
            Notify(tr("The settings file is damaged: %1 could not be read.\nNo copy could be kept (%2), "
                      "so the file is not changed.").arg(lost.join(QStringLiteral(", ")), reason));
        }
    }
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

bool MyCommon::ChangeSetting(const QString& key, const QVariant* value)
{
    const auto [section, entry] = splitKey(key);
    m_settingInstance->beginGroup(section);
    const bool present = m_settingInstance->contains(entry);
    // A value the file already holds is not written again.
    const bool change = value ? !present || storedForm(m_settingInstance->value(entry)) != storedForm(*value) : present;
    if (change && value)
        m_settingInstance->setValue(entry, *value);
    else if (change)
        m_settingInstance->remove(entry);
    m_settingInstance->endGroup();
    return change;
}

void MyCommon::WriteSetting(const QString& key, const QVariant* value)
{
    if (!m_settingInstance) {
        qCWarning(lcSettings) << "settings write before the settings file is open:" << key;
        return;
    }
    if (ChangeSetting(key, value))
        CommitSettings();
}

void MyCommon::RemoveSettingStrings(const QStringList& keys)
{
    if (!m_settingInstance)
        return;
    bool changed = false;
    for (const QString& key : keys)
        changed = ChangeSetting(key, nullptr) || changed;
    if (changed)
        CommitSettings();
}

QStringList MyCommon::GetSettingKeys(const QString& section)
{
    if (!m_settingInstance)
        return {};
    m_settingInstance->beginGroup(section);
    const QStringList keys = m_settingInstance->childKeys();
    m_settingInstance->endGroup();
    return keys;
}

void MyCommon::EndSettingsBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0 && m_batchChanged && m_settingInstance)
        CommitSettings();
}

void MyCommon::CommitSettings()
{
    m_batchChanged = m_batchDepth > 0;
    if (m_batchChanged)
        return;
    ++m_settingWrites;
    QString reason;
    if (!WriteSettingsFile(&reason))
        SettingsWriteFailed(reason);
}

bool MyCommon::WriteSettingsFile(QString* reason)
{
    if (!m_settingsBlocked.isEmpty()) {
        *reason = m_settingsBlocked;
        return false;
    }
    // The settings library writes the working copy; it does not notice a
    // short write (and its status keeps the first error for good), so the
    // copy is read back and must hold every value before it may replace the file.
    m_settingInstance->sync();
    if (!m_settingsScratch) {
        *reason = tr("the file could not be written");
        return m_settingInstance->status() == QSettings::NoError;
    }
    QFile work(m_settingInstance->fileName());
    if (!work.open(QIODevice::ReadOnly)) {
        *reason = work.errorString();
        return false;
    }
    const QByteArray text = work.readAll();
    work.close();
    {
        // A name of its own each time: the library caches files by name.
        static quint64 checks = 0;
        const QString checkPath = m_settingsScratch->filePath(QStringLiteral("check%1.ini").arg(++checks));
        if (!writeScratchFile(checkPath, text, reason)) {
            QFile::remove(checkPath);
            return false;
        }
        QSettings check(checkPath, QSettings::IniFormat);
        QtCompat::UseUtf8(check);
        const QStringList keys = m_settingInstance->allKeys();
        bool same = check.allKeys().size() == keys.size();
        for (int i = 0; same && i < keys.size(); ++i)
            same = storedForm(check.value(keys.at(i))) == storedForm(m_settingInstance->value(keys.at(i)));
        QFile::remove(checkPath);
        if (!same) {
            *reason = tr("the working copy was cut short");
            return false;
        }
    }
    return writeWholeFile(m_settingsPath, text, reason, true);
}

void MyCommon::SettingsWriteFailed(const QString& reason)
{
    qCWarning(lcSettings) << "settings write failed:" << m_settingsPath << reason;
    if (m_toldCannotSave)
        return;
    m_toldCannotSave = true;
    Notify(tr("Settings cannot be saved.\n%1\n%2").arg(m_settingsPath, reason));
}

QString MyCommon::GetSettingFolder(const QString& key)
{
    const QString value = GetSettingString(key);
    if (IsUsableSettingFolder(value))
        return value;
    qCWarning(lcSettings) << "not an absolute folder, the default start folder is used:" << key << value;
    return m_defaults.value(key).toString();
}

bool MyCommon::IsUsableSettingFolder(const QString& path)
{
    return path.isEmpty() || QDir::isAbsolutePath(path);
}

void MyCommon::Notify(const QString& text)
{
    emit userNotice(tr("Warning."), text);
}

QString MyCommon::GetSettingString(const QString& key)
{
    const QString fallback = m_defaults.value(key).toString();
    const QString value = ReadSetting(key, fallback).toString();
    qCDebug(lcSettings) << "GetSettingString" << key << value;
    return value;
}

int MyCommon::GetSettingInt(const QString& key)
{
    const int fallback = m_defaults.value(key).toInt();
    const int value = ReadSetting(key, fallback).toInt();
    qCDebug(lcSettings) << "GetSettingInt" << key << value;
    return value;
}

bool MyCommon::GetSettingBool(const QString& key)
{
    const bool fallback = m_defaults.value(key).toBool();
    const bool value = ReadSetting(key, fallback).toBool();
    qCDebug(lcSettings) << "GetSettingBool" << key << value;
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
    qCDebug(lcSettings) << "GetSettingStringList" << key << value;
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
    qCDebug(lcSettings) << "GetFolderPath: " << path;
    if (path.isEmpty())
        return path;
    QString result = path;
    const QFileInfo info(path);
    if (info.exists() && info.isFile()) {
        const int slash = result.lastIndexOf(QLatin1Char('/'));
        result = slash < 0 ? QString() : result.left(slash);
        qCDebug(lcSettings) << "GetFolderPath(file): " << result;
    }
    if (result.endsWith(QLatin1Char('/'))) {
        result.chop(1);
        qCDebug(lcSettings) << "GetFolderPath(remove/): " << result;
    }
    return result;
}

// ---- tool runners ---------------------------------------------------------

namespace {

// Waits in a local event loop until proc has finished, at most timeoutMs
// (-1: no limit).  Returns true when the process is no longer running.
// While a blocking run lasts longer than a moment, a box without buttons
// names the tool, so a swallowed tap is not lost without a sign.
class BusyNotice
{
public:
    explicit BusyNotice(const QString& name)
    {
        m_delay.setSingleShot(true);
        QObject::connect(&m_delay, &QTimer::timeout, [this, name]() {
            if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
                return;
            m_box = new QProgressDialog(MyCommon::tr("%1 is running.").arg(name), QString(), 0, 0,
                                        QApplication::activeWindow());
            m_box->setWindowTitle(name);
            m_box->setWindowModality(Qt::ApplicationModal);
            m_box->setStyleSheet(MyCommon::PROGRESS_STYLE);
            m_box->setMinimumDuration(0);
            m_box->show();
        });
        m_delay.start(MyCommon::TIME_BUSY_BOX_DELAY);
    }
    ~BusyNotice()
    {
        m_delay.stop();
        delete m_box.data();
    }

private:
    QTimer m_delay;
    QPointer<QProgressDialog> m_box; // its parent may go while the tool runs
};

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

struct MyCommon::ActiveRun {
    QEventLoop* loop = nullptr;
    bool cancelled = false;
};

QByteArray MyCommon::RunCaptured(const QString& program, const QStringList& args, int silenceLimitMs,
                                 bool emitChunks, int graceMs, bool withErrors, int totalLimitMs)
{
    QByteArray result;
    QProcess proc;
    // Unless asked for, standard error is not read; send it nowhere so it
    // cannot pile up.
    if (withErrors)
        proc.setProcessChannelMode(QProcess::MergedChannels);
    else
        proc.setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    bool ended = false;
    bool failedToStart = false;
    bool inGrace = false;
    bool silent = false;
    bool overTime = false;
    QTimer total; // the run's whole bound, when it has one
    total.setSingleShot(true);
    bool reading = true; // the silence timer runs only while the loop reads

    // Only the runs of the operations can be cancelled; a poll that runs
    // nested inside one leaves it cancellable.
    ActiveRun run;
    run.loop = &loop;
    ActiveRun* const outer = m_activeRun;
    if (emitChunks)
        m_activeRun = &run;

    auto drain = [&]() {
        const QByteArray chunk = proc.readAllStandardOutput();
        if (chunk.isEmpty())
            return;
        result.append(chunk);
        if (reading) {
            // Speaking again ends a grace period: the tool is alive.
            inGrace = false;
            silence.start(silenceLimitMs);
        }
        if (emitChunks)
            emit commandOutputs(chunk);
    };
    connect(&proc, &QProcess::readyReadStandardOutput, &loop, drain);
    connect(&proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, [&]() {
        ended = true;
        loop.quit();
    });
    connect(&proc, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failedToStart = true;
        if (error == QProcess::FailedToStart || proc.state() == QProcess::NotRunning) {
            ended = true;
            loop.quit();
        }
    });
    connect(&silence, &QTimer::timeout, &loop, [&]() {
        if (!inGrace && graceMs > 0) {
            // A tool working through a bad track may say nothing for a
            // while; it gets time to finish before it is stopped.
            inGrace = true;
            qCDebug(lcTools) << program << "silent for" << silenceLimitMs << "ms; waiting" << graceMs << "ms more";
            silence.start(graceMs);
            return;
        }
        silent = true;
        loop.quit();
    });
    connect(&total, &QTimer::timeout, &loop, [&]() {
        overTime = true;
        loop.quit();
    });

    proc.start(program, args, QIODevice::ReadWrite);
    if (!ended && proc.state() != QProcess::NotRunning) {
        silence.start(silenceLimitMs);
        if (totalLimitMs > 0)
            total.start(totalLimitMs);
        loop.exec();
    }
    m_activeRun = outer;
    reading = false;
    silence.stop();
    total.stop();
    drain();
    const bool cancelled = run.cancelled;
    if (silent)
        qCDebug(lcTools) << "Command: no output for" << silenceLimitMs + graceMs << "ms, ending" << program;
    endProcess(proc);
    drain();

    RunOutcome outcome;
    outcome.tool = program;
    outcome.lastLine = RunOutcome::LastLineOf(result);
    if (failedToStart) {
        outcome.kind = RunOutcome::NotStarted;
        outcome.exitStatus = QStandardPaths::findExecutable(program).isEmpty() ? 127 : 126;
    } else if (cancelled) {
        outcome.kind = RunOutcome::Cancelled;
    } else if (silent) {
        outcome.kind = RunOutcome::Silent;
        outcome.silenceMs = silenceLimitMs;
    } else if (overTime) {
        outcome.kind = RunOutcome::TimedOut;
        outcome.silenceMs = totalLimitMs;
    } else if (proc.exitStatus() == QProcess::CrashExit) {
        outcome.kind = RunOutcome::Crashed;
        outcome.signal = proc.exitCode();
    } else {
        outcome.exitStatus = proc.exitCode();
        // What a shell or an exec wrapper answers for a missing tool.
        const bool missing = result.isEmpty() && (outcome.exitStatus == 126 || outcome.exitStatus == 127);
        outcome.kind = outcome.exitStatus == 0 ? RunOutcome::Completed
                       : missing                ? RunOutcome::NotStarted
                                                : RunOutcome::Failed;
    }
    if (!outcome.ok())
        qCDebug(lcTools) << program << RunOutcome::Name(outcome.kind) << outcome.Reason();
    proc.close();
    m_lastOutcome = outcome;
    return result;
}

void MyCommon::CancelCommand()
{
    if (!m_activeRun)
        return;
    m_activeRun->cancelled = true;
    m_activeRun->loop->quit();
}

QByteArray MyCommon::Command(const QString& program, const QStringList& args)
{
    return RunCaptured(program, args, m_silenceLimit, true, m_graceLimit);
}

QByteArray MyCommon::CommandQuiet(const QString& program, const QStringList& args, int silenceLimitMs)
{
    return RunCaptured(program, args, silenceLimitMs < 0 ? m_silenceLimit : silenceLimitMs, false);
}

QByteArray MyCommon::CommandBlocked(const QString& program, const QStringList& args)
{
    QByteArray output;
    {
        UserInputBlocker blocker;
        BusyNotice busy(QFileInfo(program).fileName());
        output = RunCaptured(program, args, m_silenceLimit, false, m_graceLimit, true, BlockingRunLimit(program));
    }
    m_lastBlockingRunFinished = m_lastOutcome.kind != RunOutcome::TimedOut;
    if (!m_lastBlockingRunFinished)
        Notify(m_lastOutcome.Reason() + QLatin1Char('.'));
    return output;
}

int MyCommon::BlockingRunLimit(const QString& program) const
{
    if (m_blockingLimitOverride >= 0)
        return m_blockingLimitOverride;
    const QString name = QFileInfo(program).fileName();
    if (name == QLatin1String("pkill") || name == QLatin1String("shutdown") || name == QLatin1String("reboot"))
        return TIME_SYSTEM_COMMAND_LIMIT;
    return TIME_TOOL_LIMIT; // the image tools, cp and anything else
}

void MyCommon::RunBlocking(const QString& program, const QStringList& args)
{
    const QString name = QFileInfo(program).fileName();
    const int limit = BlockingRunLimit(program);
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    bool finished = true;
    {
        // Taps are swallowed while the tool runs; the busy box is the sign of it.
        UserInputBlocker blocker;
        BusyNotice busy(name);
        process->start(program, args, QIODevice::ReadWrite);
        finished = waitForEnd(*process, limit);
        if (!finished) {
            qCWarning(lcTools) << name << "did not finish within" << limit << "ms; ending it";
            process->terminate();
            if (!waitForEnd(*process, 2000)) {
                process->kill();
                waitForEnd(*process, 5000);
            }
        }
    }
    if (process->state() == QProcess::NotRunning) {
        delete process;
    } else {
        // Not even SIGKILL ended it yet (a tool stuck in the kernel): let it
        // go when it does, rather than wait here.
        qCWarning(lcTools) << name << "still running after kill";
        process->setParent(this);
        connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process, &QObject::deleteLater);
    }
    m_lastBlockingRunFinished = finished;
    if (!finished)
        Notify(tr("%1 did not finish within %2 s and was stopped.").arg(name, QString::number(limit / 1000.0)));
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
    qCDebug(lcTools) << "CMD1:" << program;
    for (const QString& arg : qAsConst(parts))
        qCDebug(lcTools) << "PARAM:" << arg;
    RunBlocking(program, parts);
    return QByteArray();
}

// A running emulator lists a header and a row per drive: more than five
// line-feed pieces (a final line feed gives an empty last piece).
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
    // Bounded in all: a drvctl that hangs or dribbles must not hold the first
    // window for long.
    QElapsedTimer clock;
    clock.start();
    const QByteArray output = RunCaptured(program, {}, m_versionLimit, false, 0, false, m_versionLimit);
    qCDebug(lcTools) << "Get_DRVEMU_Version took" << clock.elapsed() << "ms";
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
    qCDebug(lcUi) << text;
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("MyCommon", "System error."), text,
                    QMessageBox::Ok);
    box.exec();
}

