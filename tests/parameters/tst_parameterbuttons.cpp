
#include "parameterselectdialog.h"
#include "fixtures.h"

namespace {

// Both signals in order, with the text and list shown at that moment.
struct SignalLog {
    QStringList events;
    explicit SignalLog(MyParameterButton* button)
    {
        QObject::connect(button, &MyParameterButton::currentIndexChanged, button, [this, button](int index) {
            events << QStringLiteral("changed(%1) %2 [%3]")
                          .arg(index)
                          .arg(button->text(), button->getItemList().mid(0, 3).join(QLatin1Char(',')));
        });
        QObject::connect(button, &MyParameterButton::activated, button,
                         [this](int index) { events << QStringLiteral("activated(%1)").arg(index); });
    }
};

// Named as a form names it: the connections made in the constructor must outlive the renaming.
MyParameterButton* makeButton(QWidget* parent, const QStringList& texts)
{
    auto* button = new MyParameterButton(parent);
    button->setObjectName(QStringLiteral("BTN_DUMP_CYLINDERS"));
    for (const QString& text : texts)
        button->addItem(text);
    return button;
}

} // namespace

class TestParameterButtons : public QObject
{
    Q_OBJECT

private slots:
    void entryChanges_data()
    {
        addColumns<QStringList, QString, QString, QStringList>("items", "text", "shown", "events"); // "<clear>": clear()
        const QStringList heads{"---", "1", "2"};
        QTest::newRow("other entry") << heads << "2" << "2" << QStringList{"changed(2) 2 [---,1,2]", "activated(2)"};
        QTest::newRow("case differs") << QStringList{"double", "high"} << "HIGH" << "high" << QStringList{};
        QTest::newRow("first of two equal entries")
            << QStringList{"a", "b", "a"} << "a" << "a" << QStringList{"changed(0) a [a,b,a]", "activated(0)"};
        QTest::newRow("clear reports no entry")
            << heads << "<clear>" << "" << QStringList{"changed(-1)  []", "activated(-1)"};
    }

    void entryChanges()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QWidget window;
        MyParameterButton* button = makeButton(&window, items);
        button->setCurrentText(items.at(1));
        SignalLog log(button);
        text == "<clear>" ? button->clear() : button->setCurrentText(text);
        QTEST(log.events, "events");
        QTEST(button->text(), "shown");
        if (text == "<clear>") {
            QCOMPARE(button->currentIndex(), -1);
            log.events.clear();
            button->addItem("A"); // filled again, the first entry is current again
            QCOMPARE(log.events, (QStringList{"changed(0) A [A]", "activated(0)"}));
        }
    }

    // The dialog opens with the current value selected and in view; a tap picks, CANCEL keeps.
    void tapPicksValue_data()
    {
        addColumns<int, QString, QStringList>("row", "shown", "events"); // row -1: CANCEL
        QTest::newRow("other value") << 81 << "81" << QStringList{"changed(81) 81 [---,1,2]", "activated(81)"};
        QTest::newRow("Cancel") << -1 << "80" << QStringList{};
    }

    void tapPicksValue()
    {
        QFETCH(int, row);
        QStringList cylinders{"---"};
        for (int n = 1; n <= 84; ++n)
            cylinders << QString::number(n);
        QWidget window;
        window.resize(800, 480);
        MyParameterButton* button = makeButton(&window, cylinders);
        button->setCurrentText("80");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SignalLog log(button);
        QString seen;
        QTimer::singleShot(0, [&] {
            QWidget* up = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<ParameterSelectDialog*>(up ? up : QApplication::activePopupWidget());
            if (!dialog || dialog->parent() != button)
                return;
            auto* list = dialog->findChild<QTableWidget*>("TBLW_PARAMETER_NAMELIST");
            const QRect current = list->visualItemRect(list->item(80, 0));
            if (list->selectedItems() == QList<QTableWidgetItem*>{list->item(80, 0)} && current.top() >= 0
                && current.bottom() <= list->viewport()->height())
                seen = "current in view";
            auto* cancel = dialog->findChild<QPushButton*>("BTN_PARAMETER_SETTING_CANCEL");
            QTest::mouseClick(row < 0 ? cancel : list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              row < 0 ? QPoint() : list->visualItemRect(list->item(row, 0)).center());
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(seen, QString("current in view"));
        QTEST(log.events, "events");
        QTEST(button->currentText(), "shown");
    }
};

QTEST_MAIN(TestParameterButtons)
#include "tst_parameterbuttons.moc"
