// The texts of the file transfer panels, as pure functions: the file-type ending of a
// pattern, names a file cannot have, a file's bytes as memo lines and back, object
// definitions, and the status line after a command of the panel.
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/TransferReport.h"

namespace orvane {

// The characters no file name may hold: a typed name with one of them is not a file.
inline constexpr std::string_view kForbiddenFileCharacters = "\\/:*?\"<>|";

// The pattern from its last "." to its end ("*.txt" gives ".txt"); empty without a ".".
std::string FileTypeEnding(std::string_view pattern);

bool HasForbiddenFileCharacter(std::string_view name);

// A file's text as memo lines: split at line ends (CR LF, LF or a lone CR); a last line
// end adds no empty line. Bytes are kept as they are (Latin-1).
std::vector<std::string> LinesOfFile(std::string_view text);
// Memo lines as a file's text: each line followed by CR LF.
std::string FileOfLines(const std::vector<std::string>& lines);

// A memo line that names an object: it holds at least one "#" and one ",".
bool IsObjectDefinition(std::string_view line);

// The commands whose run the panel reports as a transfer of lines.
bool IsLineTransferCommand(std::string_view command);

// The status line once a panel's command has run: for ":OS", ":Os", ":Od" and ":Oc"
// (every other command leaves the status as it was: nothing).
std::optional<std::string> TransferStatusText(std::string_view command,
                                              const TransferReport& report);

}  // namespace orvane
