#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "myparameterbutton.h"
#include "parameterselectdialog.h"

// The value button: its list, the change-of-entry rule with its two signals
// in order, the tap that picks a value in the selection dialog, and its face.

namespace {

// Records both signals of a button in the order they arrive, with the text
// and list the button shows at that moment.
struct SignalLog {
    QStringList events;
    void attach(MyParameterButton& button)
    {
        QObject::connect(&button, &MyParameterButton::currentIndexChanged, &button, [this, &button](int index) {
            events << QStringLiteral("changed(%1) %2 [%3]")
                          .arg(index)
                          .arg(button.text(), button.getItemList().join(QLatin1Char(',')));
        });
        QObject::connect(&button, &MyParameterButton::activated, &button,
                         [this](int index) { events << QStringLiteral("activated(%1)").arg(index); });
    }
};

void fill(MyParameterButton& button, const QStringList& texts)
{
    for (const QString& text : texts)
        button.addItem(text);
}

} // namespace

class TestMyParameterButton : public QObject
{
    Q_OBJECT

private slots:
    // The by-name connection made in the constructor survives the form's renaming.
    void renamedButtonStillReports()
    {
        QWidget window;
        auto* button = new MyParameterButton(&window);
        button->setObjectName(QStringLiteral("BTN_DUMP_HEADS"));
        auto* internal = button->findChild<QComboBox*>(QStringLiteral("CMB_INTERNAL"));
        QVERIFY(internal);
        window.show();
        QVERIFY(!internal->isVisible());
        SignalLog log;
        log.attach(*button);
        fill(*button, {"---", "1", "2"});
        internal->setCurrentIndex(2);
        QCOMPARE(log.events, (QStringList{"changed(0) --- [---]", "activated(0)", "changed(2) 2 [---,1,2]",
                                          "activated(2)"}));
        QCOMPARE(button->currentText(), QStringLiteral("2"));
    }

    void itemData()
    {
        MyParameterButton button;
        button.addItem(QStringLiteral("NORMAL"));
        button.addItem(QStringLiteral("HALFSTEP"), QVariant(QStringLiteral("-shalf")));
        QCOMPARE(button.getItemList(), (QStringList{"NORMAL", "HALFSTEP"}));
        QCOMPARE(button.itemData(0), QVariant(0));
        QCOMPARE(button.itemData(1), QVariant(QStringLiteral("-shalf")));
        QVERIFY(!button.itemData(2).isValid());
        QVERIFY(!button.itemData(-1).isValid());
    }

    void entryChanges_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("start"); // null: the button stays empty
        QTest::addColumn<QString>("text");  // "<clear>": clear() instead
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("events");

        const QStringList heads{"---", "1", "2"};
        QTest::newRow("other entry") << heads << "---" << "2" << "2"
                                     << QStringList{"changed(2) 2 [---,1,2]", "activated(2)"};
        QTest::newRow("unchanged") << heads << "1" << "1" << "1" << QStringList{};
        QTest::newRow("unknown") << heads << "1" << "3" << "1" << QStringList{};
        QTest::newRow("empty text") << heads << "1" << "" << "1" << QStringList{};
        QTest::newRow("case differs") << QStringList{"double", "high"} << "double" << "HIGH" << "double"
                                      << QStringList{};
        QTest::newRow("first of two equal entries") << QStringList{"a", "b", "a"} << "b" << "a" << "a"
                                                    << QStringList{"changed(0) a [a,b,a]", "activated(0)"};
        QTest::newRow("clear reports no entry") << heads << "1" << "<clear>" << ""
                                                << QStringList{"changed(-1)  []", "activated(-1)"};
        QTest::newRow("clear of an empty button") << QStringList{} << QString() << "<clear>" << "" << QStringList{};
        QTest::newRow("text on an empty button") << QStringList{} << QString() << "1" << "" << QStringList{};
    }

    void entryChanges()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, start);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MyParameterButton button;
        fill(button, items);
        if (!start.isNull())
            button.setCurrentText(start);
        SignalLog log;
        log.attach(button);
        if (text == "<clear>")
            button.clear();
        else
            button.setCurrentText(text);
        QTEST(log.events, "events");
        QCOMPARE(button.currentText(), shown);
        QCOMPARE(button.text(), shown);
        if (text == "<clear>") {
            QCOMPARE(button.getItemList(), QStringList());
            QCOMPARE(button.currentIndex(), -1);
            // Filled again, the first entry is current again.
            log.events.clear();
            fill(button, {"A", "B"});
            QCOMPARE(log.events, (QStringList{"changed(0) A [A]", "activated(0)"}));
        }
    }

    void tapPicksValue_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("row"); // -1: Cancel
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("other value") << "1" << 3 << "12"
                                     << QStringList{"changed(3) 12 [---,2,4,12]", "activated(3)"};
        QTest::newRow("value already shown") << "4" << 2 << "4" << QStringList{};
        QTest::newRow("Cancel") << "4" << -1 << "4" << QStringList{};
    }

    void tapPicksValue()
    {
        QFETCH(QString, start);
        QFETCH(int, row);
        QFETCH(QString, shown);
        QWidget window;
        window.resize(800, 480);
        auto* button = new MyParameterButton(&window);
        fill(*button, {"---", "2", "4", "12"});
        button->setCurrentText(start);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        SignalLog log;
        log.attach(*button);
        bool opened = false;
        QTimer::singleShot(0, [&] {
            QWidget* up = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                            : QApplication::activePopupWidget();
            auto* dialog = qobject_cast<ParameterSelectDialog*>(up);
            if (!dialog)
                return;
            opened = dialog->parent() == button;
            if (row < 0) {
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BTN_PARAMETER_SETTING_CANCEL")),
                                  Qt::LeftButton);
                return;
            }
            auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("TBLW_PARAMETER_NAMELIST"));
            table->scrollToItem(table->item(row, 0));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                              table->visualItemRect(table->item(row, 0)).center());
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(opened);
        QTEST(log.events, "events");
        QCOMPARE(button->currentText(), shown);
        // The dialog is gone with the tap.
        QVERIFY(!button->findChild<ParameterSelectDialog*>());
    }

    void divider()
    {
        MyParameterButton button;
        fill(button, {"double", "high"});
        button.resize(240, 60);
        const QImage face = button.grab().toImage();
        const int x = 192, top = 6, height = 48; // 80 % across, 10 % .. 90 % down
        const QColor grey(Qt::lightGray);
        QCOMPARE(face.pixelColor(x, top), grey);
        QCOMPARE(face.pixelColor(x + 1, top + height / 2), grey);
        QCOMPARE(face.pixelColor(x, top + height), grey);
        QVERIFY(face.pixelColor(x, top - 2) != grey);
        QVERIFY(face.pixelColor(x, top + height + 2) != grey);
        QVERIFY(face.pixelColor(x - 3, top + height / 2) != grey);
        QVERIFY(face.pixelColor(x + 4, top + height / 2) != grey);
    }
};

QTEST_MAIN(TestMyParameterButton)
#include "tst_myparameterbutton.moc"
