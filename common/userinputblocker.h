#pragma once

#include <QObject>

// While alive, swallows every user input event of the application (taps,
// mouse, keys, wheel) so that a blocking run keeps painting but cannot be
// operated.  Input that arrives meanwhile is dropped, not queued for later.
class UserInputBlocker : public QObject
{
    Q_OBJECT
public:
    UserInputBlocker();
    ~UserInputBlocker() override;

    static bool IsUserInput(int eventType);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
