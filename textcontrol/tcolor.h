#pragma once
// Colour values as the stored properties hold them: 0x00BBGGRR, or a system colour with the top bit set.
#include <QtGlobal>

namespace textcontrol {

using TColor = quint32;

constexpr TColor RGBColor(int r, int g, int b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clHighlight = 0x8000000D;
constexpr TColor clHighlightText = 0x8000000E;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clBtnHighlight = 0x80000014;

} // namespace textcontrol
