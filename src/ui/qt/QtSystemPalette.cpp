#include "ui/qt/QtSystemPalette.h"

#include "ui/qt/QtConvert.h"

namespace orvane::ui {

QPalette::ColorRole paletteRoleOf(SystemColor color) {
  switch (color) {
    case SystemColor::ButtonFace:
      return QPalette::Button;
    case SystemColor::ButtonShadow:
      return QPalette::Dark;
    case SystemColor::ButtonHighlight:
      return QPalette::Light;
    case SystemColor::Light3D:
      return QPalette::Midlight;
    case SystemColor::Highlight:
      return QPalette::Highlight;
    case SystemColor::HighlightText:
      return QPalette::HighlightedText;
    case SystemColor::Menu:
      return QPalette::Window;
    case SystemColor::ButtonText:
      return QPalette::ButtonText;
    case SystemColor::DarkShadow3D:
      return QPalette::Shadow;
  }
  return QPalette::Button;
}

SystemPalette systemColorsOf(const QPalette& palette) {
  SystemPalette colors{};
  for (int i = 0; i < kSystemColorCount; ++i) {
    const QPalette::ColorRole role = paletteRoleOf(static_cast<SystemColor>(i));
    colors[static_cast<size_t>(i)] = fromQColor(palette.color(QPalette::Active, role));
  }
  return colors;
}

QPalette withSystemColors(QPalette palette, const SystemPalette& colors) {
  for (int i = 0; i < kSystemColorCount; ++i) {
    const auto which = static_cast<SystemColor>(i);
    const QPalette::ColorRole role = paletteRoleOf(which);
    const QColor color = toQColor(colors[static_cast<size_t>(i)]);
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
    if (which != SystemColor::ButtonText) palette.setColor(QPalette::Disabled, role, color);
  }
  const QColor shadow = toQColor(colors[static_cast<size_t>(SystemColor::ButtonShadow)]);
  palette.setColor(QPalette::Mid, shadow);
  for (QPalette::ColorRole text : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText}) {
    palette.setColor(QPalette::Disabled, text, shadow);
  }
  return palette;
}

}  // namespace orvane::ui
