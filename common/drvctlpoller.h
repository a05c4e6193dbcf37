#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QProcess;

// Reads the emulator's drive listing ("drvctl -l") without ever blocking
// the caller: Poll() starts one run and returns at once; listingRead()
// brings the whole output when the tool has ended (empty when it could not
// start).  A run still going when the next Poll() comes is not doubled, and
// a run that hangs is ended after the time limit.
class DrvctlPoller : public QObject
{
    Q_OBJECT
public:
    explicit DrvctlPoller(QObject* parent = nullptr);
    ~DrvctlPoller() override;

    // Starts a listing run; false when one is still running.
    bool Poll();
    bool isBusy() const;
    void SetTimeLimit(int ms) { m_limitMs = ms; }
    // The run under way (if any) began before a change of the emulator: its
    // listing is dropped, and a fresh run starts as soon as it has ended.
    void Discard();

    // A listing is a few hundred bytes; anything past this is not kept.
    static constexpr int MAX_LISTING_BYTES = 64 * 1024;

signals:
    void listingRead(const QByteArray& listing);

private:
    void Finish();

    QProcess* m_process;
    QByteArray m_buffer;
    QTimer m_limit;
    int m_limitMs;
    bool m_running = false;
    bool m_discard = false;
};
