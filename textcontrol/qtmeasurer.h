#pragma once
// Character widths and fonts of the memo's eight font variants (bold, italic, alternative font), taken
// from Qt font metrics on the screen or on a printer. Painting places glyphs at these integer advances,
// so the caret, hit-testing and the drawn text agree.
#include "textcontrol/measurer.h"

#include <QFont>
#include <QRawFont>
#include <array>
#include <future>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPaintDevice;
class QThreadPool;

namespace textcontrol {

class QtMeasurer : public Measurer {
public:
    QtMeasurer();
    ~QtMeasurer() override;
    // device: the canvas fonts are measured on (nullptr = screen).
    void SetFonts(const QFont &font, const QFont &altFont, QPaintDevice *device);
    const qint32 *Table(int variant) override;
    int Advance(QChar c, int variant) override;
    int PairAdvance(char32_t ucs, int variant) override;
    // The font of a style byte (underline and strikeout included).
    QFont StyleFont(quint8 style) const;
    const QRawFont &Raw(int variant);
    // The glyph a character that the variant's font lacks is drawn with, from the fallback font that
    // holds it; glyph 0 when no font does (it is drawn as a box as wide as the font's own sign for a
    // missing glyph). False for characters the font has, and for halves of surrogate pairs (drawn by
    // the font with its fallbacks).
    bool FallbackGlyph(QChar c, int variant, const QRawFont *&font, quint32 &glyph);
    // Finds the fallback families of a paragraph's characters the fonts lack on another thread: asking
    // the fonts for a script new to them takes longer than a background slice may.
    bool Prepare(const char16_t *s, int n, const std::function<bool()> &more) override;
    const QFont &VariantFont(int variant) const { return fonts_[size_t(variant & 7)]; }
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int Height() const { return ascent_ + descent_; }

private:
    struct Glyph {
        const QRawFont *font;
        quint32 index;
    };
    struct Variant {
        bool built = false;
        qint32 table[256];
        std::unordered_map<ushort, int> wide;
        std::unordered_map<ushort, Glyph> fallback; // characters the variant's font lacks
        std::unordered_map<char32_t, int> pairs;
        std::optional<QRawFont> raw;
    };
    void Build(int variant);
    bool LookUpFallback(QChar c, int variant, Glyph &g);
    struct Found {
        QString key;
        ushort c;
        QString family;
    };
    std::future<std::vector<Found>> search_; // fallback families being found on another thread
    // That thread, made on first use and kept: the fonts it has opened make its later searches quick.
    std::unique_ptr<QThreadPool> searcher_;
    // The fallback families' fonts, per family and variant, made on first use.
    std::unordered_map<QString, std::array<std::unique_ptr<QRawFont>, 8>> fallbackFonts_;
    std::array<QFont, 8> fonts_;
    std::array<Variant, 8> variants_;
    QPaintDevice *device_ = nullptr;
    int ascent_ = 0, descent_ = 0;
};

} // namespace textcontrol
