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
    void fixedWidth()
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

    void popupScrollBar()
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
};

QTEST_MAIN(TestMyComboBox)
#include "tst_mycombobox.moc"
