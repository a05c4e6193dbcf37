#pragma once

#include <QString>
#include <QWidget>

class MyPushButton;
class OperationPanels;
class ParameterManage;
class ParameterSet;
class QTimerEvent;

namespace Ui {
class ParameterSelector;
}

// The parameter selector of one operation tab: the four machine preset
// buttons, the EDIT/REC button and the list of the operation's named sets.
// It owns the store of those sets and moves sets between the buttons, the
// store and the operation panel it is handed (SetPanels).
class ParameterSelector : public QWidget
{
    Q_OBJECT
public:
    explicit ParameterSelector(QWidget* parent = nullptr);
    ~ParameterSelector() override;

    // The operation, as MyCommon::Operation.
    void SetMode(int mode);
    int Mode() const { return m_mode; }
    // The panels this selector reads and writes; without them a tap or a
    // record has no panel to work on.
    void SetPanels(OperationPanels* panels) { m_panels = panels; }
    OperationPanels* Panels() const { return m_panels; }
    // The store, created on first use and deleted with the selector.
    ParameterManage* getParameterManage();
    // Rebuilds the list of names from the store.
    void SetupParameterList();
    // The preset button 1 to 4 (X68K, PC-88, X1, FM77); null otherwise.
    MyPushButton* GetButton(int number) const;

    // Id of the running EDIT/REC hold timer, -1 when none runs.  A QTimerEvent
    // with this id has the effect of the timer firing.
    int editTimerId() const { return m_timerId; }

    // Connected to the preset buttons' parameterRegistered().  Not a slot: its
    // name would make the form's connection by name look for an object called
    // "parameterRegistered".
    void on_parameterRegistered();

    static const QString LIST_STYLE;

signals:
    void parameterRegistered();
    void fixBtnParameterRegistered();

public slots:
    void on_BTN_PARAMETER_X68K_pressed();
    void on_BTN_PARAMETER_X68K_clicked();
    void on_BTN_PARAMETER_PC88_pressed();
    void on_BTN_PARAMETER_PC88_clicked();
    void on_BTN_PARAMETER_X1_pressed();
    void on_BTN_PARAMETER_X1_clicked();
    void on_BTN_PARAMETER_FM77_pressed();
    void on_BTN_PARAMETER_FM77_clicked();
    void on_CMB_PARAMETER_activated(int index);
    void on_BTN_PARAMETER_EDIT_pressed();
    void on_BTN_PARAMETER_EDIT_released();
    void on_BTN_PARAMETER_EDIT_clicked();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void PresetPressed(MyPushButton* button);
    void PresetClicked(MyPushButton* button);
    // A new snapshot of this mode's panel (the caller owns it); null without
    // panels.
    ParameterSet* TakePanelSnapshot();
    void ApplyToPanel(ParameterSet* set);
    void StopHoldTimer();

    Ui::ParameterSelector* ui;
    int m_timerId = -1;
    bool m_longPress = false;
    ParameterManage* m_manage = nullptr;
    int m_mode = 0;
    OperationPanels* m_panels = nullptr;
};
