#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "dumpsettingdialog.h"
#include "mycommon.h"
#include "mykeyboard.h"
#include "mytablewidget.h"
#include "parametermanage.h"
#include "parameterselector.h"
#include "parameterset.h"

namespace {

// Answers the message boxes and keyboards that open modally while a test
// waits: "ok" / "cancel" for a box, "type:TEXT" / "close" for the keyboard.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(QStringList answers) : m_answers(std::move(answers))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start(20);
    }
    QStringList seen;
    int pending() const { return m_answers.size(); }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_answers.isEmpty())
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const QString answer = m_answers.takeFirst();
            seen << box->windowTitle() + ":" + box->text();
            box->button(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        } else if (auto* keyboard = qobject_cast<MyKeyboard*>(modal)) {
            const QString answer = m_answers.takeFirst();
            seen << QString("keyboard:%1:%2-%3")
                        .arg(keyboard->getText())
                        .arg(keyboard->getMinimumLength())
                        .arg(keyboard->getMaximumLength());
            if (answer.startsWith("type:")) {
                keyboard->setText(answer.mid(5));
                keyboard->accept();
            } else {
                keyboard->reject();
            }
        }
    }
    QStringList m_answers;
    QTimer m_timer;
};

ParameterSet* namedSet(const QString& name, const QString& cylinders)
{
    auto* set = new ParameterSet;
    set->SetName(name);
    set->SetValue(MyCommon::KEY_CYLINDERS, cylinders);
    return set;
}

} // namespace

class TestDumpSettingDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void edits_data();
    void edits();
    void rowLimit();
    void namelessRow_data();
    void namelessRow();
    void emulatorQuestion_data();
    void emulatorQuestion();

private:
    QTableWidget* table() const { return m_dialog->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST"); }
    QLineEdit* nameField() const { return m_dialog->findChild<QLineEdit*>("LEDT_PARAMETER_NAME"); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }
    QStringList storeNames() const;
    QStringList storeCylinders() const;
    void openDialog(const QList<QPair<QString, QString>>& sets);

    ParameterSelector* m_selector = nullptr;
    DumpSettingDialog* m_dialog = nullptr;
};

void TestDumpSettingDialog::init()
{
    m_selector = new ParameterSelector;
}

void TestDumpSettingDialog::cleanup()
{
    delete m_selector; // and the dialog with it
    m_selector = nullptr;
    m_dialog = nullptr;
    MyCommon::getInstance()->UpdateDRVEMU_STATE(0);
}

void TestDumpSettingDialog::openDialog(const QList<QPair<QString, QString>>& sets)
{
    for (const auto& set : sets)
        m_selector->getParameterManage()->Insert(namedSet(set.first, set.second));
    m_dialog = new DumpSettingDialog(m_selector, 0);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

QStringList TestDumpSettingDialog::storeNames() const
{
    QStringList names;
    ParameterManage* store = m_selector->getParameterManage();
    for (int i = 0; i < store->Count(); ++i)
        names << store->GetName(i);
    return names;
}

QStringList TestDumpSettingDialog::storeCylinders() const
{
    QStringList values;
    ParameterManage* store = m_selector->getParameterManage();
    for (int i = 0; i < store->Count(); ++i)
        values << store->GetParametersAt(i)->Value(MyCommon::KEY_CYLINDERS);
    return values;
}

void TestDumpSettingDialog::edits_data()
{
    // The store starts with A (10 cylinders), B (20), C (30).  Actions:
    // "select:N", "add", "rename:TEXT", "delete:ok|cancel", "drag:N" (the
    // current row is dropped onto row N), then "ok" or "cancel".
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("cylinders");
    QTest::newRow("opened and confirmed") << QStringList{"ok"} << QStringList{"A", "B", "C"}
                                          << QStringList{"10", "20", "30"};
    QTest::newRow("add with no current row") << QStringList{"add", "ok"} << QStringList{"NAME1", "A", "B", "C"}
                                             << QStringList{"", "10", "20", "30"};
    QTest::newRow("add below row 0") << QStringList{"select:0", "add", "ok"}
                                     << QStringList{"A", "NAME2", "B", "C"} << QStringList{"10", "", "20", "30"};
    QTest::newRow("add twice below the new row")
        << QStringList{"select:2", "add", "add", "ok"} << QStringList{"A", "B", "C", "NAME4", "NAME5"}
        << QStringList{"10", "20", "30", "", ""};
    QTest::newRow("same name added twice")
        << QStringList{"select:0", "add", "select:0", "add", "ok"} << QStringList{"A", "NAME2", "NAME2", "B", "C"}
        << QStringList{"10", "", "", "20", "30"};
    QTest::newRow("rename then OK") << QStringList{"select:1", "rename:ZED", "ok"} << QStringList{"A", "ZED", "C"}
                                    << QStringList{"10", "20", "30"};
    QTest::newRow("rename then Cancel") << QStringList{"select:1", "rename:ZED", "cancel"}
                                        << QStringList{"A", "B", "C"} << QStringList{"10", "20", "30"};
    QTest::newRow("renamed to an existing name")
        << QStringList{"select:0", "rename:B", "ok"} << QStringList{"B", "B", "C"} << QStringList{"10", "20", "30"};
    QTest::newRow("delete confirmed") << QStringList{"select:0", "delete:ok", "ok"} << QStringList{"B", "C"}
                                      << QStringList{"20", "30"};
    QTest::newRow("delete declined") << QStringList{"select:0", "delete:cancel", "ok"}
                                     << QStringList{"A", "B", "C"} << QStringList{"10", "20", "30"};
    QTest::newRow("delete then Cancel") << QStringList{"select:0", "delete:ok", "cancel"}
                                        << QStringList{"A", "B", "C"} << QStringList{"10", "20", "30"};
    QTest::newRow("drag last to top") << QStringList{"select:2", "drag:0", "ok"} << QStringList{"C", "A", "B"}
                                      << QStringList{"30", "10", "20"};
    QTest::newRow("empty table confirmed")
        << QStringList{"select:0", "delete:ok", "select:0", "delete:ok", "select:0", "delete:ok", "ok"}
        << QStringList{} << QStringList{};
}

void TestDumpSettingDialog::edits()
{
    QFETCH(QStringList, actions);
    QFETCH(QStringList, names);
    QFETCH(QStringList, cylinders);
    openDialog({{"A", "10"}, {"B", "20"}, {"C", "30"}});
    QCOMPARE(table()->rowCount(), 3);
    QVERIFY(!nameField()->isEnabled());
    QPointer<DumpSettingDialog> dialog = m_dialog;
    for (const QString& action : actions) {
        if (action.startsWith("select:")) {
            table()->setCurrentCell(action.mid(7).toInt(), 0);
            QCOMPARE(nameField()->text(), table()->currentItem()->text());
            QVERIFY(nameField()->isEnabled());
        } else if (action == "add") {
            QTest::mouseClick(button("BTN_PARAMETER_ITEM_ADD"), Qt::LeftButton);
        } else if (action.startsWith("rename:")) {
            const QString old = nameField()->text();
            ModalDriver driver({"type:" + action.mid(7)});
            m_dialog->on_LEDT_PARAMETER_NAME_focused(true);
            QCOMPARE(driver.seen, QStringList{"keyboard:" + old + ":1-255"});
            QCOMPARE(table()->currentItem()->text(), action.mid(7));
        } else if (action.startsWith("delete:")) {
            ModalDriver driver({action.mid(7)});
            QTest::mouseClick(button("BTN_PARAMETER_ITEM_DELETE"), Qt::LeftButton);
            QCOMPARE(driver.seen, QStringList{"Delete confirmation.:Are you sure to want to Delete?"});
        } else if (action.startsWith("drag:")) {
            auto* tableWidget = static_cast<MyTableWidget*>(table());
            tableWidget->selectRow(tableWidget->currentRow());
            const QRect target = tableWidget->visualItemRect(tableWidget->item(action.mid(5).toInt(), 0));
            tableWidget->moveSelectedRowsTo(target.center());
        } else if (action == "ok") {
            QTest::mouseClick(button("BTN_PARAMETER_SETTING_OK"), Qt::LeftButton);
            QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        } else if (action == "cancel") {
            QTest::mouseClick(button("BTN_PARAMETER_SETTING_CANCEL"), Qt::LeftButton);
            QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        }
    }
    QVERIFY(dialog); // deleted only with its selector
    QCOMPARE(storeNames(), names);
    QCOMPARE(storeCylinders(), cylinders);
    // Every stored set carries its name exactly once.
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(m_selector->getParameterManage()->GetParametersAt(i)->count(MyCommon::KEY_NAME), 1);
}

void TestDumpSettingDialog::rowLimit()
{
    QList<QPair<QString, QString>> sets;
    for (int i = 0; i < DumpSettingDialog::MAX_ROWS - 1; ++i)
        sets.append({QString("S%1").arg(i), "40"});
    openDialog(sets);
    QPushButton* add = button("BTN_PARAMETER_ITEM_ADD");
    QPushButton* del = button("BTN_PARAMETER_ITEM_DELETE");
    QVERIFY(add->isEnabled());
    m_dialog->on_BTN_PARAMETER_ITEM_ADD_clicked();
    QCOMPARE(table()->rowCount(), DumpSettingDialog::MAX_ROWS);
    QVERIFY(!add->isEnabled());
    m_dialog->on_BTN_PARAMETER_ITEM_ADD_clicked(); // the slot itself refuses too
    QCOMPARE(table()->rowCount(), DumpSettingDialog::MAX_ROWS);
    {
        ModalDriver driver({"ok"});
        QTest::mouseClick(del, Qt::LeftButton);
    }
    QCOMPARE(table()->rowCount(), DumpSettingDialog::MAX_ROWS - 1);
    QVERIFY(add->isEnabled());
    // Down to nothing: DELETE goes off, and without a current row does nothing.
    while (table()->rowCount() > 0)
        table()->removeRow(0);
    m_dialog->updateButtonState();
    QVERIFY(!del->isEnabled());
    QVERIFY(!nameField()->isEnabled());
    ModalDriver none({"ok"});
    m_dialog->on_BTN_PARAMETER_ITEM_DELETE_clicked();
    QCOMPARE(none.pending(), 1);
}

void TestDumpSettingDialog::namelessRow_data()
{
    QTest::addColumn<QString>("rename"); // "" leaves the row as loaded
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("cylinders");
    QTest::addColumn<int>("errors");
    QTest::newRow("dropped with an error") << "" << QStringList{"A"} << QStringList{"10"} << 1;
    QTest::newRow("kept once named") << "NEW" << QStringList{"NEW", "A"} << QStringList{"5", "10"} << 0;
}

void TestDumpSettingDialog::namelessRow()
{
    QFETCH(QString, rename);
    QFETCH(QStringList, names);
    QFETCH(QStringList, cylinders);
    QFETCH(int, errors);
    openDialog({{"", "5"}, {"A", "10"}});
    if (!rename.isEmpty()) {
        table()->setCurrentCell(0, 0);
        ModalDriver driver({"type:" + rename});
        m_dialog->on_LEDT_PARAMETER_NAME_focused(true);
    }
    ModalDriver driver({"ok"});
    m_dialog->on_BTN_PARAMETER_SETTING_OK_clicked();
    QCOMPARE(driver.seen.size(), errors);
    if (errors)
        QCOMPARE(driver.seen.first(), QString("System error.:on_BTN_DUMP_SETTING_OK_clicked : name is nothing."));
    QCOMPARE(storeNames(), names);
    QCOMPARE(storeCylinders(), cylinders);
}

void TestDumpSettingDialog::emulatorQuestion_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("name");
    QTest::newRow("declined") << QStringList{"cancel"} << "A";
    QTest::newRow("accepted") << QStringList{"ok", "type:Z"} << "Z";
}

void TestDumpSettingDialog::emulatorQuestion()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, name);
    openDialog({{"A", "10"}});
    table()->setCurrentCell(0, 0);
    MyCommon::getInstance()->UpdateDRVEMU_STATE(1);
    ModalDriver driver(answers);
    m_dialog->on_LEDT_PARAMETER_NAME_focused(true);
    QCOMPARE(driver.pending(), 0);
    QVERIFY(driver.seen.first().startsWith("Confirm operation continuation.:"));
    QCOMPARE(table()->item(0, 0)->text(), name);
    QVERIFY(!nameField()->hasFocus());
}

QTEST_MAIN(TestDumpSettingDialog)
#include "tst_dumpsettingdialog.moc"
