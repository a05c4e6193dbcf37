#include <QProgressDialog>
#include <QtTest>

#include "busybar.h"
#include "mycommon.h"

class TestBusyBar : public QObject
{
    Q_OBJECT
    int m_paints = 0;
    bool eventFilter(QObject*, QEvent* event) override { return (m_paints += event->type() == QEvent::Paint), false; }

private slots:
    // In the busy dialog the bar keeps moving by itself, but only a few steps a second and without the style's
    // busy animation: at display rate five frames come within about 100 ms, here the first frame and four
    // steps take a second, so 500 ms is a generous floor.
    void calmButAliveInTheBusyDialog()
    {
        QProgressDialog busy(QStringLiteral("busy"), QStringLiteral("Cancel"), 0, 0);
        busy.setBar(new BusyBar);
        busy.setStyleSheet(MyCommon::PROGRESS_STYLE);
        busy.findChild<BusyBar*>()->installEventFilter(this);
        const QDeadlineTimer floor(500);
        busy.show();
        QTRY_VERIFY_WITH_TIMEOUT(m_paints >= 5, 60000);
        QVERIFY2(floor.hasExpired(), qPrintable(QStringLiteral("%1 ms early").arg(floor.remainingTime())));
        QVERIFY(busy.findChildren<QAbstractAnimation*>().isEmpty());
    }
};

QTEST_MAIN(TestBusyBar)
#include "tst_busybar.moc"
