#include "dumprecord.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

#include <cmath>

#include "kestalog.h"
#include "runoutcome.h"

namespace {

const QString MARKER = QStringLiteral("KESTAcon dump record");
constexpr int VERSION = 1;

QString isoTime(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// An integer value within [low, high]; JSON numbers are doubles.
bool intValue(const QJsonValue& value, int low, int high, int* out)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < low || number > high)
        return false;
    *out = int(number);
    return true;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool timeValue(const QJsonValue& value, QDateTime* out)
{
    if (!value.isString())
        return false;
    *out = QDateTime::fromString(value.toString(), Qt::ISODate);
    return out->isValid();
}

} // namespace

QByteArray DumpRecord::ToJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("record"), MARKER);
    object.insert(QStringLiteral("version"), VERSION);
    object.insert(QStringLiteral("image"), image);
    object.insert(QStringLiteral("tool"), tool);
    object.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(arguments));
    object.insert(QStringLiteral("started"), isoTime(started));
    object.insert(QStringLiteral("ended"), isoTime(ended));
    object.insert(QStringLiteral("outcome"), outcome);
    object.insert(QStringLiteral("retry"), retry);
    object.insert(QStringLiteral("cylinders"), cylinders);
    QJsonArray states;
    for (int state : tracks)
        states.append(state);
    object.insert(QStringLiteral("tracks"), states);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool DumpRecord::FromJson(const QByteArray& data, DumpRecord* record, QString* error)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parse);
    if (parse.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("not JSON: ") + parse.errorString());
    if (!document.isObject())
        return fail(error, QStringLiteral("not a dump record"));
    const QJsonObject object = document.object();
    int version = 0;
    if (object.value(QStringLiteral("record")).toString() != MARKER ||
        !intValue(object.value(QStringLiteral("version")), VERSION, VERSION, &version))
        return fail(error, QStringLiteral("not a dump record"));

    DumpRecord result;
    const QJsonValue image = object.value(QStringLiteral("image"));
    const QJsonValue tool = object.value(QStringLiteral("tool"));
    if (!image.isString() || image.toString().isEmpty() || !tool.isString())
        return fail(error, QStringLiteral("no image or tool"));
    result.image = image.toString();
    result.tool = tool.toString();

    const QJsonValue arguments = object.value(QStringLiteral("arguments"));
    if (!arguments.isArray())
        return fail(error, QStringLiteral("no arguments"));
    for (const QJsonValue argument : arguments.toArray()) {
        if (!argument.isString())
            return fail(error, QStringLiteral("an argument is not text"));
        result.arguments << argument.toString();
    }
    if (!timeValue(object.value(QStringLiteral("started")), &result.started) ||
        !timeValue(object.value(QStringLiteral("ended")), &result.ended))
        return fail(error, QStringLiteral("no valid start or end time"));

    result.outcome = object.value(QStringLiteral("outcome")).toString();
    if (RunOutcome::FromName(result.outcome) == RunOutcome::NotRun)
        return fail(error, QStringLiteral("unknown outcome"));
    if (!intValue(object.value(QStringLiteral("retry")), 0, 255, &result.retry))
        return fail(error, QStringLiteral("no valid retry count"));
    // Older records may lack the cylinder count; the tracks tell it then.
    const QJsonValue cylinders = object.value(QStringLiteral("cylinders"));
    if (!cylinders.isUndefined() && !intValue(cylinders, 0, TRACK_COUNT / 2, &result.cylinders))
        return fail(error, QStringLiteral("no valid cylinder count"));

    const QJsonValue tracks = object.value(QStringLiteral("tracks"));
    if (!tracks.isArray() || tracks.toArray().size() != TRACK_COUNT)
        return fail(error, QStringLiteral("not 180 track states"));
    const QJsonArray states = tracks.toArray();
    int highest = -1;
    for (int i = 0; i < TRACK_COUNT; ++i) {
        int state = 0;
        if (!intValue(states.at(i), -1, 255, &state))
            return fail(error, QStringLiteral("track %1 has no valid state").arg(i));
        result.tracks[i] = state;
        if (state >= 0)
            highest = i;
    }
    if (cylinders.isUndefined())
        result.cylinders = highest / 2 + 1;
    *record = result;
    return true;
}

QString DumpRecord::PathFor(const QString& imagePath)
{
    const int slash = imagePath.lastIndexOf(QLatin1Char('/'));
    return imagePath.left(slash + 1) + QLatin1Char('.') + imagePath.mid(slash + 1) + QStringLiteral(".json");
}

bool DumpRecord::Write(QString* error) const
{
    QSaveFile file(PathFor(image));
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    const QByteArray data = ToJson();
    if (file.write(data) != data.size() || !file.commit())
        return fail(error, file.errorString());
    return true;
}

bool DumpRecord::Read(const QString& imagePath, DumpRecord* record, QString* error)
{
    QFile file(PathFor(imagePath));
    if (!file.exists())
        return fail(error, QStringLiteral("no record"));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, file.errorString());
    if (file.size() > MAX_FILE_SIZE)
        return fail(error, QStringLiteral("too large for a record"));
    DumpRecord read;
    if (!FromJson(file.read(MAX_FILE_SIZE + 1), &read, error))
        return false;
    // A record copied beside another image names a different file.
    if (QFileInfo(read.image).fileName() != QFileInfo(imagePath).fileName())
        return fail(error, QStringLiteral("the record belongs to ") + read.image);
    read.image = QFileInfo(imagePath).absoluteFilePath();
    *record = read;
    return true;
}

void DumpRecord::Move(const QString& oldImage, const QString& newImage)
{
    DumpRecord record;
    QString error;
    const bool usable = Read(oldImage, &record, &error);
    if (!QFile::exists(PathFor(oldImage)))
        return;
    if (usable) {
        record.image = QFileInfo(newImage).absoluteFilePath();
        if (record.Write(&error)) {
            QFile::remove(PathFor(oldImage));
            return;
        }
        qCWarning(lcTools) << "could not carry the dump record to" << newImage << ":" << error;
        return;
    }
    // A record that cannot be read is left where it is, as it is.
    qCWarning(lcTools) << "dump record of" << oldImage << "not carried along:" << error;
}

void DumpRecord::Remove(const QString& imagePath)
{
    const QString path = PathFor(imagePath);
    if (QFile::exists(path) && !QFile::remove(path))
        qCWarning(lcTools) << "could not remove the dump record" << path;
}

QString DumpRecord::Drive() const
{
    const int at = arguments.indexOf(QStringLiteral("-i"));
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

bool DumpRecord::HasWork() const
{
    for (int state : tracks) {
        if (state == 0 || state == 255)
            return true;
    }
    return false;
}
