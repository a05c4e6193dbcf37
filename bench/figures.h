#pragma once

#include <QList>
#include <QString>

// One line of the result table.
struct Row
{
    QString figure;
    QString measured;
    QString goal;
    QString reference;
    QString note;
    bool met = true;
};

namespace figures {

QList<Row> stalls();         // 1: longest event-loop stall (a) to (d)
QList<Row> logConsole();     // 2: log pane, 1 MB of tool output
QList<Row> trackMap();       // 3: track map reports per second
QList<Row> idleCost();       // 4: CPU per minute and settings writes, emulator idle
QList<Row> startUp();        // 5: start to first frame, resident memory
QList<Row> memoryOverTime(); // 6: resident memory growth over 10 000 polls
QList<Row> dumpPace();       // 7: whole 2HD dump at the drive's pace, window against drvdump alone

// The child side of figure 5: builds the main window as the controller's
// main() does and prints when its first frame was painted.
int startUpChild(int argc, char* argv[], const QString& settingsPath);

} // namespace figures
