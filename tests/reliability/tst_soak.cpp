#include <QtTest>
#include <QtWidgets>
#include <functional>

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

// Monkey soak (KESTA_SOAK_SECONDS, KESTA_SOAK_SEED): random taps, value picks,
// typing, page/tab switches, dumps and emulator starts/stops against the
// simulator with random faults; dialogs answered at random; memory stays flat.
class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void soak();
};

namespace {

constexpr int SILENCE_LIMIT_MS = 1500;
constexpr qint64 HEAP_GROWTH_LIMIT_KB = 16 * 1024;
// Warm-up: a fifth of the run and at least this many actions.
constexpr int WARM_UP_ACTIONS = 300;
#ifdef KESTA_SOAK_ASAN
// The sanitizer's own books grow the resident size: only the heap is bounded.
constexpr qint64 RSS_GROWTH_LIMIT_KB = 0;
constexpr int DEFAULT_SECONDS = 60;
#else
constexpr qint64 RSS_GROWTH_LIMIT_KB = 30 * 1024;
constexpr int DEFAULT_SECONDS = 90;
#endif

qint64 residentKb() // kB, 0 when unknown
{
#ifdef KESTA_SOAK_ASAN
    __sanitizer_purge_allocator(); // empties the quarantine
#endif
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

qint64 heapKb() // blocks allocated and not freed, kB
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

QString randomText(QRandomGenerator* random, const QString& chars, int minimum, int maximum)
{
    const int low = qMax(1, minimum);
    QString text;
    for (int i = random->bounded(low, qMax(low, qMin(maximum, 16)) + 1); i > 0; --i)
        text += chars.at(random->bounded(chars.size()));
    return text;
}

const char* const FAULT_VARS[] = {"KESTA_SIM_WEAK",       "KESTA_SIM_BAD",         "KESTA_SIM_GARBAGE",
                                  "KESTA_SIM_CRASH_AT",   "KESTA_SIM_SILENCE_MS", "KESTA_SIM_SILENCE_AT",
                                  "KESTA_SIM_EMPTY",      "KESTA_SIM_PROTECT"};

// Answers modal windows at random every 20-50 ms; file choosers and deletes
// are refused, a window still up after three answers is rejected.
class MonkeyAnswer : public QObject
{
public:
    explicit MonkeyAnswer(QRandomGenerator* random) : m_random(random)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &MonkeyAnswer::tick);
        rearm();
    }

    int answered = 0, exitDialogs = 0;
    QStringList kinds;

private:
    void rearm() { m_timer.start(m_random->bounded(20, 51)); }
    bool coin(int percent) { return int(m_random->bounded(100)) < percent; }

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
            for (QWidget* top : QApplication::topLevelWidgets()) // busy dialogs may be modeless
                if (auto* busy = qobject_cast<QProgressDialog*>(top); busy && busy->isVisible())
                    answerBusy(busy);
            rearm();
            return;
        }
        m_tries = modal == m_last ? m_tries + 1 : 0;
        m_last = modal;
        answer(modal);
        rearm();
    }

    void answerBusy(QProgressDialog* busy)
    {
        if (busy != m_busy) {
            m_busy = busy;
            m_busyTime.start();
        }
        if (coin(1) || m_busyTime.elapsed() > 30000) { // now and then, and after long
            note("busy-cancel");
            busy->cancel();
        }
    }

    void answer(QWidget* modal)
    {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (m_tries >= 3 && !qobject_cast<QProgressDialog*>(modal)) {
            note("fallback-reject");
            dialog ? dialog->reject() : void(modal->close());
            return;
        }
        if (auto* busy = qobject_cast<QProgressDialog*>(modal)) {
            m_tries = 0;
            answerBusy(busy);
        } else if (auto* done = qobject_cast<CompleteDialog*>(modal)) {
            note("complete");
            auto* ok = done->findChild<QPushButton*>(QStringLiteral("BTN_COMPLETE_OK"));
            ok ? ok->click() : done->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            answerBox(box);
        } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
            note("keyboard");
            keyboard->setText(randomText(m_random, QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-"),
                                         keyboard->getMinimumLength(), keyboard->getMaximumLength()));
            coin(70) ? keyboard->accept() : keyboard->reject();
        } else if (auto* settings = qobject_cast<SettingDialog*>(modal)) {
            answerSettings(settings);
        } else if (auto* pick = qobject_cast<ParameterSelectDialog*>(modal)) {
            note("parameter-pick");
            auto* table = pick->findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
            if (table && table->rowCount() > 0 && coin(70))
                if (QTableWidgetItem* item = table->item(m_random->bounded(table->rowCount()), 0))
                    pick->on_TBLW_PARAMETER_NAMELIST_itemClicked(item);
            if (pick->isVisible())
                pick->reject();
        } else if (auto* sets = qobject_cast<DumpSettingDialog*>(modal)) {
            note("parameter-sets");
            auto* ok = sets->findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_OK"));
            ok && ok->isEnabled() && coin(50) ? ok->click() : sets->reject();
        } else if (auto* exitDialog = qobject_cast<ExitDialog*>(modal)) {
            ++exitDialogs;
            exitDialog->reject();
        } else {
            note(qobject_cast<FDImageSelectorDialog*>(modal) ? "file-chooser" : "other");
            dialog ? dialog->reject() : void(modal->close());
        }
    }

    void answerBox(QMessageBox* box)
    {
        note("message");
        const QString all = box->windowTitle() + '\n' + box->text() + '\n' + box->informativeText();
        const QList<QAbstractButton*> buttons = box->buttons();
        QAbstractButton* choice = nullptr;
        if (all.contains(QLatin1String("delete"), Qt::CaseInsensitive)) {
            for (QMessageBox::StandardButton refuse : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Abort})
                choice = choice ? choice : box->button(refuse);
        } else if (!buttons.isEmpty()) {
            choice = buttons.at(m_random->bounded(buttons.size()));
        }
        choice ? choice->click() : box->reject();
    }

    void answerSettings(SettingDialog* settings)
    {
        note("settings");
        // Harmless choices only: never the folder, Initialize, Backup or Restore.
        if (coin(50))
            return settings->reject();
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
        ok && ok->isEnabled() ? ok->click() : settings->reject();
    }

    QRandomGenerator* m_random;
    QTimer m_timer;
    QWidget* m_last = nullptr;
    QProgressDialog* m_busy = nullptr;
    int m_tries = 0;
    QElapsedTimer m_busyTime;
};

// One of the window's widgets of type T that pass the filter, or null.
template <class T, class Filter>
T* pickOne(QWidget* window, QRandomGenerator& random, Filter filter)
{
    QList<T*> candidates;
    for (T* widget : window->findChildren<T*>())
        if (widget->isEnabled() && filter(widget))
            candidates << widget;
    return candidates.isEmpty() ? nullptr : candidates.at(random.bounded(candidates.size()));
}

// pids/NAME.PID entries of this env whose process is alive with that name.
QStringList liveSimulatorProcesses(const QString& simDir)
{
    QStringList live;
    const QStringList entries = QDir(simDir + QStringLiteral("/pids")).entryList(QDir::Files);
    for (const QString& entry : entries) {
        const QString name = entry.section('.', 0, -2);
        const qint64 pid = entry.section('.', -1).toLongLong();
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (pid > 0 && comm.open(QIODevice::ReadOnly) && QString::fromUtf8(comm.readAll()).trimmed() == name)
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
    // STOP's pkill signals only this env's simulator.
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
        if (coin(15)) { // below the silence limit
            qputenv("KESTA_SIM_SILENCE_MS", QByteArray::number(random.bounded(100, SILENCE_LIMIT_MS - 400)));
            qputenv("KESTA_SIM_SILENCE_AT", QByteArray::number(random.bounded(80)));
        }
        if (coin(10))
            qputenv("KESTA_SIM_EMPTY", QByteArray::number(random.bounded(2)));
        if (coin(10))
            qputenv("KESTA_SIM_PROTECT", QByteArray::number(random.bounded(2)));
    };


    auto clickRandomButton = [&]() {
        if (auto* button = pickOne<QPushButton>(window, random, [&](QPushButton* b) {
                return b->isVisible() && b->window() == window && !skipped.contains(b->objectName());
            }))
            button->click();
    };

    auto pickRandomValue = [&]() {
        if (auto* button = pickOne<MyParameterButton>(
                window, random, [](MyParameterButton* b) { return !b->getItemList().isEmpty(); })) {
            const QStringList items = button->getItemList();
            button->setCurrentText(items.at(random.bounded(items.size())));
        }
    };

    auto typeRandomField = [&]() {
        if (auto* field = pickOne<MyLineEdit>(
                window, random, [&](MyLineEdit* f) { return f->isVisible() && f->window() == window; }))
            window->displayVirtualKeyBoard(field);
    };

    auto switchPageOrTab = [&]() {
        const int which = random.bounded(4);
        QTabWidget* tab = which == 2 ? ui->TAB_CONTROLLER_MODE : ui->TAB_FILEOPERATION;
        if (which == 0)
            window->on_BTN_PAGE1_CHANGE_clicked();
        else if (which == 1)
            window->on_BTN_PAGE2_CHANGE_clicked();
        else if (tab->count() > 0)
            tab->setCurrentIndex(random.bounded(tab->count()));
    };

    auto startDump = [&]() {
        window->on_BTN_PAGE1_CHANGE_clicked();
        ui->LEDT_DUMP_FILENAME->setText("soak_" + randomText(&random, "abcdefghijklmnopqrstuvwxyz0123456789_", 1, 8));
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
    auto outside = [&](const QString& path) {
        const QString canonical = QDir(path).canonicalPath();
        return canonical.isEmpty() || !(canonical == root || canonical.startsWith(root + '/'));
    };
    auto keepInside = [&]() {
        bool out = !ui->LEDT_DUMP_PATH->text().isEmpty() && outside(ui->LEDT_DUMP_PATH->text());
        for (FDImageSelector* selector : window->findChildren<FDImageSelector*>()) {
            auto* path = selector->findChild<QLineEdit*>(QStringLiteral("LEDT_FDIMAGESELECTOR_PATH"));
            out = out || !path || outside(path->text());
        }
        if (out)
            window->CurrentPathChangedAll(folder, false);
    };

    QElapsedTimer clock, actionTime;
    clock.start();
    const qint64 total = qint64(seconds) * 1000;
    qint64 warmRss = 0, warmHeap = 0, longestAction = 0;
    int actions = 0;
    // At least twice the warm-up, however slow the machine.
    while (clock.elapsed() < total || actions < 2 * WARM_UP_ACTIONS) {
        if (coin(20))
            switchFaults();
        actionTime.start();
        // Taps 35 %, values 20 %, typing 10 %, pages/tabs 15 %, dumps 10 %, emulator 10 %.
        const int limits[] = {35, 55, 65, 80, 90, 100};
        const std::function<void()> steps[] = {clickRandomButton, pickRandomValue, typeRandomField,
                                               switchPageOrTab,   startDump,       emulatorStartStop};
        const int roll = random.bounded(100);
        int kind = 0;
        while (roll >= limits[kind])
            ++kind;
        steps[kind]();
        longestAction = qMax(longestAction, actionTime.elapsed());
        ++actions;
        keepInside();
        QTest::qWait(random.bounded(0, 30));
        if (!warmRss && clock.elapsed() >= total / 5 && actions >= WARM_UP_ACTIONS) {
            warmRss = residentKb();
            warmHeap = heapKb();
            qInfo("soak: warm-up done after %d actions, VmRSS %lld kB, heap %lld kB", actions, warmRss, warmHeap);
        }
        QVERIFY2(answers.exitDialogs == 0, "the exit dialog showed");
        QVERIFY2(longestAction < 120000, "an action hung");
    }
    for (const char* name : FAULT_VARS)
        qunsetenv(name);

    qInfo("soak: %d actions, %d dialogs answered (%s), longest action %lld ms", actions, answers.answered,
          qPrintable(answers.kinds.join(',')), longestAction);

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
            QVERIFY2(state == MyGraphicalDumpDisplay::STATE_NON_TARGET ||
                         (state >= 0 && state <= MyGraphicalDumpDisplay::STATE_ERROR),
                     qPrintable(QStringLiteral("track %1 state %2").arg(track).arg(state)));
        }
        const int errors = map->GetErrorAndTargetTrack(0, nullptr);
        QVERIFY(errors >= 0 && errors <= 180);
    }

    // Memory stayed flat after the warm-up.
    const qint64 endRss = residentKb(), endHeap = heapKb();
    qInfo("soak: after warm-up VmRSS %lld kB, heap %lld kB; at the end VmRSS %lld kB, heap %lld kB", warmRss,
          warmHeap, endRss, endHeap);
    QVERIFY2(warmRss > 0, qPrintable(QStringLiteral("the run ended in the warm-up (%1 actions)").arg(actions)));
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
    // QtTest's watchdog must let the one long function run and wind down.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((qint64(soakSeconds()) + 600) * 1000));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSoak test;
    QTEST_SET_MAIN_SOURCE_PATH
    // Keep the memory figures at the end past QtTest's 2000-message cap.
    QStringList args = app.arguments();
    if (!args.contains(QStringLiteral("-maxwarnings")))
        args << QStringLiteral("-maxwarnings") << QStringLiteral("0");
    return QTest::qExec(&test, args);
}
#include "tst_soak.moc"
