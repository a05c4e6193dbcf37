#pragma once

#include <QtTest>
#include <QtWidgets>

#include <memory>

#include "drvctlpoller.h"
#include "fdimageselector.h"
#include "fdimageselectordialog.h"
#include "mainwindow.h"
#include "markmanage.h"
#include "mycommon.h"
#include "myfilesystmmodel.h"
#include "mygraphicaldumpdisplay.h"
#include "mykeyboard.h"
#include "myparameterbutton.h"
#include "mypushbutton.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"
#include "table.h"
#include "testenv.h"

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& data = QByteArray())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Answers the next modal windows in order and notes what each showed:
//   message box  "TITLE" (+ " [Cancel]" when Cancel is its default) <- "ok" | "cancel"
//   keyboard     "keyboard:TEXT:MIN-MAX"                            <- "type:TEXT" | "close"
//   image chooser "chooser"                                         <- "choose:PATH" ("choose:" the shown folder)
//   other dialog "ClassName"                                        <- anything: rejected, or the named button clicked
class Answers
{
public:
    // A modal window already up (the dialog under test) is never answered.
    explicit Answers(QStringList answers) : m_answers(std::move(answers)), m_present(QApplication::activeModalWidget()) {}
    QStringList seen;
    int left() const { return m_answers.size(); }

private:
    void answer(QWidget* modal)
    {
        if (m_answers.isEmpty() || modal == m_present || qobject_cast<QProgressDialog*>(modal))
            return; // busy windows go by themselves
        const QString answer = m_answers.takeFirst();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const bool cancelFirst = box->defaultButton() && box->defaultButton() == box->button(QMessageBox::Cancel);
            seen << box->windowTitle() + (cancelFirst ? " [Cancel]" : "");
            QAbstractButton* button = box->button(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel);
            button ? button->click() : void(box->close());
        } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
            seen << QString("keyboard:%1:%2-%3").arg(keyboard->getText()).arg(keyboard->getMinimumLength()).arg(keyboard->getMaximumLength());
            keyboard->setText(answer.mid(5));
            answer.startsWith("type:") ? keyboard->accept() : keyboard->reject();
        } else if (auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal)) {
            seen << "chooser";
            FDImageSelector* browser = chooser->Selector();
            const QString path = answer.section(':', 1);
            if (!path.isEmpty())
                browser->findChild<QListView*>("LSV_WDG_FILELISTVEW")->setCurrentIndex(browser->Model()->index(path));
            chooser->on_BTN_SELECT_OK_clicked();
        } else {
            seen << modal->metaObject()->className();
            if (auto* button = modal->findChild<QAbstractButton*>(answer))
                button->click();
            else if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
    }
    QStringList m_answers;
    QPointer<QWidget> m_present;
    ModalAnswer m_poll{[this](QWidget* modal) { answer(modal); }, 1000};
};

// The main window in a test world (the test includes "ui_mainwindow.h") of its own; the world's settings file is its file.
class WindowFixture : public QObject
{
protected:
    void openWindow(bool withSimulator = false, bool show = true) { makeEnv(withSimulator), newWindow(show); }
    void makeEnv(bool withSimulator = false)
    {
        m_env = std::make_unique<TestEnv>(withSimulator);
        MyCommon::SetApplicationInifilePathForTest(m_env->settingsPath());
        MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
    }
    void newWindow(bool show = true)
    {
        m_window = std::make_unique<MainWindow>();
        ui = m_window->form();
        if (show)
            m_window->show();
    }
    void closeWindow()
    {
        m_window.reset();
        MyCommon* common = MyCommon::getInstance();
        common->SetInputGuard(false), common->UpdateDRVEMU_STATE(0);
        common->DeleteSettingInstance(), common->Settings().InitializeSettings();
        m_env.reset();
    }
    QVariant stored(const QString& key) const { return QSettings(m_env->settingsPath(), QSettings::IniFormat).value(key); }

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<MainWindow> m_window;
    Ui::MainWindow* ui = nullptr;
};
