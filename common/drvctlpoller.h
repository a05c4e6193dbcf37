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
    // The run under way (if any) began before a change of the emulator: its
    // listing is dropped, and a fresh run starts as soon as it has ended.
    void Discard();
    // A listing run is under way.
    bool isBusy() const { return m_running; }

    // A listing is a few lines of a few hundred bytes.  Each line is cut at
    // MAX_LINE_BYTES and lines past MAX_LINES are dropped, so one overlong
    // line still counts as one line and the drive rows keep their places.
    static constexpr int MAX_LINE_BYTES = 64 * 1024;
    static constexpr int MAX_LINES = 64;

signals:
    void listingRead(const QByteArray& listing);

private:
    void Finish();
    void Keep(const QByteArray& chunk);

    QProcess* m_process;
    QByteArray m_buffer;
    int m_lineBytes = 0; // bytes kept of the line being read
    int m_lines = 0;     // line feeds kept
    QTimer m_limit;
    int m_limitMs;
    bool m_running = false;
    bool m_discard = false;
};
