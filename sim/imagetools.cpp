// hvrconv and hvrtool: image file tools that need no drive.

#include "hvrimage.h"
#include "simcommon.h"
#include "tools.h"

#include <unistd.h>

namespace sim {

namespace {

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

std::string baseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extension(const std::string& path)
{
    const std::string name = baseName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : upper(name.substr(dot));
}

// An image in memory: the header plus every track record.
struct Disk {
    HvrHeader header;
    std::vector<unsigned char> status;
    std::vector<std::string> data;
};

bool loadHvr(const std::string& path, Disk& d, std::string& error)
{
    HvrFile f;
    if (!f.open(path, false, error))
        return false;
    d.header = f.header();
    for (int cyl = 0; cyl < d.header.cylinders; ++cyl)
        for (int head = 0; head < d.header.heads; ++head) {
            unsigned char st = kTrackMissing;
            std::string data;
            if (!f.readTrack(cyl, head, st, data)) {
                error = path + ": damaged HVR image";
                return false;
            }
            d.status.push_back(st);
            d.data.push_back(data);
        }
    return true;
}

// A plain sector image: two sides per cylinder, geometry told by its size.
bool loadRaw(const std::string& path, Disk& d, std::string& error)
{
    std::string bytes;
    if (!readFile(path, bytes)) {
        error = "cannot open " + path;
        return false;
    }
    const DiskType* match = nullptr;
    int cylinders = 0;
    for (int pass = 0; pass < 2 && !match; ++pass) {
        for (const char* name : {"2HD", "2DD", "2D"}) {
            const DiskType* t = findDiskType(name);
            const size_t perCylinder = 2u * static_cast<size_t>(t->sectors * t->sectorSize);
            if (bytes.empty() || bytes.size() % perCylinder != 0)
                continue;
            const size_t cyl = bytes.size() / perCylinder;
            // Prefer the type whose standard cylinder count fits exactly.
            if ((pass == 0 && cyl == static_cast<size_t>(t->cylinders))
                || (pass == 1 && cyl <= static_cast<size_t>(kMaxCylinders))) {
                match = t;
                cylinders = static_cast<int>(cyl);
                break;
            }
        }
    }
    if (!match) {
        error = path + ": unknown image format";
        return false;
    }
    d.header.name = baseName(path);
    d.header.type = match->name;
    d.header.rpm = match->rpm;
    d.header.density = match->density;
    d.header.cylinders = cylinders;
    d.header.heads = 2;
    d.header.trackSize = match->sectors * match->sectorSize;
    const size_t size = static_cast<size_t>(d.header.trackSize);
    for (size_t off = 0; off < bytes.size(); off += size) {
        d.status.push_back(kTrackGood);
        d.data.push_back(bytes.substr(off, size));
    }
    return true;
}

// Writes a new file without ever replacing one that exists.
bool writeNew(const std::string& path, const std::string& content, std::string& error)
{
    const std::string tmp = path + ".part." + std::to_string(getpid());
    if (!writeFileAtomic(tmp, content)) {
        error = "cannot write " + path;
        return false;
    }
    const bool ok = ::link(tmp.c_str(), path.c_str()) == 0;
    ::unlink(tmp.c_str());
    if (!ok)
        error = fileExists(path) ? path + " exists, not overwritten" : "cannot write " + path;
    return ok;
}

}  // namespace

int hvrconv(const ArgList& argv)
{
    const std::string tool = "hvrconv";
    Args a;
    std::string error;
    if (!parseArgs(argv, "inof", "", a, error)
        || !checkOptions(a, {{'n', 0, 15, nullptr}, {'f', 0, 0, "encode|raw"}}, error))
        return usage(tool, error);
    if (!a.has('i') || !a.has('o'))
        return usage(tool, "needs -i INPUT and -o OUTPUT");
    // The format comes after "-f", or on its own at the end for non-HVR output.
    std::string format = wordOption(a, 'f', "");
    if (a.positionals.size() > 1)
        return usage(tool, "unexpected argument " + a.positionals[1]);
    if (a.positionals.size() == 1) {
        const std::string word = a.positionals.front();
        if (word != "encode" && word != "raw")
            return usage(tool, "unexpected argument " + word);
        if (!format.empty() && format != word)
            return usage(tool, "two different formats given");
        format = word;
    }
    if (format.empty())
        format = "encode";
    const std::string in = a.last('i'), outPath = a.last('o');
    if (in.empty() || outPath.empty())
        return usage(tool, "empty file name");

    PidFile pidFile(tool);
    Disk d;
    std::string hvrError;
    if (!loadHvr(in, d, hvrError) && !loadRaw(in, d, error))
        return fail(tool, hvrError.find("damaged") != std::string::npos ? hvrError : error);
    if (intOption(a, 'n', 1) > 1)
        return fail(tool, in + " holds one disk; disk " + a.last('n') + " not found");

    // A real conversion takes a while on the board; the pace knob lets a run
    // last as long as a scenario needs.
    if (!sleepMs(envMs("KESTA_SIM_CONV_MS", 0)))
        return kStoppedStatus;

    std::string content;
    if (extension(outPath) == ".HVR") {
        d.header.format = format;
        content = encodeHeader(d.header);
        for (size_t i = 0; i < d.data.size(); ++i) {
            std::string rec = d.data[i];
            rec.resize(static_cast<size_t>(d.header.trackSize), '\0');
            content += static_cast<char>(d.status[i]) + rec;
        }
    } else {
        // Every other extension gets a plain sector image; unreadable tracks are zeros.
        for (size_t i = 0; i < d.data.size(); ++i) {
            std::string rec = d.status[i] == kTrackGood ? d.data[i] : std::string();
            rec.resize(static_cast<size_t>(d.header.trackSize), '\0');
            content += rec;
        }
    }
    if (!writeNew(outPath, content, error))
        return fail(tool, error);
    out(tool + ": " + in + " -> " + outPath + ", " + format + "\n");
    return 0;
}

int hvrtool(const ArgList& argv)
{
    const std::string tool = "hvrtool";
    Args a;
    std::string error;
    if (!parseArgs(argv, "trnp", "c", a, error)
        || !checkOptions(a, {{'t', 0, 0, "2D|2DD|2HD"}, {'r', 0, 0, "300|360"}, {'p', 0, 0, "on|off"}}, error))
        return usage(tool, error);
    if (!a.has('c'))
        return usage(tool, "nothing to do; -c creates a blank image");
    if (a.positionals.size() != 1)
        return usage(tool, a.positionals.empty() ? "missing image path" : "unexpected argument " + a.positionals[1]);

    PidFile pidFile(tool);
    const DiskType* t = findDiskType(wordOption(a, 't', "2D"));
    std::string name = wordOption(a, 'n', "");
    // The controller wraps the name in single quotes as a shell user would.
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
        name = name.substr(1, name.size() - 2);
    HvrHeader h;
    h.name = cleanDiskName(name);
    h.type = t->name;
    h.rpm = a.has('r') ? static_cast<int>(intOption(a, 'r', t->rpm)) : t->rpm;
    h.protect = wordOption(a, 'p', "off") == "on";
    h.cylinders = t->cylinders;
    h.heads = 2;
    h.trackSize = t->sectors * t->sectorSize;
    h.density = t->density;
    const std::string path = a.positionals.front();
    if (!createImage(path, h,
                     [](int, int, unsigned char& st, std::string&) { st = kTrackUnformatted; }, false, error))
        return fail(tool, error);
    out(tool + ": created " + path + ", " + h.type + " " + std::to_string(h.rpm) + " rpm\n");
    return 0;
}

int printTrackOutcomes(const std::string& image)
{
    std::vector<TrackInfo> tracks;
    std::string error;
    if (!readTrackOutcomes(image, tracks, error)) {
        errLine("kesta-sim", error);
        return 1;
    }
    std::string text;
    for (const TrackInfo& t : tracks)
        text += std::to_string(t.track) + " " + outcomeName(t.outcome) + " " + std::to_string(t.tries) + "\n";
    out(text);
    return 0;
}

}  // namespace sim
