#include "ui/qt/QtConvert.h"

#include <QKeyEvent>

namespace orvane::ui {

namespace {

// Classic virtual-key numbers for keys that ui::keys does not name.
constexpr int kVkShift = 16;
constexpr int kVkControl = 17;
constexpr int kVkMenu = 18;  // Alt
constexpr int kVkPageUp = 33;
constexpr int kVkPageDown = 34;
constexpr int kVkInsert = 45;
constexpr int kVkNumpad0 = 96;
constexpr int kVkF1 = 112;
constexpr int kFunctionKeyCount = 12;

}  // namespace

QString toQString(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQString(const QString& text) {
  std::string result;
  result.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    char16_t code = ch.unicode();
    result.push_back(code < 256 ? static_cast<char>(code) : '?');
  }
  return result;
}

QColor toQColor(Color color) {
  return QColor(redOf(color), greenOf(color), blueOf(color));
}

Color fromQColor(const QColor& color) {
  return makeColor(color.red(), color.green(), color.blue());
}

QFont toQFont(const Font& font) {
  QFont result(toQString(font.name));
  if (font.pixelSize > 0) {
    result.setPixelSize(font.pixelSize);
  } else if (font.pointSize > 0) {
    result.setPointSize(font.pointSize);
  }
  result.setBold(font.bold);
  result.setItalic(font.italic);
  // Sub-pixel smoothing would fringe red text with green and blue.
  result.setStyleStrategy(QFont::NoSubpixelAntialias);
  return result;
}

QImage toQImage(const Image& image) {
  if (image.empty() || image.pixels.size() < static_cast<size_t>(image.width * image.height)) {
    return {};
  }
  QImage result(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < image.width; ++x) {
      Color pixel = image.at(x, y);
      if ((pixel & Image::kTransparent) == Image::kTransparent) {
        line[x] = qRgba(0, 0, 0, 0);
      } else {
        line[x] = qRgb(redOf(pixel), greenOf(pixel), blueOf(pixel));
      }
    }
  }
  return result;
}

int keyCodeOf(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    if (event.modifiers() & Qt::KeypadModifier) return kVkNumpad0 + (key - Qt::Key_0);
    return '0' + (key - Qt::Key_0);
  }
  if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeyCount) return kVkF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return keys::kBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return keys::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return keys::kReturn;
    case Qt::Key_Escape:
      return keys::kEscape;
    case Qt::Key_Space:
      return keys::kSpace;
    case Qt::Key_End:
      return keys::kEnd;
    case Qt::Key_Home:
      return keys::kHome;
    case Qt::Key_Left:
      return keys::kLeft;
    case Qt::Key_Up:
      return keys::kUp;
    case Qt::Key_Right:
      return keys::kRight;
    case Qt::Key_Down:
      return keys::kDown;
    case Qt::Key_Delete:
      return keys::kDelete;
    case Qt::Key_Insert:
      return kVkInsert;
    case Qt::Key_PageUp:
      return kVkPageUp;
    case Qt::Key_PageDown:
      return kVkPageDown;
    case Qt::Key_Shift:
      return kVkShift;
    case Qt::Key_Control:
      return kVkControl;
    case Qt::Key_Alt:
      return kVkMenu;
    default:
      return 0;
  }
}

char keyCharOf(const QKeyEvent& event) {
  // Alt and Ctrl combinations are commands, not typing (they reach key-down only).
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return 0;
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return static_cast<char>(keys::kReturn);
    case Qt::Key_Escape:
      return static_cast<char>(keys::kEscape);
    case Qt::Key_Backspace:
      return static_cast<char>(keys::kBackspace);
    default:
      break;
  }
  const QString text = event.text();
  if (text.size() != 1) return 0;
  char16_t code = text.at(0).unicode();
  if (code < 32 || code == 127 || code > 255) return 0;
  return static_cast<char>(code);
}

ShiftState shiftStateOf(Qt::KeyboardModifiers modifiers) {
  ShiftState state;
  state.shift = modifiers.testFlag(Qt::ShiftModifier);
  state.alt = modifiers.testFlag(Qt::AltModifier);
  state.ctrl = modifiers.testFlag(Qt::ControlModifier);
  return state;
}

}  // namespace orvane::ui
