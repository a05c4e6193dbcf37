#pragma once

#include <QDialog>
#include <QString>

// Shell: the on-screen keyboard is filled in by its own change.  The
// interface is the one callers use.
class MyKeyboard : public QDialog
{
    Q_OBJECT
public:
    explicit MyKeyboard(QWidget* parent = nullptr) : QDialog(parent) {}
    void setText(const QString& text) { m_text = text; }
    QString getText() const { return m_text; }
    void setLengthLimit(int minimum, int maximum)
    {
        m_min = minimum;
        m_max = maximum;
    }

private:
    QString m_text;
    int m_min = 0;
    int m_max = 255;
};
