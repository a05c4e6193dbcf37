#include "myparameterbutton.h"

#include <QComboBox>
#include <QFont>
#include <QMetaObject>
#include <QPainter>
#include <QPaintEvent>

#include "parameterselectdialog.h"

MyParameterButton::MyParameterButton(QWidget* parent) : QPushButton(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MyParameterButton"));
    resize(215, 71);
    QFont face;
    face.setFamily(QStringLiteral("Yu Gothic"));
    face.setPointSize(14);
    setFont(face);
    setStyleSheet(QStringLiteral("text-align:left;"));
    setCheckable(false);
    setAutoDefault(false);
    setDefault(false);
    setFlat(false);
    setWindowTitle(QStringLiteral("PushButton"));
    setText(QString());

    // The list only keeps the entries; the user never operates it, so it
    // stays hidden instead of covering the button's face.
    m_internal = new QComboBox(this);
    m_internal->setObjectName(QStringLiteral("CMB_INTERNAL"));
    m_internal->setGeometry(150, 40, 69, 22);
    m_internal->hide();

    QMetaObject::connectSlotsByName(this);
}

// The button's own lists are brought up to date before the internal list, so
// that a listener of the change that adding the first entry or emptying the
// list reports already sees the lists as they end up.
void MyParameterButton::addItem(const QString& text, const QVariant& data)
{
    m_itemTexts.append(text);
    m_itemData.append(data);
    m_internal->addItem(text, data);
}

void MyParameterButton::addItem(const QString& text)
{
    addItem(text, QVariant(0));
}

void MyParameterButton::clear()
{
    m_itemTexts.clear();
    m_itemData.clear();
    m_internal->clear();
}

void MyParameterButton::setCurrentText(const QString& text)
{
    const int index = m_internal->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return;
    m_internal->setCurrentIndex(index);
}

QString MyParameterButton::currentText() const
{
    return m_internal->currentText();
}

int MyParameterButton::GetIntValue(int defaultValue) const
{
    bool ok = false;
    const int value = currentText().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

QVariant MyParameterButton::itemData(int index) const
{
    return m_itemData.value(index);
}

QStringList MyParameterButton::getItemList() const
{
    return m_itemTexts;
}

void MyParameterButton::setTitle(const QString& title)
{
    m_title = title;
}

QString MyParameterButton::getTitle() const
{
    return m_title;
}

void MyParameterButton::on_CMB_INTERNAL_currentIndexChanged(int index)
{
    m_currentIndex = index;
    setText(m_internal->currentText());
    emit currentIndexChanged(index);
    emit activated(index);
}

void MyParameterButton::on_MyParameterButton_clicked()
{
    ParameterSelectDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The entry is taken by its row, so that of two entries with one text
    // the one tapped is chosen.  Tapping the entry already shown changes
    // nothing, but it is still a choice: activated() reports it.
    const int row = dialog.getSelectedRow();
    if (row < 0 || row >= m_internal->count())
        setCurrentText(dialog.getSelectedItemText());
    else if (row == m_internal->currentIndex())
        emit activated(row);
    else
        m_internal->setCurrentIndex(row);
}

void MyParameterButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);

    // A thin divider near the right end of the face.
    QPainter painter(this);
    painter.setPen(QPen(Qt::lightGray));
    const int x = static_cast<int>(width() * 0.8);
    const int y = static_cast<int>(height() * 0.1);
    const int h = static_cast<int>(height() * 0.8);
    painter.drawRect(x, y, 1, h);
}
