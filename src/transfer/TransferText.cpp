#include "transfer/TransferText.h"

namespace orvane {

std::string FileTypeEnding(std::string_view pattern) {
  const size_t dot = pattern.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(pattern.substr(dot));
}

bool HasForbiddenFileCharacter(std::string_view name) {
  return name.find_first_of(kForbiddenFileCharacters) != std::string_view::npos;
}

std::vector<std::string> LinesOfFile(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string FileOfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool IsObjectDefinition(std::string_view line) {
  return line.find('#') != std::string_view::npos && line.find(',') != std::string_view::npos;
}

bool IsLineTransferCommand(std::string_view command) {
  return command == ":OS" || command == ":Os" || command == ":Od";
}

std::optional<std::string> TransferStatusText(std::string_view command,
                                              const TransferReport& report) {
  // Short enough to fit the status line's room beside the memo.
  const bool receiving = command == ":OS" || command == ":Os";
  if (command == ":Oc") {
    if (report.end == TransferEnd::Complete) return "Status: Memory cleared";
    return "Status: Memory not cleared";
  }
  if (!IsLineTransferCommand(command)) return std::nullopt;
  const std::string lines = std::to_string(report.lines);
  switch (report.end) {
    case TransferEnd::Complete:
      return "Status: File transferred";
    case TransferEnd::LineLimit:
      return "Status: Stopped after " + lines + " lines, no end";
    case TransferEnd::Failed:
      break;
  }
  if (receiving) {
    return "Status: Transfer failed after " + lines + (report.lines == 1 ? " line" : " lines");
  }
  return "Status: Transfer failed, " + lines + " of " + std::to_string(report.total) + " sent";
}

}  // namespace orvane
