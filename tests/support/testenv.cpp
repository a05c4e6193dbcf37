#include "testenv.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <sys/types.h>
#include <QFile>

#include "mycommon.h"

namespace {
const char* const OWN_VARIABLES[] = {"PATH", "KESTA_STUB_LOG", "KESTA_SIM_DIR"};
} // namespace

TestEnv::TestEnv(bool withSimulator)
{
    for (int i = 0; i < 3; ++i)
        m_old[i] = qgetenv(OWN_VARIABLES[i]); // null when unset
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
    for (int i = 0; i < 3; ++i)
        m_old[i].isNull() ? void(qunsetenv(OWN_VARIABLES[i])) : void(qputenv(OWN_VARIABLES[i], m_old[i]));
}

QString TestEnv::path(const QString& name) const { return name.isEmpty() ? m_dir.path() : m_dir.filePath(name); }

void TestEnv::openSettings()
{
    MyCommon::SetApplicationInifilePathForTest(settingsPath());
    MyCommon::getInstance()->OpenSettingInstance(settingsPath());
}

void TestEnv::writeScript(const QString& name, const QString& body)
{
    QFile file(QDir(binDir()).filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("#!/bin/sh\n" + body.toUtf8() + '\n');
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
    QStringList lines = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')) : QStringList();
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TestEnv::clearStubLog() { QFile::remove(stubLogPath()); }

QString TestEnv::simBinDir() { return QStringLiteral(KESTA_SIM_BIN_DIR); }

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
    return pid > 0 && ::kill(static_cast<pid_t>(pid), sig) == 0;
}

void fireTimer(QObject* target, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(target, &event);
}
