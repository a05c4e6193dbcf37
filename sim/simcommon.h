#pragma once
// Shared plumbing of the board simulator: environment knobs, argument
// parsing, unbuffered output, signals, pid files and the state folder.

#include <csignal>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

extern const char* const kVersion;

// Set from the signal handler (SIGTERM, SIGINT, SIGHUP); every loop polls it.
extern volatile std::sig_atomic_t g_stop;
void installSignalHandlers();
inline bool stopRequested() { return g_stop != 0; }

// Sleeps; returns false as soon as a stop was requested.
bool sleepMs(long ms);
bool sleepUs(long long us);

// --- environment -----------------------------------------------------------
std::string envString(const char* name, const std::string& fallback = std::string());
long envLong(const char* name, long fallback);
// "5,17,40" -> {5, 17, 40}; malformed entries are skipped.
std::set<int> envIntSet(const char* name);
// "5:2,17:3" -> {5:2, 17:3}; an entry without ":k" counts as 2 attempts.
std::map<int, int> envIntMap(const char* name);
// True when the comma list in the variable holds the word (or "all").
bool envListHas(const char* name, const std::string& word);

// --- simulated time ------------------------------------------------------------
// KESTA_SIM_SPEED=N (default 1) divides every simulated duration.
long speedDivisor();
long scaledMs(long ms);
// A duration knob in ms, already divided by the speed.
long envMs(const char* name, long fallback);

// --- deterministic randomness ------------------------------------------------
// KESTA_SIM_SEED (default 1).
unsigned long seedValue();
// A well-mixed 32-bit hash of a few numbers: the same inputs give the same
// value in every process.
unsigned mix(unsigned long a, unsigned long b = 0, unsigned long c = 0, unsigned long d = 0);
class Rng {
public:
    explicit Rng(unsigned long seed) : m_state(seed * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull) {}
    unsigned next();
    // Uniform in lo..hi, both included.
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<unsigned>(hi - lo + 1)); }
private:
    unsigned long long m_state;
};

// --- text helpers ------------------------------------------------------------
std::string trim(const std::string& s);
bool parseInt(const std::string& s, long lo, long hi, long& out);
std::string lower(std::string s);
std::string upper(std::string s);

// --- arguments ---------------------------------------------------------------
struct Args {
    std::map<char, std::vector<std::string>> options;  // every value, in order
    std::vector<std::string> positionals;
    bool has(char c) const { return options.count(c) != 0; }
    const std::string& last(char c) const { return options.at(c).back(); }
};

// Options are "-X" followed by their value as the next argument, or glued to
// it ("-p2", "-shalf", "-o x1" as one argument with a blank). Letters in
// `withValue` take a value, letters in `flags` do not.
bool parseArgs(const std::vector<std::string>& argv, const std::string& withValue,
               const std::string& flags, Args& out, std::string& error);

// The values an option may take: a decimal range, or a word list such as
// "double|high" (words == nullptr means a number).
struct OptionRule {
    char letter;
    long lo;
    long hi;
    const char* words;
};
bool checkOptions(const Args& a, const std::vector<OptionRule>& rules, std::string& error);
long intOption(const Args& a, char c, long fallback);
std::string wordOption(const Args& a, char c, const std::string& fallback);

// --- output ------------------------------------------------------------------
// How standard output reaches the reader, from KESTA_SIM_CHUNK:
//   report  each out() call in one write() (a reader gets a report whole)
//   random  each out() cut at random byte positions (from KESTA_SIM_SEED);
//           between two pieces the tool waits briefly for the reader to
//           drain the pipe, so the cuts usually reach it as separate reads
//   block   stdio-style full buffering: 4096-byte writes, the rest at exit
//   byte    one byte per write(), waiting for the reader in the same way
enum class ChunkMode { Report, Random, Block, Byte };
ChunkMode chunkMode();
// Writes the bytes to standard output in the configured shape. Broken pipes
// are ignored.
void out(const std::string& bytes);
// Writes what block mode still holds; called once when the tool ends.
void flushOut();
// KESTA_SIM_NOISE=1: tools decorate their output the way busy terminal
// programs do (colours, cursor moves, redraws, "[" and "P" in plain text).
bool noisy();
// One-line message on standard error: "<tool>: <message>\n".
void errLine(const std::string& tool, const std::string& message);
// A deterministic run of junk bytes (NULs, invalid UTF-8, stray control
// characters) when KESTA_SIM_GARBAGE is set; empty otherwise.
std::string garbage();

// --- files and folders ---------------------------------------------------------
std::string stateDir();              // KESTA_SIM_DIR or the per-user default
bool makeDirs(const std::string& path);
bool fileExists(const std::string& path);
bool isRegularFile(const std::string& path);
bool readFile(const std::string& path, std::string& data);
// Writes through a temporary file and rename(), so readers never see half a file.
bool writeFileAtomic(const std::string& path, const std::string& data);
std::string absolutePath(const std::string& path);
std::string processName(long pid);    // /proc/PID/comm without the line feed
std::string processStartTime(long pid);  // field 22 of /proc/PID/stat
bool processAlive(long pid, const std::string& name);

// Exclusive advisory lock on a file in the state folder, released on scope exit.
class FileLock {
public:
    FileLock(const std::string& path, bool wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_fd >= 0; }
private:
    int m_fd = -1;
};

// Records "<state>/pids/<tool>.<pid>" for the lifetime of the object so that
// the recording pkill of the tests reaches exactly this simulator's tools.
class PidFile {
public:
    explicit PidFile(const std::string& tool);
    ~PidFile();
    PidFile(const PidFile&) = delete;
    PidFile& operator=(const PidFile&) = delete;
private:
    std::string m_path;
};

}  // namespace sim
