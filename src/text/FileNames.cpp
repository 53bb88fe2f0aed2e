#include "text/FileNames.h"

#include <iconv.h>
#include <langinfo.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <memory>
#include <vector>

namespace orvane {

namespace {

constexpr const char* kLatin1 = "ISO-8859-1";
// The wide characters of the C library are the code points themselves.
constexpr const char* kCodePoints = "WCHAR_T";

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
}

// The locale's character set, with an ASCII-only locale counted as UTF-8.
std::string LocaleCodeset() {
  std::string codeset = ::nl_langinfo(CODESET);
  if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" ||
      codeset == "US-ASCII" || codeset == "646") {
    return "UTF-8";
  }
  return codeset;
}

// One open conversion between two character sets, reopened when the locale changes.
class Conversion {
 public:
  Conversion(bool fromLocale, const char* other) : fromLocale_(fromLocale), other_(other) {}
  ~Conversion() { close(); }
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;

  // Ready for a new text in the current locale; false when the locale's set is unknown.
  bool prepare() {
    const std::string codeset = LocaleCodeset();
    if (codeset != codeset_) {
      close();
      codeset_ = codeset;
      descriptor_ = fromLocale_ ? ::iconv_open(other_, codeset.c_str())
                                : ::iconv_open(codeset.c_str(), other_);
    }
    if (descriptor_ == invalid()) return false;
    ::iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    return true;
  }
  iconv_t descriptor() const { return descriptor_; }

 private:
  static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
  void close() {
    if (descriptor_ != invalid()) ::iconv_close(descriptor_);
    descriptor_ = invalid();
  }
  bool fromLocale_;
  const char* other_;
  std::string codeset_;
  iconv_t descriptor_ = invalid();
};

// The code points of a text in the locale's encoding; nothing when the bytes are no text of
// the locale.
std::optional<std::vector<wchar_t>> CodePointsOf(std::string_view bytes) {
  thread_local Conversion conversion(true, kCodePoints);
  if (!conversion.prepare()) return std::nullopt;
  std::vector<wchar_t> points(bytes.size() + 1);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* out = reinterpret_cast<char*>(points.data());
  std::size_t outLeft = points.size() * sizeof(wchar_t);
  if (::iconv(conversion.descriptor(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
    return std::nullopt;
  }
  points.resize(points.size() - outLeft / sizeof(wchar_t));
  return points;
}

}  // namespace

std::string ToSystemText(std::string_view latin1) {
  if (IsAscii(latin1)) return std::string(latin1);
  thread_local Conversion conversion(false, kLatin1);
  if (!conversion.prepare()) return std::string(latin1);
  std::string result;
  // Four bytes hold any character in any of the usual encodings.
  std::vector<char> buffer(4);
  for (char ch : latin1) {
    char* in = &ch;
    std::size_t inLeft = 1;
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    if (::iconv(conversion.descriptor(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
      conversion.prepare();
      result += ch;
    } else {
      result.append(buffer.data(), buffer.size() - outLeft);
    }
  }
  return result;
}

std::string TextFromSystem(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  const std::optional<std::vector<wchar_t>> points = CodePointsOf(bytes);
  if (!points) {
    std::string text(bytes);
    std::replace_if(
        text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; },
        '?');
    return text;
  }
  std::string text;
  for (wchar_t point : *points)
    text += point >= 0 && point <= 0xFF ? static_cast<char>(point) : '?';
  return text;
}

std::optional<std::string> FileNameFromSystem(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  const std::optional<std::vector<wchar_t>> points = CodePointsOf(bytes);
  if (!points) return std::string(bytes);
  std::string name;
  for (wchar_t point : *points) {
    if (point < 0 || point > 0xFF) return std::nullopt;
    name += static_cast<char>(point);
  }
  return name;
}

std::filesystem::path SystemPath(std::string_view latin1) {
  return SystemPath(std::filesystem::path(), latin1);
}

std::filesystem::path SystemPath(const std::filesystem::path& folder, std::string_view latin1) {
  const std::filesystem::path converted = folder / ToSystemText(latin1);
  if (IsAscii(latin1)) return converted;
  struct stat status {};
  const std::filesystem::path older = folder / std::string(latin1);
  if (::lstat(converted.c_str(), &status) != 0 && ::lstat(older.c_str(), &status) == 0) {
    return older;
  }
  return converted;
}

}  // namespace orvane
