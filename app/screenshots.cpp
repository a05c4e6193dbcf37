#include "screenshots.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>

#include "completedialog.h"
#include "mainwindow.h"
#include "mygraphicaldumpdisplay.h"
#include "runoutcome.h"
#include "mykeyboard.h"

namespace {
bool save(MainWindow* window, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    return window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
// The dump tab after a dump of 40 cylinders, with its completion box on top.
bool saveDumpEnd(MainWindow* window, const QString& folder, const QString& name, const RunOutcome& outcome,
                 const QVector<int>& states)
{
    Ui::MainWindow* ui = window->form();
    ui->WDT_DUMPSTATUS->SetTrackStates(0, 3, 40, states.constData(), states.size());
    const TrackCounts counts = TrackCounts::FromStates(states.constData(), states.size());
    ui->LEDT_DUMP_PATH->setText(QStringLiteral("/home/pi/disks"));
    ui->LEDT_DUMP_FILENAME->setText(QStringLiteral("game"));
    window->SetReDumpBtnEnabled(counts.hasWork());
    CompleteDialog dialog(window);
    dialog.SetLines(OutcomeDialogLines(outcome, &counts, QStringLiteral("/home/pi/disks/game.HVR"), 655952));
    QCoreApplication::processEvents();
    QPixmap picture = window->grab();
    const QPixmap box = dialog.grab();
    QPainter(&picture).drawPixmap((picture.width() - box.width()) / 2, (picture.height() - box.height()) / 2, box);
    return picture.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// The on-screen keyboard's four pages: letters, shifted, and the two symbol pages.
bool saveKeyboardPages(const QString& folder)
{
    const QList<QStringList> taps{{}, {"SHIFT"}, {"&123"}, {"&123", "1/2"}};
    const char* names[] = {"keyboard-letters", "keyboard-shift", "keyboard-page1", "keyboard-page2"};
    bool ok = true;
    for (int page = 0; page < taps.size(); ++page) {
        MyKeyboard keyboard;
        keyboard.setText(QStringLiteral("KESTA_DUMP_01.HVR"));
        keyboard.show();
        for (const QString& caption : taps.at(page)) {
            for (QPushButton* key : keyboard.getKeyButtons()) {
                if (key->text() == caption) {
                    key->click();
                    break;
                }
            }
        }
        QCoreApplication::processEvents();
        ok = keyboard.grab().save(QDir(folder).filePath(QString::fromLatin1(names[page]) + QStringLiteral(".png"))) && ok;
    }
    return ok;
}
} // namespace

bool Screenshots::SaveAll(MainWindow* window, const QString& folder)
{
    QDir().mkpath(folder);
    Ui::MainWindow* ui = window->form();
    bool ok = true;
    ui->STACKED_WIDGET->setCurrentIndex(0);
    const char* fileTabs[] = {"emulator-convert", "emulator-rename", "emulator-makehvr"};
    for (int i = 0; i < ui->TAB_FILEOPERATION->count() && i < 3; ++i) {
        ui->TAB_FILEOPERATION->setCurrentIndex(i);
        ok = save(window, folder, QString::fromLatin1(fileTabs[i])) && ok;
    }
    ui->TAB_FILEOPERATION->setCurrentIndex(0);
    ui->STACKED_WIDGET->setCurrentIndex(1);
    const char* tabs[] = {"dump", "restore", "unformat-drvinfo", "log"};
    for (int i = 0; i < ui->TAB_CONTROLLER_MODE->count() && i < 4; ++i) {
        ui->TAB_CONTROLLER_MODE->setCurrentIndex(i);
        ok = save(window, folder, QString::fromLatin1(tabs[i])) && ok;
    }
    ui->TAB_CONTROLLER_MODE->setCurrentIndex(0);

    QVector<int> states(MyGraphicalDumpDisplay::TRACK_COUNT, MyGraphicalDumpDisplay::STATE_NON_TARGET);
    std::fill(states.begin(), states.begin() + 80, MyGraphicalDumpDisplay::STATE_COMPLETE);
    RunOutcome outcome;
    outcome.tool = QStringLiteral("drvdump");
    outcome.kind = RunOutcome::Completed;
    ok = saveDumpEnd(window, folder, QStringLiteral("dump-completed"), outcome, states) && ok;
    states[5] = 2;
    states[40] = MyGraphicalDumpDisplay::STATE_ERROR;
    outcome.kind = RunOutcome::Failed;
    outcome.exitStatus = 3;
    outcome.lastLine = QStringLiteral("drvdump: done, 79 tracks ok, 1 failed");
    ok = saveDumpEnd(window, folder, QStringLiteral("dump-failed"), outcome, states) && ok;
    ui->WDT_DUMPSTATUS->InitialTrackState(0, 0, 39, 3, 40);
    window->SetReDumpBtnEnabled(false);
    ui->STACKED_WIDGET->setCurrentIndex(0);
    return saveKeyboardPages(folder) && ok;
}
