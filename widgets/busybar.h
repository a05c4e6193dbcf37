#pragma once

#include <QBasicTimer>
#include <QProgressBar>

// An endless busy bar (range 0..0) that stays cheap: a block wanders to and
// fro across the groove, one step every TICK_MS while the bar is shown. The
// style's own busy animation repaints the bar at display rate for the whole
// run, which costs a small board more than the run it decorates.
class BusyBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit BusyBar(QWidget* parent = nullptr);

    static constexpr int TICK_MS = 250;
    static constexpr int STEPS = 10; // block positions from one end to the other

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QBasicTimer m_tick;
    int m_phase = 0; // 0 .. 2 * STEPS - 1: out and back
};
