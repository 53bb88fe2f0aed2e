// Lines of digits and separators drawn from cached glyphs: the same pixels as the text
// layout draws, in every font, size, alignment and rectangle the program's labels meet,
// and nothing drawn at all where the text layout is needed.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "ui/qt/QtPlainLine.h"

namespace orvane::test {
namespace {

struct Drawn {
  QImage image;
  bool quick = false;
};

Drawn draw(const QFont& font, const QRect& rect, int flags, const std::string& text, bool quick,
           QColor pen = QColor(255, 0, 0)) {
  Drawn result;
  result.image = QImage(rect.right() + 12, rect.bottom() + 12, QImage::Format_ARGB32_Premultiplied);
  result.image.fill(QColor(0, 0, 40));
  QPainter painter(&result.image);
  painter.setFont(font);
  painter.setPen(pen);
  if (quick) {
    result.quick = ui::drawPlainLine(painter, rect, flags, text);
  } else {
    painter.drawText(rect, flags, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  }
  return result;
}

QFont labelFont(const char* family, int pointSize, bool bold, bool italic) {
  QFont font{QString::fromLatin1(family)};
  font.setPointSize(pointSize);
  font.setBold(bold);
  font.setItalic(italic);
  font.setStyleStrategy(QFont::NoSubpixelAntialias);
  return font;
}

// Where two drawings differ: the count and the first differing pixel.
std::string difference(const QImage& a, const QImage& b) {
  int count = 0;
  std::string first;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      if (count++ == 0) first = " first at " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  return std::to_string(count) + " pixels differ" + first;
}

std::string describe(const QFont& font, const QRect& rect, int flags, const std::string& text) {
  return font.toString().toStdString() + " in " + std::to_string(rect.x()) + "," +
         std::to_string(rect.y()) + " " + std::to_string(rect.width()) + "x" +
         std::to_string(rect.height()) + " flags " + std::to_string(flags) + ": \"" + text + "\"";
}

TEST(PlainLineTest, DrawsTheSamePixelsAsTheTextLayout) {
  const char* families[] = {"MS Sans Serif", "Times New Roman", "DejaVu Sans", "DejaVu Sans Mono",
                            "Nimbus Sans", "Nimbus Roman", "Arial"};
  const std::vector<std::string> texts = {"21:04:37",   "00:00:00",  "+90:00:00", "-05:30:07",
                                          "09.12.2026", "12/31/99",  "1,5",       "11:11:11",
                                          "7",          "--:--:--",  "1 2",       "+12:34 56"};
  const int horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  const int vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
  // Even and odd sizes: a centred line may start on a half pixel.
  const QRect rects[] = {QRect(0, 0, 120, 20), QRect(3, 5, 121, 23), QRect(10, 2, 97, 17)};
  int cases = 0;
  int quick = 0;
  for (const char* family : families) {
    for (int pointSize : {7, 8, 9, 10, 11, 12, 16}) {
      for (int style = 0; style < 3; ++style) {
        const QFont font = labelFont(family, pointSize, style == 1, style == 2);
        for (const std::string& text : texts) {
          for (const QRect& rect : rects) {
            for (int h : horizontal) {
              for (int v : vertical) {
                const int flags = Qt::TextShowMnemonic | h | v;
                ++cases;
                const Drawn fast = draw(font, rect, flags, text, true);
                if (!fast.quick) continue;
                ++quick;
                const Drawn laidOut = draw(font, rect, flags, text, false);
                ASSERT_TRUE(fast.image == laidOut.image)
                    << describe(font, rect, flags, text) << ": "
                    << difference(fast.image, laidOut.image);
              }
            }
          }
        }
      }
    }
  }
  // Most of these are drawn from the cache (the rest do not fit their rectangle, or their
  // font spaces some pair of these characters in more than one way).
  EXPECT_GT(quick, cases / 2);
}

TEST(PlainLineTest, LeavesWhatNeedsTheTextLayoutUndrawn) {
  const QFont font = labelFont("DejaVu Sans", 9, false, false);
  const QRect rect(0, 0, 120, 20);
  const int flags = Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignVCenter;
  const Drawn blank = draw(font, rect, flags, "", false);
  const struct {
    std::string text;
    int flags;
  } refused[] = {
      {"", flags},                                     // nothing to draw
      {"LST 12:00", flags},                            // letters
      {"1&2", flags},                                  // a mnemonic
      {"12:00\n13:00", flags},                         // several lines
      {" 12:00", flags},                               // spaces at the ends
      {"12:00 ", flags},                               //
      {"45\xB0", flags},                               // beyond digits and separators
      {"12:00:00", flags | Qt::TextWordWrap},          // wrapping
      {"12:00:00", Qt::AlignJustify},                  //
      {"1234567890123456789012345678901234567890", flags},  // wider than its rectangle
      {std::string(60, '1'), Qt::AlignLeft},                // longer than a clock
  };
  for (const auto& [text, textFlags] : refused) {
    const Drawn fast = draw(font, rect, textFlags, text, true);
    EXPECT_FALSE(fast.quick) << text;
    EXPECT_TRUE(fast.image == blank.image) << text;
  }
  // Decorations and right-to-left are the text layout's.
  for (int decoration = 0; decoration < 3; ++decoration) {
    QFont decorated = font;
    decorated.setUnderline(decoration == 0);
    decorated.setStrikeOut(decoration == 1);
    decorated.setOverline(decoration == 2);
    EXPECT_FALSE(draw(decorated, rect, flags, "12:00", true).quick);
  }
  QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setLayoutDirection(Qt::RightToLeft);
  EXPECT_FALSE(ui::drawPlainLine(painter, rect, flags, "12:00"));
}

TEST(PlainLineTest, FollowsThePainterFontAndPen) {
  // Two fonts and two pens one after the other: each draw takes the painter's as it is.
  const QRect rect(0, 0, 140, 30);
  const int flags = Qt::AlignHCenter | Qt::AlignVCenter;
  for (const QFont& font : {labelFont("DejaVu Sans", 9, false, false),
                            labelFont("Nimbus Roman", 14, true, false),
                            labelFont("DejaVu Sans", 9, false, false)}) {
    for (const QColor& pen : {QColor(255, 255, 255), QColor(120, 0, 0)}) {
      const Drawn fast = draw(font, rect, flags, "23:59:59", true, pen);
      ASSERT_TRUE(fast.quick) << font.toString().toStdString();
      const QImage laidOut = draw(font, rect, flags, "23:59:59", false, pen).image;
      EXPECT_TRUE(fast.image == laidOut)
          << font.toString().toStdString() << ": " << difference(fast.image, laidOut);
    }
  }
}

}  // namespace
}  // namespace orvane::test
