#include <QAbstractItemView>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QtTest>

#include "mycombobox.h"

// The combo box's fixed-width look and the finger-wide scroll bar of its list.

class TestMyComboBox : public QObject
{
    Q_OBJECT

private slots:
    void styleSheet();
    void fixedWidth();
    void popupScrollBar();
};

void TestMyComboBox::styleSheet()
{
    MyComboBox combo;
    QCOMPARE(combo.styleSheet(), MyComboBox::STYLE_SHEET);
    const QString style = combo.styleSheet();
    QVERIFY(style.contains(QStringLiteral(
        "QComboBox { border: 1px solid gray;border-radius: 3px;padding: 1px 2px 1px 2px;"
        "min-width: 70px;max-width: 70px; }")));
    QVERIFY(style.contains(QStringLiteral("QComboBox:on { padding-top: 3px; padding-left: 4px; }")));
    QVERIFY(style.contains(QStringLiteral("image: url(/usr/share/icons/16x16/downarrow.png)")));
}

void TestMyComboBox::fixedWidth()
{
    MyComboBox combo;
    combo.addItems({QStringLiteral("X68K"), QStringLiteral("a much longer parameter set name")});
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    // 70 px of content, 2 + 2 px padding and a 1 px border each side.
    QCOMPARE(combo.width(), 76);
    const QImage face = combo.grab().toImage();
    // The face is the light grey gradient, not the style's default.
    const QColor middle = face.pixelColor(face.width() / 3, face.height() / 2);
    QVERIFY2(qAbs(middle.red() - 0xDA) <= 8 && middle.red() == middle.green() && middle.green() == middle.blue(),
             qPrintable(middle.name()));
}

void TestMyComboBox::popupScrollBar()
{
    MyComboBox combo;
    for (int i = 0; i < 40; ++i)
        combo.addItem(QStringLiteral("parameter set %1").arg(i));
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    combo.showPopup();
    QScrollBar* bar = combo.view()->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->width(), 40);
    // A list, not a popup as high as the screen.
    QVERIFY(combo.view()->window()->height() < 480);
    // Wide enough for the entries beside the bar, though the box is narrow.
    QVERIFY(combo.view()->viewport()->width() >= combo.view()->sizeHintForColumn(0));
    combo.hidePopup();
}

QTEST_MAIN(TestMyComboBox)
#include "tst_mycombobox.moc"
