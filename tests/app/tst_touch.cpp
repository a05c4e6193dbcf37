#include "fixtures.h"
#include "completedialog.h"
#include "dumpsettingdialog.h"
#include "exitdialog.h"
#include "parameterselectdialog.h"
#include "settingdialog.h"
#include "touchstyle.h"
#include "ui_mainwindow.h"

// Shown captions wider or taller than the room their widget draws them in
// (a label's room is all of it: its size hint counts its margins).
static QStringList clippedCaptions(QWidget* top)
{
    QStringList clipped;
    for (QWidget* w : top->findChildren<QWidget*>()) {
        auto* button = qobject_cast<QPushButton*>(w);
        auto* label = qobject_cast<QLabel*>(w);
        if (!w->isVisibleTo(top) || !(button || (label && !label->text().isEmpty() && !label->wordWrap() && label->pixmap(Qt::ReturnByValue).isNull())))
            continue;
        QStyleOptionButton option;
        option.initFrom(w);
        const QRect room = button ? w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w) : w->rect();
        const QSize need = button ? w->fontMetrics().size(Qt::TextShowMnemonic, button->text()) : label->sizeHint();
        if (need.width() > room.width() || need.height() > room.height())
            clipped << QString("%1 needs %2x%3").arg(w->objectName()).arg(need.width()).arg(need.height());
    }
    return clipped;
}

static bool exposed(QWidget* w) { return w->show(), QTest::qWaitForWindowExposed(w); }

class TestTouch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TouchStyle::Apply();
        m_env.openSettings();
        m_window.reset(new MainWindow);
        QVERIFY(exposed(m_window.get()));
    }

    // Every caption of every tab and dialog fits; on the way, the
    // disk-information pane shows its touch scroll bar.
    void captionsFit()
    {
        Ui::MainWindow* ui = m_window->form();
        QStringList clipped;
        ui->EDT_DRVINFO_DISPLAY->setPlainText(QString("line\n").repeated(40));
        for (int tab = 0; tab < 3 + 4; ++tab) {
            ui->STACKED_WIDGET->setCurrentIndex(tab < 3 ? 0 : 1);
            (tab < 3 ? ui->TAB_FILEOPERATION : ui->TAB_CONTROLLER_MODE)->setCurrentIndex(tab < 3 ? tab : tab - 3);
            clipped << clippedCaptions(m_window.get());
        }
        ui->TAB_CONTROLLER_MODE->setCurrentIndex(2);
        QTRY_COMPARE(ui->EDT_DRVINFO_DISPLAY->verticalScrollBar()->isVisible() * ui->EDT_DRVINFO_DISPLAY->verticalScrollBar()->width(), 50);
        const std::function<QWidget*()> dialogs[] = {
            [&] { return new SettingDialog(m_window.get()); }, [&] { return new ExitDialog(m_window.get()); },
            [&] { return new CompleteDialog(m_window.get()); }, [&] { return new FDImageSelectorDialog(m_window.get()); },
            [&] { return new ParameterSelectDialog(ui->BTN_DUMP_CYLINDERS); }, [&] { return new MyKeyboard(m_window.get()); },
            [&] { return new DumpSettingDialog(ui->WDT_DUMP_PARAMETER_SELECTOR, 0); }};
        for (const auto& make : dialogs) {
            std::unique_ptr<QWidget> dialog(make());
            QVERIFY(exposed(dialog.get()));
            clipped << clippedCaptions(dialog.get());
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    }

    // Every button of the toolkit's boxes and the settings dialog is a
    // finger's size and inside its window; a radio or check box row takes
    // a tap at its far corner.
    void buttonsFitAFinger()
    {
        const std::function<QWidget*()> make[] = {
            [] { return new QMessageBox(QMessageBox::Question, "Confirmation.", "?", QMessageBox::Ok | QMessageBox::Cancel); },
            [this] { auto* busy = new QProgressDialog(MyCommon::LABEL_MEASURING, "Cancel", 0, 0, m_window.get());
                     return busy->setStyleSheet(MyCommon::PROGRESS_STYLE), busy; },
            [this] { return new SettingDialog(m_window.get()); }};
        for (const auto& maker : make) {
            std::unique_ptr<QWidget> top(maker());
            QVERIFY(exposed(top.get()));
            for (QAbstractButton* b : top->findChildren<QAbstractButton*>()) {
                QVERIFY2(qMin(b->height(), b->width()) >= TouchStyle::FINGER_SIZE && b->parentWidget()->rect().contains(b->geometry()),
                         qPrintable(b->text()));
                QSignalSpy clicked(b, &QAbstractButton::clicked);
                if (!qobject_cast<QPushButton*>(b))
                    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() - 3, 2));
                QVERIFY2(qobject_cast<QPushButton*>(b) || clicked.count() == 1, qPrintable(b->text()));
            }
        }
    }

    // A swipe scrolls a long value list without picking; a tap picks; the
    // list's handle keeps a finger's length.
    void swipeScrollsTapPicks()
    {
        ParameterSelectDialog dialog(m_window->form()->BTN_DUMP_END);
        QVERIFY(exposed(&dialog));
        auto* table = dialog.findChild<QTableWidget*>();
        QVERIFY(table->style()->pixelMetric(QStyle::PM_ScrollBarSliderMin, nullptr, table->verticalScrollBar()) >= 40);
        table->scrollToTop();
        const QList<QTableWidgetItem*> selected = table->selectedItems();
        const auto at = [&](int y) { return table->viewport()->mapTo(&dialog, QPoint(100, y)); };
        QTest::mousePress(dialog.windowHandle(), Qt::LeftButton, {}, at(200));
        for (int y = 190; y >= 20; y -= 10)
            QTest::mouseMove(dialog.windowHandle(), at(y));
        QTRY_VERIFY(table->verticalScrollBar()->value() > 100); // the list follows the finger
        QTest::mouseRelease(dialog.windowHandle(), Qt::LeftButton, {}, at(20));
        QVERIFY(table->selectedItems() == selected && dialog.isVisible());
        QScroller::scroller(table->viewport())->stop(); // the flick ends; the list stands still
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.getSelectedItemText(), table->itemAt(QPoint(100, 20))->text());
    }

    // The controller title has a white outline round its gradient glyphs
    // (the fill itself is white in one row at most).
    void titleOutline()
    {
        const QImage title = m_window->form()->label->grab().toImage();
        int rows = 0;
        for (int y = 0; y < 65; ++y)
            for (int x = 0; x < 331; ++x)
                if (QColor c = title.pixelColor(x, y); qMin(c.red(), qMin(c.green(), c.blue())) >= 250 && ++rows)
                    break;
        QVERIFY(rows >= 8);
    }

    // Browse and Backup of the settings dialog choose in file mode.
    void settingChoosers()
    {
        SettingDialog dialog(m_window.get());
        dialog.findChild<QRadioButton*>("RDO_SET_SPECIFIED_FOLDER")->click();
        for (const char* button : {"BTN_SET_SPECIFIED_BROWSE", "BTN_SET_BACKUP"}) {
            QString seen;
            ModalAnswer answer([&seen](QWidget* modal) {
                auto* chooser = qobject_cast<FDImageSelectorDialog*>(modal);
                seen = chooser->findChild<QLabel*>("LBL_DIALOG_TITLE")->text();
                chooser->reject();
            });
            dialog.findChild<QPushButton*>(button)->click();
            QCOMPARE(seen, QString("File Select Dialog"));
        }
    }

    void enteredFolderShowsItsTop()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 40; ++i)
            QVERIFY(QDir(dir.path()).mkpath(QString("39/%1").arg(i)) && QDir(dir.path()).mkpath(QString::number(i)));
        FDImageSelector browser;
        QVERIFY(exposed(&browser));
        browser.SetRootPath(dir.path(), false);
        QScrollBar* bar = browser.findChild<QListView*>()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        browser.on_LSV_WDG_FILELISTVEW_clicked(browser.Model()->index(dir.path() + "/39"));
        QTRY_VERIFY(browser.Model()->rowCount(browser.GetListViewCurrentIndex()) == 40 && bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
    }

private:
    TestEnv m_env;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestTouch)
#include "tst_touch.moc"
