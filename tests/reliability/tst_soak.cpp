#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "completedialog.h"
#include "dumpsettingdialog.h"
#include "exitdialog.h"
#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "mykeyboard.h"
#include "mylineedit.h"
#include "myparameterbutton.h"
#include "parameterselectdialog.h"
#include "settingdialog.h"
#include "testenv.h"
#include "ui_mainwindow.h"

#if defined(__SANITIZE_ADDRESS__)
#define KESTA_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTA_SOAK_ASAN 1
#endif
#endif
#ifdef KESTA_SOAK_ASAN
// From the sanitizer runtime (its header need not be installed).
extern "C" void __sanitizer_purge_allocator();
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

// A monkey at the touch screen: for a while (KESTA_SOAK_SECONDS, 90 by
// default) random taps on enabled buttons, value picks, keyboard typing,
// page and tab switches, dumps and emulator starts and stops against the
// simulated board, with its faults switched on and off between actions.
// Every dialog is answered at random from a timer.  Afterwards the window
// still works, nothing is left running and memory stayed flat.
class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void soak();
};

namespace {

constexpr int SILENCE_LIMIT_MS = 1500;
// Growth allowed after the warm-up of the heap the program holds (blocks
// allocated and not freed): flat, give or take the log pane and caches.
constexpr qint64 HEAP_GROWTH_LIMIT_KB = 16 * 1024;
// The warm-up lasts a fifth of the run and at least this many actions (the
// dialogs, models and font caches that the program builds once are made
// along the first few hundred); a run has at least twice as many.
constexpr int WARM_UP_ACTIONS = 300;
#ifdef KESTA_SOAK_ASAN
// Under AddressSanitizer the resident size also holds the sanitizer's own
// books (a stack depot that grows with every new allocation stack, shadow
// pages), which stay after a purge: it is reported, and only the heap the
// program holds is held to a bound.
constexpr qint64 RSS_GROWTH_LIMIT_KB = 0;
// The sanitizer run is several times slower; it soaks for a shorter while.
constexpr int DEFAULT_SECONDS = 60;
#else
constexpr qint64 RSS_GROWTH_LIMIT_KB = 30 * 1024;
constexpr int DEFAULT_SECONDS = 90;
#endif

// Resident memory of this process in kB (0 when unknown).
qint64 residentKb()
{
#ifdef KESTA_SOAK_ASAN
    // Freed blocks wait in the sanitizer's quarantine; let it go first.
    __sanitizer_purge_allocator();
#endif
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Heap in use by the program in kB: what the allocator holds for blocks not
// yet freed (the sanitizer's allocator under ASan, malloc's arenas and
// mapped blocks otherwise).
qint64 heapKb()
{
#ifdef KESTA_SOAK_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
#endif
}

int soakSeconds()
{
    return qEnvironmentVariableIsSet("KESTA_SOAK_SECONDS") ? qMax(1, qEnvironmentVariableIntValue("KESTA_SOAK_SECONDS"))
                                                           : DEFAULT_SECONDS;
}

const char* const FAULT_VARS[] = {"KESTA_SIM_WEAK",       "KESTA_SIM_BAD",         "KESTA_SIM_GARBAGE",
                                  "KESTA_SIM_CRASH_AT",   "KESTA_SIM_SILENCE_MS", "KESTA_SIM_SILENCE_AT",
                                  "KESTA_SIM_EMPTY",      "KESTA_SIM_PROTECT"};

// Answers whatever modal window shows, at random, from a timer ticking every
// 20 to 50 ms.  File choosers and anything about deleting are always refused;
// a window that stays up after being answered is rejected.
class MonkeyAnswer : public QObject
{
public:
    explicit MonkeyAnswer(QRandomGenerator* random) : m_random(random)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &MonkeyAnswer::tick);
        rearm();
    }

    int answered = 0;
    int exitDialogs = 0;
    QStringList kinds;

private:
    void rearm() { m_timer.start(m_random->bounded(20, 51)); }
    bool coin(int percent) { return int(m_random->bounded(100)) < percent; }

    QString randomText(int minimum, int maximum)
    {
        static const QString CHARS = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-");
        const int low = qMax(1, minimum);
        const int high = qMax(low, qMin(maximum, 16));
        const int length = m_random->bounded(low, high + 1);
        QString text;
        for (int i = 0; i < length; ++i)
            text += CHARS.at(m_random->bounded(CHARS.size()));
        return text;
    }

    void note(const char* kind)
    {
        ++answered;
        if (!kinds.contains(QLatin1String(kind)))
            kinds << QLatin1String(kind);
    }

    void tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            m_last = nullptr;
            m_tries = 0;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                // A busy dialog need not be application modal.
                if (auto* busy = qobject_cast<QProgressDialog*>(top); busy && busy->isVisible())
                    answerBusy(busy);
            }
            rearm();
            return;
        }
        if (modal == m_last)
            ++m_tries;
        else
            m_tries = 0;
        m_last = modal;
        answer(modal);
        rearm();
    }

    void answerBusy(QProgressDialog* busy)
    {
        // Now and then Cancel; always after a long time.
        if (busy != m_busy) {
            m_busy = busy;
            m_busyTime.start();
        }
        if (coin(1) || m_busyTime.elapsed() > 30000) {
            note("busy-cancel");
            busy->cancel();
        }
    }

    void answer(QWidget* modal)
    {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (m_tries >= 3 && !qobject_cast<QProgressDialog*>(modal)) {
            // Answered and still there: out with it.
            note("fallback-reject");
            if (dialog)
                dialog->reject();
            else
                modal->close();
            return;
        }
        if (auto* busy = qobject_cast<QProgressDialog*>(modal)) {
            m_tries = 0;
            answerBusy(busy);
        } else if (auto* done = qobject_cast<CompleteDialog*>(modal)) {
            note("complete");
            if (auto* ok = done->findChild<QPushButton*>(QStringLiteral("BTN_COMPLETE_OK")))
                ok->click();
            else
                done->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            answerBox(box);
        } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
            note("keyboard");
            if (coin(70)) {
                keyboard->setText(randomText(keyboard->getMinimumLength(), keyboard->getMaximumLength()));
                keyboard->accept();
            } else {
                keyboard->reject();
            }
        } else if (auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal)) {
            note("file-chooser");
            chooser->reject();
        } else if (auto* settings = qobject_cast<SettingDialog*>(modal)) {
            answerSettings(settings);
        } else if (auto* pick = qobject_cast<ParameterSelectDialog*>(modal)) {
            note("parameter-pick");
            auto* table = pick->findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
            if (table && table->rowCount() > 0 && coin(70)) {
                QTableWidgetItem* item = table->item(m_random->bounded(table->rowCount()), 0);
                if (item)
                    pick->on_TBLW_PARAMETER_NAMELIST_itemClicked(item);
            }
            if (pick->isVisible())
                pick->reject();
        } else if (auto* sets = qobject_cast<DumpSettingDialog*>(modal)) {
            note("parameter-sets");
            auto* ok = sets->findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_OK"));
            if (ok && ok->isEnabled() && coin(50))
                ok->click();
            else
                sets->reject();
        } else if (auto* exitDialog = qobject_cast<ExitDialog*>(modal)) {
            ++exitDialogs;
            exitDialog->reject();
        } else {
            note("other");
            if (dialog)
                dialog->reject();
            else
                modal->close();
        }
    }

    void answerBox(QMessageBox* box)
    {
        note("message");
        const QString all = box->windowTitle() + '\n' + box->text() + '\n' + box->informativeText();
        const QList<QAbstractButton*> buttons = box->buttons();
        QAbstractButton* choice = nullptr;
        if (all.contains(QLatin1String("delete"), Qt::CaseInsensitive)) {
            for (QMessageBox::StandardButton refuse : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Abort}) {
                if (!choice)
                    choice = box->button(refuse);
            }
            if (!choice) {
                box->reject();
                return;
            }
        } else if (!buttons.isEmpty()) {
            choice = buttons.at(m_random->bounded(buttons.size()));
        }
        if (choice)
            choice->click();
        else
            box->reject();
    }

    void answerSettings(SettingDialog* settings)
    {
        note("settings");
        // Only harmless choices; the folder choice, Initialize, Backup and
        // Restore are never touched.
        if (coin(50)) {
            settings->reject();
            return;
        }
        for (const char* name : {"RDO_SET_MODE_EASY", "RDO_SET_MODE_EXPERT", "RDO_SET_OVERWRITE",
                                 "RDO_SET_FOLLOW_KESTA"}) {
            auto* radio = settings->findChild<QRadioButton*>(QLatin1String(name));
            if (radio && radio->isEnabled() && coin(25))
                radio->setChecked(true);
        }
        for (const char* name : {"CHK_SET_USE_MOTOR", "CHK_SET_USE_X68OPT"}) {
            auto* check = settings->findChild<QCheckBox*>(QLatin1String(name));
            if (check && check->isEnabled() && coin(25))
                check->setChecked(!check->isChecked());
        }
        auto* ok = settings->findChild<QPushButton*>(QStringLiteral("BTN_SET_OK"));
        if (ok && ok->isEnabled())
            ok->click();
        else
            settings->reject();
    }

    QRandomGenerator* m_random;
    QTimer m_timer;
    QWidget* m_last = nullptr;
    int m_tries = 0;
    QProgressDialog* m_busy = nullptr;
    QElapsedTimer m_busyTime;
};

// The simulator processes of this env still alive: pids/NAME.PID entries
// whose process carries that name.
QStringList liveSimulatorProcesses(const QString& simDir)
{
    QStringList live;
    const QStringList entries = QDir(simDir + QStringLiteral("/pids")).entryList(QDir::Files);
    for (const QString& entry : entries) {
        const QString name = entry.section('.', 0, -2);
        const qint64 pid = entry.section('.', -1).toLongLong();
        if (pid <= 0)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly) && QString::fromUtf8(comm.readAll()).trimmed() == name)
            live << entry;
    }
    return live;
}

} // namespace

void TestSoak::soak()
{
    const int seconds = soakSeconds();
    const quint32 seed = qEnvironmentVariableIsSet("KESTA_SOAK_SEED")
                             ? quint32(qgetenv("KESTA_SOAK_SEED").toULong())
                             : QRandomGenerator::system()->generate();
    qInfo("soak: %d s, seed %u (KESTA_SOAK_SEED=%u replays it)", seconds, seed, seed);
    QRandomGenerator random(seed);
    auto coin = [&random](int percent) { return int(random.bounded(100)) < percent; };

    TestEnv env(true);
    QVERIFY(env.isValid());
    // STOP's pkill: the stand-in that signals only this env's simulator.
    env.writeScript(QStringLiteral("pkill"), QStringLiteral("exec '%1/pkill' \"$@\"").arg(KESTA_STUB_DIR));
    qputenv("KESTA_SIM_TRACK_MS", "0");
    qputenv("KESTA_SIM_PRINT_MS", "50");
    qputenv("KESTA_SIM_SEEK_MS", "200");
    MyCommon::SetApplicationInifilePathForTest(env.settingsPath());
    MyCommon* common = MyCommon::getInstance();
    common->UpdateDRVEMU_STATE(0);
    common->SetCommandSilenceLimit(SILENCE_LIMIT_MS);

    auto* window = new MainWindow;
    Ui::MainWindow* ui = window->form();
    window->show();
    const QString folder = env.path(QStringLiteral("images"));
    QVERIFY(QDir().mkpath(folder));
    window->CurrentPathChangedAll(folder, false);
    const QString root = QDir(env.path()).canonicalPath();

    MonkeyAnswer answers(&random);

    const QStringList skipped{"BTN_EXIT", "BTN_EXIT_EMU", "BTN_WDG_DELETE", "BTN_WDG_PARENT",
                              "BTN_SET_INITIALIZE", "BTN_SET_BACKUP", "BTN_SET_RESTORE"};

    auto switchFaults = [&]() {
        for (const char* name : FAULT_VARS)
            qunsetenv(name);
        if (coin(40))
            return;
        if (coin(40))
            qputenv("KESTA_SIM_WEAK", QByteArray::number(random.bounded(80)) + ':' +
                                          QByteArray::number(random.bounded(2, 5)) + ',' +
                                          QByteArray::number(random.bounded(80)));
        if (coin(30))
            qputenv("KESTA_SIM_BAD", QByteArray::number(random.bounded(80)));
        if (coin(20))
            qputenv("KESTA_SIM_GARBAGE", "1");
        if (coin(15))
            qputenv("KESTA_SIM_CRASH_AT", QByteArray::number(random.bounded(80)));
        if (coin(15)) {
            // Always below the shortened limit.
            qputenv("KESTA_SIM_SILENCE_MS", QByteArray::number(random.bounded(100, SILENCE_LIMIT_MS - 400)));
            qputenv("KESTA_SIM_SILENCE_AT", QByteArray::number(random.bounded(80)));
        }
        if (coin(10))
            qputenv("KESTA_SIM_EMPTY", QByteArray::number(random.bounded(2)));
        if (coin(10))
            qputenv("KESTA_SIM_PROTECT", QByteArray::number(random.bounded(2)));
    };

    auto randomName = [&random]() {
        static const QString CHARS = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789_");
        QString name = QStringLiteral("soak_");
        const int length = random.bounded(1, 9);
        for (int i = 0; i < length; ++i)
            name += CHARS.at(random.bounded(CHARS.size()));
        return name;
    };

    auto clickRandomButton = [&]() {
        QList<QPushButton*> candidates;
        const QList<QPushButton*> all = window->findChildren<QPushButton*>();
        for (QPushButton* button : all) {
            if (button->isEnabled() && button->isVisible() && button->window() == window &&
                !skipped.contains(button->objectName()))
                candidates << button;
        }
        if (!candidates.isEmpty())
            candidates.at(random.bounded(candidates.size()))->click();
    };

    auto pickRandomValue = [&]() {
        QList<MyParameterButton*> candidates;
        const QList<MyParameterButton*> all = window->findChildren<MyParameterButton*>();
        for (MyParameterButton* button : all) {
            if (button->isEnabled() && !button->getItemList().isEmpty())
                candidates << button;
        }
        if (candidates.isEmpty())
            return;
        MyParameterButton* button = candidates.at(random.bounded(candidates.size()));
        const QStringList items = button->getItemList();
        button->setCurrentText(items.at(random.bounded(items.size())));
    };

    auto typeRandomField = [&]() {
        QList<QLineEdit*> candidates;
        const QList<MyLineEdit*> all = window->findChildren<MyLineEdit*>();
        for (MyLineEdit* field : all) {
            if (field->isEnabled() && field->isVisible() && field->window() == window)
                candidates << field;
        }
        if (!candidates.isEmpty())
            window->displayVirtualKeyBoard(candidates.at(random.bounded(candidates.size())));
    };

    auto switchPageOrTab = [&]() {
        switch (random.bounded(4)) {
        case 0:
            window->on_BTN_PAGE1_CHANGE_clicked();
            break;
        case 1:
            window->on_BTN_PAGE2_CHANGE_clicked();
            break;
        case 2:
            if (ui->TAB_CONTROLLER_MODE->count() > 0)
                ui->TAB_CONTROLLER_MODE->setCurrentIndex(random.bounded(ui->TAB_CONTROLLER_MODE->count()));
            break;
        default:
            if (ui->TAB_FILEOPERATION->count() > 0)
                ui->TAB_FILEOPERATION->setCurrentIndex(random.bounded(ui->TAB_FILEOPERATION->count()));
            break;
        }
    };

    auto startDump = [&]() {
        window->on_BTN_PAGE1_CHANGE_clicked();
        ui->LEDT_DUMP_FILENAME->setText(randomName());
        if (ui->BTN_DUMP->isEnabled())
            ui->BTN_DUMP->click();
    };

    auto emulatorStartStop = [&]() {
        if (ui->BTN_DRVEMU_START->isEnabled() && coin(50))
            ui->BTN_DRVEMU_START->click();
        else if (ui->BTN_DRVEMU_STOP->isEnabled())
            ui->BTN_DRVEMU_STOP->click();
    };

    // Keeps the browsers inside the test's folder.
    auto keepInside = [&]() {
        const QList<FDImageSelector*> selectors = window->findChildren<FDImageSelector*>();
        for (FDImageSelector* selector : selectors) {
            auto* path = selector->findChild<QLineEdit*>(QStringLiteral("LEDT_FDIMAGESELECTOR_PATH"));
            const QString current = path ? QDir(path->text()).canonicalPath() : QString();
            if (current.isEmpty() || !(current == root || current.startsWith(root + '/'))) {
                window->CurrentPathChangedAll(folder, false);
                return;
            }
        }
        if (!ui->LEDT_DUMP_PATH->text().isEmpty()) {
            const QString dumpPath = QDir(ui->LEDT_DUMP_PATH->text()).canonicalPath();
            if (dumpPath.isEmpty() || !(dumpPath == root || dumpPath.startsWith(root + '/')))
                window->CurrentPathChangedAll(folder, false);
        }
    };

    QElapsedTimer clock;
    clock.start();
    const qint64 total = qint64(seconds) * 1000;
    qint64 warmRss = 0;
    qint64 warmHeap = 0;
    qint64 nextReport = total / 10;
    qint64 longestAction = 0;
    int actions = 0;
    QMap<QString, int> counts;
    // At least twice the warm-up, however slow the machine.
    while (clock.elapsed() < total || actions < 2 * WARM_UP_ACTIONS) {
        if (coin(20))
            switchFaults();
        QElapsedTimer actionTime;
        actionTime.start();
        const int kind = random.bounded(100);
        if (kind < 35) {
            clickRandomButton();
            ++counts["tap"];
        } else if (kind < 55) {
            pickRandomValue();
            ++counts["value"];
        } else if (kind < 65) {
            typeRandomField();
            ++counts["typing"];
        } else if (kind < 80) {
            switchPageOrTab();
            ++counts["page/tab"];
        } else if (kind < 90) {
            startDump();
            ++counts["dump"];
        } else {
            emulatorStartStop();
            ++counts["emulator"];
        }
        longestAction = qMax(longestAction, actionTime.elapsed());
        ++actions;
        keepInside();
        QTest::qWait(random.bounded(0, 30));
        if (!warmRss && clock.elapsed() >= total / 5 && actions >= WARM_UP_ACTIONS) {
            warmRss = residentKb();
            warmHeap = heapKb();
            qInfo("soak: warm-up done after %d actions, VmRSS %lld kB, heap %lld kB", actions, warmRss, warmHeap);
        }
        if (clock.elapsed() >= nextReport) {
            nextReport += total / 10;
            qInfo("soak: %lld s, %d actions, VmRSS %lld kB, heap %lld kB", clock.elapsed() / 1000, actions,
                  residentKb(), heapKb());
        }
        QVERIFY2(answers.exitDialogs == 0, "the exit dialog showed");
        QVERIFY2(longestAction < 120000, "an action hung");
    }
    for (const char* name : FAULT_VARS)
        qunsetenv(name);

    QString summary;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        summary += QStringLiteral(" %1=%2").arg(it.key()).arg(it.value());
    qInfo("soak: %d actions (%s), %d dialogs answered (%s), longest action %lld ms", actions,
          qPrintable(summary.trimmed()), answers.answered, qPrintable(answers.kinds.join(',')), longestAction);

    // The emulator stops; nothing of the simulator stays behind.
    QTRY_VERIFY_WITH_TIMEOUT(!common->isInputGuard(), 30000);
    if (ui->BTN_DRVEMU_STOP->isEnabled())
        ui->BTN_DRVEMU_STOP->click();
    QTRY_COMPARE_WITH_TIMEOUT(window->emulatorProcess()->state(), QProcess::NotRunning, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(liveSimulatorProcesses(env.simDir()).isEmpty(), 15000);
    QTRY_VERIFY(!QApplication::activeModalWidget());

    // The window still answers.
    window->on_BTN_PAGE2_CHANGE_clicked();
    QTest::qWait(0);
    const int second = ui->STACKED_WIDGET->currentIndex();
    window->on_BTN_PAGE1_CHANGE_clicked();
    QTest::qWait(0);
    QVERIFY(ui->STACKED_WIDGET->currentIndex() != second);
    QVERIFY(!common->isInputGuard());
    QVERIFY(!window->findChild<QProgressDialog*>() || !window->findChild<QProgressDialog*>()->isVisible());

    // The maps hold only known states.
    for (MyGraphicalDumpDisplay* map : {ui->WDT_DUMPSTATUS, ui->WDT_RESTORESTATUS, ui->WDT_UNFORMATSTATUS}) {
        QVERIFY(map->Mode() >= 0 && map->Mode() <= 2);
        QVERIFY(map->Cylinders() >= 0 && map->Cylinders() <= 90);
        for (int track = 0; track < 180; ++track) {
            const int state = map->TrackState(track);
            QVERIFY2(state == MyGraphicalDumpDisplay::STATE_NON_TARGET || (state >= 0 && state <= MyGraphicalDumpDisplay::STATE_ERROR), qPrintable(QStringLiteral("track %1 state %2").arg(track).arg(state)));
        }
        const int errors = map->GetErrorAndTargetTrack(0, nullptr);
        QVERIFY(errors >= 0 && errors <= 180);
    }

    // Memory stayed flat after the warm-up.
    const qint64 endRss = residentKb();
    const qint64 endHeap = heapKb();
    qInfo("soak: after warm-up VmRSS %lld kB, heap %lld kB; at the end VmRSS %lld kB, heap %lld kB", warmRss,
          warmHeap, endRss, endHeap);
    QVERIFY2(warmRss > 0, qPrintable(QStringLiteral("the run ended within the warm-up (%1 actions): nothing to "
                                                    "compare memory with; soak longer")
                                         .arg(actions)));
    QVERIFY2(endHeap - warmHeap < HEAP_GROWTH_LIMIT_KB,
             qPrintable(QStringLiteral("the heap grew by %1 kB").arg(endHeap - warmHeap)));
    if (RSS_GROWTH_LIMIT_KB > 0 && warmRss > 0 && endRss > 0)
        QVERIFY2(endRss - warmRss < RSS_GROWTH_LIMIT_KB,
                 qPrintable(QStringLiteral("resident memory grew by %1 kB").arg(endRss - warmRss)));

    delete window;
    common->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE);
    common->SetInputGuard(false);
    common->UpdateDRVEMU_STATE(0);
    common->DeleteSettingInstance();
    qunsetenv("KESTA_SIM_TRACK_MS");
    qunsetenv("KESTA_SIM_PRINT_MS");
    qunsetenv("KESTA_SIM_SEEK_MS");
}

int main(int argc, char* argv[])
{
    // The soak is one test function: QtTest's watchdog (5 minutes unless
    // told otherwise) must let it run its whole length and wind down.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((qint64(soakSeconds()) + 600) * 1000));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSoak test;
    QTEST_SET_MAIN_SOURCE_PATH
    // Thousands of actions print more than QtTest's 2000 messages; the
    // memory figures at the end must not be cut off.
    QStringList args = app.arguments();
    if (!args.contains(QStringLiteral("-maxwarnings")))
        args << QStringLiteral("-maxwarnings") << QStringLiteral("0");
    return QTest::qExec(&test, args);
}
#include "tst_soak.moc"
