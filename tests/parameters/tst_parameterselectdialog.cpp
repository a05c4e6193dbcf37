#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "myparameterbutton.h"
#include "parameterselectdialog.h"

// The value selection dialog: its form, the rows it offers with the current
// value selected, a tap on a row, and Cancel.

namespace {

QTableWidget* table(ParameterSelectDialog& dialog)
{
    return dialog.findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
}

QStringList rows(ParameterSelectDialog& dialog)
{
    QStringList texts;
    for (int row = 0; row < table(dialog)->rowCount(); ++row)
        texts << table(dialog)->item(row, 0)->text();
    return texts;
}

QList<int> selectedRows(ParameterSelectDialog& dialog)
{
    QList<int> result;
    for (const QTableWidgetItem* item : table(dialog)->selectedItems())
        result << item->row();
    return result;
}

void tapRow(ParameterSelectDialog& dialog, int row)
{
    QTableWidget* list = table(dialog);
    list->scrollToItem(list->item(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row, 0)).center());
}

QStringList numbers(int first, int last)
{
    QStringList texts;
    for (int n = first; n <= last; ++n)
        texts << QString::number(n);
    return texts;
}

} // namespace

class TestParameterSelectDialog : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void rowsAndPreselection_data();
    void rowsAndPreselection();
    void tapReturnsRow_data();
    void tapReturnsRow();
    void cancelReturnsNothing();
    void withoutButton();
    void longListShowsCurrentValue();
    void render();
};

void TestParameterSelectDialog::form()
{
    MyParameterButton button;
    button.setTitle(QStringLiteral("HEADS"));
    for (const char* text : {"---", "1", "2"})
        button.addItem(QString::fromLatin1(text));
    ParameterSelectDialog dialog(&button);

    QCOMPARE(dialog.size(), QSize(353, 300));
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog.styleSheet(), QStringLiteral("background-color: rgb(165, 165, 165)"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(dialog.font().family(), QStringLiteral("Yu Gothic"));
    QCOMPARE(dialog.font().pointSize(), 26);
    QCOMPARE(dialog.windowType(), Qt::Popup);
    QCOMPARE(dialog.getSelectedItemText(), QString());
    dialog.setSelectedItemText(QStringLiteral("2"));
    QCOMPARE(dialog.getSelectedItemText(), QStringLiteral("2"));

    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("LEDT_PARAMETER_NAME"));
    QVERIFY(name);
    QVERIFY(name->inherits("MyLineEdit"));
    QCOMPARE(name->text(), QStringLiteral("HEADS"));
    QVERIFY(!name->isEnabled());
    QCOMPARE(name->geometry(), QRect(10, 10, 331, 40));
    QCOMPARE(name->font().family(), QStringLiteral("Yu Gothic"));
    QCOMPARE(name->font().pointSize(), 18);
    QCOMPARE(name->styleSheet(), QStringLiteral("background-color: rgb(203, 230, 231);"));

    QTableWidget* list = table(dialog);
    QVERIFY(list);
    QVERIFY(list->inherits("MyTableWidget"));
    QCOMPARE(list->geometry(), QRect(10, 59, 240, 231));
    QCOMPARE(list->font().family(), QStringLiteral("Yu Gothic UI"));
    QCOMPARE(list->font().pointSize(), 18);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->dragDropMode(), QAbstractItemView::NoDragDrop);
    QCOMPARE(list->columnCount(), 1);
    QCOMPARE(list->horizontalHeader()->minimumSectionSize(), 100);
    QCOMPARE(list->horizontalHeader()->defaultSectionSize(), 240);
    QCOMPARE(list->verticalHeader()->defaultSectionSize(), 45);
    QCOMPARE(list->verticalHeader()->minimumSectionSize(), 45);
    QCOMPARE(list->rowHeight(0), 45);

    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_CANCEL"));
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(cancel->minimumSize(), QSize(80, 40));
    QCOMPARE(cancel->maximumSize(), QSize(80, 40));
    QCOMPARE(cancel->styleSheet(), QStringLiteral("text-align:center;"));
    dialog.show();
    QCOMPARE(cancel->mapTo(&dialog, QPoint(0, 0)), QPoint(260, 60));
    QCOMPARE(cancel->size(), QSize(80, 40));
}

void TestParameterSelectDialog::rowsAndPreselection_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<int>>("selected");

    const QStringList pins{"---", "2", "4", "12"};
    QTest::newRow("first") << pins << "---" << QList<int>{0};
    QTest::newRow("last") << pins << "12" << QList<int>{3};
    QTest::newRow("middle") << pins << "4" << QList<int>{2};
    QTest::newRow("empty list") << QStringList{} << "" << QList<int>{};
    QTest::newRow("cylinders") << (QStringList{"---"} + numbers(1, 84)) << "80" << QList<int>{80};
}

void TestParameterSelectDialog::rowsAndPreselection()
{
    QFETCH(QStringList, items);
    QFETCH(QString, current);
    QFETCH(QList<int>, selected);

    MyParameterButton button;
    for (const QString& text : items)
        button.addItem(text);
    button.setCurrentText(current);
    ParameterSelectDialog dialog(&button);
    QCOMPARE(rows(dialog), items);
    for (int row = 0; row < items.count(); ++row)
        QCOMPARE(table(dialog)->item(row, 0)->data(Qt::UserRole), QVariant(items.at(row)));
    QCOMPARE(selectedRows(dialog), selected);
}

void TestParameterSelectDialog::tapReturnsRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 0 << "---";
    QTest::newRow("selected one") << 1 << "double";
    QTest::newRow("last") << 2 << "high";
}

void TestParameterSelectDialog::tapReturnsRow()
{
    QFETCH(int, row);
    QFETCH(QString, text);

    MyParameterButton button;
    button.setTitle(QStringLiteral("DENSITY"));
    for (const char* item : {"---", "double", "high"})
        button.addItem(QString::fromLatin1(item));
    button.setCurrentText(QStringLiteral("double"));
    ParameterSelectDialog dialog(&button);
    QTimer::singleShot(0, &dialog, [&dialog, row] { tapRow(dialog, row); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.getSelectedItemText(), text);
    // The dialog only reports; the button is the caller's to change.
    QCOMPARE(button.currentText(), QStringLiteral("double"));
}

void TestParameterSelectDialog::cancelReturnsNothing()
{
    MyParameterButton button;
    for (const char* item : {"0", "1"})
        button.addItem(QString::fromLatin1(item));
    ParameterSelectDialog dialog(&button);
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_CANCEL")),
                          Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.getSelectedItemText(), QString());
}

void TestParameterSelectDialog::withoutButton()
{
    QWidget plain;
    ParameterSelectDialog dialog(&plain);
    QCOMPARE(table(dialog)->rowCount(), 0);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("LEDT_PARAMETER_NAME"))->text(), QString());

    ParameterSelectDialog orphan;
    QCOMPARE(table(orphan)->rowCount(), 0);
}

void TestParameterSelectDialog::longListShowsCurrentValue()
{
    MyParameterButton button;
    button.addItem(QStringLiteral("---"));
    for (const QString& text : numbers(1, 84))
        button.addItem(text);
    button.setCurrentText(QStringLiteral("80"));
    ParameterSelectDialog dialog(&button);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTableWidget* list = table(dialog);
    const QRect row = list->visualItemRect(list->item(80, 0));
    QVERIFY(row.top() >= 0);
    QVERIFY(row.bottom() <= list->viewport()->height());
    dialog.reject();
}

// With KESTA_SCREENSHOT_DIR set, keeps a picture of the dialog.
void TestParameterSelectDialog::render()
{
    MyParameterButton button;
    button.setTitle(QStringLiteral("CYLINDERS"));
    button.addItem(QStringLiteral("---"));
    for (const QString& text : numbers(1, 84))
        button.addItem(text);
    button.setCurrentText(QStringLiteral("40"));
    ParameterSelectDialog dialog(&button);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.size(), QSize(353, 300));
    QCOMPARE(image.pixelColor(3, 3), QColor(165, 165, 165));
    const QString folder = qEnvironmentVariable("KESTA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(image.save(QDir(folder).filePath(QStringLiteral("parameterselectdialog.png"))));
    dialog.reject();
}

QTEST_MAIN(TestParameterSelectDialog)
#include "tst_parameterselectdialog.moc"
