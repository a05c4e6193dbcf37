#include "dumpsettingdialog.h"
#include "mycombobox.h"
#include "mytablewidget.h"
#include "fixtures.h"

class TestParameterSelector : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_selector = new ParameterSelector; }

    void cleanup()
    {
        delete m_selector; // and a dialog with it
        MyCommon::getInstance()->SetInputGuard(false);
    }

    // EDIT/REC: a tap opens the dialog, a hold records the panel into the shown
    // set.  A preset's hold is signalled once however often the list was rebuilt.
    void editPress_data()
    {
        // current: entry shown in the list
        addColumns<QString, QStringList, int, bool, bool, bool, QStringList>("button", "sets", "current", "guard", "held",
                                                                             "dialogOpens", "stored");
        QTest::newRow("tap opens the dialog") << "edit" << QStringList{"A:1", "B:2"} << 1 << false << false << true
                                              << QStringList{"A:1", "B:2"};
        // By position: two entries may carry the same name.
        QTest::newRow("hold records the second of two equal names")
            << "edit" << QStringList{"A:1", "A:2"} << 1 << false << true << false << QStringList{"A:1", "A:80"};
        QTest::newRow("hold with an empty list") << "edit" << QStringList{} << -1 << false << true << false << QStringList{};
        QTest::newRow("guarded hold") << "edit" << QStringList{"A:1"} << 0 << true << true << false << QStringList{"A:1"};
        QTest::newRow("preset hold") << "preset" << QStringList{"A:1"} << 0 << false << true << false << QStringList{"A:1"};
    }

    void editPress()
    {
        QFETCH(QStringList, sets);
        QFETCH(bool, guard);
        QFETCH(QStringList, stored);
        m_selector->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_selector));
        addSets(sets);
        m_selector->SetupParameterList();
        list()->setCurrentIndex(row<int>("current"));
        const bool edit = row<QString>("button") == "edit";
        MyPushButton* pressedButton = edit ? m_selector->findChild<MyPushButton*>("BTN_PARAMETER_EDIT") : m_selector->GetButton(3);
        QSignalSpy registered(m_selector, &ParameterSelector::parameterRegistered);
        QSignalSpy fixed(m_selector, &ParameterSelector::fixBtnParameterRegistered);
        MyCommon::getInstance()->SetInputGuard(guard);
        ModalAnswer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });

        QTest::mousePress(pressedButton, Qt::LeftButton);
        // Without a main window nobody takes a panel snapshot; hand one over.
        ParameterSet pressed;
        pressed.SetValue(MyCommon::KEY_CYLINDERS, "80");
        if (!guard)
            pressedButton->SetReserveParameters(&pressed);
        const int timer = edit ? m_selector->editTimerId() : pressedButton->holdTimerId();
        QCOMPARE(timer >= 0, !guard);
        if (row<bool>("held") && !guard)
            fireTimer(edit ? static_cast<QObject*>(m_selector) : pressedButton, timer);
        QTest::mouseRelease(pressedButton, Qt::LeftButton);

        QTEST(answer.answered() == 1, "dialogOpens");
        QCOMPARE(m_selector->editTimerId(), -1);
        QCOMPARE(registered.count(), stored != sets ? 1 : 0);
        QCOMPARE(fixed.count(), edit ? 0 : 1);
        QCOMPARE(this->stored(), stored);
    }

    // After OK the list shows the same set again, or the first when it was deleted.
    void dialogEnds_data()
    {
        addColumns<QStringList, bool, QStringList, int>("sets", "deleteShown", "listAfter", "currentAfter");
        QTest::newRow("shown set deleted, OK") << QStringList{"A:1", "B:2", "C:3"} << true << QStringList{"A", "C"} << 0;
        // A record after OK must go into the set that was shown, not the first of its name.
        QTest::newRow("second of two equal names") << QStringList{"A:1", "A:2"} << false << QStringList{"A", "A"} << 1;
    }

    void dialogEnds()
    {
        QFETCH(bool, deleteShown);
        addSets(row<QStringList>("sets"));
        list()->setCurrentIndex(1);
        QSignalSpy registered(m_selector, &ParameterSelector::parameterRegistered);
        ModalAnswer answer([deleteShown](QWidget* modal) {
            if (deleteShown)
                modal->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST")->removeRow(1);
            modal->findChild<QPushButton*>("BTN_PARAMETER_SETTING_OK")->click();
        });
        m_selector->on_BTN_PARAMETER_EDIT_clicked();
        QCOMPARE(answer.answered(), 1);
        QStringList shown;
        for (int i = 0; i < list()->count(); ++i)
            shown << list()->itemText(i);
        QTEST(shown, "listAfter");
        QTEST(list()->currentIndex(), "currentAfter");
        QCOMPARE(registered.count(), 1);
    }

    // A set stored without a name is dropped with an error, unless named in the dialog.
    void dialogEdits_data()
    {
        // "select:N", "add", "rename:TEXT", "delete:ok|cancel", "drag:N" (onto row N), "ok"/"cancel".
        addColumns<QStringList, QStringList, QStringList, QStringList>("sets", "actions", "stored", "seen");
        const QStringList abc{"A:10", "B:20", "C:30"}, question{"Delete confirmation. [Cancel]"};
        const auto row = [](const char* name, const QStringList& sets, const QStringList& actions,
                            const QStringList& stored, const QStringList& seen) {
            QTest::newRow(name) << sets << actions << stored << seen;
        };
        // No row is current at the start, so ADD goes to the top.
        row("add with no current row", abc, {"add", "ok"}, {"NAME1:", "A:10", "B:20", "C:30"}, {});
        row("rename, OK", abc, {"select:1", "rename:ZED", "ok"}, {"A:10", "ZED:20", "C:30"}, {"keyboard:B:1-255"});
        row("rename, Cancel", abc, {"select:1", "rename:ZED", "cancel"}, abc, {"keyboard:B:1-255"});
        row("delete confirmed", abc, {"select:0", "delete:ok", "ok"}, {"B:20", "C:30"}, question);
        row("delete declined", abc, {"select:0", "delete:cancel", "ok"}, abc, question);
        row("drag last to top", abc, {"select:2", "drag:0", "ok"}, {"C:30", "A:10", "B:20"}, {});
        row("everything deleted", abc, {"select:0", "delete:ok", "select:0", "delete:ok", "select:0", "delete:ok", "ok"},
            {}, question + question + question);
        row("nameless set dropped with an error", {":5", "A:10"}, {"ok"}, {"A:10"}, {"System error."});
        QStringList full; // one row short of the limit: ADD fills it, then refuses
        for (int i = 0; i < DumpSettingDialog::MAX_ROWS - 1; ++i)
            full << QString("S%1:40").arg(i);
        row("add up to the limit", full, {"add", "add", "select:0", "delete:ok", "ok"}, full, question);
        row("nameless set kept once named", {":5", "A:10"}, {"select:0", "rename:NEW", "ok"}, {"NEW:5", "A:10"},
            {"keyboard::1-255"});
    }

    void dialogEdits()
    {
        QFETCH(QStringList, actions);
        addSets(row<QStringList>("sets"));
        m_dialog = new DumpSettingDialog(m_selector, 0);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        QVERIFY(!nameField()->isEnabled());
        QPointer<DumpSettingDialog> dialog = m_dialog;
        QStringList answers;
        for (const QString& action : actions)
            if (action.startsWith("rename:") || action.startsWith("delete:") || action == "ok")
                answers << (action.startsWith("rename:") ? "type:" : "") + action.section(':', -1);
        Answers answerer(answers);
        for (const QString& action : actions) {
            const QString argument = action.section(':', 1);
            if (action.startsWith("select:")) {
                table()->setCurrentCell(argument.toInt(), 0);
                QCOMPARE(nameField()->text(), table()->currentItem()->text());
                QVERIFY(nameField()->isEnabled());
            } else if (action == "add") {
                m_dialog->on_BTN_PARAMETER_ITEM_ADD_clicked(); // the slot itself refuses beyond the limit
            } else if (action.startsWith("rename:")) {
                m_dialog->on_LEDT_PARAMETER_NAME_focused(true);
                QCOMPARE(table()->currentItem()->text(), argument);
            } else if (action.startsWith("delete:")) {
                button("BTN_PARAMETER_ITEM_DELETE")->click();
            } else if (action.startsWith("drag:")) {
                auto* rows = static_cast<MyTableWidget*>(table());
                rows->selectRow(rows->currentRow());
                rows->moveSelectedRowsTo(rows->visualItemRect(rows->item(argument.toInt(), 0)).center());
            } else {
                button(action == "ok" ? "BTN_PARAMETER_SETTING_OK" : "BTN_PARAMETER_SETTING_CANCEL")->click();
                QCOMPARE(m_dialog->result(), int(action == "ok" ? QDialog::Accepted : QDialog::Rejected));
                continue;
            }
            QVERIFY(table()->rowCount() <= DumpSettingDialog::MAX_ROWS);
            QCOMPARE(button("BTN_PARAMETER_ITEM_ADD")->isEnabled(), table()->rowCount() < DumpSettingDialog::MAX_ROWS);
            if (table()->rowCount() == 0)
                QVERIFY(!button("BTN_PARAMETER_ITEM_DELETE")->isEnabled());
        }
        QVERIFY(dialog); // deleted only with its selector
        QTEST(answerer.seen, "seen");
        QTEST(stored(), "stored");
    }

private:
    MyComboBox* list() const { return m_selector->findChild<MyComboBox*>("CMB_PARAMETER"); }
    QTableWidget* table() const { return m_dialog->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST"); }
    QLineEdit* nameField() const { return m_dialog->findChild<QLineEdit*>("LEDT_PARAMETER_NAME"); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }

    // Sets given as "name:cylinders".
    void addSets(const QStringList& sets)
    {
        for (const QString& text : sets) {
            auto* set = new ParameterSet;
            set->SetName(text.section(':', 0, 0));
            set->SetValue(MyCommon::KEY_CYLINDERS, text.section(':', 1));
            m_selector->getParameterManage()->Insert(set);
        }
        m_selector->SetupParameterList();
    }

    // The store as "name:cylinders"; every set carries its name once.
    QStringList stored() const
    {
        QStringList out;
        ParameterManage* store = m_selector->getParameterManage();
        for (int i = 0; i < store->Count(); ++i) {
            const ParameterSet* set = store->GetParametersAt(i);
            out << set->values(MyCommon::KEY_NAME).join('|') + ":" + set->Value(MyCommon::KEY_CYLINDERS);
        }
        return out;
    }

    ParameterSelector* m_selector = nullptr;
    DumpSettingDialog* m_dialog = nullptr;
};

QTEST_MAIN(TestParameterSelector)
#include "tst_parameterselector.moc"
