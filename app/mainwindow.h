#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "operationpanels.h"
#include "settingsowner.h"

class QLineEdit;
class QProcess;
class DrvctlPoller;
class ParameterSet;
class ParameterSelector;
class MyParameterButton;
class QDateTime;
struct RunOutcome;
struct TrackCounts;

namespace Ui {
class MainWindow;
}

// The one window of the controller.  Its parts live with their subsystems:
// app/ (construction, start-up chain, navigation, settings, log, exit),
// parameters/ (operation panels, presets), operations/ (dump, restore,
// unformat, disk information), emulator/ (emulator control, image tools).
class MainWindow : public QMainWindow, public OperationPanels, public SettingsOwner
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Field colours of the image tools.
    static const QString TOOL_FIELD_STYLE_EDITED; // white
    static const QString TOOL_FIELD_STYLE_DONE;   // light cyan
    static const QString TOOL_FIELD_STYLE_FAILED; // red

    // ---- application
    // Settings of the window.
    void LoadSettings() override;
    // Writes the window's state back to the settings file.
    void SaveSettings();
    // Returns the record, the emulator-page values, the named sets and the
    // folder marks to their defaults and saves them.
    void InitializeSettings() override;
    // Leave the program, stopping a running emulator and the poll first.
    void AppExit();
    void Shutdown();
    void Reboot();
    // Opens the on-screen keyboard for field; the text comes back only when
    // the keyboard is accepted.
    void displayVirtualKeyBoard(QLineEdit* field);
    // Writes the log pane to LOG_<date><time>.log in folder; returns the
    // file's path, or "" when it could not be written (the user is told).
    QString SaveLogToFolder(const QString& folder);

    // ---- operation panels
    // Apply a set (the caller keeps it) or take a snapshot (a new set the
    // caller owns).
    void SetDumpButtonParameters(ParameterSet* set);
    void SetRestoreButtonParameters(ParameterSet* set);
    void SetUnformatButtonParameters(ParameterSet* set);
    ParameterSet* GetDumpButtonParameters();
    ParameterSet* GetRestoreButtonParameters();
    ParameterSet* GetUnformatButtonParameters();
    // The same by operation (MyCommon::Operation; null / nothing for any
    // other value).
    ParameterSet* GetButtonParameters(int operation) override;
    void SetButtonParameters(int operation, ParameterSet* set) override;

    // ---- disk operations
    void SetReDumpBtnEnabled(bool enabled);
    // One drvdump run per listed track, into the image of the dump that
    // produced the map.
    void StartDumpWithTrack(int count, int* tracks);
    void DelFile(QString path);
    // The image the last dump wrote ("" before the first dump); re-dumps
    // read into it whatever the path fields show now.
    QString DumpImagePath() const { return m_dumpImagePath; }
    // The lines of the last completion dialog, headline first.
    QStringList LastCompletion() const { return m_lastCompletion; }

    // ---- emulator
    void UpdateDRVEMUStatus();
    void UpdateDriveStatus();
    void UpdateDriveStatus(const QByteArray& listing);

    // ---- for tests and screenshots
    Ui::MainWindow* form() const { return ui; }
    DrvctlPoller* poller() const { return m_poller; }
    QProcess* emulatorProcess() const { return m_drvemuProcess; }
    int pollTimerId() const { return m_pollTimerId; }
    // How long a started drvemu may take to answer as running.
    static constexpr int EMULATOR_START_LIMIT = 10000;
    void SetEmulatorStartLimit(int ms) { m_emulatorStartLimit = ms; }
    bool isEmulatorStarting() const { return m_startPhase != StartPhase::None; }
    int firstStartupTimerId() const { return m_startupTimer1Id; }
    int secondStartupTimerId() const { return m_startupTimer2Id; }

public slots:
    // ---- application: navigation, settings, keyboard, log, exit
    void on_BTN_PAGE1_CHANGE_clicked();
    void on_BTN_PAGE2_CHANGE_clicked();
    void on_TAB_CONTROLLER_MODE_currentChanged(int index);
    void on_settingsChanged_Setting();
    void on_WDT_EMU_FDIMAGESELECTOR_currentPathChanged(QString folder);
    void CurrentPathChangedAll(QString folder, bool fromBrowser);
    void on_settingsChanged_FolderMark();
    void on_LEDT_DUMP_FILENAME_focused(const bool& focused);
    void on_LEDT_RESTORE_FILENAME_focused(const bool& focused);
    void on_BTN_LOG_CLEAR_clicked();
    void on_BTN_LOG_SAVE_clicked();
    void on_EDT_LOG_DISPLAY_textChanged();
    void on_BTN_EMU_SETTING_clicked();
    void on_BTN_EMU_SETTING_2_clicked();
    void on_BTN_EXIT_clicked();
    void on_BTN_EXIT_EMU_clicked();
    // Shows what MyCommon tells the user (settings that cannot be saved, a
    // tool that did not finish) in a box of its own, without waiting on it.
    void ShowNotice(const QString& title, const QString& text);

    // ---- operation panels and presets
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
    // Save the four machine preset buttons of one operation.
    void on_settingsChanged_Dump_forFixBtn();
    void on_settingsChanged_Restore_forFixBtn();
    void on_settingsChanged_Unformat_forFixBtn();
    // Gives the twelve preset buttons their saved sets.
    void LoadPresetButtons();
    // Gives the twelve preset buttons their machine sets and empties the
    // three stores of named sets.
    void ResetPresetButtons();

    // ---- disk operations (dump, re-dump, restore, unformat, disk information)
    void on_BTN_DUMP_clicked();
    void on_BTN_REDUMP_clicked();
    void on_BTN_DUMP_FILESELECT_clicked();
    void on_LEDT_DUMP_FILENAME_fileDroped(const QString& path);
    void on_BTN_RESTORE_clicked();
    void on_BTN_RESTORE_FILESELECT_clicked();
    void on_BTN_UNFORMAT_clicked();
    void on_BTN_DRVINFO_clicked();
    // Cancel of the busy dialog: stops the running dump, restore or unformat
    // tool; a re-dump starts no further track.
    void on_ProgressCanceled();

    // ---- emulator: control and image tools
    void on_BTN_DRVEMU_START_clicked();
    void on_BTN_DRVEMU_STOP_clicked();
    void on_settingsChanged_Emulator();
    void on_BTN_CONVERT_clicked();
    void on_BTN_RENAME_clicked();
    void on_BTN_MAKE_HVR_clicked();
    void on_LEDT_CONVERT_textChanged(const QString& text);
    void on_LEDT_RENAME_textChanged(const QString& text);
    void on_LEDT_MAKE_HVR_textChanged(const QString& text);
    void on_LEDT_MAKE_HVR_DISKNAME_textChanged(const QString& text);
    void on_LEDT_CONVERT_fileDroped(const QString& path);
    void on_LEDT_RENAME_fileDroped(const QString& path);
    void on_LEDT_MAKE_HVR_fileDroped(const QString& path);
    void on_LEDT_CONVERT_focused(const bool& focused);
    void on_LEDT_RENAME_focused(const bool& focused);
    void on_LEDT_MAKE_HVR_focused(const bool& focused);
    void on_LEDT_MAKE_HVR_DISKNAME_focused(const bool& focused);
    void on_TAB_FILEOPERATION_currentChanged(int index);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // ---- helpers: application
    // Stops a running emulator and the poll before the program ends.
    void StopBeforeLeaving();

    // ---- helpers: operation panels and presets
    void SetupParameterButtons();
    void ApplyCylinderRules(MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end,
                            int changed);
    void ApplySet(ParameterSet* set, const QStringList& keys, const QList<MyParameterButton*>& buttons,
                  MyParameterButton* cylinders, MyParameterButton* begin, MyParameterButton* end);
    // Every panel gets what a freshly made preset button holds.
    void ApplyFreshPresetToPanels();
    // Saves buttons 1 to 4 of selector under the preset keys of section.
    void SavePresetButtons(ParameterSelector* selector, const QString& section);

    // ---- helpers: disk operations
    // Writes signature and " INPUT GUARD!!" to the debug log and returns
    // true while an operation runs.
    bool IsInputGuarded(const char* signature) const;
    void PostInputGuardEvent(bool on);
    // The busy dialog of an operation; created with the cancel flag cleared.
    void CreateBusyDialog(const QString& label);
    void ShowBusyDialog();
    void CloseBusyDialog();
    // Runs a tool with map (if any) following its output chunk by chunk.
    QByteArray RunTool(const QString& program, const QStringList& args, class MyGraphicalDumpDisplay* map);
    // One guarded run of a panel's tool: busy dialog, run, output into log,
    // guard lifted, "Completed." (restore, unformat, disk information).
    void RunPanelTool(const QString& label, const QString& tool, const QStringList& args,
                      class MyGraphicalDumpDisplay* map, class QTextEdit* log);
    // The folder + "/" + name + ".HVR" of the dump fields, "" when either is empty.
    QString CurrentDumpImagePath() const;
    // Asks the image browser for a file or folder; the chosen folder becomes
    // the current folder.  Returns the chosen path, "" when cancelled.
    QString SelectImageFile(const char* logLabel);
    void ShowNotValidFileName();
    // The completion dialog with its headline and the lines under it.
    void ShowCompleteDialog(const QStringList& lines);
    static struct TrackCounts MapCounts(const class MyGraphicalDumpDisplay* map);
    // REDUMP on when the image of the dump exists and the map holds failed
    // or unreached tracks.
    void RefreshReDumpButton();
    QStringList DumpCompletionLines(const struct RunOutcome& outcome) const;
    QString ReDumpBusyLabel(const QString& drive, const QString& image) const;
    // The record beside the dump's image: written after every dump and
    // re-dump, read when Browse picks an image.
    void WriteDumpRecord(const QStringList& args, const class QDateTime& started, const struct RunOutcome& outcome);
    bool LoadDumpRecord(const QString& imagePath);

    // ---- helpers: emulator and image tools
    void PollEmulator();
    void OnListingRead(const QByteArray& listing);
    // Items of the image tool value buttons; only while they are still empty.
    void SetupImageToolButtons();
    // The browser's current entry split into folder part (up to and with the
    // last "/") and name; false when there is no current entry.
    bool SelectedImage(QString* fullPath, QString* folder, QString* name) const;
    // Runs an image tool that must make newPath; field turns done or failed,
    // the tool's words and any failure go to the log.
    bool RunImageTool(const QString& tool, const QStringList& args, const QString& newPath, QLineEdit* field);
    // Ends the emulator (ours and any other) and shows it stopped.
    void StopEmulator();
    // Emulator state 0, the panels without disks, the controls to match.
    void SetEmulatorStopped();
    // Inserts the remembered images that listing does not show in their
    // drives, while the time for starting lasts; true when it inserted any.
    bool PutBackImages(const QByteArray& listing);

    // ---- members
    Ui::MainWindow* ui;
    int m_inputGuardOnEvent;
    int m_inputGuardOffEvent;
    int m_startupTimer1Id;
    int m_startupTimer2Id;
    int m_pollTimerId;
    // While a whole set is applied, the cylinder rules wait for the end of it.
    bool m_applyingSet = false;
    // From START until drvemu answers as running (Waiting) and then until
    // the remembered images are back in (PuttingBack), or the time is up.
    enum class StartPhase { None, Waiting, PuttingBack };
    StartPhase m_startPhase = StartPhase::None;
    QElapsedTimer m_emulatorStartClock;
    int m_emulatorStartLimit = EMULATOR_START_LIMIT;
    bool m_puttingBack = false;
    // Set by Cancel of the busy dialog, cleared when a busy dialog is created.
    bool m_progressCanceled = false;
    class QProgressDialog* m_busyDialog = nullptr;
    // The image the map of the dump page belongs to.
    QString m_dumpImagePath;
    // The drive that dump read; a re-dump reads the same drive.
    QString m_dumpDrive;
    QStringList m_lastCompletion;
    QProcess* m_drvemuProcess = nullptr;
    DrvctlPoller* m_poller = nullptr;
};
