#include <QAbstractAnimation>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QtTest>

#include "diskoperationdriver.h"
#include "ui_mainwindow.h"

class TestBusyBar : public DiskOperationFixture
{
    Q_OBJECT
    int m_paints = 0;
    bool eventFilter(QObject*, QEvent* event) override { return (m_paints += event->type() == QEvent::Paint), false; }

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // While the tool is silent the busy bar moves by itself, but only a few frames a second and with no
    // style animation: five frames at display rate take under 100 ms, so 500 ms is a generous floor.
    void calmButAliveWhileTheToolIsSilent()
    {
        ui->LEDT_DUMP_FILENAME->setText("game");
        m_env->writeScript("pkill", QStringLiteral("exec '%1/pkill' \"$@\"").arg(KESTA_STUB_DIR));
        qputenv("KESTA_SIM_SILENCE_MS", "60000");
        DiskOperationDriver driver;
        QProgressBar* bar = nullptr;
        QElapsedTimer clock;
        qint64 took = -1;
        int animations = -1;
        driver.onBusy = [&](QProgressDialog* busy) {
            if (!bar && (bar = busy->findChild<QProgressBar*>()))
                bar->installEventFilter(this);
            if (!clock.isValid() && m_paints > 0) // counted from the first frame on
                m_paints = 0, clock.start();
            if (clock.isValid() && m_paints >= 5 && took < 0) {
                took = clock.elapsed();
                animations = bar->findChildren<QAbstractAnimation*>().size();
                busy->findChild<QPushButton*>()->click();
            }
        };
        ui->BTN_DUMP->click();
        QVERIFY2(took >= 500, qPrintable(QStringLiteral("five frames in %1 ms").arg(took)));
        QCOMPARE(animations, 0);
    }
};

QTEST_MAIN(TestBusyBar)
#include "tst_busybar.moc"
