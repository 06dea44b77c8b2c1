#include "textcontrol/qtmeasurer.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QTextLayout>
#include <QThreadPool>
#include <algorithm>
#include <chrono>

namespace textcontrol {

namespace {

// Which font of the fallbacks holds a character is asked once per font family in the program (fallbacks
// follow the family, not its size or style); each variant then takes its glyph from that family at its
// own weight and slant. Touched by the user-interface thread only.
std::unordered_map<QString, std::unordered_map<ushort, QString>> &KnownFamilies()
{
    static std::unordered_map<QString, std::unordered_map<ushort, QString>> families;
    return families;
}

QString FamilyKey(const QFont &f)
{
    return f.family() + QLatin1Char('\n') + f.families().join(QLatin1Char('\n')) + QChar(ushort(f.styleHint()));
}

// The family that holds c, found through the layout the font's text would take; empty when none does.
// Safe on any thread.
QString FindFamily(const QFont &font, QChar c)
{
    QString family;
    QTextLayout layout(QString(c), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun &run : layout.glyphRuns()) {
        // A font file, not the stand-in that draws boxes where no font has the character.
        const QRawFont raw = run.rawFont();
        if (raw.isValid() && !raw.fontTable("head").isEmpty() && raw.supportsCharacter(c))
            family = raw.familyName();
    }
    return family;
}

} // namespace

QtMeasurer::QtMeasurer() = default;
QtMeasurer::~QtMeasurer() = default;

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
    fallbackFonts_.clear();
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
    Glyph g;
    if (!c.isSurrogate() && LookUpFallback(c, variant, g)) {
        // A character the font lacks: measured as it is drawn, by the glyph found for it.
        w = qRound(g.font->advancesForGlyphIndexes(QList<quint32>{g.index}).value(0).x());
    } else if (!c.isLowSurrogate()) {
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

bool QtMeasurer::LookUpFallback(QChar c, int variant, Glyph &g)
{
    Variant &v = variants_[size_t(variant)];
    if (const auto it = v.fallback.find(c.unicode()); it != v.fallback.end()) {
        g = it->second;
        return true;
    }
    const QRawFont &own = Raw(variant);
    if (own.supportsCharacter(c))
        return false;
    const QFont &base = fonts_[size_t(variant)];
    auto &known = KnownFamilies()[FamilyKey(base)];
    auto found = known.find(c.unicode());
    if (found == known.end())
        found = known.emplace(c.unicode(), FindFamily(base, c)).first;
    g = {&own, 0}; // no font holds it: the font's own sign for a missing glyph
    if (!found->second.isEmpty()) {
        std::unique_ptr<QRawFont> &raw = fallbackFonts_[found->second][size_t(variant)];
        if (!raw) {
            QFont f = fonts_[size_t(variant)];
            f.setFamilies({found->second});
            raw = std::make_unique<QRawFont>(QRawFont::fromFont(f));
        }
        quint32 index = 0;
        int count = 1;
        if (raw->glyphIndexesForChars(&c, 1, &index, &count) && index != 0)
            g = {raw.get(), index};
    }
    v.fallback.emplace(c.unicode(), g);
    return true;
}

bool QtMeasurer::FallbackGlyph(QChar c, int variant, const QRawFont *&font, quint32 &glyph)
{
    Glyph g;
    if (c.isSurrogate() || !LookUpFallback(c, variant & 7, g))
        return false;
    font = g.font;
    glyph = g.index;
    return true;
}

bool QtMeasurer::Prepare(QChar c, const std::function<bool()> &more)
{
    if (c.unicode() < 256 || c.isSurrogate())
        return true;
    // Variants 0-3 share the font's fallbacks, 4-7 the alternative font's.
    for (int variant : {0, 4}) {
        if (Raw(variant).supportsCharacter(c))
            continue;
        const QFont &font = fonts_[size_t(variant)];
        const QString key = FamilyKey(font);
        auto &known = KnownFamilies()[key];
        if (known.count(c.unicode()))
            continue;
        auto it = std::find_if(searches_.begin(), searches_.end(), [&](const Search &s) { return s.c == c.unicode() && s.key == key; });
        if (it == searches_.end()) {
            if (!searcher_) {
                searcher_ = std::make_unique<QThreadPool>();
                searcher_->setMaxThreadCount(1);
                searcher_->setExpiryTimeout(-1);
                // It gives way to the user-interface thread whenever that has work, even on one core.
                searcher_->setThreadPriority(QThread::IdlePriority);
            }
            auto found = std::make_shared<std::promise<QString>>();
            it = searches_.insert(searches_.end(), Search{key, c.unicode(), found->get_future()});
            searcher_->start([found, font, c] { found->set_value(FindFamily(font, c)); });
        }
        while (it->family.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
            if (!more())
                return false;
        known.emplace(c.unicode(), it->family.get());
        searches_.erase(it);
    }
    return true;
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
