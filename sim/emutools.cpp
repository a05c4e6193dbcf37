// drvemu and drvctl: the drive emulator and its control tool. The emulator's
// state (its pid, its options and the two emulated drives) lives in
// "<state>/emu/state"; drvctl edits the drives there under "<state>/emu/lock".

#include "hvrimage.h"
#include "simcommon.h"
#include "tools.h"

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace sim {

namespace {

const char kEmpty[] = "EMPTY";

struct EmuDrive {
    bool protect = false;
    int cylinder = 0;
    int cylinders = 80;  // the range the head wanders over
    std::string path = kEmpty;
};

struct EmuState {
    long pid = 0;
    bool starting = false;  // drvemu runs but does not answer drvctl yet
    std::string mode;
    std::string options;
    EmuDrive drive[2];
};

std::string emuDir() { return stateDir() + "/emu"; }
std::string statePath() { return emuDir() + "/state"; }
std::string emuLockPath() { return emuDir() + "/lock"; }

EmuState loadState()
{
    EmuState s;
    std::string text;
    if (!readFile(statePath(), text))
        return s;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        const std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        long n = 0;
        if (key == "pid" && parseInt(value, 0, 1L << 30, n))
            s.pid = n;
        else if (key == "starting")
            s.starting = value == "1";
        else if (key == "mode")
            s.mode = value;
        else if (key == "options")
            s.options = value;
        else if (key.size() > 7 && key.compare(0, 5, "drive") == 0 && (key[5] == '0' || key[5] == '1')
                 && key[6] == '.') {
            EmuDrive& d = s.drive[key[5] - '0'];
            const std::string field = key.substr(7);
            if (field == "protect")
                d.protect = value == "1";
            else if (field == "cylinder" && parseInt(value, 0, 999, n))
                d.cylinder = static_cast<int>(n);
            else if (field == "cylinders" && parseInt(value, 1, 999, n))
                d.cylinders = static_cast<int>(n);
            else if (field == "path")
                d.path = value;
        }
    }
    return s;
}

bool saveState(const EmuState& s)
{
    std::string text = "pid=" + std::to_string(s.pid) + "\nstarting=" + (s.starting ? "1" : "0") + "\nmode=" + s.mode + "\noptions=" + s.options + "\n";
    for (int i = 0; i < 2; ++i) {
        const EmuDrive& d = s.drive[i];
        const std::string k = "drive" + std::to_string(i) + ".";
        text += k + "protect=" + (d.protect ? "1" : "0") + "\n";
        text += k + "cylinder=" + std::to_string(d.cylinder) + "\n";
        text += k + "cylinders=" + std::to_string(d.cylinders) + "\n";
        text += k + "path=" + d.path + "\n";
    }
    return writeFileAtomic(statePath(), text);
}

bool alive(const EmuState& s) { return processAlive(s.pid, "drvemu"); }
// Running as drvctl sees it: alive and done starting.
bool running(const EmuState& s) { return alive(s) && !s.starting; }

std::string listing(const EmuState& s)
{
    std::string text = std::string(kVersion) + " drive emulator, pid " + std::to_string(s.pid) + ", mode "
                       + (s.mode.empty() ? "default" : s.mode) + ", options "
                       + (s.options.empty() ? "none" : s.options) + "\n";
    text += "drive | protect | cylinder | image\n";
    text += "------+---------+----------+------\n";
    for (int i = 0; i < 2; ++i) {
        const EmuDrive& d = s.drive[i];
        std::string row = std::to_string(i) + " | " + (d.protect ? "ON" : "--") + " | " + std::to_string(d.cylinder)
                          + " | " + d.path;
        if (noisy())  // rows of a fixed-size record buffer, NUL-padded
            row.resize(std::max<size_t>(row.size() + 1, 64), '\0');
        text += row + "\n";
    }
    return text;
}

// What an image carries for the emulator: its write protection and size.
void describeImage(const std::string& path, EmuDrive& d)
{
    HvrFile f;
    std::string error;
    if (f.open(path, false, error)) {
        d.protect = f.header().protect;
        d.cylinders = f.header().cylinders;
    } else {
        d.protect = false;
        d.cylinders = 80;
    }
    d.cylinder = std::min(d.cylinder, d.cylinders - 1);
}

int usage(const std::string& tool, const std::string& message)
{
    errLine(tool, message);
    return kUsageStatus;
}

int fail(const std::string& tool, const std::string& message)
{
    out(tool + ": " + message + "\n");
    errLine(tool, message);
    return 1;
}

// KESTA_SIM_CTL_FAIL=N: every N-th drvctl run on this state folder ends
// with status 1 and prints nothing.
bool failThisRun()
{
    const long every = envLong("KESTA_SIM_CTL_FAIL", 0);
    if (every <= 0 || !makeDirs(emuDir()))
        return false;
    FileLock lock(emuLockPath(), true);
    const std::string path = emuDir() + "/ctlcount";
    std::string text;
    long count = 0;
    if (readFile(path, text))
        parseInt(trim(text), 0, 1L << 30, count);
    ++count;
    writeFileAtomic(path, std::to_string(count) + "\n");
    return count % every == 0;
}

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

}  // namespace

// ---------------------------------------------------------------------------

int drvemu(const ArgList& argv)
{
    const std::string tool = "drvemu";
    std::string mode, options;
    // "-o x1" arrives as one argument with a blank; "-o", "x1" and "-ox1" work too.
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "-v") {
            mode += mode.empty() ? "-v" : " -v";
        } else if (a.compare(0, 2, "-s") == 0 || a.compare(0, 2, "-o") == 0) {
            std::string value = trim(a.substr(2));
            if (value.empty() && i + 1 < argv.size())
                value = trim(argv[++i]);
            if (a[1] == 's') {
                if (value != "half" && value != "full")
                    return usage(tool, "bad step mode '" + value + "'");
                mode += (mode.empty() ? "-s" : " -s") + value;
            } else {
                if (value.size() != 2 || std::string("xmq").find(value[0]) == std::string::npos
                    || (value[1] != '0' && value[1] != '1'))
                    return usage(tool, "bad option '" + value + "'");
                options += (options.empty() ? "" : " ") + value;
            }
        } else {
            return usage(tool, "unknown option " + a);
        }
    }
    PidFile pidFile(tool);
    if (!makeDirs(emuDir()))
        return fail(tool, "cannot create " + emuDir());
    {
        FileLock lock(emuLockPath(), true);
        const EmuState old = loadState();
        if (alive(old) && old.pid != getpid())
            return fail(tool, "already running, pid " + std::to_string(old.pid));
        // A fresh emulator starts with both drives empty.
        EmuState s;
        s.pid = getpid();
        s.mode = mode;
        s.options = options;
        s.starting = envMs("KESTA_SIM_EMU_START_MS", 0) > 0;
        if (!saveState(s))
            return fail(tool, "cannot write " + statePath());
    }
    // KESTA_SIM_EMU_START_MS: a slow start, during which drvctl finds no
    // emulator yet.
    const long startMs = envMs("KESTA_SIM_EMU_START_MS", 0);
    if (startMs > 0) {
        out(tool + ": starting" + (noisy() ? ", Please wait [board]\n" : "\n"));
        if (sleepMs(startMs)) {
            FileLock lock(emuLockPath(), true);
            EmuState s = loadState();
            if (s.pid == getpid()) {
                s.starting = false;
                saveState(s);
            }
        }
    }
    // KESTA_SIM_EMU_DIE_MS: the emulator ends by itself after this long,
    // leaving its state behind the way a crashed one does.
    const long dieMs = envMs("KESTA_SIM_EMU_DIE_MS", 0);

    const long printMs = std::max(10L, envMs("KESTA_SIM_PRINT_MS", 200));
    const long seekMs = std::max(10L, envMs("KESTA_SIM_SEEK_MS", 1500));
    const Clock::time_point start = Clock::now();
    Clock::time_point lastPrint = start, lastSeek = start;
    unsigned seed = 12345u;
    out(tool + ": " + kVersion + " emulating 2 drives, mode " + (mode.empty() ? "default" : mode) + ", options "
        + (options.empty() ? "none" : options) + "\n");

    while (!stopRequested()) {
        const long untilPrint = printMs - msSince(lastPrint);
        const long untilSeek = seekMs - msSince(lastSeek);
        long wait = std::min(untilPrint, untilSeek);
        if (dieMs > 0)
            wait = std::min(wait, dieMs - msSince(start));
        if (!sleepMs(std::max(0L, wait)))
            break;
        if (dieMs > 0 && msSince(start) >= dieMs) {
            out(tool + ": lost the board, emulation ended\n");
            return 1;
        }
        if (msSince(lastSeek) >= seekMs) {
            lastSeek = Clock::now();
            FileLock lock(emuLockPath(), true);
            EmuState s = loadState();
            if (s.pid != getpid())
                break;  // our state was taken over; nothing left to emulate
            std::string moves;
            for (int i = 0; i < 2; ++i) {
                EmuDrive& d = s.drive[i];
                if (d.path == kEmpty || d.cylinders < 2)
                    continue;
                seed = seed * 1103515245u + 12345u;
                int next = static_cast<int>((seed >> 16) % static_cast<unsigned>(d.cylinders));
                if (next == d.cylinder)
                    next = (next + 1) % d.cylinders;
                moves += "drvemu: drive" + std::to_string(i) + " seek " + std::to_string(d.cylinder) + " -> "
                         + std::to_string(next) + "\n";
                d.cylinder = next;
            }
            if (!moves.empty()) {
                saveState(s);
                out(moves);
            }
        }
        if (msSince(lastPrint) >= printMs) {
            lastPrint = Clock::now();
            const EmuState s = loadState();
            char line[160];
            std::snprintf(line, sizeof line, "drvemu: %ld.%03ld s  drive0 cyl %03d %s  drive1 cyl %03d %s\n",
                          msSince(start) / 1000, msSince(start) % 1000, s.drive[0].cylinder,
                          s.drive[0].path == kEmpty ? "empty" : "loaded", s.drive[1].cylinder,
                          s.drive[1].path == kEmpty ? "empty" : "loaded");
            out(noisy() ? "\r\x1b[1;32m" + std::string(line, std::strlen(line) - 1) + "\x1b[0m\x1b[K\n" + garbage()
                        : line + garbage());
        }
    }

    FileLock lock(emuLockPath(), true);
    EmuState s = loadState();
    if (s.pid == getpid()) {
        s.pid = 0;
        saveState(s);
    }
    return 0;
}

int drvctl(const ArgList& argv)
{
    const std::string tool = "drvctl";
    if (!sleepMs(envMs("KESTA_SIM_CTL_DELAY_MS", 0)))
        return kStoppedStatus;
    if (argv.empty()) {
        if (failThisRun())
            return 1;
        if (!sleepMs(envMs("KESTA_SIM_CTL_LATE_MS", 0)))
            return kStoppedStatus;
        out(std::string(kVersion) + " (board simulator, no hardware attached)\n"
            + (noisy() ? "\x1b[1mPlease note [usage]\x1b[0m\n" : "")
            + "usage: drvctl -l\n"
              "       drvctl -i N -c insert PATH\n"
              "       drvctl -i N -c eject\n"
              "       drvctl -i N -c protect [on|off]\n"
              "       (\"-c\" may be left out: drvctl -i N insert PATH)\n");
        return 0;
    }
    Args a;
    std::string error;
    if (!parseArgs(argv, "ic", "l", a, error)
        || !checkOptions(a, {{'i', 0, 1, nullptr}, {'c', 0, 0, "insert|eject|protect"}}, error))
        return usage(tool, error);
    std::vector<std::string> params = a.positionals;
    std::string verb;
    if (a.has('c')) {
        verb = a.last('c');
    } else if (!params.empty()) {
        verb = params.front();
        params.erase(params.begin());
        if (verb != "insert" && verb != "eject" && verb != "protect")
            return usage(tool, "unknown command " + verb);
    }
    if (a.has('l') && (!verb.empty() || a.has('i')))
        return usage(tool, "-l takes no other arguments");
    if (!a.has('l') && verb.empty())
        return usage(tool, "nothing to do");
    if (!verb.empty() && !a.has('i'))
        return usage(tool, verb + " needs a drive number (-i)");
    if ((verb == "insert" && params.size() != 1) || (verb == "eject" && !params.empty())
        || (verb == "protect" && (params.size() > 1 || (params.size() == 1 && params[0] != "on" && params[0] != "off"))))
        return usage(tool, "bad arguments for " + verb);

    PidFile pidFile(tool);
    if (failThisRun())
        return 1;
    std::string answer;
    {
        FileLock lock(emuLockPath(), true);
        EmuState s = loadState();
        if (!running(s)) {
            out("drvctl: drvemu is not running\n");
            return 1;
        }
        if (!verb.empty()) {
            EmuDrive& d = s.drive[intOption(a, 'i', 0)];
            if (verb == "insert") {
                const std::string path = absolutePath(params[0]);
                // The listing shows one drive per line with "|" between fields.
                if (path.find_first_of("\n\r|") != std::string::npos)
                    return fail(tool, "cannot insert a path containing a line break or '|'");
                if (!isRegularFile(path) || ::access(path.c_str(), R_OK) != 0)
                    return fail(tool, "cannot open " + path);
                d.path = path;
                describeImage(path, d);
            } else if (verb == "eject") {
                d.path = kEmpty;
                d.protect = false;
            } else {
                d.protect = params.empty() ? !d.protect : params[0] == "on";
            }
            if (!saveState(s))
                return fail(tool, "cannot write " + statePath());
        }
        answer = listing(s);
    }
    // KESTA_SIM_CTL_LATE_MS: the state was read above; it is answered late,
    // when it may no longer be true.
    if (!sleepMs(envMs("KESTA_SIM_CTL_LATE_MS", 0)))
        return kStoppedStatus;
    out(answer);
    return 0;
}

}  // namespace sim
