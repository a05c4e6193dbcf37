#pragma once
// The simulator's HVR image layout (described in README.md): a 512-byte
// text header followed by one fixed-size record per track, so that a single
// track can be rewritten in place.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sim {

enum TrackStatus : unsigned char {
    kTrackMissing = 0,      // never read (image) / not written yet
    kTrackGood = 1,         // data valid
    kTrackUnformatted = 2,  // erased or blank: nothing to read
    kTrackBad = 3           // read failed after every attempt
};

constexpr std::size_t kHvrHeaderSize = 512;
// The last 180 header bytes hold, per record, how many attempts the last
// read of the track took (0: never read by drvdump). The text lines end
// well before this offset.
constexpr std::size_t kTriesOffset = kHvrHeaderSize - 180;
constexpr int kMaxCylinders = 90;  // 180 tracks, the most the controller's map shows

struct DiskType {
    const char* name;
    int cylinders;  // standard cylinder count of a blank disk of this type
    int sectors;
    int sectorSize;
    int rpm;
    const char* density;
};
const DiskType* findDiskType(const std::string& name);  // "2D", "2DD", "2HD"

struct HvrHeader {
    std::string name;
    std::string type = "2D";
    std::string density = "double";
    std::string format = "encode";
    int rpm = 300;
    bool protect = false;
    int cylinders = 40;
    int heads = 2;
    int trackSize = 4096;
    std::string tries;  // one byte per record (see kTriesOffset); may be shorter

    int triesAt(int cyl, int head) const
    {
        const std::size_t i = static_cast<std::size_t>(cyl * heads + head);
        return i < tries.size() ? static_cast<unsigned char>(tries[i]) : 0;
    }
    void setTries(int cyl, int head, int n)
    {
        const std::size_t i = static_cast<std::size_t>(cyl * heads + head);
        if (tries.size() <= i)
            tries.resize(i + 1, '\0');
        tries[i] = static_cast<char>(n < 0 ? 0 : (n > 255 ? 255 : n));
    }

    std::size_t recordSize() const { return 1 + static_cast<std::size_t>(trackSize); }
    std::size_t offset(int cyl, int head) const
    {
        return kHvrHeaderSize + static_cast<std::size_t>(cyl * heads + head) * recordSize();
    }
    std::size_t fileSize() const { return offset(cylinders, 0); }
    bool holds(int cyl, int head) const
    {
        return cyl >= 0 && cyl < cylinders && head >= 0 && head < heads;
    }
};

std::string encodeHeader(const HvrHeader& h);
bool decodeHeader(const std::string& bytes, HvrHeader& h, std::string& error);
// Disk names are stored on one header line: control characters become blanks.
std::string cleanDiskName(const std::string& name);

using TrackFill = std::function<void(int cyl, int head, unsigned char& status, std::string& data)>;

// Writes a complete image through a temporary file. Without `replace`, an
// existing file at the path is left alone and the call fails.
bool createImage(const std::string& path, const HvrHeader& h, const TrackFill& fill, bool replace,
                 std::string& error);

// What an image holds for one track, as a test or a person wants to know it.
enum class TrackOutcome {
    NotRead,      // status 0: no dump reached the track
    Good,         // read on the first attempt (or written by restore)
    Retried,      // read, but only after failed attempts
    Unreadable,   // every attempt failed
    Unformatted   // erased or blank
};
struct TrackInfo {
    int track;  // cylinder * 2 + head, also in one-sided images
    TrackOutcome outcome;
    int tries;  // attempts of the last read (0 when unknown)
};
const char* outcomeName(TrackOutcome o);  // "good", "retried", "unreadable", ...
// Every track record of an image, in record order.
bool readTrackOutcomes(const std::string& path, std::vector<TrackInfo>& tracks, std::string& error);

// How many attempts a track of the simulated drive's disk needs under
// KESTA_SIM_DISK ("clean", "worn", "damaged") and KESTA_SIM_SEED: 1 for a
// sound track, 2 to 4 for a weak one, 0 for one that never reads.
int diskTriesNeeded(const std::string& disk, unsigned long seed, int drive, int track);

class HvrFile {
public:
    HvrFile() = default;
    ~HvrFile();
    HvrFile(const HvrFile&) = delete;
    HvrFile& operator=(const HvrFile&) = delete;

    bool open(const std::string& path, bool writable, std::string& error);
    void close();
    const HvrHeader& header() const { return m_header; }
    HvrHeader& header() { return m_header; }
    bool readTrack(int cyl, int head, unsigned char& status, std::string& data) const;
    bool writeTrack(int cyl, int head, unsigned char status, const std::string& data);
    bool writeHeader();

private:
    int m_fd = -1;
    HvrHeader m_header;
};

}  // namespace sim
