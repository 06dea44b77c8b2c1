#pragma once
// Character widths and fonts of the memo's eight font variants (bold, italic, alternative font), taken
// from Qt font metrics on the screen or on a printer. Painting places glyphs at these integer advances,
// so the caret, hit-testing and the drawn text agree.
#include "textcontrol/measurer.h"

#include <QFont>
#include <QRawFont>
#include <array>
#include <optional>
#include <unordered_map>

class QPaintDevice;

namespace textcontrol {

class QtMeasurer : public Measurer {
public:
    // device: the canvas fonts are measured on (nullptr = screen).
    void SetFonts(const QFont &font, const QFont &altFont, QPaintDevice *device);
    const qint32 *Table(int variant) override;
    int Advance(QChar c, int variant) override;
    int PairAdvance(char32_t ucs, int variant) override;
    // The font of a style byte (underline and strikeout included).
    QFont StyleFont(quint8 style) const;
    const QRawFont &Raw(int variant);
    const QFont &VariantFont(int variant) const { return fonts_[size_t(variant & 7)]; }
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int Height() const { return ascent_ + descent_; }

private:
    struct Variant {
        bool built = false;
        qint32 table[256];
        std::unordered_map<ushort, int> wide;
        std::unordered_map<char32_t, int> pairs;
        std::optional<QRawFont> raw;
    };
    void Build(int variant);
    std::array<QFont, 8> fonts_;
    std::array<Variant, 8> variants_;
    QPaintDevice *device_ = nullptr;
    int ascent_ = 0, descent_ = 0;
};

} // namespace textcontrol
