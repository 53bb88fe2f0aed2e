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

namespace {

std::string LinesText(int count) {
  return std::to_string(count) + (count == 1 ? " line" : " lines");
}

}  // namespace

std::optional<std::string> TransferStatusText(std::string_view command,
                                              const TransferReport& report) {
  const bool receiving = command == ":OS" || command == ":Os";
  if (command == ":Oc") {
    if (report.end == TransferEnd::Complete) return "Status: Memory cleared";
    return "Status: Transfer failed, memory not cleared";
  }
  if (!IsLineTransferCommand(command)) return std::nullopt;
  switch (report.end) {
    case TransferEnd::Complete:
      return "Status: File transferred";
    case TransferEnd::LineLimit:
      return "Status: Transfer stopped after " + LinesText(report.lines) +
             ", the controller did not end";
    case TransferEnd::Failed:
      break;
  }
  if (receiving) return "Status: Transfer failed, " + LinesText(report.lines) + " received";
  return "Status: Transfer failed, " + std::to_string(report.lines) + " of " +
         LinesText(report.total) + " sent";
}

}  // namespace orvane
