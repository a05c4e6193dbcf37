#include "simcommon.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

const char* const kVersion = "KESTA-SIM 1.05";

volatile std::sig_atomic_t g_stop = 0;

namespace {
void onStopSignal(int) { g_stop = 1; }
}  // namespace

void installSignalHandlers()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a sleeping tool wakes up at once
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool sleepMs(long ms)
{
    return sleepUs(static_cast<long long>(ms) * 1000);
}

bool sleepUs(long long us)
{
    if (stopRequested())
        return false;
    if (us <= 0)
        return true;
    struct timespec left;
    left.tv_sec = static_cast<time_t>(us / 1000000);
    left.tv_nsec = static_cast<long>(us % 1000000) * 1000L;
    while (!stopRequested()) {
        struct timespec rem;
        if (nanosleep(&left, &rem) == 0)
            break;
        if (errno != EINTR)
            break;
        left = rem;
    }
    return !stopRequested();
}

// --- environment -----------------------------------------------------------

std::string envString(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

long envLong(const char* name, long fallback)
{
    long v = 0;
    return parseInt(trim(envString(name)), 0, INT_MAX, v) ? v : fallback;
}

namespace {
std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text + ",") {
        if (c == ',' || c == ' ') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return parts;
}
}  // namespace

std::set<int> envIntSet(const char* name)
{
    std::set<int> result;
    for (const std::string& p : splitList(envString(name))) {
        long v = 0;
        if (parseInt(p, 0, 100000, v))
            result.insert(static_cast<int>(v));
    }
    return result;
}

std::map<int, int> envIntMap(const char* name)
{
    std::map<int, int> result;
    for (const std::string& p : splitList(envString(name))) {
        const size_t colon = p.find(':');
        long track = 0, tries = 2;
        if (!parseInt(p.substr(0, colon), 0, 100000, track))
            continue;
        if (colon != std::string::npos && !parseInt(p.substr(colon + 1), 1, 1000, tries))
            continue;
        result[static_cast<int>(track)] = static_cast<int>(tries);
    }
    return result;
}

bool envListHas(const char* name, const std::string& word)
{
    for (const std::string& p : splitList(envString(name)))
        if (p == word || p == "all")
            return true;
    return false;
}

// --- simulated time ------------------------------------------------------------

long speedDivisor()
{
    return std::max(1L, envLong("KESTA_SIM_SPEED", 1));
}

long scaledMs(long ms)
{
    return ms <= 0 ? 0 : ms / speedDivisor();
}

long envMs(const char* name, long fallback)
{
    return scaledMs(envLong(name, fallback));
}

// --- deterministic randomness ------------------------------------------------

unsigned long seedValue()
{
    return static_cast<unsigned long>(envLong("KESTA_SIM_SEED", 1));
}

unsigned mix(unsigned long a, unsigned long b, unsigned long c, unsigned long d)
{
    unsigned long long h = 0x2545f4914f6cdd1dull;
    for (unsigned long v : {a, b, c, d}) {
        h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h ^= h >> 31;
        h *= 0xbf58476d1ce4e5b9ull;
        h ^= h >> 29;
    }
    return static_cast<unsigned>(h >> 32);
}

unsigned Rng::next()
{
    // splitmix64
    unsigned long long z = (m_state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return static_cast<unsigned>((z ^ (z >> 31)) >> 32);
}

// --- text helpers ------------------------------------------------------------

std::string trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool parseInt(const std::string& s, long lo, long hi, long& out)
{
    if (s.empty() || s.size() > 9)
        return false;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi)
        return false;
    out = v;
    return true;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// --- arguments ---------------------------------------------------------------

bool parseArgs(const std::vector<std::string>& argv, const std::string& withValue,
               const std::string& flags, Args& out, std::string& error)
{
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.size() < 2 || a[0] != '-') {
            if (a == "-") {
                error = "unknown option -";
                return false;
            }
            out.positionals.push_back(a);
            continue;
        }
        const char letter = a[1];
        if (std::isalpha(static_cast<unsigned char>(letter)) && withValue.find(letter) != std::string::npos) {
            std::string value;
            if (a.size() > 2) {
                value = trim(a.substr(2));
                if (value.empty()) {
                    error = std::string("option -") + letter + " needs a value";
                    return false;
                }
            } else if (i + 1 < argv.size()) {
                value = argv[++i];  // may be empty; each tool checks its own values
            } else {
                error = std::string("option -") + letter + " needs a value";
                return false;
            }
            out.options[letter].push_back(value);
        } else if (std::isalpha(static_cast<unsigned char>(letter)) && a.size() == 2
                   && flags.find(letter) != std::string::npos) {
            out.options[letter].push_back(std::string());
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

bool checkOptions(const Args& a, const std::vector<OptionRule>& rules, std::string& error)
{
    for (const OptionRule& r : rules) {
        if (!a.has(r.letter))
            continue;
        for (const std::string& v : a.options.at(r.letter)) {
            bool ok = false;
            if (r.words) {
                const std::string list = std::string("|") + r.words + "|";
                ok = !v.empty() && v.find('|') == std::string::npos
                     && list.find("|" + v + "|") != std::string::npos;
            } else {
                long n = 0;
                ok = parseInt(v, r.lo, r.hi, n);
            }
            if (!ok) {
                error = std::string("bad value for -") + r.letter + ": '" + v + "'";
                return false;
            }
        }
    }
    return true;
}

long intOption(const Args& a, char c, long fallback)
{
    long v = 0;
    return (a.has(c) && parseInt(a.last(c), 0, 1000000, v)) ? v : fallback;
}

std::string wordOption(const Args& a, char c, const std::string& fallback)
{
    return a.has(c) ? a.last(c) : fallback;
}

// --- output ------------------------------------------------------------------

namespace {

// One write() loop for a piece of output.
void writeAll(const char* p, size_t left)
{
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, left);
        if (n < 0) {
            // A stop request must not hang on a pipe that nobody drains.
            if (errno == EINTR && !stopRequested())
                continue;
            return;  // reader went away; a tool keeps working without an audience
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

// Waits (at most 50 ms) until the reader has taken everything out of the
// pipe, so that the next write reaches it as a read of its own. A reader
// that does not keep up is not waited for again.
void waitForReader()
{
    static bool readerKeepsUp = true;
    if (!readerKeepsUp)
        return;
    for (int i = 0; i < 500 && !stopRequested(); ++i) {
        int queued = 0;
        if (::ioctl(STDOUT_FILENO, FIONREAD, &queued) != 0 || queued <= 0)
            return;
        struct timespec t = {0, 100000};
        nanosleep(&t, nullptr);
    }
    readerKeepsUp = false;
}

std::string& blockBuffer()
{
    static std::string buffer;
    return buffer;
}

constexpr size_t kBlockSize = 4096;

}  // namespace

ChunkMode chunkMode()
{
    static const ChunkMode mode = [] {
        const std::string m = envString("KESTA_SIM_CHUNK", "report");
        if (m == "random")
            return ChunkMode::Random;
        if (m == "block")
            return ChunkMode::Block;
        if (m == "byte")
            return ChunkMode::Byte;
        return ChunkMode::Report;
    }();
    return mode;
}

bool noisy()
{
    static const bool on = envLong("KESTA_SIM_NOISE", 0) != 0;
    return on;
}

void out(const std::string& bytes)
{
    switch (chunkMode()) {
    case ChunkMode::Report:
        writeAll(bytes.data(), bytes.size());
        return;
    case ChunkMode::Byte:
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (stopRequested()) {  // the rest in one go on the way out
                writeAll(bytes.data() + i, bytes.size() - i);
                break;
            }
            writeAll(bytes.data() + i, 1);
            waitForReader();
        }
        return;
    case ChunkMode::Block: {
        std::string& buffer = blockBuffer();
        buffer += bytes;
        size_t done = 0;
        while (buffer.size() - done >= kBlockSize) {
            writeAll(buffer.data() + done, kBlockSize);
            done += kBlockSize;
        }
        buffer.erase(0, done);
        return;
    }
    case ChunkMode::Random: {
        // One generator per process: runs with the same seed cut the same way.
        static Rng rng(mix(seedValue(), 0x0c4u));
        size_t pos = 0;
        while (pos < bytes.size()) {
            // Mostly short pieces, so that reports and escape sequences are
            // cut inside; now and then the whole rest at once.
            const size_t left = bytes.size() - pos;
            size_t len = rng.range(0, 7) == 0 ? left : static_cast<size_t>(rng.range(1, 24));
            len = std::min(len, left);
            writeAll(bytes.data() + pos, len);
            pos += len;
            if (pos < bytes.size())
                waitForReader();
        }
        return;
    }
    }
}

void flushOut()
{
    std::string& buffer = blockBuffer();
    writeAll(buffer.data(), buffer.size());
    buffer.clear();
}

void errLine(const std::string& tool, const std::string& message)
{
    std::string line = tool + ": " + message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    line += '\n';
    const ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
    (void)n;
}

std::string garbage()
{
    static unsigned counter = 0;
    if (envLong("KESTA_SIM_GARBAGE", 0) == 0)
        return std::string();
    // Bytes a confused serial line or a half-drawn terminal might produce;
    // never 'P', '(', '[' or ';', so reports and their escapes stay intact.
    static const unsigned char pool[] = {0x00, 0xff, 0xfe, 0xc3, 0x80, 0x07, 0x1b, 0x08,
                                         'x',  '#',  0x00, 0x7f, 0xe3, 0x81, '~',  0x00};
    std::string g;
    const unsigned len = 3 + counter % 7;
    for (unsigned i = 0; i < len; ++i)
        g += static_cast<char>(pool[(counter * 5 + i * 3) % sizeof pool]);
    g += '\0';
    ++counter;
    return g;
}

// --- files and folders ---------------------------------------------------------

std::string stateDir()
{
    std::string dir = envString("KESTA_SIM_DIR");
    if (dir.empty()) {
        const std::string runtime = envString("XDG_RUNTIME_DIR");
        dir = runtime.empty() ? "/tmp/kesta-sim-" + std::to_string(getuid())
                              : runtime + "/kesta-sim";
    }
    makeDirs(dir);
    return dir;
}

bool makeDirs(const std::string& path)
{
    if (path.empty())
        return false;
    std::string cur;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        cur = path.substr(0, pos);
        if (cur.empty())
            continue;
        if (::mkdir(cur.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool readFile(const std::string& path, std::string& data)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    data.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return n == 0;
        }
        data.append(buf, static_cast<size_t>(n));
    }
}

bool writeFileAtomic(const std::string& path, const std::string& data)
{
    const std::string tmp = path + ".tmp." + std::to_string(getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
        return path;
    return std::string(buf) + "/" + path;
}

std::string processName(long pid)
{
    std::string comm;
    if (pid <= 0 || !readFile("/proc/" + std::to_string(pid) + "/comm", comm))
        return std::string();
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\r'))
        comm.pop_back();
    return comm;
}

std::string processStartTime(long pid)
{
    std::string stat;
    // The main thread's entry: the same start time as the process's, and
    // read from the kernel even under qemu-user, which makes up the
    // process's own /proc/PID/stat.
    const std::string id = std::to_string(pid);
    if (pid <= 0 || !readFile("/proc/" + id + "/task/" + id + "/stat", stat))
        return std::string();
    // Field 22; the fields after the command name's closing parenthesis start at 3.
    size_t pos = stat.rfind(')');
    for (int field = 2; field < 22 && pos != std::string::npos; ++field)
        pos = stat.find(' ', pos + 1);
    if (pos == std::string::npos)
        return std::string();
    const size_t end = stat.find(' ', pos + 1);
    return stat.substr(pos + 1, end == std::string::npos ? std::string::npos : end - pos - 1);
}

bool processAlive(long pid, const std::string& name)
{
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM))
        return false;
    // A zombie still answers kill(); it no longer counts as running.
    std::string stat;
    if (readFile("/proc/" + std::to_string(pid) + "/stat", stat)) {
        const size_t close = stat.rfind(')');
        if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z')
            return false;
    }
    return processName(pid) == name;
}

FileLock::FileLock(const std::string& path, bool wait)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (rc != 0 && errno == EINTR && !stopRequested());
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);  // closing drops the lock
}

PidFile::PidFile(const std::string& tool)
{
    const std::string dir = stateDir() + "/pids";
    if (!makeDirs(dir))
        return;
    // Forget entries of tools that died without cleaning up (crash, SIGKILL).
    if (DIR* d = ::opendir(dir.c_str())) {
        while (struct dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            const size_t dot = name.rfind('.');
            long pid = 0;
            if (dot == std::string::npos || !parseInt(name.substr(dot + 1), 1, INT_MAX, pid))
                continue;
            if (!processAlive(pid, name.substr(0, dot)))
                ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    m_path = dir + "/" + tool + "." + std::to_string(getpid());
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_path.clear();
        return;
    }
    // The start time tells this process from a later one that reuses the pid.
    const std::string text = std::to_string(getpid()) + " " + processStartTime(getpid()) + "\n";
    const ssize_t n = ::write(fd, text.data(), text.size());
    (void)n;
    ::close(fd);
}

PidFile::~PidFile()
{
    if (!m_path.empty())
        ::unlink(m_path.c_str());
}

}  // namespace sim
