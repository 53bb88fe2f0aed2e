// The serial benchmarks' setting: orvane-sim on a pseudo-terminal mapped to COM1, and the
// whole program on the Qt backend connected to it with the shipped profile, in a scratch
// folder of its own. The simulator is stopped and the folder removed afterwards.
// Thread: the benchmark's main thread (the program's user-interface thread).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvane {
class Application;
}

namespace orvane::bench {

// Runs measure with the connected program; returns false when no connection came up.
bool WithConnectedProgram(const std::string& name, int argc, char* argv[],
                          const std::function<void(Application&)>& measure);
// The same with options for the simulator, whose output goes to simulatorLog (handed to
// measure; read it to see what the simulator received when it runs with --log).
bool WithConnectedProgram(
    const std::string& name, int argc, char* argv[],
    const std::vector<std::string>& simulatorOptions,
    const std::function<void(Application&, const std::filesystem::path& simulatorLog)>& measure);

}  // namespace orvane::bench
