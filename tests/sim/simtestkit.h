#pragma once
// Helpers for the simulator's black-box tests: a private state folder per
// test, tool runs with argument lists, the controller's report and listing
// grammars, and a reader for the simulator's image layout.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#include "trackreportparser.h"

namespace simtest {

using Env = QMap<QString, QString>;

inline QString toolPath(const QString& name) { return QStringLiteral(KESTA_SIM_BIN_DIR) + "/" + name; }
inline QString stubPath(const QString& name) { return QStringLiteral(KESTA_STUB_DIR) + "/" + name; }

struct Result {
    QByteArray out;
    QByteArray err;
    int exitCode = -1;
    bool finished = false;
};

using Report = TrackReportParser::Report;

// The track map's own reading of an output.
inline QList<Report> parseReports(const QByteArray& output)
{
    const QVector<Report> reports = TrackReportParser(0).Feed(output);
    return QList<Report>(reports.begin(), reports.end());
}

// Counts per shown track number.
inline QMap<int, int> reportCounts(const QList<Report>& reports)
{
    QMap<int, int> counts;
    for (const Report& r : reports)
        ++counts[r.track];
    return counts;
}

// The drive panel's reading of a listing: pieces split at line feeds, a row
// per drive from the fourth piece on, fields split at bars.
inline QList<QByteArray> listingPieces(const QByteArray& out) { return out.split('\n'); }

inline QStringList listingRow(const QByteArray& out, int drive)
{
    const QList<QByteArray> pieces = listingPieces(out);
    if (pieces.size() < 6)
        return {};
    QStringList fields = QString::fromUtf8(pieces.at(3 + drive)).split('|');
    for (QString& f : fields)
        f = f.trimmed();
    return fields;
}

// The simulator's image layout: a 512-byte text header, then per track one
// status byte and the track data.
struct Image {
    QMap<QString, QString> header;
    QByteArray bytes;
    bool valid = false;
    int cylinders = 0, heads = 0, trackSize = 0;

    static Image load(const QString& path)
    {
        Image img;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return img;
        img.bytes = f.readAll();
        if (!img.bytes.startsWith("KESTA-HVR 1\n") || img.bytes.size() < 512)
            return img;
        const QList<QByteArray> lines = img.bytes.left(512).split('\n');
        for (const QByteArray& line : lines) {
            if (line.isEmpty())
                break;
            const int eq = line.indexOf('=');
            if (eq > 0)
                img.header.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
        }
        img.cylinders = img.header.value("cylinders").toInt();
        img.heads = img.header.value("heads").toInt();
        img.trackSize = img.header.value("tracksize").toInt();
        img.valid = img.cylinders > 0 && img.heads > 0 && img.trackSize > 0
                    && img.bytes.size() == 512 + img.cylinders * img.heads * (1 + img.trackSize);
        return img;
    }
    int recordOffset(int cyl, int head) const { return 512 + (cyl * heads + head) * (1 + trackSize); }
    int status(int cyl, int head) const { return static_cast<unsigned char>(bytes.at(recordOffset(cyl, head))); }
    QByteArray data(int cyl, int head) const { return bytes.mid(recordOffset(cyl, head) + 1, trackSize); }
};

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below the folders with a hash of its contents; pid files are
// bookkeeping of running tools and left out.
inline QMap<QString, QByteArray> snapshot(const QStringList& roots)
{
    QMap<QString, QByteArray> files;
    for (const QString& root : roots) {
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains("/pids/"))
                continue;
            files.insert(path, QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha1));
        }
    }
    return files;
}

// One private simulator: a state folder, a work folder for images, and every
// long-running process it started, all ended when it goes away.
class Sim {
public:
    Sim() { QVERIFY(m_state.isValid() && m_work.isValid()); }
    ~Sim() { stopAll(); }

    QString stateDir() const { return m_state.path(); }
    QString work(const QString& name = QString()) const
    {
        return name.isEmpty() ? m_work.path() : m_work.path() + "/" + name;
    }

    QProcessEnvironment environment(const Env& extra = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& key : env.keys())
            if (key.startsWith("KESTA_SIM_"))
                env.remove(key);
        env.insert("KESTA_SIM_DIR", stateDir());
        env.insert("KESTA_SIM_TRACK_MS", "0");
        env.insert("KESTA_STUB_LOG", work("stub.log"));
        for (auto it = extra.begin(); it != extra.end(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    Result run(const QString& program, const QStringList& args, const Env& extra = {}) const
    {
        Result r;
        QProcess p;
        p.setProcessEnvironment(environment(extra));
        p.setWorkingDirectory(work());
        p.start(program.contains('/') ? program : toolPath(program), args);
        if (!p.waitForStarted(30000))
            return r;
        r.finished = p.waitForFinished(120000);
        if (!r.finished) {
            p.kill();
            p.waitForFinished(30000);
        }
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        r.exitCode = p.exitCode();
        return r;
    }

    // Starts a long-running tool; it is ended by stopAll() at the latest.
    QProcess* start(const QString& tool, const QStringList& args, const Env& extra = {})
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment(extra));
        p->setWorkingDirectory(work());
        p->start(toolPath(tool), args);
        if (!p->waitForStarted(30000))
            return nullptr;
        m_procs.push_back(std::move(p));
        return m_procs.back().get();
    }

    void stopAll()
    {
        for (auto& p : m_procs) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(10000)) {
                p->kill();
                p->waitForFinished(10000);
            }
        }
        m_procs.clear();
    }

    bool emulatorRunning() const { return listingPieces(run("drvctl", {"-l"}).out).size() > 5; }

    QStringList stubLog() const
    {
        return QString::fromUtf8(fileBytes(work("stub.log"))).split('\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_state;
    QTemporaryDir m_work;
    std::vector<std::unique_ptr<QProcess>> m_procs;
};

}  // namespace simtest
