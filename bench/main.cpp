// kesta-bench: runs the controller's benchmark scenarios against the board
// simulator and prints one table (figure, measured value, goal, reference).
//
//   kesta-bench            every figure
//   kesta-bench 1 3        only figures 1 and 3
//
// Each scenario has its own temporary simulator state folder, settings file
// and a PATH with recording stand-ins for pkill, shutdown and reboot first.
// Progress goes to standard error, the table to standard output.  The exit
// status is 0 whatever the figures show: a benchmark reports, it does not fail.

#include <QApplication>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

#include "benchenv.h"
#include "figures.h"
#include "mycommon.h"

namespace {

// The controller writes a debug line for nearly everything it does; the
// lines are still built, but not printed over the table.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

QString cell(QString text)
{
    return text.replace(QLatin1Char('|'), QStringLiteral("\\|"));
}

void printTable(const QList<Row>& rows)
{
    std::printf("| Figure | Measured | Goal | Reference | Met | Notes |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& row : rows) {
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(cell(row.figure)), qPrintable(cell(row.measured)),
                    qPrintable(cell(row.goal)), qPrintable(cell(row.reference)), row.met ? "yes" : "**no**",
                    qPrintable(cell(row.note)));
    }
    std::fflush(stdout);
}

} // namespace

static void registerResources()
{
    Q_INIT_RESOURCE(KESTAcon);
}

int main(int argc, char* argv[])
{
    qInstallMessageHandler(quietHandler);
    if (argc >= 3 && std::strcmp(argv[1], "--startup-child") == 0)
        return figures::startUpChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerResources();

    QSet<int> wanted;
    for (int i = 1; i < argc; ++i) {
        const int figure = QString::fromLocal8Bit(argv[i]).toInt();
        if (figure < 1 || figure > 7) {
            std::fprintf(stderr, "usage: kesta-bench [FIGURE]...   (figures 1 to 7, default all)\n");
            return 2;
        }
        wanted.insert(figure);
    }
    auto want = [&wanted](int figure) { return wanted.isEmpty() || wanted.contains(figure); };

    // The in-process scenarios share one settings file of their own until a
    // scenario opens another.
    QTemporaryDir home(Scene::folderTemplate());
    const QString settings = home.filePath(QStringLiteral("KESTAcon.ini"));
    MyCommon::SetApplicationInifilePathForTest(settings);
    MyCommon::getInstance()->OpenSettingInstance(settings);

    QList<Row> rows;
    if (want(1))
        rows += figures::stalls();
    if (want(2))
        rows += figures::logConsole();
    if (want(3))
        rows += figures::trackMap();
    if (want(4))
        rows += figures::idleCost();
    if (want(5))
        rows += figures::startUp();
    if (want(6))
        rows += figures::memoryOverTime();
    if (want(7))
        rows += figures::dumpPace();
    printTable(rows);
    return 0;
}
