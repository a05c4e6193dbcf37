#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

class QWidget;

// A private world for one test: a temporary folder with its own settings
// file, simulator state folder and a bin folder put first on PATH.  The bin
// folder always holds recording stand-ins for pkill, shutdown and reboot, so
// nothing a test does can reach the real ones.  Every stand-in appends one
// line "<name> <args...>" to the stub log.  The previous PATH and variables
// are restored when the object goes.
class TestEnv
{
public:
    // withSimulator: put the simulated board tools behind the stubs on PATH.
    explicit TestEnv(bool withSimulator = false);
    ~TestEnv();

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name = QString()) const;
    QString binDir() const { return path(QStringLiteral("bin")); }
    QString simDir() const { return path(QStringLiteral("sim")); }
    QString settingsPath() const { return path(QStringLiteral("KESTAcon.ini")); }
    QString stubLogPath() const { return path(QStringLiteral("stub.log")); }

    // Opens the private settings file in MyCommon (and makes it the file the
    // main window opens).
    void openSettings();

    // Writes an executable POSIX shell script into the bin folder.
    void writeScript(const QString& name, const QString& body);
    // A stand-in that only records its arguments (and prints output, if given).
    void writeRecorder(const QString& name, const QString& output = QString());
    // A link to one simulated board tool.
    void linkSimTool(const QString& name);

    QStringList stubLog() const;
    void clearStubLog();

    static QString simBinDir();

private:
    QTemporaryDir m_dir;
    QByteArray m_old[3]; // PATH, KESTA_STUB_LOG, KESTA_SIM_DIR as they were
};

// Answers the next modal windows (message boxes, keyboards) from the event
// loop that runs them: answer is called once for each of the next `times`
// windows.  Polls, since a window appears only once its exec() runs.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer, int times = 1);
    int answered() const { return m_answered; }

private:
    std::function<void(QWidget*)> m_answer;
    QTimer m_poll;
    int m_times, m_answered = 0;
};

// Sends sig to one process.  Refuses pid 0 and below: kill(0, ...) would hit
// the whole process group, the test runner and its shell included.
bool signalProcess(qint64 pid, int sig);

// Delivers a timer's event at once, as if it had run out.
void fireTimer(QObject* target, int timerId);
