#include "mypushbutton.h"

#include <QDebug>
#include <QMetaObject>
#include <QStringList>
#include <QTimerEvent>

#include "kestalog.h"
#include "machinepresets.h"
#include "mycommon.h"
#include "parameterset.h"

const QString MyPushButton::NORMAL_STYLE = QStringLiteral(
    " * {border-radius:5px;background-color:rgb(225, 225, 225); border:2px outset rgb(113, 113, 113);}"
    ":pressed {background-color:rgb(172, 172, 172); color:white; border-style:inset;}");
const QString MyPushButton::REGISTERED_STYLE = QStringLiteral(
    " * {border-radius:5px;background-color:rgb(225, 225, 225); border:2px outset rgb(113, 113, 113);}"
    ":pressed {background-color:rgb(52, 184, 255); color:white; border-style:inset;}");
const QString MyPushButton::REGISTERED_TEXT = QStringLiteral("Regist!!");

namespace {

void putValues(ParameterSet* set, MachinePresets::Machine machine)
{
    set->RemoveParameters();
    for (const auto& pair : MachinePresets::Values(machine))
        set->SetValue(pair.first, pair.second);
}

} // namespace

MyPushButton::MyPushButton(QWidget* parent)
    : QPushButton(parent)
    , m_normalStyle(NORMAL_STYLE)
    , m_registeredStyle(REGISTERED_STYLE)
    , m_registeredText(REGISTERED_TEXT)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MyPushButton"));
    resize(215, 71);
    setWindowTitle(QStringLiteral("PushButton"));
    // Our own pressed() and released() come first; whoever owns the button
    // connects after us and sees the press already started.
    QMetaObject::connectSlotsByName(this);
    m_reserve = new ParameterSet;
    m_parameters = new ParameterSet;
    setStyleSheet(m_normalStyle);
    SetDefault(m_parameters);
    update();
}

MyPushButton::~MyPushButton()
{
    delete m_reserve;
    delete m_parameters;
}

void MyPushButton::SetParameters(ParameterSet* src)
{
    Copy(m_parameters, src);
}

void MyPushButton::SetReserveParameters(ParameterSet* src)
{
    Copy(m_reserve, src);
}

void MyPushButton::SetDefault(ParameterSet* set)
{
    if (set)
        putValues(set, MachinePresets::Machine::Generic);
}

void MyPushButton::SetDefault_X68K()
{
    putValues(m_parameters, MachinePresets::Machine::X68K);
}

void MyPushButton::SetDefault_PC88()
{
    putValues(m_parameters, MachinePresets::Machine::PC88);
}

void MyPushButton::SetDefault_X1()
{
    putValues(m_parameters, MachinePresets::Machine::X1);
}

void MyPushButton::SetDefault_FM77()
{
    putValues(m_parameters, MachinePresets::Machine::FM77);
}

void MyPushButton::Copy(ParameterSet* dst, const ParameterSet* src)
{
    // The values only: dst keeps its name.
    if (dst && src)
        dst->CopyParameters(*src);
}

void MyPushButton::RemoveParameters(ParameterSet* set)
{
    if (set)
        set->RemoveParameters();
}

void MyPushButton::on_MyPushButton_pressed()
{
    // A press that did not see its release (the button hidden while down)
    // leaves its timer behind; it must not register for this press.
    if (m_timerId >= 0)
        killTimer(m_timerId);
    if (m_timerId == -1)
        m_savedText = text();
    // Every press records only what its own owner hands over: a press whose
    // owner refuses it (input guard) has nothing to register, rather than the
    // values of an earlier press.
    m_reserve->clear();
    m_timerId = startTimer(MyCommon::TIME_PRESET_HOLD, Qt::CoarseTimer);
}

void MyPushButton::on_MyPushButton_released()
{
    if (m_timerId == -1)
        return;
    setStyleSheet(m_normalStyle);
    setText(m_savedText);
    if (m_timerId != -2)
        killTimer(m_timerId);
    m_timerId = -1;
}

void MyPushButton::timerEvent(QTimerEvent* event)
{
    if (m_timerId < 0 || event->timerId() != m_timerId) {
        QPushButton::timerEvent(event);
        return;
    }
    // Without a reserve there is nothing to record; the timer keeps running.
    if (m_reserve->isEmpty())
        return;
    qCDebug(lcUi) << "DEF_BTN_TIMER_VALUE";
    SetParameters(m_reserve);
    killTimer(m_timerId);
    m_timerId = -2;
    setStyleSheet(m_registeredStyle);
    setText(m_registeredText);
    emit parameterRegistered();
}
