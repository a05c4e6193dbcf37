#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "kestaconsettings.h"
#include "runoutcome.h"

class QSettings;
class QTemporaryDir;
class QTextEdit;
class QWidget;

// The process-wide service object: the fixed vocabulary, the settings store,
// the tool runners, the log renderer, the emulator state word and the input
// guard.  Created on the first getInstance() and kept until exit.
class MyCommon : public QObject
{
    Q_OBJECT
public:
    static MyCommon* getInstance();

    // ---- fixed vocabulary -------------------------------------------------
    static const QString APPLICATION_NAME;
    static const QString ORGANIZATION_NAME;
    static const QString ORGANIZATION_DOMAIN;
    static const QString SETTINGS_FILE_NAME;
    static const QStringList SETTINGS_SECTIONS; // the sections the program keeps
    static const QString POWERED_BY_PREFIX;
    static const QString APP_VERSION;

    static const QString TOOL_DRVEMU;
    static const QString TOOL_DRVDUMP;
    static const QString TOOL_DRVRESTORE;
    static const QString TOOL_DRVUNFORMAT;
    static const QString TOOL_DRVINFO;
    static const QString TOOL_DRVCTL;
    static const QString TOOL_HVRCONV;
    static const QString TOOL_HVRTOOL;

    static const QStringList DRVEMU_ARGS_NORMAL;   // {"-v"}
    static const QStringList DRVEMU_ARGS_HALFSTEP; // {"-v", "-shalf"}
    static const QStringList DRVEMU_ARGS_PC9821;   // {"-o q1"}
    static const QString DRVEMU_OPT_X68K_ON;       // "-o x1"
    static const QString DRVEMU_OPT_X68K_OFF;      // "-o x0"
    static const QString DRVEMU_OPT_MOTOR_ON;      // "-o m1"
    static const QString DRVEMU_OPT_MOTOR_OFF;     // "-o m0"

    static const QString OPT_I, OPT_N, OPT_C, OPT_H, OPT_D, OPT_B, OPT_E, OPT_S,
        OPT_O, OPT_F, OPT_T, OPT_R, OPT_P, OPT_V, OPT_U;
    static const QStringList SINGLE_LETTER_OPTIONS; // in the order above

    static const QString FORMAT_ENCODE; // "encode"
    static const QString FORMAT_RAW;    // "raw"

    static const QString DRVCTL_INSERT;  // "insert"
    static const QString DRVCTL_EJECT;   // "eject"
    static const QString DRVCTL_PROTECT; // "protect"
    static const QStringList DRVCTL_ARGS_LIST;       // {"-l"}
    static const QStringList DRVCTL_ARGS_INSERT0;    // {"-i","0","insert"}
    static const QStringList DRVCTL_ARGS_INSERT1;
    static const QStringList DRVCTL_ARGS_EJECT0;
    static const QStringList DRVCTL_ARGS_EJECT1;
    static const QStringList DRVCTL_ARGS_PROTECT0;
    static const QStringList DRVCTL_ARGS_PROTECT1;
    static const QString DRVCTL_LIST_COMMAND; // "drvctl -l"
    static const QString EMPTY_DRIVE;         // "EMPTY"

    static const QString KEY_DRIVES, KEY_CYLINDERS, KEY_HEADS, KEY_BEGIN, KEY_END, KEY_STEPS,
        KEY_DENSITY, KEY_FORMAT, KEY_ASSERT_PIN1, KEY_ASSERT_PIN2, KEY_ASSERT_PIN3, KEY_RETRY,
        KEY_FLAG, KEY_DISKNO, KEY_NAME, KEY_OVERWRITE;
    static const QString NOT_GIVEN; // "---"

    static const QString IMAGE_TITLE;       // "://image/KESTAcon_TITLE.png"
    static const QString IMAGE_VER_NUM;     // "://image/KESTAcon_VER_NUM%c.png"
    static const QString IMAGE_VER_STR;     // "://image/KESTAcon_VER_STR.png"

    static const QString KEY_BS, KEY_ENTER, KEY_SHIFT, KEY_NUM, KEY_LEFT, KEY_RIGHT, KEY_SPACE,
        KEY_CLOSE, KEY_ABC, KEY_PAGE1, KEY_PAGE2;

    static const QString LABEL_SAVING;        // "保存中"
    static const QString LABEL_DUMPING;       // "ダンプ中"
    static const QString LABEL_RESTORING;     // "リストア中"
    static const QString LABEL_UNFORMATTING;  // "アンフォーマット中"
    static const QString LABEL_MEASURING;     // "計測中"
    static const QString PROGRESS_STYLE;

    static const QString CAPTION_DUMP;   // "DUMP"
    static const QString CAPTION_REDUMP; // "REDUMP"
    static const QString TITLE_FILE_SELECT;   // "File Select Dialog"
    static const QString TITLE_FOLDER_SELECT; // "Folder Select Dialog"

    static const QString MODE_NORMAL;   // "NORMAL"
    static const QString MODE_HALFSTEP; // "HALFSTEP"
    static const QString MODE_PC9821;   // "PC-9821"
    static const QStringList EMULATOR_MODES;

    static const QString REDUMP_STYLE_PLAIN;
    static const QString REDUMP_STYLE_HIGHLIGHT;
    static const QString LARGE_CONTROL_STYLE;

    // Timing constants, milliseconds.
    static constexpr int TIME_POLL = 800;
    static constexpr int TIME_STARTUP_FIRST = 100;
    static constexpr int TIME_STARTUP_SECOND = 1000;
    static constexpr int TIME_ACCESS_LAMP = 700;
    static constexpr int TIME_KEY_REPEAT_DELAY = 800;
    static constexpr int TIME_KEY_REPEAT_INTERVAL = 150;
    static constexpr int TIME_PRESET_HOLD = 3000;
    static constexpr int TIME_EDIT_HOLD = 2000;
    // A tool that writes nothing for this long is ended by Command().
    static constexpr int TIME_COMMAND_SILENCE = 30000;
    // Bounds of the blocking runs: image tools, cp and anything else; pkill,
    // shutdown and reboot.  A run that lasts longer than the delay shows a busy box.
    static constexpr int TIME_TOOL_LIMIT = 120000;
    static constexpr int TIME_SYSTEM_COMMAND_LIMIT = 10000;
    static constexpr int TIME_BUSY_BOX_DELAY = 300;
    // A settings file larger than this is set aside unread.
    static constexpr qint64 SETTINGS_SIZE_LIMIT = 1024 * 1024;

    // The emulator state word.
    enum DrvemuState { DRVEMU_STOPPED = 0, DRVEMU_RUNNING = 1 };
    // The operations with a parameter panel, as selectors and track maps number them.
    enum Operation { OPERATION_DUMP = 0, OPERATION_RESTORE = 1, OPERATION_UNFORMAT = 2 };

    // Custom events posted around a tool run.
    static constexpr int EVENT_INPUT_GUARD_ON = 10000;
    static constexpr int EVENT_INPUT_GUARD_OFF = 10001;

    // ---- settings store ---------------------------------------------------
    QString GetSettingString(const QString& key);
    int GetSettingInt(const QString& key);
    bool GetSettingBool(const QString& key);
    QStringList GetSettingStringList(const QString& key);
    void SetSettingString(const QString& key, const QString& value);
    void SetSettingInt(const QString& key, int value);
    void SetSettingBool(const QString& key, bool value);
    void SetSettingStringList(const QString& key, const QStringList& value);
    void RemoveSettingString(const QString& key);

    void SetSettingInstance(QSettings* settings); // takes ownership
    QSettings* GetSettingInstance() const;
    void DeleteSettingInstance();
    // Opens the settings file at path in the program's format and hands it over.
    // The settings object works on a private copy; every change is written
    // to path as a whole new file that replaces the old one only once it is
    // complete.  A damaged file is copied aside first, a far too large one is
    // set aside unread; the user is told of both (userNotice).
    void OpenSettingInstance(const QString& path);
    // Folder entries must be absolute; anything else gives the key's default.
    QString GetSettingFolder(const QString& key);
    static bool IsUsableSettingFolder(const QString& path);
    // The entry names of one section, in the file's order.
    QStringList GetSettingKeys(const QString& section);
    // Removes several entries with one write of the file.
    void RemoveSettingStrings(const QStringList& keys);
    // Between these, changes are collected and written once, at the end.
    void BeginSettingsBatch() { ++m_batchDepth; }
    void EndSettingsBatch();
    // The path of the file the settings are written to ("" when none is open).
    QString SettingsFilePath() const { return m_settingsPath; }
    // Tests lower the size limit and stop the writer between writing the new
    // file and putting it in place.
    static void SetSettingsSizeLimitForTest(qint64 bytes);
    static void SetSettingsCommitHookForTest(void (*hook)());

    static QString GetApplicationInifilePath();
    // Tests keep their settings file in a folder of their own.
    static void SetApplicationInifilePathForTest(const QString& path);
    QString MakeFullPathByCurrentFolderPath(const QString& name) const;
    static QString GetFolderPath(const QString& path);

    KESTAconSettings& Settings() { return m_settings; }

    // Number of settings writes since start (kept for diagnostics and tests).
    quint64 SettingWriteCount() const { return m_settingWrites; }

    // ---- tool runners -----------------------------------------------------
    // Runs program with args and returns all it wrote on standard output.
    // Each chunk read is also emitted through commandOutputs().  The event
    // loop keeps turning while the tool runs; a tool silent for the silence
    // limit is ended.  A program that cannot start gives an empty result at once.
    QByteArray Command(const QString& program, const QStringList& args);
    // Like Command() but quiet: no commandOutputs() emission.  For the
    // emulator poll, whose listing must never reach a running operation's map.
    QByteArray CommandQuiet(const QString& program, const QStringList& args, int silenceLimitMs = -1);
    // Like Command() without emissions, with input swallowed while the tool
    // runs (the window keeps painting) and a busy box naming it after a
    // moment.  For the image tools, whose output and outcome the caller
    // needs; standard error is read as well.  Bound like Execute(): a tool
    // still running then is stopped (TimedOut) and the user is told.
    QByteArray CommandBlocked(const QString& program, const QStringList& args);
    // How the last Command(), CommandQuiet() or CommandBlocked() ended.
    const RunOutcome& LastOutcome() const { return m_lastOutcome; }
    // Stops the running Command() at once; its outcome is Cancelled.  Does
    // nothing when no Command() runs.
    void CancelCommand();
    bool IsCommandRunning() const { return m_activeRun != nullptr; }
    // Runs program with args and returns when it has ended, or has been ended
    // at its bound.  The window keeps painting but takes no input meanwhile; a
    // busy box names the tool after a moment.  Output goes to our own stdout/stderr.
    QByteArray Execute(const QString& program, const QStringList& args);
    // Splits commandLine at every single blank (empty parts kept) into a program
    // and its arguments, and runs it like Execute().
    QByteArray LinuxCommand(const QString& commandLine);
    // Both blocking runs are bounded (BlockingRunLimit); a tool still running
    // then is terminated, killed if need be, and the user is told its name.
    int BlockingRunLimit(const QString& program) const;
    bool LastBlockingRunFinished() const { return m_lastBlockingRunFinished; }
    // Tests shorten every blocking bound to ms (-1: the real bounds).
    void SetBlockingRunLimitForTest(int ms) { m_blockingLimitOverride = ms; }
    static QStringList SplitCommandLine(const QString& commandLine);

    void UpdateDRVEMU_STATE(int state) { m_drvemuState = state; }
    int isDRVEMU_STATE() const { return m_drvemuState; }

    // Silence limit of Command(); only tests shorten it.  A tool silent that
    // long gets as long again to end by itself before it is stopped.
    void SetCommandSilenceLimit(int ms) { m_silenceLimit = m_graceLimit = ms; }
    // The time a silent tool gets to end by itself (the silence limit unless
    // set after it).
    void SetCommandGraceLimit(int ms) { m_graceLimit = ms; }
    int CommandSilenceLimit() const { return m_silenceLimit; }
    // Time a version query of drvctl may take at start-up.
    void SetVersionQueryLimit(int ms) { m_versionLimit = ms; }

    bool Check_DRVEMU_Active();
    static bool IsDRVEMUListingActive(const QByteArray& listing);
    QString Get_DRVEMU_Version();
    static QString ParseDRVEMUVersion(const QByteArray& output);

    // ---- log console ------------------------------------------------------
    void LogAppend(QTextEdit* edit, QByteArray* chunk);
    static void MoveCursor(QTextEdit* edit, int column, int paragraph);
    static void SetCursorX(QTextEdit* edit, int column, int paragraph);

    // ---- helpers ----------------------------------------------------------
    static QWidget* GetMainWindow(QWidget* widget);
    static void SystemError(const QString& text);
    void EmitSettingChanged() { emit settingsChanged(); }
    // Something the user must learn of (a settings file that cannot be
    // saved, a tool that did not finish); the main window shows it.
    void Notify(const QString& text);

    // ---- input guard ------------------------------------------------------
    bool isInputGuard() const { return m_inputGuard; }
    void SetInputGuard(bool on) { m_inputGuard = on; }

signals:
    void commandOutputs(QByteArray chunk);
    void settingsChanged();
    void userNotice(const QString& title, const QString& text);

private:
    MyCommon();
    void InitialDefaultSettingInfo();
    QVariant ReadSetting(const QString& key, const QVariant& fallback);
    void WriteSetting(const QString& key, const QVariant* value);
    bool ChangeSetting(const QString& key, const QVariant* value);
    void CommitSettings();
    bool WriteSettingsFile(QString* reason);
    void SettingsWriteFailed(const QString& reason);
    struct ActiveRun;
    QByteArray RunCaptured(const QString& program, const QStringList& args, int silenceLimitMs, bool emitChunks,
                           int graceMs = 0, bool withErrors = false, int totalLimitMs = 0);
    void RunBlocking(const QString& program, const QStringList& args);

    KESTAconSettings m_settings;
    QHash<QString, QVariant> m_defaults;
    QSettings* m_settingInstance = nullptr;
    QTemporaryDir* m_settingsScratch = nullptr; // holds the working copy
    QString m_settingsPath;                     // the file every change goes to
    QString m_settingsBlocked;                  // why the file must not be replaced
    bool m_toldCannotSave = false;
    int m_batchDepth = 0;
    bool m_batchChanged = false;
    bool m_lastBlockingRunFinished = true;
    int m_blockingLimitOverride = -1;
    int m_drvemuState = DRVEMU_STOPPED;
    bool m_inputGuard = false;
    int m_silenceLimit = TIME_COMMAND_SILENCE;
    int m_graceLimit = TIME_COMMAND_SILENCE;
    int m_versionLimit = 3000;
    quint64 m_settingWrites = 0;
    RunOutcome m_lastOutcome;
    ActiveRun* m_activeRun = nullptr; // the Command() that Cancel stops
};
