#include <QtTest>
#include <QtWidgets>
#include <functional>

#include "completedialog.h"
#include "dumpsettingdialog.h"
#include "exitdialog.h"
#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "mypushbutton.h"
#include "parameterselectdialog.h"
#include "settingdialog.h"
#include "testenv.h"
#include "ui_mainwindow.h" // and the window's own widgets

// GCC and clang both define this under AddressSanitizer.
#ifdef __SANITIZE_ADDRESS__
// From the sanitizer runtime (its header need not be installed).
extern "C" void __sanitizer_purge_allocator();
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

// Monkey soak (KESTA_SOAK_SECONDS, default 60; KESTA_SOAK_SEED replays a run):
// random taps, value picks, typing, page/tab switches, dumps and re-dumps,
// restores, preset holds, images dragged onto the drives and emulator
// starts/stops against the simulator with random faults and board knobs;
// dialogs answered at random.  Every dump's outcome is checked, each kind of
// work must succeed at least once in a minute, and memory stays flat.
class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void soak();
};

namespace {

// Warm-up: a fifth of the run and at least WARM_UP_ACTIONS.
constexpr int SILENCE_LIMIT_MS = 1500, WARM_UP_ACTIONS = 300, DEFAULT_SECONDS = 60;
constexpr qint64 HEAP_GROWTH_LIMIT_KB = 16 * 1024;
#ifdef __SANITIZE_ADDRESS__
// The sanitizer's own books grow the resident size: only the heap is bounded.
constexpr qint64 RSS_GROWTH_LIMIT_KB = 0;
#else
constexpr qint64 RSS_GROWTH_LIMIT_KB = 30 * 1024;
#endif

// Resident size (0 when unknown) and heap blocks allocated and not freed, in kB.
struct Memory { qint64 rss = 0, heap = 0; };
Memory memoryKb()
{
    Memory kb;
#ifdef __SANITIZE_ADDRESS__
    __sanitizer_purge_allocator(); // empties the quarantine
    kb.heap = qint64(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    malloc_trim(0); // hands freed pages back: the size counts what is held
    const struct mallinfo2 info = mallinfo2();
    kb.heap = qint64((info.uordblks + info.hblkhd) / 1024);
#endif
    QFile status(QStringLiteral("/proc/self/status"));
    for (const QByteArray& line : status.open(QIODevice::ReadOnly) ? status.readAll().split('\n') : QList<QByteArray>())
        if (line.startsWith("VmRSS:"))
            kb.rss = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return kb;
}

int soakSeconds() { return qEnvironmentVariableIsSet("KESTA_SOAK_SECONDS") ? qMax(1, qEnvironmentVariableIntValue("KESTA_SOAK_SECONDS")) : DEFAULT_SECONDS; }

QString randomText(QRandomGenerator* random, const QString& chars, int minimum, int maximum)
{
    const int low = qMax(1, minimum);
    QString text;
    for (int i = random->bounded(low, qMax(low, qMin(maximum, 16)) + 1); i > 0; --i)
        text += chars.at(random->bounded(chars.size()));
    return text;
}

// The simulator's faults and knobs: each is set, to one of its values, in
// this percentage of the fault switches that set any.
struct Knob { const char* name; int percent; QList<QByteArray> values; };
const Knob KNOBS[] = {
    {"KESTA_SIM_WEAK", 30, {"5:2,17:3", "3:4", "10:4,60:2"}}, {"KESTA_SIM_BAD", 25, {"40", "3,17"}},
    {"KESTA_SIM_GARBAGE", 15, {"1"}},                         {"KESTA_SIM_CRASH_AT", 10, {"10", "50"}},
    {"KESTA_SIM_SILENCE_MS", 10, {"200", "900"}}, // below the soak's silence limit
    {"KESTA_SIM_EMPTY", 8, {"0", "1"}},                       {"KESTA_SIM_PROTECT", 8, {"0", "1"}},
    {"KESTA_SIM_CHUNK", 30, {"random", "block", "byte"}},     {"KESTA_SIM_NOISE", 25, {"1"}},
    {"KESTA_SIM_DISK", 30, {"worn", "damaged"}},              {"KESTA_SIM_EMU_START_MS", 15, {"500", "1500"}},
    {"KESTA_SIM_EMU_DIE_MS", 8, {"3000", "8000"}},            {"KESTA_SIM_CTL_LATE_MS", 15, {"200", "700"}},
    {"KESTA_SIM_CTL_FAIL", 10, {"3", "7"}},
};

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
    QString outcome; // first line of the last completion dialog

private:
    void rearm() { m_timer.start(m_random->bounded(20, 51)); }
    bool coin(int percent) { return int(m_random->bounded(100)) < percent; }

    void note(const char* kind) { ++answered, kinds.contains(QLatin1String(kind)) ? void() : void(kinds << QLatin1String(kind)); }
    void rejectOrClose(QWidget* modal) { qobject_cast<QDialog*>(modal) ? qobject_cast<QDialog*>(modal)->reject() : void(modal->close()); }

    // Clicks the dialog's button name when it is there, enabled and yes holds; else rejects.
    static void clickOrReject(QDialog* dialog, const char* name, bool yes = true)
    {
        auto* button = dialog->findChild<QAbstractButton*>(QLatin1String(name));
        button && button->isEnabled() && yes ? button->click() : dialog->reject();
    }

    void tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        m_tries = modal && modal == m_last ? m_tries + 1 : 0;
        m_last = modal;
        if (modal)
            answer(modal);
        for (QWidget* top : QApplication::topLevelWidgets()) // busy dialogs may be modeless
            if (auto* busy = qobject_cast<QProgressDialog*>(top); busy && busy->isVisible() && !modal)
                answerBusy(busy);
        rearm();
    }

    void answerBusy(QProgressDialog* busy)
    {
        if (busy != m_busy)
            m_busy = busy, m_busyTime.start();
        if (coin(1) || m_busyTime.elapsed() > 30000) { // now and then, and after long
            note("busy-cancel");
            busy->cancel();
        }
    }

    void answer(QWidget* modal)
    {
        if (auto* busy = qobject_cast<QProgressDialog*>(modal)) {
            answerBusy(busy);
        } else if (m_tries >= 3) {
            note("fallback-reject");
            rejectOrClose(modal);
        } else if (auto* done = qobject_cast<CompleteDialog*>(modal)) {
            note("complete");
            auto* label = done->findChild<QLabel*>(QStringLiteral("LBL_COMPLETE"));
            outcome = label ? label->text().section(QLatin1Char('\n'), 0, 0) : QString();
            clickOrReject(done, "BTN_COMPLETE_OK");
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            note("message");
            // Deletes are refused; anything else gets a random button.
            const bool del = (box->windowTitle() + box->text()).contains(QLatin1String("delete"), Qt::CaseInsensitive);
            const QList<QAbstractButton*> buttons = box->buttons();
            QAbstractButton* choice = del ? box->button(QMessageBox::Cancel)
                                          : buttons.value(m_random->bounded(qMax(1, int(buttons.size()))));
            choice ? choice->click() : box->reject();
        } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
            note("keyboard");
            keyboard->setText(randomText(m_random, QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-"),
                                         keyboard->getMinimumLength(), keyboard->getMaximumLength()));
            coin(70) ? keyboard->accept() : keyboard->reject();
        } else if (auto* settings = qobject_cast<SettingDialog*>(modal)) {
            note("settings");
            // Harmless choices only: never the folder, Initialize, Backup or Restore.
            for (const char* name : {"RDO_SET_MODE_EASY", "RDO_SET_MODE_EXPERT", "RDO_SET_OVERWRITE",
                                     "RDO_SET_FOLLOW_KESTA", "CHK_SET_USE_MOTOR", "CHK_SET_USE_X68OPT"})
                if (auto* choice = settings->findChild<QAbstractButton*>(QLatin1String(name)); choice && coin(25))
                    choice->click();
            clickOrReject(settings, "BTN_SET_OK", coin(50));
        } else if (auto* pick = qobject_cast<ParameterSelectDialog*>(modal)) {
            note("parameter-pick");
            auto* table = pick->findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
            if (QTableWidgetItem* item = table && coin(70) ? table->item(m_random->bounded(qMax(1, table->rowCount())), 0) : nullptr)
                pick->on_TBLW_PARAMETER_NAMELIST_itemClicked(item);
            if (pick->isVisible())
                pick->reject();
        } else if (auto* sets = qobject_cast<DumpSettingDialog*>(modal)) {
            note("parameter-sets");
            clickOrReject(sets, "BTN_PARAMETER_SETTING_OK", coin(50));
        } else {
            qobject_cast<ExitDialog*>(modal) ? void(++exitDialogs)
                                             : note(qobject_cast<FDImageSelectorDialog*>(modal) ? "file-chooser" : "other");
            rejectOrClose(modal);
        }
    }

    QRandomGenerator* m_random;
    QTimer m_timer;
    QWidget* m_last = nullptr;
    QProgressDialog* m_busy = nullptr;
    int m_tries = 0;
    QElapsedTimer m_busyTime;
};

// One of the window's enabled widgets of type T that pass the filter, or null.
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
        QFile comm(QStringLiteral("/proc/%1/comm").arg(entry.section('.', -1).toLongLong()));
        if (comm.open(QIODevice::ReadOnly) && QString::fromUtf8(comm.readAll()).trimmed() == entry.section('.', 0, -2))
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
    const QByteArray pace[][2] = {{"KESTA_SIM_TRACK_MS", "0"}, {"KESTA_SIM_PRINT_MS", "50"}, {"KESTA_SIM_SEEK_MS", "200"},
                                  {"KESTA_SIM_SEED", QByteArray::number(seed)}};
    for (const auto& variable : pace)
        qputenv(variable[0].constData(), variable[1]);
    MyCommon::SetApplicationInifilePathForTest(env.settingsPath());
    MyCommon* common = MyCommon::getInstance();
    common->UpdateDRVEMU_STATE(0), common->SetCommandSilenceLimit(SILENCE_LIMIT_MS);

    auto* window = new MainWindow;
    Ui::MainWindow* ui = window->form();
    window->show();
    const QString folder = env.path(QStringLiteral("images"));
    QVERIFY(QDir().mkpath(folder));
    window->CurrentPathChangedAll(folder, false);
    const QString root = QDir(env.path()).canonicalPath();

    MonkeyAnswer answers(&random);
    enum { DUMP, REDUMP, RESTORE, INSERT, HOLD, DRAG, KINDS };
    const char* const kindNames[KINDS] = {"dumps", "re-dumps", "restores", "inserts", "holds", "drags"};
    int succeeded[KINDS] = {}, dumpsStarted = 0;
    QStringList dumpFailures;
    for (MyPushButton* preset : window->findChildren<MyPushButton*>())
        QObject::connect(preset, &MyPushButton::parameterRegistered, window, [&succeeded]() { ++succeeded[HOLD]; });
    const QStringList skipped{"BTN_EXIT", "BTN_EXIT_EMU", "BTN_WDG_DELETE", "BTN_WDG_PARENT",
                              "BTN_SET_INITIALIZE", "BTN_SET_BACKUP", "BTN_SET_RESTORE"};

    auto switchFaults = [&]() {
        for (const Knob& knob : KNOBS)
            qunsetenv(knob.name);
        for (const Knob& knob : KNOBS)
            if (coin(60) && coin(knob.percent))
                qputenv(knob.name, knob.values.at(random.bounded(knob.values.size())));
    };
    // One of the images the dumps made, or "".
    auto someImage = [&]() {
        const QStringList images = QDir(folder).entryList({QStringLiteral("*.HVR")}, QDir::Files);
        return images.isEmpty() ? QString() : folder + '/' + images.at(random.bounded(images.size()));
    };
    // What a user fixes before trying again: the disk in, unprotected, the drive sound.
    auto seeToTheDrive = []() {
        for (const char* fault : {"KESTA_SIM_BAD", "KESTA_SIM_CRASH_AT", "KESTA_SIM_EMPTY", "KESTA_SIM_PROTECT", "KESTA_SIM_DISK"})
            qunsetenv(fault);
    };
    auto toController = [&]() { window->on_BTN_PAGE1_CHANGE_clicked(), window->CurrentPathChangedAll(folder, false); };

    auto clickRandomButton = [&]() {
        // Rename works on files only: right after navigating, the browser's
        // current entry is the shown folder, the soak's own at times.
        const bool onFile = QFileInfo(ui->WDT_EMU_FDIMAGESELECTOR->GetCurrentFilePath()).isFile();
        if (auto* button = pickOne<QPushButton>(window, random, [&](QPushButton* b) {
                return b->isVisible() && b->window() == window && !skipped.contains(b->objectName()) &&
                       (onFile || b->objectName() != QLatin1String("BTN_RENAME"));
            }))
            button->click();
    };
    auto pickRandomValue = [&]() {
        if (auto* button = pickOne<MyParameterButton>(window, random, [](MyParameterButton* b) { return !b->getItemList().isEmpty(); }))
            button->setCurrentText(button->getItemList().at(random.bounded(button->getItemList().size())));
    };
    auto typeRandomField = [&]() {
        if (auto* field = pickOne<MyLineEdit>(
                window, random, [&](MyLineEdit* f) { return f->isVisible() && f->window() == window; }))
            window->displayVirtualKeyBoard(field);
    };
    auto switchPageOrTab = [&]() {
        QTabWidget* tab = coin(50) ? ui->TAB_CONTROLLER_MODE : ui->TAB_FILEOPERATION;
        coin(30) ? window->on_BTN_PAGE2_CHANGE_clicked() : tab->setCurrentIndex(random.bounded(tab->count()));
    };

    // Runs one operation; true when it completed and the image is there.
    auto operate = [&](QPushButton* button, const QString& image) {
        answers.outcome.clear();
        // The guard of the operation before lifts once its event is delivered.
        if (button->isEnabled() && QTest::qWaitFor([&]() { return !common->isInputGuard(); }, 5000))
            button->click();
        return answers.outcome == QLatin1String("Completed.") && QFileInfo(image).isFile();
    };
    auto dumpAndRedump = [&]() {
        toController();
        // Now and then a careful user: a sound panel and a clean drive, a disk
        // with one bad track that reads once the drive has been seen to.
        const bool careful = coin(15);
        if (careful) {
            seeToTheDrive();
            for (const char* fault : {"KESTA_SIM_WEAK", "KESTA_SIM_SILENCE_MS", "KESTA_SIM_GARBAGE"})
                qunsetenv(fault);
            for (const auto& value : QList<QPair<MyParameterButton*, const char*>>{
                     {ui->BTN_DUMP_CYLINDERS, "40"}, {ui->BTN_DUMP_BEGIN, "0"}, {ui->BTN_DUMP_END, "39"},
                     {ui->BTN_DUMP_HEADS, "2"}, {ui->BTN_DUMP_STEPS, "1"}, {ui->BTN_DUMP_RETRY, "3"}})
                value.first->setCurrentText(QLatin1String(value.second));
            qputenv("KESTA_SIM_BAD", "40");
        }
        ui->LEDT_DUMP_FILENAME->setText("soak_" + randomText(&random, "abcdefghijklmnopqrstuvwxyz0123456789_", 1, 8));
        const QString image = folder + '/' + ui->LEDT_DUMP_FILENAME->text() + ".HVR";
        ++dumpsStarted;
        operate(ui->BTN_DUMP, image) ? void(++succeeded[DUMP])
                                     : void(dumpFailures << (answers.outcome.isEmpty() ? QStringLiteral("no dialog") : answers.outcome + " no image"));
        if (careful || coin(50)) { // as a user would before reading weak tracks again, with the drive seen to
            ui->BTN_DUMP_RETRY->setCurrentText(QStringLiteral("9"));
            seeToTheDrive();
        }
        if (ui->BTN_REDUMP->isEnabled() && (careful || coin(60)) && operate(ui->BTN_REDUMP, image))
            ++succeeded[REDUMP];
    };
    auto restore = [&]() {
        const QString image = someImage();
        toController();
        if (coin(50))
            seeToTheDrive();
        ui->LEDT_RESTORE_FILENAME->setText(QFileInfo(image).fileName());
        if (!image.isEmpty() && operate(ui->BTN_RESTORE, image))
            ++succeeded[RESTORE];
    };
    // A preset pressed and held until it records the panel.
    auto holdPreset = [&]() {
        toController();
        const QList<ParameterSelector*> selectors = window->findChildren<ParameterSelector*>();
        MyPushButton* preset = selectors.at(random.bounded(selectors.size()))->GetButton(random.bounded(1, 5));
        QTest::mousePress(preset, Qt::LeftButton);
        if (preset->holdTimerId() > 0)
            fireTimer(preset, preset->holdTimerId());
        QTest::mouseRelease(preset, Qt::LeftButton);
    };
    // An image dragged onto a drive as the browser does, with the emulator started.
    auto dragImage = [&]() {
        window->on_BTN_PAGE2_CHANGE_clicked();
        const QString image = someImage();
        if (ui->BTN_DRVEMU_START->isEnabled())
            ui->BTN_DRVEMU_START->click();
        if (image.isEmpty() || !QTest::qWaitFor([&]() { return common->isDRVEMU_STATE() == 1; }, 3000))
            return;
        DriveInfo* drive = coin(50) ? ui->WDT_DRIVEINFO1 : ui->WDT_DRIVEINFO2;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(image)});
        QDragEnterEvent enter(QPoint(20, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPoint(20, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(drive, &enter);
        if (!enter.isAccepted() || (QCoreApplication::sendEvent(drive, &drop), !drop.isAccepted()))
            return;
        ++succeeded[DRAG];
        auto* name = drive->findChild<QLabel*>(QStringLiteral("LBL_FD_FILENAME"));
        if (QTest::qWaitFor([&]() { return name->text() == QFileInfo(image).fileName(); }, 5000))
            ++succeeded[INSERT];
    };

    // Keeps the browser (which the dump and restore paths follow) inside the
    // test's folder, and the image folder there.
    auto keepInside = [&]() {
        const QString shown = QDir(ui->WDT_EMU_FDIMAGESELECTOR->GetShownFolder()).canonicalPath() + '/';
        if (!QDir(folder).exists() || !shown.startsWith(root + '/'))
            QDir().mkpath(folder), window->CurrentPathChangedAll(folder, false);
    };

    // Each action with its share in percent.
    const QList<QPair<int, std::function<void()>>> steps = {
        {33, clickRandomButton}, {15, pickRandomValue}, {8, typeRandomField}, {10, switchPageOrTab},
        {12, dumpAndRedump},     {7, restore},          {7, holdPreset},      {8, dragImage}};
    QElapsedTimer clock, actionTime;
    clock.start();
    const qint64 total = qint64(seconds) * 1000;
    Memory warm;
    qint64 longestAction = 0;
    int actions = 0;
    // At least twice the warm-up, however slow the machine.
    while (clock.elapsed() < total || actions < 2 * WARM_UP_ACTIONS) {
        if (coin(20))
            switchFaults();
        actionTime.start();
        int roll = random.bounded(100), kind = 0;
        while (roll >= steps.at(kind).first)
            roll -= steps.at(kind++).first;
        steps.at(kind).second();
        longestAction = qMax(longestAction, actionTime.elapsed());
        ++actions;
        keepInside();
        QTest::qWait(random.bounded(0, 30));
        if (!warm.rss && clock.elapsed() >= total / 5 && actions >= WARM_UP_ACTIONS) {
            ui->EDT_LOG_DISPLAY->clear(); // the log grows by design until LOG CLEAR; leaks are what is measured
            warm = memoryKb();
            qInfo("soak: warm-up done after %d actions, VmRSS %lld kB, heap %lld kB", actions, warm.rss, warm.heap);
        }
        QVERIFY2(answers.exitDialogs == 0, "the exit dialog showed");
        QVERIFY2(longestAction < 120000, "an action hung");
    }
    for (const Knob& knob : KNOBS)
        qunsetenv(knob.name);

    qInfo("soak: %d actions, %d dialogs answered (%s), longest action %lld ms", actions, answers.answered,
          qPrintable(answers.kinds.join(',')), longestAction);
    QStringList tally, none;
    for (int kind = 0; kind < KINDS; ++kind)
        tally << QStringLiteral("%1 %2").arg(succeeded[kind]).arg(kindNames[kind]), succeeded[kind] ? void() : void(none << kindNames[kind]);
    qInfo("soak: succeeded: %s; %d dumps started, failed: %s", qPrintable(tally.join(", ")), dumpsStarted,
          qPrintable(dumpFailures.join(", ")));
    QVERIFY2(seconds < 60 || none.isEmpty(), qPrintable("none succeeded of: " + none.join(", ")));

    // The emulator stops; nothing of the simulator stays behind.
    QTRY_VERIFY_WITH_TIMEOUT(!common->isInputGuard(), 30000);
    if (ui->BTN_DRVEMU_STOP->isEnabled())
        ui->BTN_DRVEMU_STOP->click();
    QTRY_COMPARE_WITH_TIMEOUT(window->emulatorProcess()->state(), QProcess::NotRunning, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(liveSimulatorProcesses(env.simDir()).isEmpty(), 15000);
    QTRY_VERIFY(!QApplication::activeModalWidget());

    // The window still answers.
    window->on_BTN_PAGE1_CHANGE_clicked();
    QTRY_COMPARE(ui->STACKED_WIDGET->currentIndex(), 1);
    QVERIFY(!common->isInputGuard());
    QVERIFY(!window->findChild<QProgressDialog*>() || !window->findChild<QProgressDialog*>()->isVisible());

    // The maps hold only known states.
    for (MyGraphicalDumpDisplay* map : {ui->WDT_DUMPSTATUS, ui->WDT_RESTORESTATUS, ui->WDT_UNFORMATSTATUS})
        for (int track = 0, state; track < 180 && (state = map->TrackState(track), true); ++track)
            QVERIFY2(state == MyGraphicalDumpDisplay::STATE_NON_TARGET || (state >= 0 && state <= MyGraphicalDumpDisplay::STATE_ERROR),
                     qPrintable(QStringLiteral("track %1 state %2").arg(track).arg(state)));

    // Memory stayed flat after the warm-up.
    ui->EDT_LOG_DISPLAY->clear();
    const Memory end = memoryKb();
    qInfo("soak: after warm-up VmRSS %lld kB, heap %lld kB; at the end VmRSS %lld kB, heap %lld kB", warm.rss,
          warm.heap, end.rss, end.heap);
    QVERIFY2(warm.rss > 0, qPrintable(QStringLiteral("the run ended in the warm-up (%1 actions)").arg(actions)));
    QVERIFY2(end.heap - warm.heap < HEAP_GROWTH_LIMIT_KB, qPrintable(QStringLiteral("the heap grew by %1 kB").arg(end.heap - warm.heap)));
    QVERIFY2(RSS_GROWTH_LIMIT_KB == 0 || end.rss == 0 || end.rss - warm.rss < RSS_GROWTH_LIMIT_KB,
             qPrintable(QStringLiteral("resident memory grew by %1 kB").arg(end.rss - warm.rss)));

    delete window;
    common->SetCommandSilenceLimit(MyCommon::TIME_COMMAND_SILENCE), common->SetInputGuard(false);
    common->UpdateDRVEMU_STATE(0), common->DeleteSettingInstance();
    for (const auto& variable : pace)
        qunsetenv(variable[0].constData());
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
