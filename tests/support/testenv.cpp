#include "testenv.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <sys/types.h>
#include <QFile>
#include <QTextStream>

#include "mycommon.h"

namespace {
void setEnv(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

TestEnv::TestEnv(bool withSimulator)
{
    m_oldPath = qgetenv("PATH");
    m_oldStubLog = qEnvironmentVariableIsSet("KESTA_STUB_LOG") ? qgetenv("KESTA_STUB_LOG") : QByteArray();
    m_oldSimDir = qEnvironmentVariableIsSet("KESTA_SIM_DIR") ? qgetenv("KESTA_SIM_DIR") : QByteArray();
    QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
    QDir(m_dir.path()).mkpath(QStringLiteral("sim"));
    for (const char* name : {"pkill", "shutdown", "reboot"})
        writeRecorder(QString::fromLatin1(name));

    QByteArray newPath = QFile::encodeName(binDir());
    if (withSimulator && !simBinDir().isEmpty())
        newPath += ':' + QFile::encodeName(simBinDir());
    // Only the system folders behind: a test never finds tools of the user's.
    newPath += ":/usr/bin:/bin";
    qputenv("PATH", newPath);
    qputenv("KESTA_STUB_LOG", QFile::encodeName(stubLogPath()));
    qputenv("KESTA_SIM_DIR", QFile::encodeName(simDir()));
}

TestEnv::~TestEnv()
{
    setEnv("PATH", m_oldPath);
    setEnv("KESTA_STUB_LOG", m_oldStubLog);
    setEnv("KESTA_SIM_DIR", m_oldSimDir);
}

QString TestEnv::path(const QString& name) const
{
    return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
}

void TestEnv::openSettings()
{
    MyCommon::SetApplicationInifilePathForTest(settingsPath());
    MyCommon::getInstance()->OpenSettingInstance(settingsPath());
}

void TestEnv::writeScript(const QString& name, const QString& body)
{
    QFile file(QDir(binDir()).filePath(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream out(&file);
    out << "#!/bin/sh\n" << body << '\n';
    out.flush();
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::ExeGroup);
}

void TestEnv::writeRecorder(const QString& name, const QString& output)
{
    QString body = QStringLiteral("echo \"%1 $*\" >> \"$KESTA_STUB_LOG\"\n").arg(name);
    if (!output.isEmpty())
        body += QStringLiteral("printf '%s' '%1'\n").arg(QString(output).replace(QLatin1Char('\''), QStringLiteral("'\\''")));
    writeScript(name, body);
}

void TestEnv::linkSimTool(const QString& name)
{
    QFile::link(QDir(simBinDir()).filePath(name), QDir(binDir()).filePath(name));
}

QStringList TestEnv::stubLog() const
{
    QFile file(stubLogPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TestEnv::clearStubLog()
{
    QFile::remove(stubLogPath());
}

QString TestEnv::simBinDir()
{
    return QStringLiteral(KESTA_SIM_BIN_DIR);
}

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer, int times)
    : m_answer(std::move(answer)), m_times(times)
{
    connect(&m_poll, &QTimer::timeout, this, [this]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || m_answered >= m_times)
            return;
        ++m_answered;
        m_answer(modal);
    });
    m_poll.start(20);
}

bool signalProcess(qint64 pid, int sig)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), sig) == 0;
}

void fireTimer(QObject* target, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(target, &event);
}
