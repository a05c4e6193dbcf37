#include "firstlinereader.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "kestalog.h"

namespace {
// A first line is short; a tool that floods without a line feed is cut off.
constexpr int kMaxBytes = 64 * 1024;
} // namespace

QByteArray ReadFirstLine(const QString& program, const QStringList& args, int totalMs)
{
    QProcess proc;
    proc.setStandardErrorFile(QProcess::nullDevice());
    QByteArray output;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&proc, &QProcess::readyReadStandardOutput, &loop, [&]() {
        output += proc.readAllStandardOutput();
        if (output.contains('\n') || output.size() > kMaxBytes)
            loop.quit();
    });
    QObject::connect(&proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, &QEventLoop::quit);
    QObject::connect(&proc, &QProcess::errorOccurred, &loop, [&]() {
        if (proc.state() == QProcess::NotRunning)
            loop.quit();
    });
    limit.start(totalMs);
    proc.start(program, args, QIODevice::ReadOnly);
    if (proc.state() != QProcess::NotRunning)
        loop.exec();
    output += proc.readAllStandardOutput();
    if (proc.state() != QProcess::NotRunning) {
        qCDebug(lcEmulator) << program << "still running after" << totalMs << "ms, ended";
        proc.kill();
        // A killed process is gone at once; the bound only guards the wait.
        QEventLoop reap;
        QTimer::singleShot(1000, &reap, &QEventLoop::quit);
        QObject::connect(&proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &reap, &QEventLoop::quit);
        if (proc.state() != QProcess::NotRunning)
            reap.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const int lineEnd = output.indexOf('\n');
    return lineEnd < 0 ? output : output.left(lineEnd + 1);
}
