#pragma once
// Entry points of the eight board tools the simulator stands in for. Each
// gets the arguments after the program name and returns the exit status.

#include <string>
#include <vector>

namespace sim {

using ArgList = std::vector<std::string>;

int drvdump(const ArgList& args);
int drvrestore(const ArgList& args);
int drvunformat(const ArgList& args);
int drvinfo(const ArgList& args);
int drvemu(const ArgList& args);
int drvctl(const ArgList& args);
int hvrconv(const ArgList& args);
int hvrtool(const ArgList& args);
// Prints "TRACK OUTCOME TRIES" for every track record of an image
// ("5 retried 3"); exits 1 with a message when the image cannot be read.
int printTrackOutcomes(const std::string& image);

// Exit status of a tool that ended because it was asked to stop (SIGTERM).
constexpr int kStoppedStatus = 143;
// Exit status for a command line the tool does not accept.
constexpr int kUsageStatus = 2;

}  // namespace sim
