#include "mykeyboard.h"
#include <QLineEdit>
#include <QMessageBox>
#include "ui_mykeyboard.h"

#include <QDebug>
#include <QFont>
#include <QPushButton>
#include <QTimerEvent>

#include "kestalog.h"
#include "mycommon.h"

const QString MyKeyboard::KEY_STYLE = QStringLiteral(
    "color: rgb(222, 222, 222);\nbackground-color: rgb(73, 70, 67);\nborder-radius: 10px;");
const QString MyKeyboard::KEY_HELD_STYLE = QStringLiteral(
    "color: rgb(222, 222, 222);\nbackground-color: rgb(53, 50, 47);\nborder-radius: 10px;");

namespace {

// The & key's caption escapes the ampersand, which a button would otherwise
// take for a shortcut mark; it types a single &.
const QString AMPERSAND_KEY = QStringLiteral("&&");
const QString QUOTE = QStringLiteral("'");
const QString DOUBLE_QUOTE = QStringLiteral("\"");
const QString SMILEY = QStringLiteral(":-)");

constexpr int KEY_FONT_SIZE = 14;
constexpr int KEY_HELD_FONT_SIZE = 32;

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

QStringList lettersPage(bool upper)
{
    QStringList keys;
    keys << words(upper ? "Q W E R T Y U I O P" : "q w e r t y u i o p") << MyCommon::KEY_BS;
    keys << words(upper ? "A S D F G H J K L" : "a s d f g h j k l") << MyCommon::KEY_ENTER;
    keys << MyCommon::KEY_SHIFT << words(upper ? "Z X C V B N M < >" : "z x c v b n m , .")
         << MyCommon::KEY_SHIFT;
    keys << MyCommon::KEY_NUM << MyCommon::KEY_LEFT << MyCommon::KEY_RIGHT << MyCommon::KEY_SPACE << QUOTE
         << SMILEY << MyCommon::KEY_CLOSE;
    return keys;
}

QStringList symbolsRow4()
{
    return {MyCommon::KEY_ABC, MyCommon::KEY_LEFT, MyCommon::KEY_RIGHT, MyCommon::KEY_SPACE,
            QStringLiteral("-"), SMILEY, MyCommon::KEY_CLOSE};
}

QStringList page1()
{
    QStringList keys;
    keys << words("1 2 3 4 5 6 7 8 9 0") << MyCommon::KEY_BS;
    keys << words("@ # $ % ^") << AMPERSAND_KEY << words("* ( )") << MyCommon::KEY_ENTER;
    // The double quote sits on two keys of this row.
    keys << MyCommon::KEY_PAGE1 << DOUBLE_QUOTE << DOUBLE_QUOTE << words(", = : ; ! ? ~") << MyCommon::KEY_PAGE1;
    keys << symbolsRow4();
    return keys;
}

QStringList page2()
{
    const QString blank;
    QStringList keys;
    keys << words("- + / \\ | [ ] { }") << blank << MyCommon::KEY_BS;
    keys << words("< > , . : ; ! ? ~") << MyCommon::KEY_ENTER;
    keys << MyCommon::KEY_PAGE2 << QStringLiteral("/") << DOUBLE_QUOTE << QUOTE << QStringLiteral("_") << blank
         << QStringLiteral("\\") << blank << blank << blank << MyCommon::KEY_PAGE2;
    keys << symbolsRow4();
    return keys;
}

void setKeyFontSize(QPushButton* key, int pointSize)
{
    QFont font = key->font();
    font.setPointSize(pointSize);
    key->setFont(font);
}

} // namespace

MyKeyboard::MyKeyboard(QWidget* parent) : QDialog(parent), ui(new Ui::MyKeyboard)
{
    ui->setupUi(this);

    m_keys = {ui->BTN_KEY1,  ui->BTN_KEY2,  ui->BTN_KEY3,  ui->BTN_KEY4,  ui->BTN_KEY5,  ui->BTN_KEY6,
              ui->BTN_KEY7,  ui->BTN_KEY8,  ui->BTN_KEY9,  ui->BTN_KEY10, ui->BTN_KEY11, ui->BTN_KEY12,
              ui->BTN_KEY13, ui->BTN_KEY14, ui->BTN_KEY15, ui->BTN_KEY16, ui->BTN_KEY17, ui->BTN_KEY18,
              ui->BTN_KEY19, ui->BTN_KEY20, ui->BTN_KEY21, ui->BTN_KEY22, ui->BTN_KEY23, ui->BTN_KEY24,
              ui->BTN_KEY25, ui->BTN_KEY26, ui->BTN_KEY27, ui->BTN_KEY28, ui->BTN_KEY29, ui->BTN_KEY30,
              ui->BTN_KEY31, ui->BTN_KEY32, ui->BTN_KEY33, ui->BTN_KEY34, ui->BTN_KEY35, ui->BTN_KEY36,
              ui->BTN_KEY37, ui->BTN_KEY38, ui->BTN_KEY39};
    for (int index = 0; index < m_keys.count(); ++index) {
        QPushButton* key = m_keys.at(index);
        key->setObjectName(QString::number(index));
        connect(key, &QPushButton::pressed, this, &MyKeyboard::on_BTN_KEY_pressed);
        connect(key, &QPushButton::released, this, &MyKeyboard::on_BTN_KEY_released);
    }

    setKeyboardShiftMode(SHIFT_OFF, true);
    ui->LEDIT_KEYINP->setMaxLength(m_maxLength);
    // Keys take no focus, so the input line keeps its cursor in view.
    ui->LEDIT_KEYINP->setFocus();
}

MyKeyboard::~MyKeyboard()
{
    delete ui;
}

void MyKeyboard::setText(const QString& text)
{
    ui->LEDIT_KEYINP->setText(text);
}

QString MyKeyboard::getText() const
{
    return ui->LEDIT_KEYINP->text();
}

// A dialog that opens hands its first field the focus as if tabbed into,
// which selects the whole text; the first key would then replace the text
// instead of adding to it.  The keyboard opens with the cursor at the end.
//
// ENTER and CLOSE end the dialog while their key is still down, and a hidden
// key may hear no release: on closing, the repeat stops and every key gets its
// normal look back, in case the caller opens the same keyboard again.
void MyKeyboard::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (visible) {
        ui->LEDIT_KEYINP->deselect();
        return;
    }
    stopRepeat();
    for (QPushButton* key : qAsConst(m_keys)) {
        if (key->styleSheet() != KEY_STYLE) {
            setKeyFontSize(key, KEY_FONT_SIZE);
            key->setStyleSheet(KEY_STYLE);
        }
    }
}

void MyKeyboard::setLengthLimit(int minimum, int maximum)
{
    m_minLength = minimum;
    m_maxLength = maximum;
    ui->LEDIT_KEYINP->setMaxLength(maximum);
}

void MyKeyboard::setKeyboardShiftMode(SHIFT_MODE mode, bool force)
{
    if (mode != m_shiftMode || force)
        changeKeyboardLayout(mode, m_layoutMode);
    m_shiftMode = mode;
}

void MyKeyboard::setKeyboardLayoutMode(LAYOUT_MODE mode, bool force)
{
    if (mode != m_layoutMode || force)
        changeKeyboardLayout(m_shiftMode, mode);
    m_layoutMode = mode;
}

QStringList MyKeyboard::pageLabels(SHIFT_MODE shift, LAYOUT_MODE layout)
{
    switch (layout) {
    case LAYOUT_PAGE1:
        return page1();
    case LAYOUT_PAGE2:
        return page2();
    case LAYOUT_LETTERS:
        break;
    }
    return lettersPage(shift == SHIFT_ON);
}

void MyKeyboard::changeKeyboardLayout(SHIFT_MODE shift, LAYOUT_MODE layout)
{
    const QStringList labels = pageLabels(shift, layout);
    for (int index = 0; index < m_keys.count() && index < labels.count(); ++index) {
        qCDebug(lcUi) << labels.at(index);
        m_keys.at(index)->setText(labels.at(index));
    }
}

void MyKeyboard::insertText(const QString& text)
{
    if (!text.isEmpty())
        ui->LEDIT_KEYINP->insert(text);
}

QString MyKeyboard::analysisInputKey(const QString& keyText)
{
    QLineEdit* line = ui->LEDIT_KEYINP;
    if (keyText == MyCommon::KEY_BS) {
        line->backspace();
        return keyText;
    }
    if (keyText == MyCommon::KEY_ENTER) {
        qCDebug(lcUi) << "ENTER BTN";
        const int length = line->text().length();
        if (length >= m_minLength && length <= m_maxLength)
            accept();
        return QString();
    }
    if (keyText == MyCommon::KEY_SHIFT) {
        setKeyboardShiftMode(m_shiftMode == SHIFT_ON ? SHIFT_OFF : SHIFT_ON);
        return QString();
    }
    if (keyText == MyCommon::KEY_NUM) {
        setKeyboardLayoutMode(LAYOUT_PAGE1);
        return QString();
    }
    if (keyText == MyCommon::KEY_PAGE1) {
        setKeyboardLayoutMode(LAYOUT_PAGE2);
        return QString();
    }
    if (keyText == MyCommon::KEY_PAGE2) {
        setKeyboardLayoutMode(LAYOUT_PAGE1);
        return QString();
    }
    if (keyText == MyCommon::KEY_ABC) {
        setKeyboardLayoutMode(LAYOUT_LETTERS);
        return QString();
    }
    if (keyText == MyCommon::KEY_LEFT) {
        line->cursorBackward(false, 1);
        return QString();
    }
    if (keyText == MyCommon::KEY_RIGHT) {
        line->cursorForward(false, 1);
        return QString();
    }
    if (keyText == MyCommon::KEY_SPACE) {
        line->insert(QStringLiteral(" "));
        return QString();
    }
    if (keyText == MyCommon::KEY_CLOSE) {
        qCDebug(lcUi) << "CLOSE BTN";
        line->clear();
        reject();
        return QString();
    }
    // The & key's caption is the escaped "&&"; it types, and repeats, one &.
    const QString text = keyText == AMPERSAND_KEY ? QStringLiteral("&") : keyText;
    insertText(text);
    return text;
}

void MyKeyboard::on_BTN_KEY_pressed()
{
    auto* key = qobject_cast<QPushButton*>(sender());
    if (!key)
        return;
    // The held look goes on first: ENTER and CLOSE may end the dialog right
    // here, and closing is what takes the look off again.
    setKeyFontSize(key, KEY_HELD_FONT_SIZE);
    key->setStyleSheet(KEY_HELD_STYLE);
    // One repeat at a time: a key pressed while another is held takes over.
    stopRepeat();
    m_repeatKeyText = analysisInputKey(key->text());
    if (!m_repeatKeyText.isEmpty())
        m_repeatTimerId = startTimer(MyCommon::TIME_KEY_REPEAT_DELAY, Qt::PreciseTimer);
}

void MyKeyboard::on_BTN_KEY_released()
{
    stopRepeat();
    auto* key = qobject_cast<QPushButton*>(sender());
    if (!key)
        return;
    setKeyFontSize(key, KEY_FONT_SIZE);
    key->setStyleSheet(KEY_STYLE);
}

void MyKeyboard::stopRepeat()
{
    if (m_repeatTimerId != -1) {
        killTimer(m_repeatTimerId);
        m_repeatTimerId = -1;
    }
}

void MyKeyboard::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_repeatTimerId || m_repeatTimerId == -1) {
        QDialog::timerEvent(event);
        return;
    }
    qCDebug(lcUi) << "KEY TIMER TIMEOUT";
    killTimer(m_repeatTimerId);
    m_repeatTimerId = startTimer(MyCommon::TIME_KEY_REPEAT_INTERVAL, Qt::PreciseTimer);
    if (m_repeatKeyText.isEmpty())
        return;
    if (m_repeatKeyText == MyCommon::KEY_BS)
        ui->LEDIT_KEYINP->backspace();
    else
        insertText(m_repeatKeyText);
}

bool MyKeyboard::ConfirmTextEntry(QWidget* parent)
{
    if (MyCommon::getInstance()->isDRVEMU_STATE() != MyCommon::DRVEMU_RUNNING)
        return true;
    const auto answer = QMessageBox::question(
        parent, QStringLiteral("Confirm operation continuation."),
        QStringLiteral("Do you want to continue?\nTo continue operation, stop the control of KESTA."),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    return answer == QMessageBox::Ok;
}

bool MyKeyboard::EditField(QWidget* keyboardParent, QLineEdit* field, QWidget* focusOwner, int minimumLength,
                           int maximumLength)
{
    MyKeyboard keyboard(keyboardParent);
    keyboard.move(0, 180);
    keyboard.setLengthLimit(minimumLength, maximumLength);
    keyboard.setText(field->text());
    if (focusOwner)
        focusOwner->setFocus();
    const bool accepted = keyboard.exec() == QDialog::Accepted;
    if (accepted) {
        qCDebug(lcUi) << "DIALOG Accepted!!" << keyboard.getText();
        field->setText(keyboard.getText());
    }
    if (focusOwner)
        focusOwner->setFocus();
    return accepted;
}

bool MyKeyboard::ConfirmAndEditField(QWidget* keyboardParent, QLineEdit* field, QWidget* focusOwner,
                                     int minimumLength, int maximumLength)
{
    if (!ConfirmTextEntry(focusOwner)) {
        focusOwner->setFocus();
        return false;
    }
    return EditField(keyboardParent, field, focusOwner, minimumLength, maximumLength);
}
