// File names at the file-system edge. Inside, the program's text is 8-bit Latin-1; the file
// system names files in the encoding of the user's locale (UTF-8 on a usual desktop). Every
// name is converted here on its way out (opening, saving, deleting, the remembered profile)
// and on its way in (folder listings), so that "Grüße.ocf" is one name on both sides. A
// locale that only knows ASCII (the "C" locale of a bare session) is taken as UTF-8, the
// encoding the file system almost certainly uses.
// Thread: any (iconv state is per thread); the program uses it on the user-interface thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Latin-1 text in the locale's encoding. Characters the locale cannot write stay as their
// Latin-1 bytes.
std::string ToSystemText(std::string_view latin1);

// Text in the locale's encoding (a system message, a setting written by another program) as
// Latin-1; characters beyond Latin-1, and bytes that are no text of the locale, become "?".
std::string TextFromSystem(std::string_view bytes);

// The Latin-1 name of a file the folder holds, or nothing when the name has a character
// beyond Latin-1 (it could be neither shown nor typed). Bytes that are no text of the
// locale are taken as Latin-1 as they stand: names written that way by older programs stay
// reachable.
std::optional<std::string> FileNameFromSystem(std::string_view bytes);

// The path of the file named by a Latin-1 path (relative to the current folder, or absolute):
// the name in the locale's encoding, or the Latin-1 bytes themselves when only a file of
// that older spelling exists.
std::filesystem::path SystemPath(std::string_view latin1);
std::filesystem::path SystemPath(const std::filesystem::path& folder, std::string_view latin1);

}  // namespace orvane
