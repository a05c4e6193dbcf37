#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// File names on the disk and names the user types.
//
// Qt lists only files whose names are valid UTF-8, and a QString path cannot
// carry other bytes to a file call or to a tool's argument list.  Image files
// copied from old Japanese PCs often have Shift-JIS names.  Such a file is
// reached through an access link: a symbolic link with a valid UTF-8 name
// (the file's name decoded as Shift-JIS, else with replacement characters)
// in a private folder beside the settings file, pointing to the file's real
// bytes.  Reading through the link reaches the very file; Remove() and
// Rename() act on the file behind it.
namespace FileNames {

// A name for a new file or folder inside the shown folder: not empty, not
// "." or "..", no "/" and no NUL.
bool IsValid(const QString& name);

// How a name that is not UTF-8 is shown: decoded as Shift-JIS (code page
// 932) where that works, else as UTF-8 with replacement characters.
QString DisplayName(const QByteArray& raw);

struct Hidden {
    QString name;       // DisplayName() of the real name
    QString accessPath; // the access link
};

// The regular files of folder whose names are not UTF-8, with their access
// links (made or refreshed here), in directory order.  At most MAX_HIDDEN.
QList<Hidden> Undecodable(const QString& folder);
constexpr int MAX_HIDDEN = 1000;

// The folder access links are made in.
QString AccessRoot();
// Whether path is an access link made by Undecodable().
bool IsAccessPath(const QString& path);
// The folder a file lives in, for a plain path or an access link, without
// a trailing "/".
QString RealFolder(const QString& path);

// path itself when something is there; else, when a file of the folder
// whose name is not UTF-8 shows as path's last component, its access link.
QString Resolve(const QString& path);

// Removes the file at path (the real one behind an access link); folders
// are never removed.  True when a file went.
bool Remove(const QString& path);
// Renames the file or folder at from (the real one behind an access link)
// to the path to; an existing entry at to is never replaced.
bool Rename(const QString& from, const QString& to);

} // namespace FileNames
