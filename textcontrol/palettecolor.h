#pragma once
// Colour values as widgets paint them: system colours come from a palette.
#include "textcontrol/tcolor.h"

#include <QColor>
#include <QPalette>

namespace textcontrol {

// Maps system colours to the application palette.
inline QColor ToQColor(TColor c, const QPalette &palette = QPalette())
{
    if (c & 0x80000000u) {
        switch (c) {
        case clHighlight: return palette.color(QPalette::Highlight);
        case clHighlightText: return palette.color(QPalette::HighlightedText);
        case clWindow: return palette.color(QPalette::Base);
        case clWindowText: return palette.color(QPalette::Text);
        case clBtnFace: return palette.color(QPalette::Button);
        case clBtnShadow: return palette.color(QPalette::Dark);
        case clBtnHighlight: return palette.color(QPalette::Light);
        default: return palette.color(QPalette::Text);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

} // namespace textcontrol
