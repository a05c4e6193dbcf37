#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "myparameterbutton.h"
#include "parameterselectdialog.h"

// The value selection dialog: the rows it offers with the current value
// selected and in view, a tap on a row, and Cancel.

namespace {

QTableWidget* table(ParameterSelectDialog& dialog)
{
    return dialog.findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
}

void fill(MyParameterButton& button, const QStringList& items, const QString& current)
{
    for (const QString& text : items)
        button.addItem(text);
    button.setCurrentText(current);
}

QStringList cylinders()
{
    QStringList texts{"---"};
    for (int n = 1; n <= 84; ++n)
        texts << QString::number(n);
    return texts;
}

} // namespace

class TestParameterSelectDialog : public QObject
{
    Q_OBJECT

private slots:
    void popupWithTitle()
    {
        MyParameterButton button;
        button.setTitle(QStringLiteral("HEADS"));
        fill(button, {"---", "1", "2"}, "1");
        ParameterSelectDialog dialog(&button);
        QCOMPARE(dialog.windowType(), Qt::Popup);
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("LEDT_PARAMETER_NAME"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("HEADS"));
        QVERIFY(!name->isEnabled());

        // Without a value button: an empty list and no title.
        QWidget plain;
        ParameterSelectDialog bare(&plain);
        QCOMPARE(table(bare)->rowCount(), 0);
        QCOMPARE(bare.findChild<QLineEdit*>(QStringLiteral("LEDT_PARAMETER_NAME"))->text(), QString());
    }

    void rowsAndPreselection_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QList<int>>("selected");
        const QStringList pins{"---", "2", "4", "12"};
        QTest::newRow("first") << pins << "---" << QList<int>{0};
        QTest::newRow("last") << pins << "12" << QList<int>{3};
        QTest::newRow("empty list") << QStringList{} << "" << QList<int>{};
        QTest::newRow("cylinders, far down") << cylinders() << "80" << QList<int>{80};
    }

    void rowsAndPreselection()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, current);
        QFETCH(QList<int>, selected);
        MyParameterButton button;
        fill(button, items, current);
        ParameterSelectDialog dialog(&button);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTableWidget* list = table(dialog);
        QCOMPARE(list->rowCount(), items.count());
        for (int row = 0; row < items.count(); ++row)
            QCOMPARE(list->item(row, 0)->text(), items.at(row));
        QList<int> rows;
        for (const QTableWidgetItem* item : list->selectedItems())
            rows << item->row();
        QCOMPARE(rows, selected);
        // The current value is in view.
        if (!selected.isEmpty()) {
            const QRect row = list->visualItemRect(list->item(selected.first(), 0));
            QVERIFY(row.top() >= 0 && row.bottom() <= list->viewport()->height());
        }
        dialog.reject();
    }

    void answer_data()
    {
        QTest::addColumn<int>("row"); // -1: Cancel
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 0 << int(QDialog::Accepted) << "---";
        QTest::newRow("selected one") << 1 << int(QDialog::Accepted) << "double";
        QTest::newRow("last") << 2 << int(QDialog::Accepted) << "high";
        QTest::newRow("Cancel") << -1 << int(QDialog::Rejected) << "";
    }

    void answer()
    {
        QFETCH(int, row);
        MyParameterButton button;
        fill(button, {"---", "double", "high"}, "double");
        ParameterSelectDialog dialog(&button);
        QTimer::singleShot(0, &dialog, [&dialog, row] {
            if (row < 0) {
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_CANCEL")),
                                  Qt::LeftButton);
                return;
            }
            QTableWidget* list = table(dialog);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list->visualItemRect(list->item(row, 0)).center());
        });
        QTEST(dialog.exec(), "result");
        QTEST(dialog.getSelectedItemText(), "text");
        // The dialog only reports; the button is the caller's to change.
        QCOMPARE(button.currentText(), QStringLiteral("double"));
    }
};

QTEST_MAIN(TestParameterSelectDialog)
#include "tst_parameterselectdialog.moc"
