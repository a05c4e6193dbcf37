// The board simulator: one program that acts as whichever board tool it is
// started as (by the name of the link it was started through).

#include "hvrimage.h"
#include "simcommon.h"
#include "tools.h"

#include <cstring>
#include <string>

#include <sys/prctl.h>

namespace {

struct Tool {
    const char* name;
    int (*run)(const sim::ArgList&);
};

const Tool kTools[] = {
    {"drvemu", sim::drvemu},   {"drvctl", sim::drvctl},   {"drvdump", sim::drvdump},
    {"drvrestore", sim::drvrestore}, {"drvunformat", sim::drvunformat}, {"drvinfo", sim::drvinfo},
    {"hvrconv", sim::hvrconv}, {"hvrtool", sim::hvrtool},
};

}  // namespace

int main(int argc, char** argv)
{
    std::string name = argc > 0 ? argv[0] : "";
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    sim::ArgList args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // "kesta-sim TOOL ARGS..." runs a tool by hand without the links.
    if (name == "kesta-sim" && !args.empty()) {
        name = args.front();
        args.erase(args.begin());
    }
    for (const Tool& t : kTools) {
        if (name != t.name)
            continue;
        // A tool listed as missing behaves like one that never started.
        if (sim::envListHas("KESTA_SIM_MISSING", name))
            return 127;
        // The process name is the tool's, as for the real tool, even when an
        // emulator (qemu-user) runs this program under its own name.
        prctl(PR_SET_NAME, t.name, 0, 0, 0);
        sim::installSignalHandlers();
        const int status = t.run(args);
        sim::flushOut();
        return status;
    }
    // "kesta-sim tracks IMAGE": what an image holds, one line per track.
    if (name == "tracks" && args.size() == 1) {
        const int status = sim::printTrackOutcomes(args[0]);
        sim::flushOut();
        return status;
    }
    sim::errLine("kesta-sim", "unknown tool name '" + name + "'");
    return 127;
}
