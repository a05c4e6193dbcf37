#pragma once

#include <QLoggingCategory>
#include <functional>

#include "completedialog.h"
#include "fixtures.h"
#include "myparameterbutton.h"
#include "ui_mainwindow.h" // the test source includes it too, so that the build makes it

// Answers the dialogs of a disk operation from a polling timer and keeps the
// debug log.  "seen": "busy:LABEL", "complete guard=0|1", "warning:TITLE/TEXT", "browser".
class DiskOperationDriver : public QObject
{
public:
    DiskOperationDriver()
    {
        s_log.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("kesta.*.debug=true"));
        s_previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtDebugMsg)
                s_log << text;
            else
                s_previous(type, context, text);
        });
        qApp->installEventFilter(this);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &DiskOperationDriver::poll);
        m_timer.start();
    }
    ~DiskOperationDriver() override
    {
        qApp->removeEventFilter(this);
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }

    static QStringList debugLog() { return s_log; }
    static bool logged(const QString& text) { return s_log.filter(text).size() > 0; }

    QStringList seen;
    std::function<void(QProgressDialog*)> onBusy; // on every poll while busy
    std::function<void()> onComplete;              // before OK of "Completed."
    QString browserChoice;                         // path to choose, "" cancels

    // A busy dialog may come and go between two polls.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* busy = qobject_cast<QProgressDialog*>(watched); busy && event->type() == QEvent::Show)
            seen << "busy:" + busy->labelText();
        return false;
    }

private:
    void poll()
    {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            if (auto* busy = qobject_cast<QProgressDialog*>(top)) {
                if (onBusy)
                    onBusy(busy);
            } else if (auto* done = qobject_cast<CompleteDialog*>(top)) {
                seen << QStringLiteral("complete guard=%1").arg(MyCommon::getInstance()->isInputGuard());
                if (onComplete)
                    onComplete();
                done->findChild<QPushButton*>("BTN_COMPLETE_OK")->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(top)) {
                seen << "warning:" + box->windowTitle() + "/" + box->text();
                box->button(QMessageBox::Ok)->click();
            } else if (auto* browser = qobject_cast<FDImageSelectorDialog*>(top)) {
                seen << QStringLiteral("browser");
                if (browserChoice.isEmpty()) {
                    browser->reject();
                } else {
                    auto* list = browser->findChild<QAbstractItemView*>("LSV_WDG_FILELISTVEW");
                    list->setCurrentIndex(browser->Selector()->Model()->index(browserChoice));
                    browser->findChild<QPushButton*>("BTN_SELECT_OK")->click();
                }
            }
        }
    }

    QTimer m_timer;
    static inline QStringList s_log;
    static inline QtMessageHandler s_previous = nullptr;
};

// A panel given as "key=value ...": the value of a key, "---" for keys not named.
inline std::function<QString(const char*)> panelValues(const QString& panel)
{
    QMap<QString, QString> values;
    for (const QString& pair : panel.split(' ', Qt::SkipEmptyParts))
        values.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return [values](const char* key) { return values.value(key, MyCommon::NOT_GIVEN); };
}

// Status byte of a track record in one of the simulator's 2HD images.
inline int trackStatus(const QString& image, int track)
{
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(512 + qint64(track) * (1 + 8192)))
        return -1;
    char status = 0;
    return file.getChar(&status) ? int(status) : -1;
}

// The main window in a test world with the simulated tools on PATH and
// "images" as the current folder.
class DiskOperationFixture : public WindowFixture
{
protected:
    void setUp()
    {
        qputenv("KESTA_SIM_TRACK_MS", "0");
        setVars("KESTA_SIM_WEAK KESTA_SIM_BAD KESTA_SIM_SILENCE_MS KESTA_SIM_SILENCE_AT");
        openWindow(true);
        m_folder = m_env->path("images");
        QDir().mkpath(m_folder);
        m_window->CurrentPathChangedAll(m_folder, false);
    }
    void tearDown() { closeWindow(); }
    // A tool that logs its arguments and runs the simulated one.
    void wrapSimTool(const QString& name)
    {
        m_env->writeScript(name, QStringLiteral("echo \"%1 $*\" >> \"$KESTA_STUB_LOG\"\nexec '%2/%1' \"$@\"")
                                     .arg(name, TestEnv::simBinDir()));
    }
    QStringList runsOf(const QString& tool) const
    {
        return m_env->stubLog().filter(QRegularExpression("^" + tool + "( |$)"));
    }
    // "BTN_X=value ..."
    void setButtons(const QString& settings)
    {
        for (const QString& pair : settings.split(' ', Qt::SkipEmptyParts))
            m_window->findChild<MyParameterButton*>(pair.section('=', 0, 0))->setCurrentText(pair.section('=', 1));
    }
    QString imagePath(const QString& name) const { return m_folder + '/' + name + ".HVR"; }
    // "NAME=value ..." set, a bare "NAME" unset.
    static void setVars(const QString& pairs)
    {
        for (const QString& pair : pairs.split(' ', Qt::SkipEmptyParts))
            pair.contains('=') ? void(qputenv(qPrintable(pair.section('=', 0, 0)), pair.section('=', 1).toUtf8()))
                               : void(qunsetenv(qPrintable(pair)));
    }

    QString m_folder;
};
