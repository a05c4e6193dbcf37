#pragma once

// The few places where Qt 5.15 and Qt 6 differ in API, behind one name each,
// so that the rest of the program is written once for both.  Everything else
// uses the API the two versions share; when a new difference turns up, add a
// small function here rather than a version check at the call site.

#include <QDropEvent>
#include <QPoint>
#include <QSettings>
#include <QTextStream>
#include <QVariant>
#include <QtGlobal>

namespace QtCompat {

// INI files of the program are UTF-8.  Qt 6 reads and writes them so
// always; Qt 5 needs to be told.
inline void UseUtf8(QSettings& settings)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    settings.setIniCodec("UTF-8");
#else
    Q_UNUSED(settings)
#endif
}

// Text written by the program is UTF-8 (Qt 6's default, not Qt 5's).
inline void UseUtf8(QTextStream& stream)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    stream.setCodec("UTF-8");
#else
    Q_UNUSED(stream)
#endif
}

// Where a drop lands, in the receiving widget's coordinates.
inline QPoint DropPoint(const QDropEvent* event)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return event->pos();
#else
    return event->position().toPoint();
#endif
}

// Whether a settings value came back as one plain string (Qt 6 retired
// QVariant::type()).
inline bool IsString(const QVariant& value)
{
    return value.userType() == QMetaType::QString;
}

// Whether a settings value came back as a list of strings.
inline bool IsStringList(const QVariant& value)
{
    return value.userType() == QMetaType::QStringList;
}

} // namespace QtCompat
