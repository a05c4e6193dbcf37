#include "mypushbutton.h"

#include <QDebug>
#include <QMetaObject>
#include <QStringList>
#include <QTimerEvent>

#include "kestalog.h"
#include "mycommon.h"
#include "parametermanage.h"
#include "parameterset.h"

const QString MyPushButton::NORMAL_STYLE = QStringLiteral(
    " * {border-radius:5px;background-color:rgb(225, 225, 225); border:2px outset rgb(113, 113, 113);}"
    ":pressed {background-color:rgb(172, 172, 172); color:white; border-style:inset;}");
const QString MyPushButton::REGISTERED_STYLE = QStringLiteral(
    " * {border-radius:5px;background-color:rgb(225, 225, 225); border:2px outset rgb(113, 113, 113);}"
    ":pressed {background-color:rgb(52, 184, 255); color:white; border-style:inset;}");
const QString MyPushButton::REGISTERED_TEXT = QStringLiteral("Regist!!");

namespace {

// Values in the order of ParameterSet::ParameterKeys(): DRIVES, CYLINDERS,
// HEADS, BEGIN, END, STEPS, DENSITY, FORMAT, ASSERT_PIN1..3, RETRY, FLAG,
// DISKNO, OVERWRITE.
const QString& ng()
{
    return MyCommon::NOT_GIVEN;
}

QStringList genericValues()
{
    return {"0", "40", "2", "0", "39", "1", "double", MyCommon::FORMAT_ENCODE, ng(), ng(), ng(),
            "3", "1", "1", "SETTING"};
}

QStringList x68kValues()
{
    return {"0", "80", "2", "0", "79", "1", "high", MyCommon::FORMAT_ENCODE, ng(), ng(), ng(),
            "3", "1", "1", "SETTING"};
}

QStringList pc88Values()
{
    return {"0", "40", "2", "0", "39", "1", "double", MyCommon::FORMAT_ENCODE, "2", "4", "12",
            "3", "1", "1", "SETTING"};
}

QStringList x1Values()
{
    return {"0", "40", "2", "0", "39", "1", "double", MyCommon::FORMAT_ENCODE, "2", "4", ng(),
            "3", "1", "1", "SETTING"};
}

QStringList fm77Values()
{
    return {"0", "40", "2", "0", "39", "2", "double", MyCommon::FORMAT_ENCODE, ng(), ng(), ng(),
            "3", "1", "1", "SETTING"};
}

void putValues(ParameterSet* set, const QStringList& values)
{
    MyPushButton::RemoveParameters(set);
    const QStringList& keys = ParameterSet::ParameterKeys();
    for (int i = 0; i < keys.size() && i < values.size(); ++i)
        set->SetValue(keys.at(i), values.at(i));
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
        putValues(set, genericValues());
}

void MyPushButton::SetDefault_X68K()
{
    putValues(m_parameters, x68kValues());
}

void MyPushButton::SetDefault_PC88()
{
    putValues(m_parameters, pc88Values());
}

void MyPushButton::SetDefault_X1()
{
    putValues(m_parameters, x1Values());
}

void MyPushButton::SetDefault_FM77()
{
    putValues(m_parameters, fm77Values());
}

void MyPushButton::Copy(ParameterSet* dst, const ParameterSet* src)
{
    if (!dst || !src || dst == src)
        return;
    // The values only: dst keeps its name.
    RemoveParameters(dst);
    for (const QString& key : ParameterSet::ParameterKeys())
        dst->SetValue(key, src->Value(key));
}

void MyPushButton::RemoveParameters(ParameterSet* set)
{
    ParameterManage::RemoveParameters(set);
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
