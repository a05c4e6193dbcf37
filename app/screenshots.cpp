#include "screenshots.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include "mainwindow.h"
#include "mykeyboard.h"

namespace {
bool save(MainWindow* window, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    return window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
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
    ui->STACKED_WIDGET->setCurrentIndex(0);
    return saveKeyboardPages(folder) && ok;
}
