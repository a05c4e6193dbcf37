#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

// A private world for one scenario: a temporary folder with a bin folder
// first on PATH (recording stand-ins for pkill, shutdown and reboot, then the
// simulated board tools, then only the system folders), its own simulator
// state folder and settings file, and the simulator knobs the scenario asks
// for.  Everything is put back, and every simulator process of the state
// folder that is still running is stopped, when the object goes.
using Knobs = QList<QPair<QByteArray, QByteArray>>;

class Scene
{
public:
    explicit Scene(const Knobs& knobs = Knobs());
    // The folder every scene lives in: kesta-bench-XXXXXX in the temporary folder.
    static QString folderTemplate();
    ~Scene();

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name = QString()) const;
    QString binDir() const { return path(QStringLiteral("bin")); }
    QString simDir() const { return path(QStringLiteral("sim")); }
    QString settingsPath() const { return path(QStringLiteral("KESTAcon.ini")); }

    // Makes the scenario's settings file the one MyCommon and the main window use.
    void openSettings(const QByteArray& content = QByteArray());
    // Writes an executable POSIX shell script into the bin folder.
    void writeScript(const QString& name, const QByteArray& body);
    // Lines "<name> <args>" the stand-ins recorded.
    QStringList stubLog() const;
    // Pid of a running simulator tool of this scene (0 when there is none).
    qint64 simToolPid(const QString& tool) const;
    // Sends SIGTERM to every simulator process of this scene that still runs.
    void stopSimProcesses() const;

private:
    QTemporaryDir m_dir;
    QList<QPair<QByteArray, QByteArray>> m_saved; // variable, old value (null: unset)
};

// The largest gap between two turns of the event loop, seen by a 1 ms timer.
// The timer fires in nested event loops too, so a wait that keeps the loop
// turning shows small gaps and one that blocks shows its whole length.
class StallMeter : public QObject
{
public:
    StallMeter();
    void start();
    void stop();
    double maxGapMs() const { return m_maxGapNs / 1e6; }
    qint64 ticks() const { return m_ticks; }

private:
    void tick();
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_maxGapNs = 0;
    qint64 m_ticks = 0;
};

namespace bench {

// CLOCK_MONOTONIC in nanoseconds; the same clock in every process.
qint64 monotonicNs();
// VmRSS of a process in kB (0 when it cannot be read).
qint64 rssKb(qint64 pid = 0);
// utime + stime of a process, and cutime + cstime of its waited-for
// children, in seconds.
struct CpuTimes
{
    double self = 0;
    double children = 0;
    bool ok = false;
};
CpuTimes cpuTimes(qint64 pid);
// Field 22 of /proc/PID/stat (start time in clock ticks), "" when gone.
QString startTime(qint64 pid);
// Sends sig to one process; refuses pid 0 and below.
bool signalProcess(qint64 pid, int sig);
// Runs the event loop for ms milliseconds.
void spin(int ms);

} // namespace bench
