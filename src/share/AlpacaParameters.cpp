#include "share/AlpacaParameters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "ui/Latin1.h"

namespace orvane {

namespace {

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// "+" is a blank and "%XX" the byte XX; nothing for a broken escape.
std::optional<std::string> Decoded(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '+') {
      result.push_back(' ');
    } else if (ch == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      result.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      result.push_back(ch);
    }
  }
  return result;
}

}  // namespace

std::optional<AlpacaParameters> AlpacaParameters::FromForm(std::string_view encoded,
                                                           Names names) {
  AlpacaParameters parameters;
  parameters.names_ = names;
  while (!encoded.empty()) {
    const std::size_t end = std::min(encoded.find('&'), encoded.size());
    const std::string_view pair = encoded.substr(0, end);
    encoded.remove_prefix(std::min(end + 1, encoded.size()));
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    std::optional<std::string> name = Decoded(pair.substr(0, equals));
    std::optional<std::string> value =
        Decoded(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
    if (!name || !value) return std::nullopt;
    parameters.values_.emplace_back(std::move(*name), std::move(*value));
  }
  return parameters;
}

std::optional<std::string> AlpacaParameters::Find(std::string_view name) const {
  for (const auto& [key, value] : values_) {
    if (names_ == Names::Exact ? key == name : ui::EqualIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

std::optional<double> ReadNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> ReadBoolean(std::string_view text) {
  if (ui::EqualIgnoringCase(text, "true")) return true;
  if (ui::EqualIgnoringCase(text, "false")) return false;
  return std::nullopt;
}

std::optional<long long> ReadInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::uint32_t> ReadTransactionNumber(std::string_view text) {
  const std::optional<long long> value = ReadInteger(text);
  if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(*value);
}

}  // namespace orvane
