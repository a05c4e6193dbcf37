#pragma once

#include <QString>
#include <QStringList>

// Argument lists of the board's disk tools, built from the texts the
// parameter buttons of the operation panels show.  A button showing "---"
// leaves its option out; every entry is one argument.
class DrvArgs
{
public:
    // Texts of the dump panel's buttons.
    struct DumpPanel {
        QString drive, cylinders, heads, density, begin, end, steps, format, pin1, pin2, pin3, retry;
    };
    // Texts of the restore panel's buttons.
    struct RestorePanel {
        QString drive, diskNo, cylinders, heads, begin, end, steps, flag, pin1, pin2, pin3;
    };
    // Texts of the unformat panel's buttons (the disk information uses the
    // drive and the pins).
    struct UnformatPanel {
        QString drive, cylinders, heads, steps, pin1, pin2, pin3;
    };

    // Overwrite policies of the dump panel; any other text keeps the file.
    static const QString OVERWRITE_ALWAYS;     // "overwrite"
    static const QString OVERWRITE_BY_SETTING; // "SETTING"

    // drvdump of a whole dump; the drive is always passed.
    static QStringList Dump(const DumpPanel& panel, const QString& imagePath);
    // The options every run of a re-dump shares: the drive and the retries.
    static QStringList ReDumpBase(const QString& drive, const QString& retry);
    // One re-dump run: the shared options, "-t" and the track, the image.
    static QStringList ReDumpTrack(const QStringList& base, int track, const QString& imagePath);
    static QStringList Restore(const RestorePanel& panel, const QString& imagePath);
    static QStringList Unformat(const UnformatPanel& panel);
    static QStringList Info(const UnformatPanel& panel);

    // Whether a dump removes an image already at its path before it starts.
    static bool DeletesExistingImage(const QString& overwritePolicy, bool overwriteSetting);

private:
    static void AddOption(QStringList& args, const QString& option, const QString& text);
    static void AddPins(QStringList& args, const QString& pin1, const QString& pin2, const QString& pin3);
};
