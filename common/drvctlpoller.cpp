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
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this]() {
        const QByteArray chunk = m_process->readAllStandardOutput();
        const int room = MAX_LISTING_BYTES - m_buffer.size();
        if (room > 0)
            m_buffer.append(chunk.left(room));
    });
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

bool DrvctlPoller::isBusy() const
{
    return m_running;
}

bool DrvctlPoller::Poll()
{
    if (m_running)
        return false;
    m_running = true;
    m_buffer.clear();
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
    const QByteArray rest = m_process->readAllStandardOutput();
    const int room = MAX_LISTING_BYTES - m_buffer.size();
    if (room > 0)
        m_buffer.append(rest.left(room));
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
