#include <QDropEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include "mylineedit.h"

// The text field's focus reports and its drops, which become plain paths and
// never edit the field.

namespace {

QMimeData* textData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

QMimeData* urlData(const QList<QUrl>& urls, const QString& text = QString())
{
    auto* data = new QMimeData;
    data->setUrls(urls);
    if (!text.isNull())
        data->setText(text);
    return data;
}

// Sends a drag onto the field and its drop as the window system delivers
// them (a drop only reaches the widget that took the drag in); true when the
// drop was accepted.
bool drop(MyLineEdit& field, const QMimeData* data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent event(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &event);
    return event.isAccepted();
}

} // namespace

Q_DECLARE_METATYPE(QMimeData*)

class TestMyLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void focusSignals()
    {
        QWidget window;
        auto* field = new MyLineEdit(&window);
        auto* other = new MyLineEdit(&window);
        field->move(0, 0);
        other->move(0, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());

        QSignalSpy spy(field, &MyLineEdit::focused);
        QTest::mouseClick(field, Qt::LeftButton);
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
    }

    void drops_data()
    {
        QTest::addColumn<QMimeData*>("data");
        QTest::addColumn<QStringList>("emitted");

        QTest::newRow("text with file://") << textData("file:///home/pi/a.HVR") << QStringList{"/home/pi/a.HVR"};
        QTest::newRow("plain text") << textData("/home/pi/b.HVR") << QStringList{"/home/pi/b.HVR"};
        QTest::newRow("every file:// goes") << textData("file:///a.HVR file:///b.HVR") << QStringList{"/a.HVR /b.HVR"};
        QTest::newRow("prefix is case-sensitive") << textData("FILE:///c.HVR") << QStringList{"FILE:///c.HVR"};
        QTest::newRow("URL with blank and non-ASCII")
            << urlData({QUrl(QStringLiteral("file:///home/pi/my%20disk%E3%81%82.HVR"))})
            << QStringList{QString::fromUtf8("/home/pi/my diskあ.HVR")};
        QTest::newRow("URL list, one emission each")
            << urlData({QUrl::fromLocalFile("/home/pi/1.HVR"), QUrl::fromLocalFile("/home/pi/2.HVR"),
                        QUrl::fromLocalFile("/home/pi/dir")})
            << QStringList{"/home/pi/1.HVR", "/home/pi/2.HVR", "/home/pi/dir"};
        QTest::newRow("URLs win over their text")
            << urlData({QUrl::fromLocalFile("/home/pi/a b.HVR")}, "file:///home/pi/a%20b.HVR")
            << QStringList{"/home/pi/a b.HVR"};
        QTest::newRow("remote URLs skipped")
            << urlData({QUrl("https://example.invalid/x.HVR"), QUrl::fromLocalFile("/home/pi/y.HVR")})
            << QStringList{"/home/pi/y.HVR"};
        auto* image = new QMimeData;
        image->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
        QTest::newRow("neither text nor files") << image << QStringList{};
        // A URL list counts as text too; without a local file it goes the text way.
        QTest::newRow("only remote URLs, no text part")
            << urlData({QUrl("https://example.invalid/x.HVR")}) << QStringList{"https://example.invalid/x.HVR"};
    }

    void drops()
    {
        QFETCH(QMimeData*, data);
        QFETCH(QStringList, emitted);
        QScopedPointer<QMimeData> owner(data);

        MyLineEdit field;
        QVERIFY(field.acceptDrops());
        field.setText(QStringLiteral("keep me"));
        QSignalSpy spy(&field, &MyLineEdit::fileDroped);
        // Only a drop without text or files is refused.
        QCOMPARE(drop(field, data), data->hasText() || data->hasUrls());
        QStringList got;
        for (const QList<QVariant>& args : spy)
            got << args.at(0).toString();
        QCOMPARE(got, emitted);
        QCOMPARE(field.text(), QStringLiteral("keep me"));
    }

    // What the image browser's model hands a drag: a URL list of the files.
    void dropFromFileSystemModel()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString first = folder.filePath(QStringLiteral("disk 1.HVR"));
        const QString second = folder.filePath(QStringLiteral("disk2.HVR"));
        for (const QString& path : {first, second}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFileSystemModel model;
        model.setRootPath(folder.path());
        QScopedPointer<QMimeData> data(model.mimeData({model.index(first), model.index(second)}));
        QVERIFY(data);
        QVERIFY(data->hasUrls());

        MyLineEdit field;
        QSignalSpy spy(&field, &MyLineEdit::fileDroped);
        QVERIFY(drop(field, data.data()));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), first);
        QCOMPARE(spy.at(1).at(0).toString(), second);
        QCOMPARE(field.text(), QString());
    }
};

QTEST_MAIN(TestMyLineEdit)
#include "tst_mylineedit.moc"
