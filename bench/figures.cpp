#include "figures.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "benchenv.h"
#include "completedialog.h"
#include "drvctlpoller.h"
#include "logscanner.h"
#include "mainwindow.h"
#include "mycommon.h"
#include "mygraphicaldumpdisplay.h"
#include "myparameterbutton.h"

using bench::monotonicNs;

namespace {

MyCommon* common()
{
    return MyCommon::getInstance();
}

QString num(double value, int decimals = 0)
{
    return QString::number(value, 'f', decimals);
}

void progress(const QString& text)
{
    std::fprintf(stderr, "kesta-bench: %s\n", qPrintable(text));
    std::fflush(stderr);
}

double msSince(qint64 startNs)
{
    return (monotonicNs() - startNs) / 1e6;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Ends a process this program started: SIGTERM, then SIGKILL.
void endChild(QProcess& proc)
{
    if (proc.state() == QProcess::NotRunning)
        return;
    bench::signalProcess(proc.processId(), SIGTERM);
    if (!proc.waitForFinished(3000)) {
        bench::signalProcess(proc.processId(), SIGKILL);
        proc.waitForFinished(3000);
    }
}

// The controller as built, copied into the scene with its settings file beside
// it (the program reads the settings file next to itself).
QString copyController(const Scene& scene, const QByteArray& settings)
{
    QDir(scene.path()).mkpath(QStringLiteral("app"));
    const QString program = scene.path(QStringLiteral("app/KESTAcon"));
    QFile::remove(program);
    if (!QFile::copy(QStringLiteral(KESTA_CONTROLLER_PATH), program))
        return QString();
    QFile ini(scene.path(QStringLiteral("app/KESTAcon.ini")));
    ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
    ini.write(settings);
    return program;
}

QFont mapFont()
{
    QFont font(QStringLiteral("Yu Gothic"));
    font.setPointSize(9);
    return font;
}

// ---- figure 1 -------------------------------------------------------------------

// A dump whose tool reports every 2 s and falls silent for 5 s once, with the
// track map following it and the log pane taking the output at the end.
Row stallDump()
{
    progress(QStringLiteral("1a dump, report every 2 s, one 5 s silence (about 13 s)"));
    Scene scene(Knobs{{"KESTA_SIM_TRACK_MS", "2000"}, {"KESTA_SIM_SILENCE_MS", "5000"}, {"KESTA_SIM_SILENCE_AT", "2"}});
    MyGraphicalDumpDisplay map;
    map.setFont(mapFont());
    map.resize(761, 141);
    map.show();
    map.InitialTrackState(0, 0, 1, 3, 80);
    QTextEdit log;
    log.resize(780, 330);
    log.show();
    bench::spin(50);

    QList<qint64> arrivals;
    const auto follow =
        QObject::connect(common(), &MyCommon::commandOutputs, &map, &MyGraphicalDumpDisplay::on_dumpCommandOutputs);
    const auto stamp = QObject::connect(common(), &MyCommon::commandOutputs, &map,
                                        [&arrivals](const QByteArray&) { arrivals << monotonicNs(); });
    StallMeter meter;
    meter.start();
    const qint64 t0 = monotonicNs();
    QByteArray output = common()->Command(MyCommon::TOOL_DRVDUMP,
                                          {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("-b"),
                                           QStringLiteral("0"), QStringLiteral("-e"), QStringLiteral("1"),
                                           scene.path(QStringLiteral("dump.hvr"))});
    const qint64 t1 = monotonicNs();
    common()->LogAppend(&log, &output);
    bench::spin(20);
    meter.stop();
    QObject::disconnect(follow);
    QObject::disconnect(stamp);

    // The blocking runner sleeps in its read wait as long as the tool says
    // nothing: its stall is the longest stretch without output.
    qint64 longest = 0, last = t0;
    for (qint64 at : arrivals) {
        longest = std::max(longest, at - last);
        last = at;
    }
    longest = std::max(longest, t1 - last);
    int done = 0;
    for (int t = 0; t < 4; ++t)
        done += map.TrackState(t) == MyGraphicalDumpDisplay::STATE_COMPLETE;

    Row row;
    row.figure = QStringLiteral("1a stall: dump, report every 2 s, 5 s silence");
    row.measured = num(meter.maxGapMs(), 1) + QStringLiteral(" ms");
    row.goal = QStringLiteral("≤ 50 ms");
    row.reference = num(longest / 1e6) + QStringLiteral(" ms");
    row.note = QStringLiteral("4 tracks instead of a disk; run %1 s, %2 chunks, %3/4 tracks done on the map")
                   .arg(num((t1 - t0) / 1e9, 1))
                   .arg(arrivals.size())
                   .arg(done);
    row.met = meter.maxGapMs() <= 50;
    return row;
}

// The emulator poll of the window, with a drvctl that takes 100 ms to answer.
Row stallPoll()
{
    const int windowMs = 12000;
    progress(QStringLiteral("1b emulator poll, drvctl answers in 100 ms (%1 s)").arg(windowMs / 1000));
    Scene scene(Knobs{{"KESTA_SIM_CTL_DELAY_MS", "100"}});
    scene.openSettings("[STARTUP]\nSTARTUP=true\n");
    auto* window = new MainWindow;
    window->show();
    int listings = 0, active = 0;
    QObject::connect(window->poller(), &DrvctlPoller::listingRead, window, [&](const QByteArray& listing) {
        ++listings;
        active += MyCommon::IsDRVEMUListingActive(listing);
    });
    bench::spin(2000); // start-up chain: the emulator starts, the poll begins
    listings = active = 0;
    StallMeter meter;
    meter.start();
    bench::spin(windowMs);
    meter.stop();

    // One blocking listing read, as long as drvctl takes to answer.
    QList<double> answers;
    for (int i = 0; i < 3; ++i) {
        const qint64 t = monotonicNs();
        common()->CommandQuiet(MyCommon::TOOL_DRVCTL, MyCommon::DRVCTL_ARGS_LIST);
        answers << msSince(t);
    }
    window->on_BTN_DRVEMU_STOP_clicked();
    delete window;

    Row row;
    row.figure = QStringLiteral("1b stall: emulator poll, drvctl answers in 100 ms");
    row.measured = num(meter.maxGapMs(), 1) + QStringLiteral(" ms");
    row.goal = QStringLiteral("≤ 50 ms");
    row.reference = num(2 * median(answers)) + QStringLiteral(" ms every 800 ms");
    row.note = QStringLiteral("%1 s instead of 60 s; %2 listings read, %3 with the emulator running; reference: two "
                              "blocking drvctl -l runs per poll")
                   .arg(windowMs / 1000)
                   .arg(listings)
                   .arg(active);
    row.met = meter.maxGapMs() <= 50 && active > 0;
    return row;
}

// An image conversion that takes 3 s.
Row stallConvert()
{
    progress(QStringLiteral("1c hvrconv for 3 s"));
    Scene scene(Knobs{{"KESTA_SIM_CONV_MS", "3000"}});
    const QString in = scene.path(QStringLiteral("blank.hvr"));
    const QString out = scene.path(QStringLiteral("copy.HVR"));
    QProcess make;
    make.setStandardOutputFile(QProcess::nullDevice());
    make.start(MyCommon::TOOL_HVRTOOL, {QStringLiteral("-c"), QStringLiteral("-t"), QStringLiteral("2HD"), in});
    make.waitForFinished(10000);
    // Execute hands the tool our standard output; keep its line off the table.
    std::fflush(stdout);
    const int savedOut = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedOut >= 0 && null >= 0)
        ::dup2(null, STDOUT_FILENO);
    StallMeter meter;
    meter.start();
    const qint64 t0 = monotonicNs();
    common()->Execute(MyCommon::TOOL_HVRCONV, {QStringLiteral("-i"), in, QStringLiteral("-o"), out,
                                               QStringLiteral("-f"), QStringLiteral("encode")});
    const double ran = msSince(t0);
    meter.stop();
    if (savedOut >= 0 && null >= 0)
        ::dup2(savedOut, STDOUT_FILENO);
    if (savedOut >= 0)
        ::close(savedOut);
    if (null >= 0)
        ::close(null);

    Row row;
    row.figure = QStringLiteral("1c stall: hvrconv running 3 s");
    row.measured = num(meter.maxGapMs(), 1) + QStringLiteral(" ms");
    row.goal = QStringLiteral("≤ 50 ms");
    row.reference = num(ran) + QStringLiteral(" ms");
    row.note = QStringLiteral("output %1; reference: the whole run").arg(QFile::exists(out) ? "written" : "MISSING");
    row.met = meter.maxGapMs() <= 50 && QFile::exists(out);
    return row;
}

// The user cancels a dump whose tool has fallen silent.
Row stallCancel()
{
    progress(QStringLiteral("1d cancel of a silent dump"));
    Scene scene(Knobs{{"KESTA_SIM_TRACK_MS", "50"}, {"KESTA_SIM_SILENCE_MS", "20000"}, {"KESTA_SIM_SILENCE_AT", "1"}});
    MyGraphicalDumpDisplay map;
    map.setFont(mapFont());
    map.resize(761, 141);
    map.show();
    map.InitialTrackState(0, 0, 0, 3, 80);
    bench::spin(50);
    const auto follow =
        QObject::connect(common(), &MyCommon::commandOutputs, &map, &MyGraphicalDumpDisplay::on_dumpCommandOutputs);

    qint64 cancelAt = 0;
    // What the busy dialog's Cancel does: stop the disk tools with pkill.
    QTimer::singleShot(1500, &map, [&cancelAt]() {
        cancelAt = monotonicNs();
        for (const QString& tool : {MyCommon::TOOL_DRVDUMP, MyCommon::TOOL_DRVRESTORE, MyCommon::TOOL_DRVUNFORMAT})
            common()->LinuxCommand(QStringLiteral("pkill ") + tool);
    });
    StallMeter meter;
    meter.start();
    const qint64 t0 = monotonicNs();
    common()->Command(MyCommon::TOOL_DRVDUMP, {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("-b"),
                                               QStringLiteral("0"), QStringLiteral("-e"), QStringLiteral("0"),
                                               scene.path(QStringLiteral("dump.hvr"))});
    const qint64 t1 = monotonicNs();
    meter.stop();
    QObject::disconnect(follow);

    Row row;
    row.figure = QStringLiteral("1d stall: cancel of a silent dump");
    row.measured = num(meter.maxGapMs(), 1) + QStringLiteral(" ms");
    row.goal = QStringLiteral("≤ 50 ms");
    row.reference = num(MyCommon::TIME_COMMAND_SILENCE) + QStringLiteral(" ms");
    row.note = cancelAt ? QStringLiteral("tool ended %1 ms after the cancel (run %2 ms); reference: the tap waits for "
                                         "the 30 s silence limit")
                              .arg(num((t1 - cancelAt) / 1e6))
                              .arg(num((t1 - t0) / 1e6))
                        : QStringLiteral("the dump ended before the cancel");
    row.met = meter.maxGapMs() <= 50 && cancelAt && (t1 - cancelAt) < 1000000000LL;
    return row;
}

// ---- figure 3 -------------------------------------------------------------------

// The same map, painted with the literal drawing.
class LiteralMap : public MyGraphicalDumpDisplay
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        int states[TRACK_COUNT];
        for (int t = 0; t < TRACK_COUNT; ++t)
            states[t] = TrackState(t);
        QPainter painter(this);
        DrawReference(&painter, size(), font(), Mode(), Rows(), states);
    }
};

QByteArray report(int track, int attempt)
{
    char text[160];
    const bool retry = attempt > 1;
    std::snprintf(text, sizeof text, "%sP(T%03d C%02d H%d) read ok    try %d/3\n   ########............  40%% %d/180",
                  retry ? "\r\x1b[2K\x1b[1A\x1b[2K" : "\r\x1b[2K", track, track / 2, track % 2, attempt, track);
    return QByteArray(text);
}

// One dump's reports: every track once, some twice, a few three times.
QList<QByteArray> roundOfReports()
{
    QList<QByteArray> reports;
    for (int t = 0; t < MyGraphicalDumpDisplay::TRACK_COUNT; ++t) {
        const int attempts = t % 41 == 7 ? 3 : (t % 17 == 5 ? 2 : 1);
        for (int a = 1; a <= attempts; ++a)
            reports << report(t, a);
    }
    return reports;
}

// Reports per second through on_dumpCommandOutputs, chunk reports at a time,
// over rounds dumps; the event loop turns between chunks as in the runner.
double reportsPerSecond(MyGraphicalDumpDisplay* map, int chunk, int rounds)
{
    const QList<QByteArray> reports = roundOfReports();
    qint64 busy = 0;
    qint64 count = 0;
    for (int r = 0; r < rounds; ++r) {
        map->InitialTrackState(0, 0, 89, 3, 90);
        QCoreApplication::processEvents();
        for (int i = 0; i < reports.size(); i += chunk) {
            QByteArray bytes;
            const int end = std::min<int>(reports.size(), i + chunk);
            for (int k = i; k < end; ++k)
                bytes += reports[k];
            const qint64 t = monotonicNs();
            map->on_dumpCommandOutputs(bytes);
            // The literal design repaints the whole map for every chunk,
            // whatever part of it changed.
            if (dynamic_cast<LiteralMap*>(map))
                map->repaint();
            QCoreApplication::processEvents();
            busy += monotonicNs() - t;
            count += end - i;
        }
    }
    return busy > 0 ? count * 1e9 / busy : 0;
}

// ---- figure 2 -------------------------------------------------------------------

// Lets the pane finish: events, the whole layout, one painted frame.
void settle(QTextEdit* edit)
{
    QCoreApplication::processEvents();
    edit->document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
    edit->viewport()->repaint();
}

QTextEdit* newPane()
{
    auto* edit = new QTextEdit;
    edit->resize(780, 330);
    edit->show();
    QCoreApplication::processEvents();
    return edit;
}

// ---- figure 4 -------------------------------------------------------------------

// Counts the writes of one file in a folder (written in place or replaced by
// a rename).
class FileWriteCounter
{
public:
    FileWriteCounter(const QString& folder, const QString& name) : m_name(name.toLocal8Bit())
    {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
    }
    ~FileWriteCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isValid() const { return m_fd >= 0; }
    int count()
    {
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && m_name == event->name && (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)))
                    ++m_count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_count;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
    int m_count = 0;
};

// ---- figure 5 -------------------------------------------------------------------

// Notes when the first frame of the window has been painted and flushed: the
// first paint event arms a zero timer, which runs once that frame is done.
class FirstFrame : public QObject
{
public:
    qint64 at = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_armed) {
            m_armed = true;
            QTimer::singleShot(0, this, [this]() { at = monotonicNs(); });
        }
        return false;
    }

private:
    bool m_armed = false;
};

} // namespace

namespace figures {

QList<Row> stalls()
{
    return {stallDump(), stallPoll(), stallConvert(), stallCancel()};
}

QList<Row> logConsole()
{
    progress(QStringLiteral("2 log console, 1 MB of drvdump output"));
    QByteArray run;
    {
        Scene scene(Knobs{{"KESTA_SIM_TRACK_MS", "0"}, {"KESTA_SIM_WEAK", "5:2,17:3,33:2,90:3,131:2"}, {"KESTA_SIM_BAD", "60,61"}});
        run = common()->CommandQuiet(MyCommon::TOOL_DRVDUMP, {QStringLiteral("-i"), QStringLiteral("0"),
                                                              scene.path(QStringLiteral("dump.hvr"))});
    }
    if (run.isEmpty())
        return {{QStringLiteral("2 log console"), QStringLiteral("no output"), QString(), QString(),
                 QStringLiteral("drvdump gave no output"), false}};
    // One LogAppend per tool run, as the operations call it.
    QList<QByteArray> runs;
    qint64 bytes = 0;
    int paragraphCount = 0;
    QStringList paragraphs;
    while (bytes < 1024 * 1024) {
        runs << run;
        bytes += run.size();
        paragraphs += LogScanner::Scan(run).paragraphs;
    }
    paragraphCount = paragraphs.size();

    // Ours.
    QTextEdit* ours = newPane();
    qint64 t = monotonicNs();
    for (QByteArray& chunk : runs)
        common()->LogAppend(ours, &chunk);
    settle(ours);
    const double oursMs = msSince(t);
    const QString text = ours->toPlainText();
    delete ours;

    // The floor: the same final text in one setPlainText.
    QTextEdit* floorPane = newPane();
    t = monotonicNs();
    floorPane->setPlainText(text);
    settle(floorPane);
    const double floorMs = msSince(t);
    delete floorPane;

    // Paragraph by paragraph with QTextEdit::append; given at most 60 s.
    QTextEdit* literal = newPane();
    t = monotonicNs();
    int appended = 0;
    for (const QString& paragraph : qAsConst(paragraphs)) {
        literal->append(paragraph);
        if (++appended % 500 == 0 && msSince(t) > 60000)
            break;
    }
    settle(literal);
    double literalMs = msSince(t);
    const bool literalCut = appended < paragraphs.size();
    if (literalCut)
        literalMs *= double(paragraphs.size()) / appended;
    const bool sameText = literalCut || literal->toPlainText() == text;
    delete literal;

    Row row;
    row.figure = QStringLiteral("2 log console: 1 MB through LogAppend");
    row.measured = num(oursMs) + QStringLiteral(" ms = ") + num(oursMs / floorMs, 2) + QStringLiteral(" × floor");
    row.goal = QStringLiteral("≤ 1.5 × floor");
    row.reference = QStringLiteral("floor (setPlainText) %1 ms; append per paragraph %2 ms%3")
                        .arg(num(floorMs))
                        .arg(num(literalMs))
                        .arg(literalCut ? QStringLiteral(" (extrapolated)") : QString());
    row.note = QStringLiteral("%1 bytes, %2 paragraphs, %3 LogAppend calls (one per drvdump run)%4")
                   .arg(bytes)
                   .arg(paragraphCount)
                   .arg(runs.size())
                   .arg(sameText ? QString() : QStringLiteral("; TEXT DIFFERS from the append design"));
    row.met = oursMs <= 1.5 * floorMs;
    return {row};
}

QList<Row> trackMap()
{
    progress(QStringLiteral("3 track map"));
    MyGraphicalDumpDisplay map;
    LiteralMap literal;
    for (MyGraphicalDumpDisplay* w : {&map, static_cast<MyGraphicalDumpDisplay*>(&literal)}) {
        w->setFont(mapFont());
        w->resize(761, 141);
        w->show();
    }
    bench::spin(50);

    // Same pixels: both drawn from a half-done map with retries and errors.
    const QList<QByteArray> reports = roundOfReports();
    bool identical = true;
    for (int cut : {0, 60, 120, int(reports.size())}) {
        for (MyGraphicalDumpDisplay* w : {&map, static_cast<MyGraphicalDumpDisplay*>(&literal)}) {
            w->InitialTrackState(0, 0, 89, 3, 90);
            QByteArray bytes;
            for (int k = 0; k < cut; ++k)
                bytes += reports[k];
            w->on_dumpCommandOutputs(bytes);
        }
        identical = identical && map.grab().toImage() == literal.grab().toImage();
    }

    QList<Row> rows;
    for (int chunk : {1, 10, 180}) {
        const int rounds = chunk == 1 ? 10 : 30;
        const double ours = reportsPerSecond(&map, chunk, rounds);
        const double lit = reportsPerSecond(&literal, chunk, chunk == 1 ? 3 : 10);
        Row row;
        row.figure = QStringLiteral("3 track map: reports/s, chunks of %1").arg(chunk);
        row.measured = num(ours) + QStringLiteral("/s = ") + num(ours / lit, 1) + QStringLiteral(" × literal");
        row.goal = QStringLiteral("≥ 2 000/s and ≥ 5 × literal");
        row.reference = QStringLiteral("literal drawing %1/s").arg(num(lit));
        row.note = QStringLiteral("one repaint per chunk; pixel-identical to the literal drawing: %1")
                       .arg(identical ? QStringLiteral("yes") : QStringLiteral("NO"));
        row.met = ours >= 2000 && ours >= 5 * lit && identical;
        rows << row;
    }
    return rows;
}

QList<Row> idleCost()
{
    const int settleMs = 4000, windowMs = 20000;
    progress(QStringLiteral("4 idle cost, controller with the emulator running (%1 s)").arg((settleMs + windowMs) / 1000));
    Scene scene;
    const QString program = copyController(scene, "[STARTUP]\nSTARTUP=true\n");
    if (program.isEmpty())
        return {{QStringLiteral("4 idle cost"), QStringLiteral("not run"), QString(), QString(),
                 QStringLiteral("cannot copy " KESTA_CONTROLLER_PATH), false}};
    QProcess proc;
    proc.setProcessEnvironment(childEnvironment());
    proc.setStandardOutputFile(QProcess::nullDevice());
    proc.setStandardErrorFile(QProcess::nullDevice());
    proc.start(program, QStringList());
    proc.waitForStarted(5000);
    const qint64 pid = proc.processId();
    bench::spin(settleMs);

    FileWriteCounter writes(scene.path(QStringLiteral("app")), QStringLiteral("KESTAcon.ini"));
    QFile ini(scene.path(QStringLiteral("app/KESTAcon.ini")));
    ini.open(QIODevice::ReadOnly);
    const QByteArray before = ini.readAll();
    ini.close();
    const qint64 emuPid = scene.simToolPid(QStringLiteral("drvemu"));
    const bench::CpuTimes c0 = bench::cpuTimes(pid);
    const bench::CpuTimes e0 = bench::cpuTimes(emuPid);
    const qint64 t0 = monotonicNs();
    bench::spin(windowMs);
    const bench::CpuTimes c1 = bench::cpuTimes(pid);
    const bench::CpuTimes e1 = bench::cpuTimes(emuPid);
    const double seconds = (monotonicNs() - t0) / 1e9;
    const int written = writes.count();
    ini.open(QIODevice::ReadOnly);
    const bool sameContent = ini.readAll() == before;
    ini.close();
    const bool running = proc.state() == QProcess::Running;
    endChild(proc);

    const double perMinute = (c1.self + c1.children - c0.self - c0.children) * 60 / seconds;
    const double ownPerMinute = (c1.self - c0.self) * 60 / seconds;
    const double emuPerMinute = emuPid > 0 ? (e1.self - e0.self) * 60 / seconds : -1;
    Row cpu;
    cpu.figure = QStringLiteral("4 idle CPU, emulator running, nothing changes");
    cpu.measured = num(perMinute, 2) + QStringLiteral(" s/min");
    cpu.goal = QStringLiteral("≤ 0.6 s/min");
    cpu.reference = QStringLiteral("about %1 s/min with two drvctl -l runs per poll (estimate)")
                        .arg(num(ownPerMinute + 2 * (perMinute - ownPerMinute), 2));
    cpu.note = QStringLiteral("%1 s window scaled to a minute; controller %2 s/min, finished drvctl runs %3 s/min; "
                              "drvemu itself %4 s/min (not counted)%5")
                   .arg(num(seconds, 0))
                   .arg(num(ownPerMinute, 2))
                   .arg(num(perMinute - ownPerMinute, 2))
                   .arg(emuPid > 0 ? num(emuPerMinute, 2) : QStringLiteral("?"))
                   .arg(running && emuPid > 0 ? QString() : QStringLiteral("; CONTROLLER OR EMULATOR NOT RUNNING"));
    cpu.met = perMinute <= 0.6 && running && emuPid > 0;
    Row settings;
    settings.figure = QStringLiteral("4 settings-file writes in that window");
    settings.measured = writes.isValid() ? QString::number(written) : QStringLiteral("?");
    settings.goal = QStringLiteral("0");
    settings.reference = QString();
    settings.note = QStringLiteral("inotify on the folder; content %1").arg(sameContent ? "unchanged" : "CHANGED");
    settings.met = writes.isValid() && written == 0;
    return {cpu, settings};
}

QList<Row> startUp()
{
    progress(QStringLiteral("5 start-up (3 runs of each)"));
    QList<double> firstFrame, ctor, rssInProcess, rssController, screenshotRun;
    for (int i = 0; i < 3; ++i) {
        {
            Scene scene;
            QProcess child;
            child.setProcessEnvironment(childEnvironment());
            child.setStandardErrorFile(QProcess::nullDevice());
            const qint64 t0 = monotonicNs();
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child"), scene.settingsPath()});
            child.waitForFinished(20000);
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            for (const QByteArray& line : lines) {
                const QList<QByteArray> parts = line.split(' ');
                if (parts.size() != 2)
                    continue;
                if (parts[0] == "FIRST_FRAME_NS")
                    firstFrame << (parts[1].toLongLong() - t0) / 1e6;
                else if (parts[0] == "CTOR_NS")
                    ctor << (parts[1].toLongLong() - t0) / 1e6;
                else if (parts[0] == "RSS_KB")
                    rssInProcess << parts[1].toDouble() / 1024;
            }
        }
        {
            Scene scene;
            const QString program = copyController(scene, QByteArray());
            QProcess proc;
            proc.setProcessEnvironment(childEnvironment());
            proc.setStandardOutputFile(QProcess::nullDevice());
            proc.setStandardErrorFile(QProcess::nullDevice());
            const qint64 t0 = monotonicNs();
            proc.start(program, {QStringLiteral("--screenshot"), scene.path(QStringLiteral("shots"))});
            proc.waitForFinished(30000);
            screenshotRun << msSince(t0);

            QProcess plain;
            plain.setProcessEnvironment(childEnvironment());
            plain.setStandardOutputFile(QProcess::nullDevice());
            plain.setStandardErrorFile(QProcess::nullDevice());
            plain.start(program, QStringList());
            plain.waitForStarted(5000);
            bench::spin(1500);
            rssController << bench::rssKb(plain.processId()) / 1024.0;
            endChild(plain);
        }
    }
    const double frame = median(firstFrame);
    const double rss = median(rssController);
    Row time;
    time.figure = QStringLiteral("5 start-up: process start to first painted frame");
    time.measured = firstFrame.isEmpty() ? QStringLiteral("?") : num(frame) + QStringLiteral(" ms");
    time.goal = QStringLiteral("≤ 300 ms");
    time.reference = QStringLiteral("KESTAcon --screenshot (every page rendered, then exit) %1 ms")
                         .arg(num(median(screenshotRun)));
    time.note = QStringLiteral("median of 3, offscreen, the controller's window built as its main() does; window "
                               "built after %1 ms")
                    .arg(num(median(ctor)));
    time.met = !firstFrame.isEmpty() && frame <= 300;
    Row memory;
    memory.figure = QStringLiteral("5 resident memory after start-up");
    memory.measured = num(rss, 1) + QStringLiteral(" MB");
    memory.goal = QStringLiteral("≤ 60 MB");
    memory.reference = QString();
    memory.note = QStringLiteral("VmRSS of KESTAcon 1.5 s after start, median of 3 (window in this program: %1 MB)")
                      .arg(num(median(rssInProcess), 1));
    memory.met = !rssController.isEmpty() && rss <= 60;
    return {time, memory};
}

QList<Row> memoryOverTime()
{
    const int warmUp = 500, polls = 10000;
    progress(QStringLiteral("6 memory over %1 polls").arg(polls));
    Scene scene;
    // A drvctl that answers at once with a running emulator whose head moves.
    scene.writeScript(QStringLiteral("drvctl"),
                      "printf 'KESTA-SIM 1.05 drive emulator, pid 4242, mode -v, options x0 m0\\n"
                      "drive | protect | cylinder | image\\n------+---------+----------+------\\n"
                      "0 | -- | %d | /img/a.hvr\\n1 | ON | 0 | EMPTY\\n' $(($$ % 80))\n");
    scene.openSettings();
    auto* window = new MainWindow;
    window->show();
    bench::spin(1500);

    DrvctlPoller* poller = window->poller();
    int read = 0;
    QEventLoop loop;
    QObject::connect(poller, &DrvctlPoller::listingRead, &loop, [&](const QByteArray&) {
        ++read;
        loop.quit();
    });
    // One listing run; a run of the window's own tick that is still going is
    // waited for first.
    auto pollOnce = [&]() {
        for (;;) {
            const int before = read;
            if (poller->Poll()) {
                while (read == before)
                    loop.exec();
                return;
            }
            loop.exec();
        }
    };
    for (int i = 0; i < warmUp; ++i)
        pollOnce();
    const qint64 rss0 = bench::rssKb();
    qint64 peak = rss0;
    const qint64 t0 = monotonicNs();
    for (int i = 0; i < polls; ++i) {
        pollOnce();
        if (i % 1000 == 999)
            peak = std::max(peak, bench::rssKb());
    }
    const double seconds = (monotonicNs() - t0) / 1e9;
    const qint64 rss1 = bench::rssKb();
    delete window;

    Row row;
    row.figure = QStringLiteral("6 resident memory growth over 10 000 polls");
    row.measured = num((rss1 - rss0) / 1024.0, 2) + QStringLiteral(" MB");
    row.goal = QStringLiteral("< 1 MB");
    row.reference = QString();
    row.note = QStringLiteral("polls back to back (%1 s, %2 listings read) with a drvctl stand-in that answers at "
                              "once; %3 polls of warm-up first; highest growth seen %4 MB")
                   .arg(num(seconds, 0))
                   .arg(read)
                   .arg(warmUp)
                   .arg(num((peak - rss0) / 1024.0, 2));
    row.met = rss1 - rss0 < 1024;
    return {row};
}

// Answers the dialogs of a dump as they are shown: "Completed." (noting
// when), any message box (noting it as trouble).
class DialogAnswer : public QObject
{
public:
    qint64 completedAt = 0;
    QString trouble;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        if (auto* done = qobject_cast<CompleteDialog*>(watched)) {
            if (completedAt == 0)
                completedAt = monotonicNs();
            QTimer::singleShot(0, done, &QDialog::accept);
        } else if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            trouble = box->windowTitle() + QLatin1Char(' ') + box->text();
            QTimer::singleShot(0, box, &QDialog::accept);
        }
        return false;
    }
};

// A whole 2HD dump at the drive's own pace, twice at the same time: through
// the window's DUMP button (track map, log, dialogs) and the same drvdump
// alone with its output thrown away, each in a simulator state folder of its
// own. Both see the same machine load, so the difference is the window's.
QList<Row> dumpPace()
{
    progress(QStringLiteral("7 whole 2HD dump at the drive's pace, window and drvdump alone side by side (about 30 s)"));
    // The drive's own pace: no fixed track time, no speed-up, plain output.
    const Knobs pace{{"KESTA_SIM_TRACK_MS", ""}, {"KESTA_SIM_SPEED", ""}, {"KESTA_SIM_CHUNK", ""},
                     {"KESTA_SIM_NOISE", ""}, {"KESTA_SIM_DISK", ""}};
    Scene alone(pace);
    const QString aloneDir = alone.simDir();
    Scene scene(pace); // the window's; its variables are the ones in force
    scene.openSettings();
    auto* window = new MainWindow;
    window->show();
    bench::spin(1500);
    const QString folder = scene.path(QStringLiteral("images"));
    QDir().mkpath(folder);
    window->CurrentPathChangedAll(folder, false);
    const QList<QPair<const char*, const char*>> panel{{"BTN_DUMP_DRIVE", "0"}, {"BTN_DUMP_CYLINDERS", "80"},
                                                       {"BTN_DUMP_HEADS", "2"},  {"BTN_DUMP_BEGIN", "0"},
                                                       {"BTN_DUMP_END", "79"},   {"BTN_DUMP_RETRY", "3"}};
    for (const auto& setting : panel)
        if (auto* button = window->findChild<MyParameterButton*>(QLatin1String(setting.first)))
            button->setCurrentText(QLatin1String(setting.second));
    window->findChild<QLineEdit*>(QStringLiteral("LEDT_DUMP_FILENAME"))->setText(QStringLiteral("pace"));
    auto* dumpButton = window->findChild<QAbstractButton*>(QStringLiteral("BTN_DUMP"));
    auto* map = window->findChild<MyGraphicalDumpDisplay*>(QStringLiteral("WDT_DUMPSTATUS"));

    // "Completed." ends the window's run; any other box is a failure. Seen
    // when shown, not by polling, so that the measurement adds no load.
    DialogAnswer answer;
    qApp->installEventFilter(&answer);

    // The window with nothing to do, for reference: its emulator poll.
    const bench::CpuTimes i0 = bench::cpuTimes(0);
    const qint64 idleStart = monotonicNs();
    bench::spin(5000);
    const double idleCpu = (bench::cpuTimes(0).self - i0.self) / ((monotonicNs() - idleStart) / 1e9) * 100;

    QProcess solo;
    QProcessEnvironment soloEnv = QProcessEnvironment::systemEnvironment();
    soloEnv.insert(QStringLiteral("KESTA_SIM_DIR"), aloneDir);
    solo.setProcessEnvironment(soloEnv);
    solo.setStandardOutputFile(QProcess::nullDevice());
    solo.setStandardErrorFile(QProcess::nullDevice());
    qint64 soloEnd = 0;
    QObject::connect(&solo, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                     [&]() { soloEnd = monotonicNs(); });

    const bench::CpuTimes c0 = bench::cpuTimes(0);
    const qint64 soloStart = monotonicNs();
    solo.start(QStringLiteral(KESTA_SIM_BIN_DIR "/drvdump"),
               {QStringLiteral("-i"), QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("80"),
                QStringLiteral("-h"), QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("0"),
                QStringLiteral("-e"), QStringLiteral("79"), QStringLiteral("-r"), QStringLiteral("3"),
                alone.path(QStringLiteral("pace.HVR"))});
    const qint64 windowStart = monotonicNs();
    dumpButton->click(); // returns when the run and its dialogs are over
    const qint64 until = monotonicNs() + 120000000000LL;
    const bench::CpuTimes c1 = bench::cpuTimes(0);
    const qint64 cpuEnd = monotonicNs();
    while (soloEnd == 0 && monotonicNs() < until)
        bench::spin(5);
    qApp->removeEventFilter(&answer);
    const qint64 windowEnd = answer.completedAt;
    const QString trouble = answer.trouble;
    int complete = 0;
    for (int track = 0; track < 160; ++track)
        complete += map && map->TrackState(track) == MyGraphicalDumpDisplay::STATE_COMPLETE;
    const QStringList runs = scene.stubLog();
    delete window;
    endChild(solo);

    const double windowS = windowEnd > 0 ? (windowEnd - windowStart) / 1e9 : -1;
    const double soloS = soloEnd > 0 ? (soloEnd - soloStart) / 1e9 : -1;
    const double added = soloS > 0 ? (windowS - soloS) / soloS * 100 : -1;
    const double cpu = (c1.self - c0.self) / ((cpuEnd - windowStart) / 1e9) * 100;
    const bool ran = windowS > 0 && soloS > 0 && complete == 160 && trouble.isEmpty();
    const QString check = ran ? QString()
                              : QStringLiteral("; RUN FAILED: %1/160 tracks complete %2").arg(complete).arg(trouble);
    Row time;
    time.figure = QStringLiteral("7 whole 2HD dump at the drive's pace: time the window adds");
    time.measured = num(added, 2) + QStringLiteral(" %");
    time.goal = QStringLiteral("≤ 1 %");
    time.reference = QStringLiteral("drvdump alone %1 s, through the window %2 s").arg(num(soloS, 2)).arg(num(windowS, 2));
    time.note = QStringLiteral("side by side in one run, separate simulator folders; window run from the DUMP tap to "
                               "\"Completed.\"; %1/160 tracks complete on the map%2")
                    .arg(complete)
                    .arg(check);
    time.met = ran && added <= 1;
    Row load;
    load.figure = QStringLiteral("7 CPU of the window while the dump runs");
    load.measured = num(cpu, 2) + QStringLiteral(" % of one core");
    load.goal = QStringLiteral("≤ 2 %");
    load.reference = QStringLiteral("the same window idle: %1 %").arg(num(idleCpu, 2));
    load.note = QStringLiteral("user + system time of the controller's process from the DUMP tap to \"Completed.\" "
                               "(%1 s), its emulator poll included; the tools' own time not counted%2")
                    .arg(num((cpuEnd - windowStart) / 1e9, 1))
                    .arg(runs.isEmpty() ? QString() : QStringLiteral("; stand-ins called: %1").arg(runs.join(", ")));
    load.met = ran && cpu <= 2;
    return {time, load};
}

} // namespace figures

// Outside any namespace: the macro declares the bundle's init function.
static void registerResourcesForChild()
{
    Q_INIT_RESOURCE(KESTAcon);
}

namespace figures {

int startUpChild(int argc, char* argv[], const QString& settingsPath)
{
    QApplication app(argc, argv);
    MyCommon::SetApplicationInifilePathForTest(settingsPath);
    FirstFrame first;
    app.installEventFilter(&first);
    MainWindow window;
    const qint64 built = monotonicNs();
    window.show();
    registerResourcesForChild();
    // After the start-up chain: the poll has begun.
    QTimer::singleShot(1500, &app, [&]() {
        std::printf("FIRST_FRAME_NS %lld\nCTOR_NS %lld\nRSS_KB %lld\n", static_cast<long long>(first.at),
                    static_cast<long long>(built), static_cast<long long>(bench::rssKb()));
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

} // namespace figures
