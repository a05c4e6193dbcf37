#include "drivelisting.h"

#include <QList>
#include <QStringList>

#include "mycommon.h"

const QString DriveListing::NOT_PROTECTED = QStringLiteral("--");

namespace {

// A line is text up to its first NUL byte; the tool pads some fields with them.
QString decodeLine(const QByteArray& piece)
{
    const int nul = piece.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? piece : piece.left(nul));
}

int toIntOrZero(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

std::optional<DriveListing> DriveListing::Parse(const QByteArray& listing, int driveNo)
{
    if (driveNo < 0)
        return std::nullopt;
    if (!MyCommon::IsDRVEMUListingActive(listing))
        return std::nullopt;
    const QList<QByteArray> pieces = listing.split('\n');
    const int rowIndex = FIRST_ROW + driveNo;
    if (rowIndex >= pieces.size())
        return std::nullopt;

    const QStringList fields = decodeLine(pieces.at(rowIndex)).split(QLatin1Char('|'), Qt::KeepEmptyParts);
    if (fields.size() < MIN_FIELDS)
        return std::nullopt;

    DriveListing row;
    row.m_drive = toIntOrZero(fields.at(0).trimmed());
    row.m_protect = fields.at(1).trimmed();
    row.m_cylinder = toIntOrZero(fields.at(2).trimmed());
    row.m_path = fields.at(3).trimmed();
    return row;
}

QString DriveListing::ImageName() const
{
    return m_path.split(QLatin1Char('/'), Qt::KeepEmptyParts).last().trimmed();
}
