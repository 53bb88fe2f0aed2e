#include "ui/qt/QtPlainLine.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane::ui {
namespace {

// The characters of clocks, times, dates and signed positions.
constexpr char kCharacters[] = "0123456789:.,+-/ ";
constexpr int kCount = sizeof(kCharacters) - 1;
// Longer texts are not what changes every second; they go the usual way.
constexpr std::size_t kLongest = 48;
// Fonts kept; the program uses a handful.
constexpr std::size_t kFontsKept = 16;

// The slot of each Latin-1 character in kCharacters, or -1.
const std::array<std::int8_t, 256>& characterSlots() {
  static const std::array<std::int8_t, 256> table = [] {
    std::array<std::int8_t, 256> slot{};
    slot.fill(-1);
    for (int i = 0; i < kCount; ++i) {
      slot[static_cast<unsigned char>(kCharacters[i])] = static_cast<std::int8_t>(i);
    }
    return slot;
  }();
  return table;
}

// What the text layout makes of the characters in one font.
struct FontGlyphs {
  QFont font;
  int dpi = 0;
  bool usable = false;
  QRawFont raw;
  qreal ascent = 0;
  qreal height = 0;  // of the line: ascent and descent
  std::array<quint32, kCount> glyph{};
  std::array<qreal, kCount> last{};            // advance at the end of the line
  std::array<qreal, kCount> lastInk{};         // the same, with what a slanted glyph leans out
  std::array<qreal, kCount * kCount> before{};  // [a * kCount + b]: advance of a before b
};

// A single line, laid out unbounded as drawText lays out text it does not wrap.
struct LaidOut {
  explicit LaidOut(const QString& text, const QFont& font) : layout(text, font) {
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    layout.endLayout();
  }
  // The positions and glyphs when the text came out as one run of one glyph per character.
  bool oneGlyphEach(int characters, QList<QPointF>& positions, QList<quint32>& glyphs,
                    QRawFont& raw) const {
    if (!line.isValid() || line.textLength() != characters) return false;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1) return false;
    positions = runs.front().positions();
    glyphs = runs.front().glyphIndexes();
    raw = runs.front().rawFont();
    if (positions.size() != characters || glyphs.size() != characters) return false;
    for (quint32 glyph : glyphs) {
      if (glyph == 0) return false;  // no glyph in this font
    }
    return true;
  }
  QTextLayout layout;
  QTextLine line;
};

FontGlyphs measure(const QFont& font, int dpi) {
  FontGlyphs result;
  result.font = font;
  result.dpi = dpi;
  // Every ordered pair side by side: "0001...0910..." and so on.
  QString pairs;
  for (int a = 0; a < kCount; ++a) {
    for (int b = 0; b < kCount; ++b) {
      pairs.append(QLatin1Char(kCharacters[a]));
      pairs.append(QLatin1Char(kCharacters[b]));
    }
  }
  const LaidOut all(pairs, font);
  QList<QPointF> positions;
  QList<quint32> glyphs;
  if (!all.oneGlyphEach(static_cast<int>(pairs.size()), positions, glyphs, result.raw)) return result;
  result.ascent = all.line.ascent();
  result.height = all.line.ascent() + all.line.descent();
  std::array<bool, kCount * kCount> seen{};
  std::array<bool, kCount> glyphSeen{};
  const auto& slot = characterSlots();
  for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
    const int a = slot[pairs[i].toLatin1() & 0xFF];
    const int b = slot[pairs[i + 1].toLatin1() & 0xFF];
    const qreal advance = positions[i + 1].x() - positions[i].x();
    if (positions[i].y() != positions.front().y()) return result;  // one baseline
    const int pair = a * kCount + b;
    if (seen[pair] && result.before[pair] != advance) return result;  // context beyond a pair
    seen[pair] = true;
    result.before[pair] = advance;
    if (glyphSeen[a] && result.glyph[a] != glyphs[i]) return result;
    glyphSeen[a] = true;
    result.glyph[a] = glyphs[i];
  }
  // Each character alone gives its advance at the end of a line.
  for (int a = 0; a < kCount; ++a) {
    const LaidOut alone(QString(QLatin1Char(kCharacters[a])), font);
    QList<QPointF> onePosition;
    QList<quint32> oneGlyph;
    QRawFont raw;
    if (!alone.oneGlyphEach(1, onePosition, oneGlyph, raw) || oneGlyph.front() != result.glyph[a] ||
        raw != result.raw) {
      return result;
    }
    result.last[a] = alone.line.horizontalAdvance();
    result.lastInk[a] = alone.line.naturalTextWidth();
  }
  result.usable = true;
  return result;
}

const FontGlyphs& glyphsFor(const QFont& font, int dpi) {
  // Kept to the end of the process: the fonts must not be let go after the toolkit has
  // closed its font engines.
  static auto* const fonts = new std::vector<std::unique_ptr<FontGlyphs>>;
  for (const auto& known : *fonts) {
    if (known->dpi == dpi && known->font == font) return *known;
  }
  if (fonts->size() >= kFontsKept) fonts->erase(fonts->begin());
  fonts->push_back(std::make_unique<FontGlyphs>(measure(font, dpi)));
  return *fonts->back();
}

// Positions as the layout keeps them: in 64ths of a pixel, cut towards zero.
qreal toLayoutUnits(qreal value) {
  return static_cast<int>(value * 64) / 64.0;
}

}  // namespace

bool drawPlainLine(QPainter& painter, const QRect& rect, int flags, const std::string& text) {
  constexpr int kAllowed = Qt::TextShowMnemonic | Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;
  if (text.empty() || text.size() > kLongest || (flags & ~kAllowed) != 0) return false;
  if ((flags & (Qt::AlignJustify | Qt::AlignAbsolute | Qt::AlignBaseline)) != 0) return false;
  if (text.front() == ' ' || text.back() == ' ') return false;
  const auto& slot = characterSlots();
  std::array<int, kLongest> index{};
  for (std::size_t i = 0; i < text.size(); ++i) {
    index[i] = slot[static_cast<unsigned char>(text[i])];
    if (index[i] < 0) return false;
  }
  // Digits and separators alone read left to right whatever the direction is left to decide.
  if (painter.layoutDirection() == Qt::RightToLeft || painter.device() == nullptr) return false;
  const QFont& font = painter.font();
  if (font.underline() || font.overline() || font.strikeOut() ||
      font.capitalization() != QFont::MixedCase) {
    return false;
  }
  const FontGlyphs& glyphs = glyphsFor(font, painter.device()->logicalDpiY());
  if (!glyphs.usable) return false;

  const int count = static_cast<int>(text.size());
  QList<QPointF> positions(count);
  QList<quint32> indexes(count);
  qreal x = 0;
  for (int i = 0; i < count; ++i) {
    positions[i] = QPointF(x, 0);
    indexes[i] = glyphs.glyph[index[i]];
    x += i + 1 < count ? glyphs.before[index[i] * kCount + index[i + 1]] : glyphs.last[index[i]];
  }
  // The line is placed by its advance; whether it fits is judged with its ink.
  const qreal advance = x;
  const qreal ink = x - glyphs.last[index[count - 1]] + glyphs.lastInk[index[count - 1]];
  const auto offset = [&](qreal width) {
    if ((flags & Qt::AlignRight) != 0) return rect.width() - width;
    if ((flags & Qt::AlignHCenter) != 0) return (rect.width() - width) / 2;
    return qreal(0);
  };
  qreal yoff = 0;
  if ((flags & Qt::AlignBottom) != 0) {
    yoff = rect.height() - glyphs.height;
  } else if ((flags & Qt::AlignVCenter) != 0) {
    yoff = (rect.height() - glyphs.height) / 2;
  }
  // Text that does not fit is clipped to its rectangle by drawText: left to it.
  const QRectF bounds(rect.x() + offset(ink), rect.y() + yoff, ink, glyphs.height);
  if (!QRectF(rect).contains(bounds)) return false;
  const qreal xoff = offset(advance);
  QGlyphRun run;
  run.setRawFont(glyphs.raw);
  run.setGlyphIndexes(indexes);
  run.setPositions(positions);
  const QPointF origin(toLayoutUnits(rect.x() + xoff), toLayoutUnits(rect.y() + yoff));
  painter.drawGlyphRun(QPointF(origin.x(), origin.y() + glyphs.ascent), run);
  return true;
}

}  // namespace orvane::ui
