#include "filenames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <errno.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "kestalog.h"
#include "mycommon.h"

namespace FileNames {

namespace {

const QString ACCESS_FOLDER = QStringLiteral(".kestacon-names");

bool isUtf8(const QByteArray& bytes)
{
    // Qt replaces every byte it cannot decode, so only valid text survives
    // the round trip unchanged.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString fromCodePage932(const QByteArray& raw)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1))
        cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == iconv_t(-1))
        return QString();
    QByteArray out(raw.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(raw.constData());
    size_t inLeft = size_t(raw.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1) || inLeft != 0)
        return QString();
    out.truncate(out.size() - int(outLeft));
    return isUtf8(out) ? QString::fromUtf8(out) : QString();
}

QByteArray linkTarget(const QString& link)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size())
        return QByteArray();
    target.truncate(int(n));
    return target;
}

bool isRegularFile(const QByteArray& raw)
{
    struct stat info;
    return ::stat(raw.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool exists(const QByteArray& raw)
{
    struct stat info;
    return ::lstat(raw.constData(), &info) == 0;
}

// The link goes once the file behind it has gone or moved.
void dropAccessLink(const QString& link)
{
    QFile::remove(link);
    QDir().rmdir(QFileInfo(link).absolutePath());
}

QString makeAccessLink(const QByteArray& rawPath, const QString& name)
{
    const QByteArray key = QCryptographicHash::hash(rawPath, QCryptographicHash::Sha1).toHex().left(16);
    const QString folder = AccessRoot() + QLatin1Char('/') + QString::fromLatin1(key);
    const QString link = folder + QLatin1Char('/') + name;
    if (linkTarget(link) == rawPath)
        return link;
    QDir().mkpath(folder);
    QFile::remove(link);
    if (::symlink(rawPath.constData(), QFile::encodeName(link).constData()) != 0) {
        qCWarning(lcUi) << "cannot make an access link" << link << "errno" << errno;
        return QString();
    }
    return link;
}

} // namespace

bool IsValid(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString DisplayName(const QByteArray& raw)
{
    const QString decoded = fromCodePage932(raw);
    return IsValid(decoded) ? decoded : QString::fromUtf8(raw);
}

QList<Hidden> Undecodable(const QString& folder)
{
    QList<Hidden> hidden;
    if (folder.isEmpty())
        return hidden;
    QByteArray base = QFile::encodeName(folder);
    if (!base.endsWith('/'))
        base += '/';
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(base.constData()), ::closedir);
    if (!dir)
        return hidden;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (isUtf8(name) || !isRegularFile(base + name))
            continue;
        const QString shown = DisplayName(name);
        const QString link = makeAccessLink(base + name, shown);
        if (!link.isEmpty())
            hidden.append({shown, link});
        if (hidden.size() >= MAX_HIDDEN)
            break;
    }
    return hidden;
}

QString AccessRoot()
{
    return QFileInfo(MyCommon::GetApplicationInifilePath()).absolutePath() + QLatin1Char('/') + ACCESS_FOLDER;
}

bool IsAccessPath(const QString& path)
{
    return path.startsWith(AccessRoot() + QLatin1Char('/')) && QFileInfo(path).isSymLink();
}

QString RealFolder(const QString& path)
{
    if (IsAccessPath(path)) {
        const QByteArray target = linkTarget(path);
        return QFile::decodeName(target.left(qMax(0, target.lastIndexOf('/'))));
    }
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString Resolve(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    const QList<Hidden> hidden = Undecodable(path.left(qMax(0, slash)));
    for (const Hidden& entry : hidden)
        if (entry.name == name)
            return entry.accessPath;
    return path;
}

bool Remove(const QString& path)
{
    if (!IsAccessPath(path))
        return QFileInfo(path).isFile() && QFile::remove(path);
    const QByteArray target = linkTarget(path);
    if (!isRegularFile(target) || ::unlink(target.constData()) != 0)
        return false;
    dropAccessLink(path);
    return true;
}

bool Rename(const QString& from, const QString& to)
{
    const QByteArray rawTo = QFile::encodeName(to);
    if (exists(rawTo))
        return false;
    if (!IsAccessPath(from))
        return QDir().rename(from, to);
    const QByteArray target = linkTarget(from);
    if (target.isEmpty() || ::rename(target.constData(), rawTo.constData()) != 0)
        return false;
    dropAccessLink(from);
    return true;
}

} // namespace FileNames
