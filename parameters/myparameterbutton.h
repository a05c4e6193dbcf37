#pragma once

#include <QPushButton>
#include <QStringList>
#include <QVariant>

// Shell: the value button's behaviour is filled in by its own change.  The
// interface is the one callers use.
class MyParameterButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyParameterButton(QWidget* parent = nullptr) : QPushButton(parent) {}

    void addItem(const QString& text, const QVariant& data)
    {
        m_texts.append(text);
        m_data.append(data);
        if (m_current < 0)
            setCurrentIndex(0);
    }
    void addItem(const QString& text) { addItem(text, QVariant(0)); }
    void clear()
    {
        m_texts.clear();
        m_data.clear();
        setCurrentIndex(-1);
    }
    void setCurrentText(const QString& text)
    {
        const int i = m_texts.indexOf(text);
        if (i >= 0 && i != m_current)
            setCurrentIndex(i);
    }
    QString currentText() const { return m_current >= 0 ? m_texts.at(m_current) : QString(); }
    QVariant itemData(int index) const { return m_data.value(index); }
    QStringList getItemList() const { return m_texts; }
    void setTitle(const QString& title) { m_title = title; }
    QString getTitle() const { return m_title; }

signals:
    void currentIndexChanged(int index);
    void activated(int index);

private:
    void setCurrentIndex(int i)
    {
        m_current = i;
        setText(currentText());
        emit currentIndexChanged(i);
        emit activated(i);
    }
    QStringList m_texts;
    QList<QVariant> m_data;
    int m_current = -1;
    QString m_title;
};
