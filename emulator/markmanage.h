#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The folder marks: bookmarks of folders shared by every image browser,
// oldest first, at most MAX_MARKS.  One instance per process, never deleted.
class MarkManage : public QObject
{
    Q_OBJECT
public:
    static MarkManage* getInstance();

    static constexpr int MAX_MARKS = 10;
    // Settings key of mark number i: "FOLDER_MARK/%1".
    static QString SettingKey(int i);

    int Count() const { return m_marks.size(); }
    // The mark at i, oldest first; empty outside 0 .. Count() - 1.
    QString Get(int i) const;
    // Adds an existing folder that is not yet marked; with MAX_MARKS marks
    // the oldest is pushed out.  Emits folderMarkChanged() on success.
    bool Add(const QString& path);
    // Removes every mark; emits nothing.
    void AllClear();

    // Loads the stored marks: keys 0 to 9 up to the first empty value; a
    // vanished folder or a repeat is skipped.  Writes nothing back.
    void LoadFromSettings();
    // Stores every current mark under its key from number 0 upward; a key
    // that already holds its value is not rewritten.  Keys beyond Count()
    // keep what they held.
    void SaveToSettings() const;

signals:
    void folderMarkChanged();

private:
    explicit MarkManage(QObject* parent = nullptr);

    QStringList m_marks;
};
