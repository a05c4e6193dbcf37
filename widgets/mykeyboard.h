#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QPushButton;
class QTimerEvent;

class QLineEdit;

namespace Ui {
class MyKeyboard;
}

// The on-screen keyboard: a modal dialog with an input line and 39 touch keys
// in four rows, whose labels change between four pages (lower-case letters,
// upper-case letters, two pages of digits and symbols).  BS and the keys that
// type text repeat while held.  The caller copies its field's text in with
// setText(), runs exec() and, when it was accepted, reads getText().
class MyKeyboard : public QDialog
{
    Q_OBJECT
public:
    enum SHIFT_MODE { SHIFT_OFF = 0, SHIFT_ON = 1 };
    enum LAYOUT_MODE { LAYOUT_LETTERS = 0, LAYOUT_PAGE1 = 1, LAYOUT_PAGE2 = 2 };

    static constexpr int KEY_COUNT = 39;

    explicit MyKeyboard(QWidget* parent = nullptr);
    ~MyKeyboard() override;

    void setText(const QString& text);
    QString getText() const;
    // ENTER accepts only a text of at least minimum and at most maximum
    // characters; the input line takes no more than maximum.
    void setLengthLimit(int minimum, int maximum);
    int getMinimumLength() const { return m_minLength; }
    int getMaximumLength() const { return m_maxLength; }

    void setKeyboardShiftMode(SHIFT_MODE mode, bool force = false);
    SHIFT_MODE getKeyboardShiftMode() const { return m_shiftMode; }
    void setKeyboardLayoutMode(LAYOUT_MODE mode, bool force = false);
    LAYOUT_MODE getKeyboardLayoutMode() const { return m_layoutMode; }
    void changeKeyboardLayout(SHIFT_MODE shift, LAYOUT_MODE layout);

    // Applies one key and returns the text to repeat while it is held (empty
    // for keys that do not repeat).
    QString analysisInputKey(const QString& keyText);

    // The 39 key buttons in key order (BTN_KEY1 .. BTN_KEY39); each one's
    // object name is its index.
    const QList<QPushButton*>& getKeyButtons() const { return m_keys; }
    // The labels of a page in key order.
    static QStringList pageLabels(SHIFT_MODE shift, LAYOUT_MODE layout);

    // While the emulator runs, text entry first asks whether to go on (the
    // emulator has to stop for it).  True when the caller may go on.
    static bool ConfirmTextEntry(QWidget* parent);
    // Runs a keyboard for field (parent: keyboardParent, placed at 0, 180) and
    // puts its text into the field when it is accepted.  `focusOwner` takes the
    // focus before and after, so the next tap on the field opens it again.
    static bool EditField(QWidget* keyboardParent, QLineEdit* field, QWidget* focusOwner, int minimumLength = 0,
                          int maximumLength = 255);
    // ConfirmTextEntry (asked over focusOwner), then EditField; a refusal
    // gives focusOwner the focus back.
    static bool ConfirmAndEditField(QWidget* keyboardParent, QLineEdit* field, QWidget* focusOwner,
                                    int minimumLength = 0, int maximumLength = 255);

    // Id of the running repeat timer, -1 when none runs.  A QTimerEvent with
    // this id has the effect of the timer firing.
    int repeatTimerId() const { return m_repeatTimerId; }

    static const QString KEY_STYLE;
    static const QString KEY_HELD_STYLE;

    void setVisible(bool visible) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // Connected to every key's pressed() and released().  Not slots: their
    // names would make the form's connection by name look for an object
    // called "BTN".
    void on_BTN_KEY_pressed();
    void on_BTN_KEY_released();
    void insertText(const QString& text);
    void stopRepeat();

    Ui::MyKeyboard* ui;
    QList<QPushButton*> m_keys;
    SHIFT_MODE m_shiftMode = SHIFT_OFF;
    LAYOUT_MODE m_layoutMode = LAYOUT_LETTERS;
    int m_repeatTimerId = -1;
    QString m_repeatKeyText;
    int m_minLength = 0;
    int m_maxLength = 255;
};
