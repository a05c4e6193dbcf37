#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QString>

class QLineEdit;
class QProcess;
class DrvctlPoller;
class ParameterSet;
class ParameterSelector;
class MyParameterButton;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Emulator control.
    void UpdateDRVEMUStatus();
    void UpdateDriveStatus();
    void UpdateDriveStatus(const QByteArray& listing);

    // Settings of the window.
    void LoadSettings();

    // Operation panels: apply a set (the caller keeps it) or take a snapshot
    // (a new set the caller owns).
    void SetDumpButtonParameters(ParameterSet* set);
    void SetRestoreButtonParameters(ParameterSet* set);
    void SetUnformatButtonParameters(ParameterSet* set);
    ParameterSet* GetDumpButtonParameters();
    ParameterSet* GetRestoreButtonParameters();
    ParameterSet* GetUnformatButtonParameters();
    void SetReDumpBtnEnabled(bool enabled);

    // Opens the on-screen keyboard for field; the text comes back only when
    // the keyboard is accepted.
    void displayVirtualKeyBoard(QLineEdit* field);

    // Writes the log pane to LOG_<date><time>.log in folder; returns the
    // file's path, or "" when it could not be written (the user is told).
    QString SaveLogToFolder(const QString& folder);

    Ui::MainWindow* form() const { return ui; }
    DrvctlPoller* poller() const { return m_poller; }
    QProcess* emulatorProcess() const { return m_drvemuProcess; }
    int pollTimerId() const { return m_pollTimerId; }
    int firstStartupTimerId() const { return m_startupTimer1Id; }
    int secondStartupTimerId() const { return m_startupTimer2Id; }

public slots:
    void on_BTN_PAGE1_CHANGE_clicked();
    void on_BTN_PAGE2_CHANGE_clicked();
    void on_TAB_CONTROLLER_MODE_currentChanged(int index);

    void on_BTN_DRVEMU_START_clicked();
    void on_BTN_DRVEMU_STOP_clicked();
    void on_settingsChanged_Emulator();
    void on_settingsChanged_Setting();

    void on_BTN_DUMP_CYLINDERS_currentIndexChanged(int index);
    void on_BTN_DUMP_BEGIN_currentIndexChanged(int index);
    void on_BTN_DUMP_END_currentIndexChanged(int index);
    void on_BTN_RESTORE_CYLINDERS_currentIndexChanged(int index);
    void on_BTN_RESTORE_BEGIN_currentIndexChanged(int index);
    void on_BTN_RESTORE_END_currentIndexChanged(int index);
    void on_DUMP_ParameterChanged();
    void on_RESTORE_ParameterChanged();
    void on_UNFORMAT_ParameterChanged();
    void on_settingsChanged_Dump();
    void on_settingsChanged_Restore();
    void on_settingsChanged_Unformat();

    void on_WDT_EMU_FDIMAGESELECTOR_currentPathChanged(QString folder);
    void CurrentPathChangedAll(QString folder, bool fromBrowser);
    void on_settingsChanged_FolderMark();

    void on_LEDT_DUMP_FILENAME_focused(const bool& focused);
    void on_LEDT_RESTORE_FILENAME_focused(const bool& focused);

    void on_BTN_LOG_CLEAR_clicked();
    void on_BTN_LOG_SAVE_clicked();
    void on_EDT_LOG_DISPLAY_textChanged();

    // ---- disk operations (dump, re-dump, restore, unformat, disk information)
    // (end of disk operations)

    // ---- presets and parameter selectors
    // Save the four machine preset buttons of one operation.
    void on_settingsChanged_Dump_forFixBtn();
    void on_settingsChanged_Restore_forFixBtn();
    void on_settingsChanged_Unformat_forFixBtn();
    // Gives the twelve preset buttons their saved sets.
    void LoadPresetButtons();
    // Gives the twelve preset buttons their machine sets and empties the
    // three stores of named sets.
    void ResetPresetButtons();
    // (end of presets)

    // ---- image tools, settings load/save, settings dialog, exit and power
    // (end of image tools)

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void SetupParameterButtons();
    void ApplyCylinderRules(MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end,
                            int changed);
    void ApplySet(ParameterSet* set, const QStringList& keys, const QList<MyParameterButton*>& buttons,
                  MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end);
    void PollEmulator();
    void OnListingRead(const QByteArray& listing);

    Ui::MainWindow* ui;
    QProcess* m_drvemuProcess = nullptr;
    DrvctlPoller* m_poller = nullptr;
    int m_inputGuardOnEvent;
    int m_inputGuardOffEvent;
    int m_startupTimer1Id;
    int m_startupTimer2Id;
    int m_pollTimerId;
    // While a whole set is applied, the cylinder rules wait for the end of it.
    bool m_applyingSet = false;

    // ---- members of the disk operations
    // (end of disk operation members)

    // ---- members of the presets
    // Every panel gets what a freshly made preset button holds.
    void ApplyFreshPresetToPanels();
    // Saves buttons 1 to 4 of selector under the preset keys of section.
    void SavePresetButtons(ParameterSelector* selector, const QString& section);
    // (end of preset members)

    // ---- members of the image tools, settings and exit
    // (end of image tool members)
};
