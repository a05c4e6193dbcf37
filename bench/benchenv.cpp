#include "benchenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>

#include <csignal>
#include <ctime>
#include <sys/types.h>
#include <unistd.h>

#include "mycommon.h"

namespace bench {

qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

namespace {
QByteArray readProc(qint64 pid, const char* what)
{
    const QString name = pid > 0 ? QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what))
                                 : QStringLiteral("/proc/self/%1").arg(QLatin1String(what));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The fields of /proc/PID/stat after the command name; index 0 is field 3.
QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = readProc(pid, "stat");
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).trimmed().split(' ');
}
} // namespace

qint64 rssKb(qint64 pid)
{
    const QList<QByteArray> lines = readProc(pid, "status").split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

CpuTimes cpuTimes(qint64 pid)
{
    CpuTimes t;
    const QList<QByteArray> f = statFields(pid);
    if (f.size() < 15)
        return t;
    const double tick = double(sysconf(_SC_CLK_TCK));
    t.self = (f[11].toLongLong() + f[12].toLongLong()) / tick;
    t.children = (f[13].toLongLong() + f[14].toLongLong()) / tick;
    t.ok = true;
    return t;
}

QString startTime(qint64 pid)
{
    const QList<QByteArray> f = statFields(pid);
    return f.size() > 19 ? QString::fromLatin1(f[19]) : QString();
}

bool signalProcess(qint64 pid, int sig)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), sig) == 0;
}

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bench

// ---- Scene ------------------------------------------------------------------

QString Scene::folderTemplate()
{
    return QDir::tempPath() + QStringLiteral("/kesta-bench-XXXXXX");
}

Scene::Scene(const Knobs& knobs) : m_dir(folderTemplate())
{
    QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
    QDir(m_dir.path()).mkpath(QStringLiteral("sim"));

    // pkill: the stand-in of the tests, which records and stops only the
    // simulator processes of this scene's state folder.
    QFile pkill(QStringLiteral(KESTA_STUBS_DIR "/pkill"));
    QByteArray pkillBody;
    if (pkill.open(QIODevice::ReadOnly))
        pkillBody = pkill.readAll();
    if (!pkillBody.startsWith("#!"))
        pkillBody = "#!/bin/sh\necho \"pkill $*\" >> \"$KESTA_STUB_LOG\"\nexit 1\n";
    QFile out(QDir(binDir()).filePath(QStringLiteral("pkill")));
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(pkillBody);
    out.close();
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* name : {"shutdown", "reboot"})
        writeScript(QString::fromLatin1(name),
                    QByteArray("echo \"") + name + " $*\" >> \"$KESTA_STUB_LOG\"\n");

    QList<QPair<QByteArray, QByteArray>> vars = {
        {"PATH", QFile::encodeName(binDir()) + ':' + KESTA_SIM_BIN_DIR + ":/usr/bin:/bin"},
        {"KESTA_SIM_DIR", QFile::encodeName(simDir())},
        {"KESTA_STUB_LOG", QFile::encodeName(path(QStringLiteral("stub.log")))},
    };
    vars += knobs;
    for (const auto& var : vars) {
        m_saved.append({var.first, qEnvironmentVariableIsSet(var.first.constData()) ? qgetenv(var.first.constData())
                                                                                     : QByteArray()});
        qputenv(var.first.constData(), var.second);
    }
}

Scene::~Scene()
{
    stopSimProcesses();
    for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
        if (it->second.isNull())
            qunsetenv(it->first.constData());
        else
            qputenv(it->first.constData(), it->second);
    }
}

QString Scene::path(const QString& name) const
{
    return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
}

void Scene::openSettings(const QByteArray& content)
{
    QFile file(settingsPath());
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    file.close();
    MyCommon::SetApplicationInifilePathForTest(settingsPath());
    MyCommon::getInstance()->OpenSettingInstance(settingsPath());
}

void Scene::writeScript(const QString& name, const QByteArray& body)
{
    QFile file(QDir(binDir()).filePath(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QStringList Scene::stubLog() const
{
    QFile file(path(QStringLiteral("stub.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

qint64 Scene::simToolPid(const QString& tool) const
{
    const QDir pids(QDir(simDir()).filePath(QStringLiteral("pids")));
    const QStringList entries = pids.entryList({tool + QStringLiteral(".*")}, QDir::Files);
    for (const QString& entry : entries) {
        const qint64 pid = entry.mid(tool.size() + 1).toLongLong();
        if (pid <= 0)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (!comm.open(QIODevice::ReadOnly) || QString::fromLatin1(comm.readAll()).trimmed() != tool)
            continue;
        QFile record(pids.filePath(entry));
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QStringList parts = QString::fromLatin1(record.readAll()).simplified().split(QLatin1Char(' '));
        if (parts.size() >= 2 && parts[1] == bench::startTime(pid))
            return pid;
    }
    return 0;
}

void Scene::stopSimProcesses() const
{
    const QDir pids(QDir(simDir()).filePath(QStringLiteral("pids")));
    const QStringList entries = pids.entryList(QDir::Files);
    for (const QString& entry : entries) {
        const QString tool = entry.section(QLatin1Char('.'), 0, 0);
        const qint64 pid = simToolPid(tool);
        if (pid > 0)
            bench::signalProcess(pid, SIGTERM);
    }
}

// ---- StallMeter ---------------------------------------------------------------

StallMeter::StallMeter()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this]() { tick(); });
}

void StallMeter::start()
{
    m_clock.start();
    m_last = 0;
    m_maxGapNs = 0;
    m_ticks = 0;
    m_timer.start();
}

void StallMeter::stop()
{
    tick();
    m_timer.stop();
}

void StallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_maxGapNs = std::max(m_maxGapNs, now - m_last);
    m_last = now;
    ++m_ticks;
}
