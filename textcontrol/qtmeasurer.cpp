#include "textcontrol/qtmeasurer.h"

#include <QFontMetrics>

namespace textcontrol {

void QtMeasurer::SetFonts(const QFont &font, const QFont &altFont, QPaintDevice *device)
{
    device_ = device;
    ForgetWidest();
    for (int v = 0; v < 8; ++v) {
        QFont f = (v & 4) ? altFont : font;
        f.setBold(v & 1);
        f.setItalic(v & 2);
        f.setKerning(false);
        fonts_[size_t(v)] = device ? QFont(f, device) : f;
        variants_[size_t(v)] = Variant();
    }
    const QFontMetrics fm = device ? QFontMetrics(fonts_[0], device) : QFontMetrics(fonts_[0]);
    ascent_ = fm.ascent();
    descent_ = fm.descent();
}

void QtMeasurer::Build(int variant)
{
    Variant &v = variants_[size_t(variant)];
    const QFontMetrics fm = device_ ? QFontMetrics(fonts_[size_t(variant)], device_) : QFontMetrics(fonts_[size_t(variant)]);
    for (int c = 0; c < 256; ++c)
        v.table[c] = c < 32 ? 0 : fm.horizontalAdvance(QChar(c));
    v.table[int('\t')] = fm.horizontalAdvance(QLatin1Char(' '));
    v.built = true;
}

const qint32 *QtMeasurer::Table(int variant)
{
    variant &= 7;
    if (!variants_[size_t(variant)].built)
        Build(variant);
    return variants_[size_t(variant)].table;
}

int QtMeasurer::Advance(QChar c, int variant)
{
    variant &= 7;
    Variant &v = variants_[size_t(variant)];
    auto it = v.wide.find(c.unicode());
    if (it != v.wide.end())
        return it->second;
    // A pair of surrogates is measured whole at its first half (PairAdvance); a half alone is drawn as a
    // replacement character.
    int w = 0;
    if (!c.isLowSurrogate()) {
        const QFontMetrics fm = device_ ? QFontMetrics(fonts_[size_t(variant)], device_) : QFontMetrics(fonts_[size_t(variant)]);
        w = fm.horizontalAdvance(c.isHighSurrogate() ? QChar(QChar::ReplacementCharacter) : c);
    }
    v.wide.emplace(c.unicode(), w);
    return w;
}

int QtMeasurer::PairAdvance(char32_t ucs, int variant)
{
    variant &= 7;
    Variant &v = variants_[size_t(variant)];
    auto it = v.pairs.find(ucs);
    if (it != v.pairs.end())
        return it->second;
    // Painted with the font's fallbacks, as the pair is drawn.
    const QFontMetrics fm = device_ ? QFontMetrics(fonts_[size_t(variant)], device_) : QFontMetrics(fonts_[size_t(variant)]);
    const int w = fm.horizontalAdvance(QString::fromUcs4(&ucs, 1));
    v.pairs.emplace(ucs, w);
    return w;
}

QFont QtMeasurer::StyleFont(quint8 style) const
{
    QFont f = fonts_[size_t(FontVariant(style))];
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    return f;
}

const QRawFont &QtMeasurer::Raw(int variant)
{
    Variant &v = variants_[size_t(variant & 7)];
    if (!v.raw)
        v.raw = QRawFont::fromFont(fonts_[size_t(variant & 7)]);
    return *v.raw;
}

} // namespace textcontrol
