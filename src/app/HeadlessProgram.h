// RunHeadless: the whole program without a display (orvane-control --headless), for a
// computer at the telescope that has no screen, started from a shell or as a service. The
// windows are made as always, on the headless backend in real time on the computer's clock
// (HeadlessConsole), so the program loads its profile, connects, polls, runs the schedule,
// heals the link and shares the mount exactly as with a display; no toolkit application and
// no platform plugin is involved. What the windows would show goes to standard error.
//
// Dialogs have no one to answer them: a controller that waits for its start mode gets the
// mode the settings key HeadlessStartMode names (the restart dialog's choices, "Warm Start"
// when it names none), an unaligned controller is reported and the program goes on without
// the alignment, and any other dialog closes at once; each is written to standard error.
// SIGTERM, SIGINT and SIGHUP end the program in order (the profile is saved when auto-save
// is on); a second signal ends it at once.
// Thread: the process's main thread, which is the user-interface thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

struct CommandLine;

// The settings key that answers the restart dialog when no one can.
inline constexpr std::string_view kHeadlessStartModeKey = "HeadlessStartMode";

// The restart dialog's choices.
enum class StartMode { ColdStart, WarmStart, WarmRestart, Quit };

// The choice a HeadlessStartMode value names: the dialog's captions ("Cold Start", "Warm
// Start", "Warm Restart", "Quit") or their first word ("cold", "warm", "restart"), in any
// case; nothing for anything else.
std::optional<StartMode> StartModeOfSetting(std::string_view value);
std::string StartModeCaption(StartMode mode);

// The profile --profile names as the program opens it ("NAME" gets ".ocf"; relative to
// the program's folder unless absolute); empty when there is no such file.
std::string ProfileOfCommandLine(const std::string& name, const std::filesystem::path& folder);

// Runs until a signal ends the program; the process's exit code. programFolder: where the
// profiles are (see ResolveProgramFolder).
int RunHeadless(const CommandLine& commandLine, const std::filesystem::path& programFolder);

}  // namespace orvane
