#pragma once

#include <QPushButton>
#include <QString>

class ParameterSet;
class QTimerEvent;

// A machine preset button (and the selector's EDIT/REC button).  It carries
// one parameter set: a tap hands it to the panel, and holding the button for
// TIME_PRESET_HOLD records the panel values taken when the press began
// (the reserve) into it, shows "Regist!!" and emits parameterRegistered().
class MyPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyPushButton(QWidget* parent = nullptr);
    ~MyPushButton() override;

    // The button's own set; the button keeps it.
    ParameterSet* GetParameters() const { return m_parameters; }
    void SetParameters(ParameterSet* src);
    // The panel values of the press in progress, waiting to be registered.
    ParameterSet* GetReserveParameters() const { return m_reserve; }
    void SetReserveParameters(ParameterSet* src);

    // Puts the generic values into set (after removing its parameter keys).
    static void SetDefault(ParameterSet* set);
    void SetDefault_X68K();
    void SetDefault_PC88();
    void SetDefault_X1();
    void SetDefault_FM77();

    // Empties dst's fifteen parameter keys and gives each of them src's value
    // ("" where src lacks it).  The name of dst is left alone.
    static void Copy(ParameterSet* dst, const ParameterSet* src);
    static void RemoveParameters(ParameterSet* set);

    // -1: no press in progress; -2: this press has registered; otherwise the
    // id of the hold timer.  A QTimerEvent with this id has the effect of the
    // timer firing.
    int holdTimerId() const { return m_timerId; }

    static const QString NORMAL_STYLE;
    static const QString REGISTERED_STYLE;
    static const QString REGISTERED_TEXT;

signals:
    void parameterRegistered();

public slots:
    void on_MyPushButton_pressed();
    void on_MyPushButton_released();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QString m_normalStyle;
    QString m_registeredStyle;
    QString m_registeredText;
    int m_timerId = -1;
    ParameterSet* m_reserve = nullptr;
    ParameterSet* m_parameters = nullptr;
    QString m_savedText;
};
