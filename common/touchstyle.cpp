#include "touchstyle.h"

#include <QApplication>

namespace TouchStyle {

const QString APPLICATION_STYLE_SHEET = QStringLiteral(
    "QMessageBox QPushButton, QProgressDialog QPushButton, QDialogButtonBox QPushButton"
    " { min-width: 88px; min-height: 44px; }"
    "QRadioButton, QCheckBox { min-height: 44px; spacing: 10px; }"
    "QRadioButton::indicator, QCheckBox::indicator { width: 26px; height: 26px; }");

void Apply()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    const QString sheet = app->styleSheet();
    if (!sheet.contains(APPLICATION_STYLE_SHEET))
        app->setStyleSheet(sheet + APPLICATION_STYLE_SHEET);
}


QString WideScrollBar()
{
    return QStringLiteral(
        "QScrollBar:vertical {"
        " border: 2px solid #999999; background: white; width: 50px; margin: 0px 0px 0px 0px; }"
        "QScrollBar::handle:vertical { background: rgb(140, 160, 170); min-height: 50px; }"
        "QScrollBar::add-line:vertical { height: 0px; subcontrol-position: bottom; subcontrol-origin: margin; }"
        "QScrollBar::sub-line:vertical { height: 0px; subcontrol-position: top; subcontrol-origin: margin; }");
}

QString ValueList(const QString& boxRules, int dropDownWidth)
{
    return QStringLiteral("QComboBox { border: 1px solid gray; border-radius: 3px; %1 }"
                          "QComboBox:editable { background: white; }"
                          "QComboBox:!editable, QComboBox::drop-down:editable {"
                          " background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #E1E1E1, stop: 0.4 #DDDDDD,"
                          " stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3); }"
                          "QComboBox:!editable:on, QComboBox::drop-down:editable:on {"
                          " background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #D3D3D3, stop: 0.4 #D8D8D8,"
                          " stop: 0.5 #DDDDDD, stop: 1.0 #E1E1E1); }"
                          "QComboBox:on { padding-top: 3px; padding-left: 4px; }"
                          "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: top right;"
                          " width: %2px; border-left-width: 1px; border-left-color: darkgray; border-left-style: solid;"
                          " border-top-right-radius: 3px; border-bottom-right-radius: 3px; }"
                          "QComboBox::down-arrow { image: url(:/image/downarrow.png); }"
                          "QComboBox::down-arrow:on { top: 1px; left: 1px; }"
                          "QComboBox { combobox-popup: 0; }")
        .arg(boxRules)
        .arg(dropDownWidth);
}

} // namespace TouchStyle
