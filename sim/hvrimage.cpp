#include "hvrimage.h"

#include "simcommon.h"

#include <algorithm>
#include <cerrno>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {
const char kMagic[] = "KESTA-HVR 1\n";

const DiskType kTypes[] = {
    {"2D", 40, 16, 256, 300, "double"},
    {"2DD", 80, 9, 512, 300, "double"},
    {"2HD", 77, 8, 1024, 360, "high"},
};

bool writeAll(int fd, const std::string& data, off_t offset)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

const DiskType* findDiskType(const std::string& name)
{
    for (const DiskType& t : kTypes)
        if (upper(name) == t.name)
            return &t;
    return nullptr;
}

std::string cleanDiskName(const std::string& name)
{
    std::string clean;
    for (char c : name)
        clean += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? ' ' : c;
    return clean.substr(0, 200);
}

std::string encodeHeader(const HvrHeader& h)
{
    std::string text = kMagic;
    text += "name=" + cleanDiskName(h.name) + "\n";
    text += "type=" + h.type + "\n";
    text += "rpm=" + std::to_string(h.rpm) + "\n";
    text += std::string("protect=") + (h.protect ? "on" : "off") + "\n";
    text += "cylinders=" + std::to_string(h.cylinders) + "\n";
    text += "heads=" + std::to_string(h.heads) + "\n";
    text += "tracksize=" + std::to_string(h.trackSize) + "\n";
    text += "density=" + h.density + "\n";
    text += "format=" + h.format + "\n\n";
    const bool triesFit = text.size() <= kTriesOffset;
    text.resize(kHvrHeaderSize, '\0');
    if (triesFit)
        text.replace(kTriesOffset, std::min(h.tries.size(), kHvrHeaderSize - kTriesOffset), h.tries);
    return text;
}

bool decodeHeader(const std::string& bytes, HvrHeader& h, std::string& error)
{
    if (bytes.size() < kHvrHeaderSize || bytes.compare(0, sizeof kMagic - 1, kMagic) != 0) {
        error = "not an HVR image";
        return false;
    }
    std::map<std::string, std::string> keys;
    size_t pos = sizeof kMagic - 1;
    for (;;) {
        const size_t nl = bytes.find('\n', pos);
        if (nl == std::string::npos || nl >= kHvrHeaderSize) {
            error = "damaged HVR header";
            return false;
        }
        const std::string line = bytes.substr(pos, nl - pos);
        pos = nl + 1;
        if (line.empty())
            break;
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    long rpm = 0, cyl = 0, heads = 0, size = 0;
    if (!parseInt(keys["rpm"], 1, 1000, rpm) || !parseInt(keys["cylinders"], 1, kMaxCylinders, cyl)
        || !parseInt(keys["heads"], 1, 2, heads) || !parseInt(keys["tracksize"], 128, 65536, size)
        || (keys["protect"] != "on" && keys["protect"] != "off")) {
        error = "damaged HVR header";
        return false;
    }
    h.name = keys["name"];
    h.type = keys["type"];
    h.density = keys["density"];
    h.format = keys["format"];
    h.rpm = static_cast<int>(rpm);
    h.protect = keys["protect"] == "on";
    h.cylinders = static_cast<int>(cyl);
    h.heads = static_cast<int>(heads);
    h.trackSize = static_cast<int>(size);
    h.tries = pos <= kTriesOffset ? bytes.substr(kTriesOffset, kHvrHeaderSize - kTriesOffset) : std::string();
    return true;
}

const char* outcomeName(TrackOutcome o)
{
    switch (o) {
    case TrackOutcome::Good: return "good";
    case TrackOutcome::Retried: return "retried";
    case TrackOutcome::Unreadable: return "unreadable";
    case TrackOutcome::Unformatted: return "unformatted";
    case TrackOutcome::NotRead: break;
    }
    return "unread";
}

bool readTrackOutcomes(const std::string& path, std::vector<TrackInfo>& tracks, std::string& error)
{
    HvrFile image;
    if (!image.open(path, false, error))
        return false;
    const HvrHeader& h = image.header();
    tracks.clear();
    for (int cyl = 0; cyl < h.cylinders; ++cyl) {
        for (int head = 0; head < h.heads; ++head) {
            unsigned char status = kTrackMissing;
            std::string data;
            if (!image.readTrack(cyl, head, status, data)) {
                error = path + ": cannot read track " + std::to_string(cyl * 2 + head);
                return false;
            }
            const int tries = h.triesAt(cyl, head);
            TrackOutcome o = TrackOutcome::NotRead;
            if (status == kTrackGood)
                o = tries > 1 ? TrackOutcome::Retried : TrackOutcome::Good;
            else if (status == kTrackBad)
                o = TrackOutcome::Unreadable;
            else if (status == kTrackUnformatted)
                o = TrackOutcome::Unformatted;
            tracks.push_back({cyl * 2 + head, o, tries});
        }
    }
    return true;
}

int diskTriesNeeded(const std::string& disk, unsigned long seed, int drive, int track)
{
    if (disk != "worn" && disk != "damaged")
        return 1;
    const bool damaged = disk == "damaged";
    const unsigned long d = static_cast<unsigned long>(drive), t = static_cast<unsigned long>(track);
    // A damaged disk has a few dead tracks: about one in 48, and always one
    // among the first 80 (the tracks both simulated disks have).
    if (damaged && (mix(seed, d, t, 2) % 48 == 0 || static_cast<unsigned long>(mix(seed, d, 99, 3) % 80) == t))
        return 0;
    if (mix(seed, d, t, 1) % (damaged ? 6 : 8) == 0)
        return 2 + static_cast<int>(mix(seed, d, t, 4) % 3);
    return 1;
}

bool createImage(const std::string& path, const HvrHeader& h, const TrackFill& fill, bool replace,
                 std::string& error)
{
    std::string content = encodeHeader(h);
    content.reserve(h.fileSize());
    std::string data;
    for (int cyl = 0; cyl < h.cylinders; ++cyl) {
        for (int head = 0; head < h.heads; ++head) {
            unsigned char status = kTrackMissing;
            data.clear();
            if (fill)
                fill(cyl, head, status, data);
            data.resize(static_cast<size_t>(h.trackSize), '\0');
            content += static_cast<char>(status);
            content += data;
        }
    }
    const std::string tmp = path + ".part." + std::to_string(getpid());
    if (!writeFileAtomic(tmp, content)) {
        error = "cannot write " + path;
        return false;
    }
    if (replace) {
        if (::rename(tmp.c_str(), path.c_str()) != 0) {
            ::unlink(tmp.c_str());
            error = "cannot write " + path;
            return false;
        }
        return true;
    }
    // link() refuses an existing target, so a file that appeared meanwhile survives.
    const bool ok = ::link(tmp.c_str(), path.c_str()) == 0;
    const int linkErrno = errno;
    ::unlink(tmp.c_str());
    if (!ok) {
        error = linkErrno == EEXIST ? path + " exists, not overwritten" : "cannot write " + path;
        return false;
    }
    return true;
}

HvrFile::~HvrFile()
{
    close();
}

void HvrFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool HvrFile::open(const std::string& path, bool writable, std::string& error)
{
    close();
    m_fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (m_fd < 0) {
        error = "cannot open " + path;
        return false;
    }
    struct stat st;
    std::string head(kHvrHeaderSize, '\0');
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)
        || ::pread(m_fd, &head[0], head.size(), 0) != static_cast<ssize_t>(head.size())) {
        error = path + ": not an HVR image";
        return false;
    }
    if (!decodeHeader(head, m_header, error)) {
        error = path + ": " + error;
        return false;
    }
    if (static_cast<size_t>(st.st_size) != m_header.fileSize()) {
        error = path + ": damaged HVR image, size does not match its geometry";
        return false;
    }
    return true;
}

bool HvrFile::readTrack(int cyl, int head, unsigned char& status, std::string& data) const
{
    if (m_fd < 0 || !m_header.holds(cyl, head))
        return false;
    std::string rec(m_header.recordSize(), '\0');
    if (::pread(m_fd, &rec[0], rec.size(), static_cast<off_t>(m_header.offset(cyl, head)))
        != static_cast<ssize_t>(rec.size()))
        return false;
    status = static_cast<unsigned char>(rec[0]);
    data = rec.substr(1);
    return true;
}

bool HvrFile::writeTrack(int cyl, int head, unsigned char status, const std::string& data)
{
    if (m_fd < 0 || !m_header.holds(cyl, head))
        return false;
    std::string rec(1, static_cast<char>(status));
    rec += data;
    rec.resize(m_header.recordSize(), '\0');
    return writeAll(m_fd, rec, static_cast<off_t>(m_header.offset(cyl, head)));
}

bool HvrFile::writeHeader()
{
    return m_fd >= 0 && writeAll(m_fd, encodeHeader(m_header), 0);
}

}  // namespace sim
