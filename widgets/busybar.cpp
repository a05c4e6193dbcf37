#include "busybar.h"

#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QTimerEvent>

BusyBar::BusyBar(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, 0);
    setTextVisible(false);
}

void BusyBar::paintEvent(QPaintEvent*)
{
    // Groove and block are drawn as parts of a determinate bar, so the style
    // (and a style sheet) gives them their usual look but never starts its
    // own busy animation on this widget.
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.minimum = 0;
    option.maximum = 1;
    option.progress = 1;
    option.textVisible = false;
    const QRect groove = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    QPainter painter(this);
    option.rect = style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, this);
    style()->drawControl(QStyle::CE_ProgressBarGroove, &option, &painter, this);

    const int blockWidth = qMax(1, groove.width() / 4);
    const int step = m_phase < STEPS ? m_phase : 2 * STEPS - 1 - m_phase;
    const int left = groove.left() + (groove.width() - blockWidth) * step / (STEPS - 1);
    option.rect = QRect(left, groove.top(), blockWidth, groove.height());
    style()->drawControl(QStyle::CE_ProgressBarContents, &option, &painter, this);
}

void BusyBar::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_tick.timerId()) {
        QProgressBar::timerEvent(event);
        return;
    }
    m_phase = (m_phase + 1) % (2 * STEPS);
    update();
}

void BusyBar::showEvent(QShowEvent* event)
{
    QProgressBar::showEvent(event);
    m_tick.start(TICK_MS, this);
}

void BusyBar::hideEvent(QHideEvent* event)
{
    m_tick.stop();
    QProgressBar::hideEvent(event);
}
