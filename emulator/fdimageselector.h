#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

class QMouseEvent;
class MyFileSystmModel;

namespace Ui {
class FDImageSelector;
}

// The touch file browser: one tap enters a folder, files are dragged from
// the list onto a drive panel, folders can be created, files deleted and
// folders marked for a quick return.  Also the body of the program's file
// and folder chooser (FDImageSelectorDialog).
class FDImageSelector : public QWidget
{
    Q_OBJECT
public:
    enum SELECTOR_MODE {
        FILE_SELECT_MODE = 0,
        FOLDER_SELECT_MODE = 1,
    };
    Q_ENUM(SELECTOR_MODE)

    // Vertical scroll bar wide enough for a finger, with a grey handle.
    static const QString WIDE_SCROLLBAR_STYLE;
    // The text of the drag a press on the browser's background starts.
    static const QString BACKGROUND_DRAG_TEXT;

    explicit FDImageSelector(QWidget* parent = nullptr);
    ~FDImageSelector() override;

    // Shows the folder path; emits currentPathChanged() when emitSignal is set.
    void SetRootPath(const QString& path, bool emitSignal);
    // FOLDER_SELECT_MODE lists folders only; FILE_SELECT_MODE folders and files.
    void SetSelectMode(SELECTOR_MODE mode);
    // Rebuilds the mark list from the folder marks.
    void SetupMarkFolderList();
    // The current entry's path without a trailing "/"; after navigating, the
    // shown folder itself.
    QString GetCurrentFilePath() const;
    QModelIndex GetListViewCurrentIndex() const;
    void SetListViewStyleSheet(const QString& styleSheet);

    // The folder shown in the path field.
    QString GetShownFolder() const;
    // Makes the entry at path (in the shown folder) the current one.
    void SelectPath(const QString& path);
    MyFileSystmModel* Model() const { return m_model; }

signals:
    void currentPathChanged(QString folder);

public slots:
    void on_LSV_WDG_FILELISTVEW_clicked(const QModelIndex& index);
    void on_BTN_WDG_PARENT_clicked();
    void on_BTN_WDG_NEWFOLDER_clicked();
    void on_BTN_WDG_DELETE_clicked();
    void on_BTN_WDG_MARK_clicked();
    void on_BTN_WDG_MARKLIST_activated(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Makes path the shown folder and the current entry.
    void ShowFolder(const QString& path, const char* logLabel, bool emitSignal);
    void AddMarkListItem(const QString& path);
    static QString LastComponent(const QString& path);
    static bool IsAcceptableFolderName(const QString& name);

    Ui::FDImageSelector* m_ui;
    MyFileSystmModel* m_model;
    // The mark button reports activations while its items are rebuilt;
    // those are not choices of the user.
    bool m_fillingMarkList = false;
};
