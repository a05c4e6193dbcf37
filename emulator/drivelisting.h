#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One drive's row of the emulator's status listing ("drvctl -l"), as plain
// values.  The listing is split at line feeds; the first three lines are a
// header, then comes one row per drive:  number | protect | cylinder | path.
// Parsing knows nothing of widgets so that it can be tested on bytes alone.
class DriveListing
{
public:
    // Marker of a drive that is not write-protected.
    static const QString NOT_PROTECTED; // "--"

    // The row of drive driveNo, or nothing when the listing carries no
    // information for it (too few lines, a short row, a bad drive number).
    static std::optional<DriveListing> Parse(const QByteArray& listing, int driveNo);

    // Only a listing of a running emulator (MyCommon::IsDRVEMUListingActive)
    // has drive rows.
    static constexpr int FIRST_ROW = 3;
    static constexpr int MIN_FIELDS = 4;

    int Drive() const { return m_drive; }
    QString Protect() const { return m_protect; }
    int Cylinder() const { return m_cylinder; }
    QString Path() const { return m_path; }

    // Only exactly "--" means writable; any other marker means protected.
    bool IsWriteProtected() const { return m_protect != NOT_PROTECTED; }
    // The last component of the path, trimmed; empty for a path ending in "/".
    QString ImageName() const;

private:
    int m_drive = 0;
    QString m_protect;
    int m_cylinder = 0;
    QString m_path;
};
