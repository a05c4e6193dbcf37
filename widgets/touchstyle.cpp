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

} // namespace TouchStyle
