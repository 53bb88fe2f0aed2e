#include "app/ButtonGlyphs.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// A small raster canvas with coverage-based strokes so the pictures have soft edges.
class Canvas {
 public:
  explicit Canvas(int size) : size_(size), coverage_(static_cast<size_t>(size * size), 0.0) {}

  void disc(double cx, double cy, double radius) {
    forEachPixel([&](double x, double y) { return radius + 0.5 - std::hypot(x - cx, y - cy); });
  }
  void ring(double cx, double cy, double radius, double thickness) {
    forEachPixel([&](double x, double y) {
      return thickness / 2 + 0.5 - std::fabs(std::hypot(x - cx, y - cy) - radius);
    });
  }
  void line(double x0, double y0, double x1, double y1, double thickness) {
    forEachPixel([&](double x, double y) {
      double dx = x1 - x0, dy = y1 - y0;
      double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      return thickness / 2 + 0.5 - std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
    });
  }
  void box(double x0, double y0, double x1, double y1, double thickness) {
    line(x0, y0, x1, y0, thickness);
    line(x1, y0, x1, y1, thickness);
    line(x1, y1, x0, y1, thickness);
    line(x0, y1, x0, y0, thickness);
  }
  void erase(double cx, double cy, double radius) {
    for (int y = 0; y < size_; ++y) {
      for (int x = 0; x < size_; ++x) {
        double c = std::clamp(radius + 0.5 - std::hypot(x + 0.5 - cx, y + 0.5 - cy), 0.0, 1.0);
        double& cell = coverage_[static_cast<size_t>(y * size_ + x)];
        cell = std::min(cell, 1.0 - c);
      }
    }
  }

  ui::Image image() const {
    ui::Image picture;
    picture.width = size_;
    picture.height = size_;
    picture.pixels.resize(coverage_.size());
    for (size_t i = 0; i < coverage_.size(); ++i) {
      int level = static_cast<int>(std::lround(coverage_[i] * 255));
      picture.pixels[i] = level == 0 ? ui::Image::kTransparent : ui::makeColor(level, level, level);
    }
    return picture;
  }

 private:
  template <typename Coverage>
  void forEachPixel(Coverage coverage) {
    for (int y = 0; y < size_; ++y) {
      for (int x = 0; x < size_; ++x) {
        double c = std::clamp(coverage(x + 0.5, y + 0.5), 0.0, 1.0);
        double& cell = coverage_[static_cast<size_t>(y * size_ + x)];
        cell = std::max(cell, c);
      }
    }
  }
  int size_;
  std::vector<double> coverage_;
};

}  // namespace

ui::Image DrawGlyph(Glyph glyph, int size) {
  Canvas canvas(size);
  const double s = size;
  const double c = s / 2;
  const double stroke = std::max(1.5, s / 14);
  canvas.ring(c, c, c - stroke, stroke);
  switch (glyph) {
    case Glyph::NightVision:  // a crescent moon
      canvas.disc(c - s * 0.04, c, s * 0.26);
      canvas.erase(c + s * 0.08, c - s * 0.08, s * 0.22);
      break;
    case Glyph::Credits:  // an "i"
      canvas.disc(c, c - s * 0.2, stroke * 0.9);
      canvas.line(c, c - s * 0.06, c, c + s * 0.24, stroke * 1.2);
      break;
    case Glyph::Background:  // a filled window
      canvas.box(c - s * 0.22, c - s * 0.18, c + s * 0.22, c + s * 0.18, stroke);
      canvas.line(c - s * 0.22, c - s * 0.1, c + s * 0.22, c - s * 0.1, stroke);
      break;
    case Glyph::Schedule:  // a clock
      canvas.ring(c, c, s * 0.22, stroke * 0.8);
      canvas.line(c, c, c, c - s * 0.15, stroke * 0.8);
      canvas.line(c, c, c + s * 0.11, c + s * 0.05, stroke * 0.8);
      break;
    case Glyph::Zoom:  // a magnifier
      canvas.ring(c - s * 0.06, c - s * 0.06, s * 0.14, stroke * 0.8);
      canvas.line(c + s * 0.05, c + s * 0.05, c + s * 0.2, c + s * 0.2, stroke * 1.2);
      break;
    case Glyph::Minimize:  // a bar
      canvas.line(c - s * 0.18, c + s * 0.12, c + s * 0.18, c + s * 0.12, stroke * 1.2);
      break;
    case Glyph::Exit:  // a cross
      canvas.line(c - s * 0.16, c - s * 0.16, c + s * 0.16, c + s * 0.16, stroke * 1.2);
      canvas.line(c - s * 0.16, c + s * 0.16, c + s * 0.16, c - s * 0.16, stroke * 1.2);
      break;
  }
  return canvas.image();
}

}  // namespace orvane
