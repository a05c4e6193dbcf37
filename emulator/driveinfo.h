#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QWidget>

class QDragEnterEvent;
class QDropEvent;
class QTimerEvent;

namespace Ui {
class DriveInfo;
}

// The panel of one emulated floppy drive: number, image name and path,
// head cylinder with an access lamp, write protection and EJECT.  Images are
// inserted by dropping a file on the panel.  The state comes from the
// "drvctl -l" listing the emulator poll hands to AnalyzeDRVCtrlInfo().
class DriveInfo : public QWidget
{
    Q_OBJECT
public:
    explicit DriveInfo(QWidget* parent = nullptr);
    ~DriveInfo() override;

    static const QString NO_DISK_TEXT;        // "----NO DISK ----"
    static const QString DRIVE_NAME_FORMAT;   // "DRIVE %1"
    static const QString CYLINDER_FORMAT;     // "%1", filled to three digits with zeros
    static const QString PROTECT_ON_TEXT;     // " ON"
    static const QString PROTECT_OFF_TEXT;    // "---"
    static const QString LAMP_ON_STYLE;       // "background:red;"
    static const QString LAMP_OFF_STYLE;      // "background:Window;"
    static const QString LAST_INSERT_DRIVE0;  // "LASTINSERT_FDIMAGE/DRIVE0"
    static const QString LAST_INSERT_DRIVE1;  // "LASTINSERT_FDIMAGE/DRIVE1"

    void Set_CSTM_DriveNo(int driveNo);
    int Get_CSTM_DriveNo() const { return m_driveNo; }
    void Set_CSTM_FDImagePath(const QString& path);
    void Set_CSTM_FDImageName(const QString& name);
    void Set_CSTM_FileInfo(const QFileInfo& info);
    void Set_CSTM_CylinderInfo(int cylinder);
    int Get_CSTM_CylinderInfo() const { return m_cylinder; }
    void Set_CSTM_WriteProtect(bool on);
    void Set_CSTM_DriveInfo(int drive, const QString& protect, int cylinder, const QString& path);

    // Applies this drive's row of a "drvctl -l" listing; anything that is not
    // a listing with such a row leaves the panel unchanged.
    void AnalyzeDRVCtrlInfo(const QByteArray& listing);
    // Inserts the image file at path into this drive through drvctl.
    void SetFDImage(const QString& path);
    // The image remembered for this drive ("LASTINSERT_FDIMAGE/DRIVEn"; "EMPTY"
    // or "" when none), read again from the settings file once it has been
    // reopened.
    QString RememberedImage();

public slots:
    void on_pushButton_clicked();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void StoreLastInsert(const QString& key, const QString& path);
    // The cached value of key, read from the settings when not cached for
    // the settings object open now.
    QString LastInsert(const QString& key);

    Ui::DriveInfo* m_ui;
    int m_driveNo = 0;
    int m_cylinder = 0;
    QString m_imagePath;
    QString m_imageName;
    QFileInfo m_fileInfo;
    int m_lampTimerId = -1;
    // The file of the last insert until a listing shows it in this drive.
    QString m_pendingInsert;
    // The last value of each "LASTINSERT_FDIMAGE" key this panel read or
    // wrote, so that an unchanged listing does not rewrite the settings file;
    // valid for the settings object it was read from.
    QHash<QString, QString> m_storedLastInsert;
    QPointer<QSettings> m_storedFrom;
};
