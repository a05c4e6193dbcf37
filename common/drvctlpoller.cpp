#include "drvctlpoller.h"

#include <QMetaObject>
#include <QProcess>

#include "kestalog.h"
#include "mycommon.h"

DrvctlPoller::DrvctlPoller(QObject* parent)
    : QObject(parent), m_process(new QProcess(this)), m_limitMs(MyCommon::TIME_COMMAND_SILENCE)
{
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_limit.setSingleShot(true);
    connect(m_process, &QProcess::readyReadStandardOutput, this,
            [this]() { Keep(m_process->readAllStandardOutput()); });
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &DrvctlPoller::Finish);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Finish();
    });
    connect(&m_limit, &QTimer::timeout, this, [this]() {
        if (m_process->state() != QProcess::NotRunning)
            m_process->kill(); // finished() follows and reports what was read
    });
}

DrvctlPoller::~DrvctlPoller()
{
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

bool DrvctlPoller::Poll()
{
    if (m_running)
        return false;
    m_running = true;
    m_buffer.clear();
    m_lineBytes = 0;
    m_lines = 0;
    QStringList parts = MyCommon::SplitCommandLine(MyCommon::DRVCTL_LIST_COMMAND);
    const QString program = parts.takeFirst();
    m_limit.start(m_limitMs);
    m_process->start(program, parts, QIODevice::ReadOnly);
    return true;
}

void DrvctlPoller::Discard()
{
    if (m_running)
        m_discard = true;
}

void DrvctlPoller::Finish()
{
    if (!m_running)
        return;
    m_limit.stop();
    Keep(m_process->readAllStandardOutput());
    m_running = false;
    const QByteArray listing = m_buffer;
    m_buffer.clear();
    if (m_discard) {
        m_discard = false;
        qCDebug(lcEmulator) << "listing of a run begun before the last start or stop dropped";
        // Started from the event loop, not from within the process's own signal.
        QMetaObject::invokeMethod(this, [this]() { Poll(); }, Qt::QueuedConnection);
        return;
    }
    emit listingRead(listing);
}

void DrvctlPoller::Keep(const QByteArray& chunk)
{
    int from = 0;
    while (from < chunk.size() && m_lines < MAX_LINES) {
        const int lineFeed = chunk.indexOf('\n', from);
        const int end = lineFeed < 0 ? chunk.size() : lineFeed;
        const int take = qMin(MAX_LINE_BYTES - m_lineBytes, end - from);
        if (take > 0) {
            m_buffer.append(chunk.constData() + from, take);
            m_lineBytes += take;
        }
        if (lineFeed < 0)
            return;
        m_buffer.append('\n');
        m_lineBytes = 0;
        ++m_lines;
        from = lineFeed + 1;
    }
}
