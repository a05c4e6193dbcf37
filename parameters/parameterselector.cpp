#include "parameterselector.h"
#include "ui_parameterselector.h"

#include <QDebug>
#include <QTimerEvent>
#include <QVariant>

#include "dumpsettingdialog.h"
#include "kestalog.h"
#include "mycombobox.h"
#include "mycommon.h"
#include "mypushbutton.h"
#include "operationpanels.h"
#include "parametermanage.h"
#include "parameterset.h"
#include "touchstyle.h"

const QString ParameterSelector::LIST_STYLE =
    TouchStyle::WideScrollBar()
    + TouchStyle::ValueList(QStringLiteral("padding: 1px 2px 1px 2px; min-width: 230px; max-width: 240px;"), 50);

ParameterSelector::ParameterSelector(QWidget* parent) : QWidget(parent), ui(new Ui::ParameterSelector)
{
    ui->setupUi(this);
    // Once here rather than with every rebuild of the list, so that one
    // registration saves once.
    for (int number = 1; number <= 4; ++number)
        connect(GetButton(number), &MyPushButton::parameterRegistered, this,
                &ParameterSelector::on_parameterRegistered);
}

ParameterSelector::~ParameterSelector()
{
    delete m_manage;
    delete ui;
}

void ParameterSelector::SetMode(int mode)
{
    m_mode = mode;
}

ParameterManage* ParameterSelector::getParameterManage()
{
    if (!m_manage)
        m_manage = new ParameterManage();
    return m_manage;
}

MyPushButton* ParameterSelector::GetButton(int number) const
{
    switch (number) {
    case 1:
        return ui->BTN_PARAMETER_X68K;
    case 2:
        return ui->BTN_PARAMETER_PC88;
    case 3:
        return ui->BTN_PARAMETER_X1;
    case 4:
        return ui->BTN_PARAMETER_FM77;
    default:
        return nullptr;
    }
}

void ParameterSelector::SetupParameterList()
{
    ui->CMB_PARAMETER->clear();
    ui->CMB_PARAMETER->setStyleSheet(LIST_STYLE);
    for (int number = 1; number <= 4; ++number)
        GetButton(number)->setStyleSheet(MyPushButton::NORMAL_STYLE);

    ParameterManage* store = getParameterManage();
    for (int i = 0; i < store->Count(); ++i) {
        ParameterSet copy;
        if (store->Get(i, &copy))
            ui->CMB_PARAMETER->addItem(copy.Name());
    }
}

void ParameterSelector::on_parameterRegistered()
{
    emit fixBtnParameterRegistered();
}

// ---- the panel of this selector's operation -------------------------------

ParameterSet* ParameterSelector::TakePanelSnapshot()
{
    return m_panels ? m_panels->GetButtonParameters(m_mode) : nullptr;
}

void ParameterSelector::ApplyToPanel(ParameterSet* set)
{
    if (m_panels && set)
        m_panels->SetButtonParameters(m_mode, set);
}

// ---- machine presets ------------------------------------------------------
//
// The four buttons share one handler each for pressed and clicked, and report
// a refused tap under the X68K names.

void ParameterSelector::PresetPressed(MyPushButton* button)
{
    if (MyCommon::getInstance()->isInputGuard()) {
        qCDebug(lcUi) << "void ParameterSelector::on_BTN_PARAMETER_X68K_pressed()" << " INPUT GUARD!!";
        return;
    }
    // The button's own long press records this snapshot after its hold.
    ParameterSet* snapshot = TakePanelSnapshot();
    if (snapshot)
        button->SetReserveParameters(snapshot);
    delete snapshot;
}

void ParameterSelector::PresetClicked(MyPushButton* button)
{
    if (MyCommon::getInstance()->isInputGuard()) {
        qCDebug(lcUi) << "void ParameterSelector::on_BTN_PARAMETER_X68K_clicked()" << " INPUT GUARD!!";
        return;
    }
    ApplyToPanel(button->GetParameters());
}

void ParameterSelector::on_BTN_PARAMETER_X68K_pressed()
{
    PresetPressed(ui->BTN_PARAMETER_X68K);
}

void ParameterSelector::on_BTN_PARAMETER_X68K_clicked()
{
    PresetClicked(ui->BTN_PARAMETER_X68K);
}

void ParameterSelector::on_BTN_PARAMETER_PC88_pressed()
{
    PresetPressed(ui->BTN_PARAMETER_PC88);
}

void ParameterSelector::on_BTN_PARAMETER_PC88_clicked()
{
    PresetClicked(ui->BTN_PARAMETER_PC88);
}

void ParameterSelector::on_BTN_PARAMETER_X1_pressed()
{
    PresetPressed(ui->BTN_PARAMETER_X1);
}

void ParameterSelector::on_BTN_PARAMETER_X1_clicked()
{
    PresetClicked(ui->BTN_PARAMETER_X1);
}

void ParameterSelector::on_BTN_PARAMETER_FM77_pressed()
{
    PresetPressed(ui->BTN_PARAMETER_FM77);
}

void ParameterSelector::on_BTN_PARAMETER_FM77_clicked()
{
    PresetClicked(ui->BTN_PARAMETER_FM77);
}

// ---- named sets -----------------------------------------------------------

void ParameterSelector::on_CMB_PARAMETER_activated(int index)
{
    qCDebug(lcUi).noquote() << QStringLiteral("on_CMB_PARAMETER_activated:%1").arg(index);
    // By position: two entries may carry the same name.
    ApplyToPanel(getParameterManage()->GetParametersAt(index));
}

void ParameterSelector::StopHoldTimer()
{
    if (m_timerId >= 0)
        killTimer(m_timerId);
    m_timerId = -1;
}

void ParameterSelector::on_BTN_PARAMETER_EDIT_pressed()
{
    if (MyCommon::getInstance()->isInputGuard()) {
        qCDebug(lcUi) << "void ParameterSelector::on_BTN_PARAMETER_EDIT_pressed()" << " INPUT GUARD!!";
        return;
    }
    StopHoldTimer();
    m_longPress = false;
    m_timerId = startTimer(MyCommon::TIME_EDIT_HOLD, Qt::CoarseTimer);
    qCDebug(lcUi) << "on_BTN_PARAMETER_EDIT_pressed";
    ParameterSet* snapshot = TakePanelSnapshot();
    if (snapshot)
        ui->BTN_PARAMETER_EDIT->SetReserveParameters(snapshot);
    delete snapshot;
}

void ParameterSelector::on_BTN_PARAMETER_EDIT_released() {}

void ParameterSelector::timerEvent(QTimerEvent* event)
{
    if (m_timerId < 0 || event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    StopHoldTimer();
    m_longPress = true;
}

void ParameterSelector::on_BTN_PARAMETER_EDIT_clicked()
{
    if (MyCommon::getInstance()->isInputGuard()) {
        qCDebug(lcUi) << "void ParameterSelector::on_BTN_PARAMETER_EDIT_clicked()" << " INPUT GUARD!!";
        StopHoldTimer();
        m_longPress = false;
        return;
    }
    StopHoldTimer();

    if (m_longPress) {
        qCDebug(lcUi) << "cancel_BTN_PARAMETER_EDIT_SETTING_clicked is true";
        m_longPress = false;
        ParameterManage* store = getParameterManage();
        const int index = ui->CMB_PARAMETER->currentIndex();
        // What is recorded is the panel as it was at the press, whether the
        // button has taken it over yet (3000 ms) or not.
        const ParameterSet* pressed = ui->BTN_PARAMETER_EDIT->GetReserveParameters();
        if (index < 0 || index >= store->Count() || pressed->isEmpty())
            return;
        const QString name = ui->CMB_PARAMETER->currentText();
        ParameterSet recorded;
        MyPushButton::Copy(&recorded, pressed);
        recorded.SetName(name);
        store->SetParametersAt(index, &recorded);
        ui->CMB_PARAMETER->setItemData(index, recorded.Name(), Qt::UserRole);
        emit parameterRegistered();
        return;
    }

    const QString name = ui->CMB_PARAMETER->currentText();
    const int index = ui->CMB_PARAMETER->currentIndex();
    auto* dialog = new DumpSettingDialog(this, m_mode);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // exec() deletes the dialog before it returns.
    if (dialog->exec() != QDialog::Accepted)
        return;
    SetupParameterList();
    // Sets may share a name: the one shown before stays selected when it is
    // still in its place, so that a later record goes into it and not into
    // the first set of that name.
    if (index >= 0 && index < ui->CMB_PARAMETER->count() && ui->CMB_PARAMETER->itemText(index) == name)
        ui->CMB_PARAMETER->setCurrentIndex(index);
    else
        ui->CMB_PARAMETER->setCurrentText(name);
    qCDebug(lcUi) << "ParameterSettingAddDialog::Accepted. SET";
    emit parameterRegistered();
}
