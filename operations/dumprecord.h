#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// What a dump did to an image, kept beside it as a hidden JSON file
// (/d/game.HVR gets /d/.game.HVR.json), so that the map of the dump and its
// failed tracks survive a restart.
struct DumpRecord
{
    static constexpr int TRACK_COUNT = 180;
    // A record larger than this is not one of ours.
    static constexpr qint64 MAX_FILE_SIZE = 256 * 1024;

    QString image; // absolute path
    QString tool;
    QStringList arguments;
    QDateTime started;
    QDateTime ended;
    QString outcome; // a RunOutcome name
    int retry = 3;
    int cylinders = 0;
    // The map's state of every track: -1 not a target, 0 target, 1.. reports, 255 error.
    QVector<int> tracks = QVector<int>(TRACK_COUNT, -1);

    QByteArray ToJson() const;
    // Takes a record apart.  Anything but a whole record of ours (damaged,
    // cut short, foreign, values out of range) gives false and the reason.
    static bool FromJson(const QByteArray& data, DumpRecord* record, QString* error);

    static QString PathFor(const QString& imagePath);
    // Writes the record beside its image, replacing the old one in one step.
    bool Write(QString* error) const;
    // The record beside imagePath; false with the reason when there is none
    // or it cannot be used (it must name an image of the same file name).
    static bool Read(const QString& imagePath, DumpRecord* record, QString* error);
    // After a rename of the image: the record follows and names the new path.
    static void Move(const QString& oldImage, const QString& newImage);
    // After the image was deleted.
    static void Remove(const QString& imagePath);

    // The drive the dump read ("-i" value of the arguments), "" if none.
    QString Drive() const;
    // Failed or unreached tracks that a re-dump would read.
    bool HasWork() const;
};
