#pragma once

#include <QList>
#include <QPushButton>
#include <QStringList>
#include <QVariant>

class QComboBox;
class QPaintEvent;

// The touch value button: shows one value out of a fixed list, and a tap
// offers the whole list in a ParameterSelectDialog to pick another.  The
// entries and the current one live in a hidden combo box child
// (CMB_INTERNAL), whose change of the current entry is what the button
// reports.
class MyParameterButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyParameterButton(QWidget* parent = nullptr);

    void addItem(const QString& text, const QVariant& data);
    void addItem(const QString& text);
    void clear();
    // Makes the first entry with exactly this text current; an unknown text,
    // or the text already current, changes nothing and emits nothing.
    void setCurrentText(const QString& text);
    QString currentText() const;
    // The decimal value of the current text; defaultValue when the text is no
    // decimal integer (such as "---").
    int GetIntValue(int defaultValue) const;
    QVariant itemData(int index) const;
    QStringList getItemList() const;
    void setTitle(const QString& title);
    QString getTitle() const;

    // Index of the current entry as last reported by the internal list (-1
    // when there is none).
    int currentIndex() const { return m_currentIndex; }

signals:
    // Every change of the current entry, by the user or by the program.
    void currentIndexChanged(int index);
    // The same, and also a tap on the entry already shown in the list.
    void activated(int index);

public slots:
    void on_CMB_INTERNAL_currentIndexChanged(int index);
    void on_MyParameterButton_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QComboBox* m_internal = nullptr;
    QStringList m_itemTexts;
    QList<QVariant> m_itemData;
    int m_currentIndex = -1;
    QString m_title;
};
