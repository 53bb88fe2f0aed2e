// Conversions between the widget layer's plain values and Qt's: 8-bit (Latin-1) text,
// 0x00BBGGRR colours, fonts, pictures, key codes and modifier states.
// Thread: any (pure functions), except that QFont and QImage are best built on the
// user-interface thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <string>

#include "ui/Types.h"

class QKeyEvent;

namespace orvane::ui {

QString toQString(const std::string& text);
// Characters outside Latin-1 become '?', so that the program never sees multi-byte text.
std::string fromQString(const QString& text);

QColor toQColor(Color color);
Color fromQColor(const QColor& color);

QFont toQFont(const Font& font);

// Pixels whose top byte carries Image::kTransparent become fully transparent.
QImage toQImage(const Image& image);

// Key-down code of a key event: letters and digits as upper-case character codes, the
// editing and cursor keys as listed in ui::keys, function and keypad keys as the classic
// virtual-key numbers; 0 for keys the program has no code for.
int keyCodeOf(const QKeyEvent& event);
// The character a key event types, as the program's key-press handlers see it: printable
// Latin-1, backspace, Enter (13) and Escape (27); 0 for none (also while Ctrl or Alt is held).
char keyCharOf(const QKeyEvent& event);
ShiftState shiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace orvane::ui
