// drvdump, drvrestore, drvunformat and drvinfo: the tools that work on the
// disks in the board's two physical drives. Each drive's disk is an HVR file
// in "<state>/disks"; the tools print one progress report per attempt at a
// track, the way the board's terminal display does.

#include "hvrimage.h"
#include "simcommon.h"
#include "tools.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <map>
#include <set>

#include <csignal>
#include <unistd.h>

namespace sim {

namespace {

// ---------------------------------------------------------------------------
// The physical drives

std::string disksDir() { return stateDir() + "/disks"; }
std::string diskPath(int drive) { return disksDir() + "/drive" + std::to_string(drive) + ".hvr"; }
std::string lockPath(int drive) { return disksDir() + "/drive" + std::to_string(drive) + ".lock"; }

// Deterministic contents, different for every drive and track.
std::string trackPattern(int drive, int track, int size)
{
    std::string data(static_cast<size_t>(size), '\0');
    unsigned v = 0x9e3779b9u * static_cast<unsigned>(track + 1) + 0x7f4a7c15u * static_cast<unsigned>(drive + 1);
    for (int i = 0; i < size; ++i) {
        v = v * 1103515245u + 12345u;
        data[static_cast<size_t>(i)] = static_cast<char>((v >> 16) & 0xff);
    }
    return data;
}

HvrHeader factoryDisk(int drive)
{
    HvrHeader h;
    if (drive == 0) {
        h.name = "KESTA SIM 2HD";
        h.type = "2HD";
        h.rpm = 360;
        h.cylinders = 80;  // the full physical range, so an 80-cylinder dump reads cleanly
        h.trackSize = 8 * 1024;
        h.density = "high";
    } else {
        h.name = "KESTA SIM 2D";
        h.type = "2D";
        h.rpm = 300;
        h.cylinders = 40;
        h.trackSize = 16 * 256;
        h.density = "double";
    }
    h.heads = 2;
    return h;
}

bool ensureDisk(int drive, std::string& error)
{
    const std::string path = diskPath(drive);
    if (isRegularFile(path))
        return true;
    if (!makeDirs(disksDir())) {
        error = "cannot create " + disksDir();
        return false;
    }
    const HvrHeader h = factoryDisk(drive);
    std::string createError;
    createImage(path, h,
                [&](int cyl, int head, unsigned char& status, std::string& data) {
                    status = kTrackGood;
                    data = trackPattern(drive, cyl * 2 + head, h.trackSize);
                },
                false, createError);
    if (!isRegularFile(path)) {  // another tool may have won the race; that is fine
        error = createError;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Pace and faults

// How long the drive takes: one revolution per attempt (200 ms at 300 rpm,
// 167 ms at 360 rpm) and 3 ms per cylinder the head steps. A fixed
// KESTA_SIM_TRACK_MS per attempt (no step time) overrides the disk's pace;
// KESTA_SIM_SPEED divides both.
class Pace {
public:
    explicit Pace(int rpm)
    {
        const long long speed = speedDivisor();
        const long fixedMs = envLong("KESTA_SIM_TRACK_MS", -1);
        if (fixedMs >= 0) {
            m_attemptUs = fixedMs * 1000LL / speed;
        } else {
            m_attemptUs = 60000000LL / std::max(1, rpm) / speed;
            m_stepUs = 3000LL / speed;
        }
    }
    long long attemptUs() const { return m_attemptUs; }
    // Moves the head to the cylinder; false when stopped meanwhile.
    bool seek(int cylinder)
    {
        const long long steps = std::abs(cylinder - m_cylinder);
        m_cylinder = cylinder;
        return sleepUs(steps * m_stepUs);
    }
    bool revolution() const { return sleepUs(m_attemptUs); }

private:
    long long m_attemptUs = 0;
    long long m_stepUs = 0;
    int m_cylinder = 0;  // the drive recalibrates to cylinder 0 first
};

struct Faults {
    std::set<int> bad;
    std::map<int, int> weak;
    long silenceMs = 0;
    long silenceAt = -1;
    long crashAt = -1;

    // drive >= 0: the tool reads that drive's disk, whose wear
    // (KESTA_SIM_DISK) adds weak and dead tracks; KESTA_SIM_WEAK and
    // KESTA_SIM_BAD name further ones and win where both speak.
    static Faults fromEnvironment(int drive = -1)
    {
        Faults f;
        if (drive >= 0) {
            const std::string disk = envString("KESTA_SIM_DISK", "clean");
            for (int track = 0; track < kMaxCylinders * 2; ++track) {
                const int needed = diskTriesNeeded(disk, seedValue(), drive, track);
                if (needed == 0)
                    f.bad.insert(track);
                else if (needed > 1)
                    f.weak[track] = needed;
            }
        }
        for (int track : envIntSet("KESTA_SIM_BAD"))
            f.bad.insert(track);
        for (const auto& w : envIntMap("KESTA_SIM_WEAK")) {
            f.weak[w.first] = w.second;
            f.bad.erase(w.first);
        }
        f.silenceMs = envMs("KESTA_SIM_SILENCE_MS", 0);
        f.silenceAt = envLong("KESTA_SIM_SILENCE_AT", -1);
        f.crashAt = envLong("KESTA_SIM_CRASH_AT", -1);
        return f;
    }
};

// ---------------------------------------------------------------------------
// Progress display: a report line per attempt and a bar under it that the
// next report clears again; a retry overwrites the line of the attempt before.

class Progress {
public:
    Progress(const char* verb, int total, int drive) : m_verb(verb), m_total(total)
    {
        flood();
        if (noisy())
            out("\x1b[?25lPlease wait [drive " + std::to_string(drive) + "] spinning up...\r\x1b[K\x1b[1;36m"
                "[drive " + std::to_string(drive) + "] ready\x1b[0m\nPass 1 of 1 [" + m_verb + "]\n");
    }

    void attempt(int shownTrack, int cyl, int head, int attempt, int maxAttempts, bool ok)
    {
        std::string text = attempt > 1 ? "\r\x1b[2K\x1b[1A\x1b[2K" : "\r\x1b[2K";
        const char* result = ok ? "ok" : (attempt < maxAttempts ? "retry" : "ERROR");
        char field[32];
        std::snprintf(field, sizeof field, "P(T%03d C%02d H%d) %s ", shownTrack, cyl, head, m_verb);
        text += field;
        char word[16];
        std::snprintf(word, sizeof word, "%-5s", result);
        if (noisy())  // the result word in colour, as a terminal program shows it
            text += std::string(ok ? "\x1b[1;32m" : (attempt < maxAttempts ? "\x1b[1;33m" : "\x1b[1;31m")) + result
                    + "\x1b[0m" + std::string(std::strlen(word) - std::strlen(result), ' ');
        else
            text += word;
        text += " try " + std::to_string(attempt) + "/" + std::to_string(maxAttempts) + "\n";
        if (ok || attempt >= maxAttempts)
            ++m_done;
        text += garbage();
        text += bar();
        out(text);
    }

    void finish(const std::string& summary)
    {
        out("\r\x1b[2K" + summary + "\n" + (noisy() ? "\x1b[0m\x1b[?25h" : ""));
    }

private:
    // KESTA_SIM_FLOOD_MB: a runaway tool that prints this many MiB of plain
    // lines (no report among them) before its first report.
    static void flood()
    {
        const long mib = envLong("KESTA_SIM_FLOOD_MB", 0);
        if (mib <= 0)
            return;
        std::string line(127, '.');
        line += '\n';
        std::string block;
        for (int i = 0; i < 8192; ++i)
            block += line; // 1 MiB
        for (long i = 0; i < mib && !stopRequested(); ++i)
            out(block);
    }

    std::string bar() const
    {
        if (!noisy())
            return plainBar();
        // Drawn the busy way: the bar in brackets, redrawn after a carriage
        // return, the count stepped back over and written again.
        const std::string b = plainBar();
        const std::string tail = b.size() >= 3 ? b.substr(b.size() - 3) : b;
        return "\r  [" + b.substr(2) + "]\x1b[K\r" + b + "\x1b[K\x1b[3D" + tail + " Please wait";
    }

    std::string plainBar() const
    {
        const int width = 20;
        const int filled = m_total > 0 ? m_done * width / m_total : width;
        std::string b = "  ";
        b.append(static_cast<size_t>(filled), '#');
        b.append(static_cast<size_t>(width - filled), '.');
        char tail[48];
        std::snprintf(tail, sizeof tail, " %3d%% %d/%d", m_total > 0 ? m_done * 100 / m_total : 100,
                      m_done, m_total);
        return b + tail;
    }

    const char* m_verb;
    int m_total;
    int m_done = 0;
};

enum class Outcome { Ok, Failed, Stopped };

struct TrackJob {
    int track;       // cylinder * 2 + head
    int shownTrack;  // number printed in the report
    int cyl;
    int head;
};

// One track: the fault hooks, then up to maxAttempts attempts with a report each.
// A report count that reaches the retry count means a failed track to the
// controller's map, so the last report is the failure notice: only the tries
// before it can read the track (all of them when only one is allowed).
Outcome runTrack(Progress& progress, Pace& pace, const Faults& f, const TrackJob& job, bool silenceHere,
                 int maxAttempts, bool mediumOk, int* attemptsMade = nullptr)
{
    if (job.track == f.crashAt) {
        // Die the way a segfaulting tool does: half a line out, no cleanup.
        out("\r\x1b[2KP(T0");
        std::raise(SIGKILL);
    }
    if ((silenceHere && f.silenceMs > 0 && !sleepMs(f.silenceMs)) || !pace.seek(job.cyl))
        return Outcome::Stopped;
    const auto weak = f.weak.find(job.track);
    const int needed = weak == f.weak.end() ? 1 : weak->second;
    const bool bad = !mediumOk || f.bad.count(job.track) != 0;
    for (int a = 1; a <= maxAttempts; ++a) {
        if (!pace.revolution())
            return Outcome::Stopped;
        const bool ok = !bad && a >= needed && (a < maxAttempts || maxAttempts == 1);
        progress.attempt(job.shownTrack, job.cyl, job.head, a, maxAttempts, ok);
        if (attemptsMade)
            *attemptsMade = a;
        if (ok)
            return Outcome::Ok;
    }
    return Outcome::Failed;
}

// Where the silence goes: the given track, or the middle of the run.
bool silenceBefore(const Faults& f, const std::vector<TrackJob>& jobs, size_t index)
{
    if (f.silenceAt >= 0)
        return jobs[index].track == f.silenceAt;
    return index == jobs.size() / 2;
}

// Runtime failures are shown where the controller looks (standard output)
// and on standard error for anyone running the tool by hand.
int fail(const std::string& tool, const std::string& message, int status = 1)
{
    out("\r\x1b[2K" + tool + ": " + message + "\n");
    errLine(tool, message);
    return status;
}

int usage(const std::string& tool, const std::string& message)
{
    errLine(tool, message);
    return kUsageStatus;
}

std::string pinsText(const Args& a)
{
    if (!a.has('p'))
        return "none";
    std::string text;
    for (const std::string& p : a.options.at('p'))
        text += (text.empty() ? "" : " ") + p;
    return text;
}

bool driveEmpty(int drive) { return envListHas("KESTA_SIM_EMPTY", std::to_string(drive)); }
bool driveProtected(int drive, const HvrHeader& disk)
{
    return disk.protect || envListHas("KESTA_SIM_PROTECT", std::to_string(drive));
}

// Common start of the disk tools: the drive must hold a disk, and only one
// tool at a time may use a drive.
struct DriveSession {
    int drive = 0;
    std::unique_ptr<FileLock> lock;
    HvrFile disk;
};

int openDrive(const std::string& tool, int drive, bool writable, DriveSession& s)
{
    s.drive = drive;
    if (driveEmpty(drive))
        return fail(tool, "drive " + std::to_string(drive) + ": no disk in drive");
    std::string error;
    if (!ensureDisk(drive, error))
        return fail(tool, error);
    s.lock = std::make_unique<FileLock>(lockPath(drive), false);
    if (!s.lock->locked())
        return fail(tool, "drive " + std::to_string(drive) + " is busy");
    if (!s.disk.open(diskPath(drive), writable, error))
        return fail(tool, error);
    return 0;
}

const std::vector<OptionRule> kDiskRules = {
    {'i', 0, 1, nullptr},   {'c', 1, kMaxCylinders, nullptr}, {'h', 1, 2, nullptr},
    {'b', 0, kMaxCylinders - 1, nullptr}, {'e', 0, kMaxCylinders - 1, nullptr}, {'s', 1, 2, nullptr},
    {'p', 1, 99, nullptr},  {'r', 0, 255, nullptr},           {'t', 0, kMaxCylinders * 2 - 1, nullptr},
    {'n', 0, 15, nullptr},  {'u', 0, 1, nullptr},             {'d', 0, 0, "double|high"},
    {'f', 0, 0, "encode|raw"},
};

bool parseDiskArgs(const std::string& tool, const ArgList& argv, const std::string& letters, size_t positionals,
                   Args& a, int& status)
{
    std::string error;
    if (!parseArgs(argv, letters, "", a, error) || !checkOptions(a, kDiskRules, error)) {
        status = usage(tool, error);
        return false;
    }
    if (a.positionals.size() != positionals) {
        status = usage(tool, a.positionals.size() > positionals ? "unexpected argument " + a.positionals[positionals]
                                                                : "missing image path");
        return false;
    }
    if (a.has('b') && a.has('e') && intOption(a, 'b', 0) > intOption(a, 'e', 0)) {
        status = usage(tool, "begin cylinder after end cylinder");
        return false;
    }
    if (a.has('c') && a.has('e') && intOption(a, 'e', 0) >= intOption(a, 'c', 0)) {
        status = usage(tool, "end cylinder beyond the cylinder count");
        return false;
    }
    return true;
}

// Cylinders begin..end, heads 0..heads-1, in the order the head visits them.
std::vector<TrackJob> trackRange(int begin, int end, int heads, int shownOffset)
{
    std::vector<TrackJob> jobs;
    for (int cyl = begin; cyl <= end; ++cyl)
        for (int head = 0; head < heads; ++head)
            jobs.push_back({cyl * 2 + head, cyl * 2 + head + shownOffset, cyl, head});
    return jobs;
}

std::string summary(const std::string& tool, int ok, int failed)
{
    return tool + ": done, " + std::to_string(ok) + " tracks ok, " + std::to_string(failed) + " failed";
}

}  // namespace

// ---------------------------------------------------------------------------

int drvdump(const ArgList& argv)
{
    const std::string tool = "drvdump";
    Args a;
    int status = 0;
    if (!parseDiskArgs(tool, argv, "icdhbesfprt", 1, a, status))
        return status;
    PidFile pidFile(tool);
    const std::string path = a.positionals.front();
    const int drive = static_cast<int>(intOption(a, 'i', 0));
    const Faults faults = Faults::fromEnvironment(drive);
    const int attempts = static_cast<int>(std::max(1L, intOption(a, 'r', 3)));

    DriveSession s;
    if (int rc = openDrive(tool, drive, false, s))
        return rc;
    const HvrHeader& disk = s.disk.header();
    std::string error;
    HvrFile image;
    std::vector<TrackJob> jobs;

    if (a.has('t')) {
        // Re-read one track into an image that a dump wrote before.
        if (!image.open(path, true, error))
            return fail(tool, error);
        const int track = static_cast<int>(intOption(a, 't', 0));
        if (!image.header().holds(track / 2, track % 2))
            return fail(tool, "track " + std::to_string(track) + " is outside the image");
        if (image.header().trackSize != disk.trackSize)
            return fail(tool, path + " was not dumped from this disk format");
        jobs.push_back({track, track, track / 2, track % 2});
        out(tool + ": drive " + std::to_string(drive) + ", track " + std::to_string(track) + " into " + path + "\n");
    } else {
        const int cylinders = static_cast<int>(intOption(a, 'c', disk.cylinders));
        const int heads = static_cast<int>(intOption(a, 'h', disk.heads));
        const int begin = static_cast<int>(intOption(a, 'b', 0));
        const int end = static_cast<int>(intOption(a, 'e', cylinders - 1));
        if (begin > end || end >= cylinders)
            return fail(tool, "cylinder range " + std::to_string(begin) + "-" + std::to_string(end)
                                  + " does not fit " + std::to_string(cylinders) + " cylinders");
        HvrHeader h;
        h.name = disk.name;
        h.type = disk.type;
        h.rpm = disk.rpm;
        h.protect = disk.protect;
        h.cylinders = cylinders;
        h.heads = heads;
        h.trackSize = disk.trackSize;
        h.density = wordOption(a, 'd', disk.density);
        h.format = wordOption(a, 'f', "encode");
        if (fileExists(path)) {
            // An earlier dump of the same geometry is completed, anything else is kept safe.
            if (!image.open(path, true, error) || image.header().cylinders != cylinders
                || image.header().heads != heads || image.header().trackSize != disk.trackSize)
                return fail(tool, path + " exists and is not a matching HVR image; not overwritten");
            h.tries = image.header().tries;  // what earlier runs met stays known
            image.header() = h;
            if (!image.writeHeader())
                return fail(tool, "cannot write " + path);
        } else {
            if (!createImage(path, h, TrackFill(), false, error) || !image.open(path, true, error))
                return fail(tool, error);
        }
        jobs = trackRange(begin, end, heads, 0);
        out(tool + ": drive " + std::to_string(drive) + ", " + disk.type + ", cylinders " + std::to_string(begin)
            + "-" + std::to_string(end) + ", " + std::to_string(heads) + " heads, steps "
            + wordOption(a, 's', "1") + ", pins " + pinsText(a) + ", " + std::to_string(attempts)
            + " tries per track\n");
    }

    Progress progress("read", static_cast<int>(jobs.size()), drive);
    Pace pace(disk.rpm);
    int good = 0, failed = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const TrackJob& job = jobs[i];
        unsigned char st = kTrackMissing;
        std::string data;
        const bool medium = s.disk.readTrack(job.cyl, job.head, st, data) && st == kTrackGood;
        int made = 0;
        const Outcome o = runTrack(progress, pace, faults, job, silenceBefore(faults, jobs, i), attempts, medium, &made);
        if (o == Outcome::Stopped) {
            progress.finish(tool + ": interrupted");
            return kStoppedStatus;
        }
        const bool ok = o == Outcome::Ok;
        image.header().setTries(job.cyl, job.head, made);
        if (!image.writeTrack(job.cyl, job.head, ok ? kTrackGood : kTrackBad, ok ? data : std::string())
            || !image.writeHeader())
            return fail(tool, "cannot write " + path);
        ok ? ++good : ++failed;
    }
    progress.finish(summary(tool, good, failed));
    return failed == 0 ? 0 : 3;
}

int drvrestore(const ArgList& argv)
{
    const std::string tool = "drvrestore";
    Args a;
    int status = 0;
    if (!parseDiskArgs(tool, argv, "inchbesup", 1, a, status))
        return status;
    PidFile pidFile(tool);
    const Faults faults = Faults::fromEnvironment();
    const std::string path = a.positionals.front();
    const int drive = static_cast<int>(intOption(a, 'i', 0));
    if (intOption(a, 'n', 1) > 1)
        return fail(tool, "an HVR image holds one disk; disk " + a.last('n') + " not found");

    std::string error;
    HvrFile image;
    if (!image.open(path, false, error))
        return fail(tool, error);
    const HvrHeader& img = image.header();
    const int cylinders = static_cast<int>(intOption(a, 'c', img.cylinders));
    const int heads = static_cast<int>(intOption(a, 'h', img.heads));
    const int begin = static_cast<int>(intOption(a, 'b', 0));
    const int end = static_cast<int>(intOption(a, 'e', cylinders - 1));
    if (begin > end || end >= cylinders)
        return fail(tool, "cylinder range does not fit " + std::to_string(cylinders) + " cylinders");

    DriveSession s;
    if (int rc = openDrive(tool, drive, true, s))
        return rc;
    if (driveProtected(drive, s.disk.header()))
        return fail(tool, "drive " + std::to_string(drive) + ": disk is write protected");

    // Writing another format re-lays the disk out first (a real drive formats as it writes).
    HvrHeader disk = s.disk.header();
    if (disk.trackSize != img.trackSize || disk.cylinders < cylinders || disk.heads < heads) {
        HvrHeader relaid = disk;
        relaid.trackSize = img.trackSize;
        relaid.cylinders = std::max(disk.cylinders, cylinders);
        relaid.heads = std::max(disk.heads, heads);
        HvrFile& old = s.disk;
        const bool sameSize = disk.trackSize == img.trackSize;
        if (!createImage(diskPath(drive), relaid,
                         [&](int cyl, int head, unsigned char& st, std::string& data) {
                             st = kTrackUnformatted;
                             if (sameSize && !old.readTrack(cyl, head, st, data))
                                 st = kTrackUnformatted;
                         },
                         true, error))
            return fail(tool, error);
        s.disk.close();
        if (!s.disk.open(diskPath(drive), true, error))
            return fail(tool, error);
    }
    s.disk.header().name = img.name;
    s.disk.header().type = img.type;
    s.disk.header().rpm = img.rpm;
    s.disk.header().density = img.density;
    s.disk.header().format = img.format;
    if (!s.disk.writeHeader())
        return fail(tool, "cannot write the disk in drive " + std::to_string(drive));

    const std::vector<TrackJob> jobs = trackRange(begin, end, heads, 0);
    out(tool + ": " + path + " to drive " + std::to_string(drive) + ", cylinders " + std::to_string(begin) + "-"
        + std::to_string(end) + ", " + std::to_string(heads) + " heads, pins " + pinsText(a) + "\n");
    Progress progress("write", static_cast<int>(jobs.size()), drive);
    Pace pace(s.disk.header().rpm);
    int good = 0, failed = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const TrackJob& job = jobs[i];
        unsigned char st = kTrackUnformatted;
        std::string data;
        if (!image.readTrack(job.cyl, job.head, st, data) || st != kTrackGood) {
            st = kTrackUnformatted;  // nothing readable in the image: the track stays blank
            data.clear();
        }
        const Outcome o = runTrack(progress, pace, faults, job, silenceBefore(faults, jobs, i), 2, true);
        if (o == Outcome::Stopped) {
            progress.finish(tool + ": interrupted");
            return kStoppedStatus;
        }
        const bool ok = o == Outcome::Ok;
        if (!s.disk.writeTrack(job.cyl, job.head, ok ? st : static_cast<unsigned char>(kTrackUnformatted), ok ? data : std::string()))
            return fail(tool, "cannot write the disk in drive " + std::to_string(drive));
        ok ? ++good : ++failed;
    }
    progress.finish(summary(tool, good, failed));
    return failed == 0 ? 0 : 3;
}

int drvunformat(const ArgList& argv)
{
    const std::string tool = "drvunformat";
    Args a;
    int status = 0;
    if (!parseDiskArgs(tool, argv, "ichsp", 0, a, status))
        return status;
    PidFile pidFile(tool);
    const Faults faults = Faults::fromEnvironment();
    const int drive = static_cast<int>(intOption(a, 'i', 0));

    DriveSession s;
    if (int rc = openDrive(tool, drive, true, s))
        return rc;
    if (driveProtected(drive, s.disk.header()))
        return fail(tool, "drive " + std::to_string(drive) + ": disk is write protected");
    const int cylinders = static_cast<int>(intOption(a, 'c', s.disk.header().cylinders));
    const int heads = static_cast<int>(intOption(a, 'h', s.disk.header().heads));

    // The board counts unformatted tracks from 1.
    const std::vector<TrackJob> jobs = trackRange(0, cylinders - 1, heads, 1);
    out(tool + ": drive " + std::to_string(drive) + ", " + std::to_string(cylinders) + " cylinders, "
        + std::to_string(heads) + " heads, pins " + pinsText(a) + "\n");
    Progress progress("erase", static_cast<int>(jobs.size()), drive);
    Pace pace(s.disk.header().rpm);
    int good = 0, failed = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const TrackJob& job = jobs[i];
        const Outcome o = runTrack(progress, pace, faults, job, silenceBefore(faults, jobs, i), 2, true);
        if (o == Outcome::Stopped) {
            progress.finish(tool + ": interrupted");
            return kStoppedStatus;
        }
        if (o == Outcome::Ok && s.disk.header().holds(job.cyl, job.head)
            && !s.disk.writeTrack(job.cyl, job.head, kTrackUnformatted, std::string()))
            return fail(tool, "cannot write the disk in drive " + std::to_string(drive));
        o == Outcome::Ok ? ++good : ++failed;
    }
    progress.finish(summary(tool, good, failed));
    return failed == 0 ? 0 : 3;
}

int drvinfo(const ArgList& argv)
{
    const std::string tool = "drvinfo";
    Args a;
    int status = 0;
    if (!parseDiskArgs(tool, argv, "ip", 0, a, status))
        return status;
    PidFile pidFile(tool);
    const int drive = static_cast<int>(intOption(a, 'i', 0));
    int rpm = factoryDisk(drive).rpm;
    {
        HvrFile disk;
        std::string ignored;
        if (disk.open(diskPath(drive), false, ignored))
            rpm = disk.header().rpm;
    }
    const Pace pace(rpm);

    std::string text = tool + ": drive " + std::to_string(drive) + "\n";
    text += "asserted pins : " + pinsText(a) + "\n";
    if (noisy())
        text += "\x1b[?25lPlease wait [drive " + std::to_string(drive) + "] measuring\x1b[5m...\x1b[0m\r\x1b[K";
    out(text + garbage());
    // Measuring the spindle takes a few revolutions.
    for (int i = 0; i < 5; ++i)
        if (!pace.revolution())
            return kStoppedStatus;
    if (driveEmpty(drive)) {
        out("disk          : none\n");
        return 1;
    }
    DriveSession s;
    if (int rc = openDrive(tool, drive, false, s))
        return rc;
    const HvrHeader& h = s.disk.header();
    int good = 0;
    for (int cyl = 0; cyl < h.cylinders; ++cyl)
        for (int head = 0; head < h.heads; ++head) {
            unsigned char st = kTrackMissing;
            std::string data;
            if (s.disk.readTrack(cyl, head, st, data) && st == kTrackGood)
                ++good;
        }
    std::string guess = "unknown format";
    if (good == 0) {
        guess = "unformatted";
    } else if (const DiskType* t = findDiskType(h.type)) {
        if (t->sectors * t->sectorSize == h.trackSize)
            guess = std::string(t->name) + ", " + std::to_string(t->sectors) + " sectors of "
                    + std::to_string(t->sectorSize) + " bytes per track";
    }
    text = "disk          : present, \"" + h.name + "\"\n";
    text += std::string("write protect : ") + (driveProtected(drive, h) ? "on" : "off") + "\n";
    text += "rotation      : " + std::to_string(h.rpm) + " rpm\n";
    text += "density       : " + h.density + "\n";
    text += "geometry      : " + std::to_string(h.cylinders) + " cylinders, " + std::to_string(h.heads)
            + " heads, " + std::to_string(h.trackSize) + " bytes per track\n";
    text += "formatted     : " + std::to_string(good) + " of " + std::to_string(h.cylinders * h.heads)
            + " tracks\n";
    text += "format guess  : " + guess + "\n";
    if (noisy())
        text += "\x1b[1;32m[drive " + std::to_string(drive) + "] Pass 1 done\x1b[0m\x1b[?25h\n";
    out(text);
    return 0;
}

}  // namespace sim
