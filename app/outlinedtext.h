#pragma once

#include <QObject>

// Paints the text of the label it is installed on (as an event filter) with
// a 1-pixel white outline around the glyphs.  The glyphs are filled with the
// label's text brush, so a gradient given by its style sheet stays as it is;
// the text is placed as the label's alignment places it.
class OutlinedText : public QObject
{
    Q_OBJECT
public:
    // Installs itself on label and belongs to it.
    static OutlinedText* install(class QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit OutlinedText(QObject* parent) : QObject(parent) {}
};
