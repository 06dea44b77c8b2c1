#pragma once
// Colour values as the form files and the picture classes store them: red in the low byte, then green,
// then blue; a high byte of 0x80 names a system colour, and clNone means "no colour".
#include <QColor>
#include <QRgb>
#include <cstdint>

namespace platform {

using Color = uint32_t;

constexpr Color clNone = 0x1FFFFFFF;
constexpr Color clDefault = 0x20000000;
constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clWindow = 0x80000005;       // the system window colour
constexpr Color clBtnFace = 0x8000000F;      // the system face colour
constexpr Color clWindowText = 0x80000008;

constexpr Color RGBColor(int r, int g, int b) { return Color(r & 0xFF) | Color(g & 0xFF) << 8 | Color(b & 0xFF) << 16; }
constexpr int RedOf(Color c) { return int(c & 0xFF); }
constexpr int GreenOf(Color c) { return int(c >> 8 & 0xFF); }
constexpr int BlueOf(Color c) { return int(c >> 16 & 0xFF); }
constexpr bool IsSystemColor(Color c) { return (c & 0xFF000000u) == 0x80000000u; }

// Resolves system colours through the application palette and drops palette-relative bits.
Color ColorToRGB(Color c);
QColor ToQColor(Color c);
Color FromQRgb(QRgb rgb);
inline QRgb ToQRgb(Color c) { return ToQColor(c).rgb(); }

} // namespace platform
