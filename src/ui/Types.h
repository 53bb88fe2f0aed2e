// Plain value types shared by the toolkit-neutral widget layer and its backends.
// Thread: values only; safe anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::ui {

// 24-bit colour as the profile writes it: blue in bits 16-23, green in 8-15, red in 0-7.
using Color = std::uint32_t;

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kMaroon = 0x000080;

constexpr int redOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr Color makeColor(int red, int green, int blue) {
  return static_cast<Color>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// A calendar time read from a clock; milliseconds are kept for virtual clocks only.
struct DateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct Size {
  int width = 0;
  int height = 0;
};

struct Font {
  std::string name = "Times New Roman";
  int pointSize = 8;  // used when pixelSize is 0
  int pixelSize = 0;
  Color color = kBlack;
  bool bold = false;
  bool italic = false;
  bool operator==(const Font&) const = default;
};

// A picture of an image button: row-major pixels, colour values as above.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;
  // Pixels that are transparent carry this marker in the top byte.
  static constexpr Color kTransparent = 0xFF000000u;
  bool empty() const { return width == 0 || height == 0; }
  Color at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  bool operator==(const Image&) const = default;
};

enum class MouseButton { Left, Right, Middle };

// Modifier keys held during a key or mouse event.
struct ShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  bool onlyAlt() const { return alt && !shift && !ctrl; }
};

// Key codes of key-down events: letters and digits are their upper-case character codes.
namespace keys {
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kReturn = 13;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kEnd = 35;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;
constexpr int kDelete = 46;
constexpr int kF12 = 123;
}  // namespace keys

// Results of modal windows and message boxes.
namespace modal {
constexpr int kNone = 0;
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kYes = 6;
constexpr int kNo = 7;
}  // namespace modal

enum class MessageButtons { Ok, OkCancel, YesNo };

}  // namespace orvane::ui
