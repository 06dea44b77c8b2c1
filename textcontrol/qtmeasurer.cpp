#include "textcontrol/qtmeasurer.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QTextLayout>
#include <QThreadPool>
#include <unordered_set>
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

// The scripts whose fallbacks the user-interface thread has searched per font family, with the font it
// searched them in: Qt keeps the fonts it opened for that font and script, so looking up another character
// of the script in that same font is quick.
std::unordered_map<QString, std::unordered_map<int, QFont>> &SearchedScripts()
{
    static std::unordered_map<QString, std::unordered_map<int, QFont>> scripts;
    return scripts;
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
    const QString key = FamilyKey(base);
    auto &known = KnownFamilies()[key];
    auto found = known.find(c.unicode());
    if (found == known.end()) {
        const QFont &searchIn = SearchedScripts()[key].emplace(int(c.script()), base).first->second;
        found = known.emplace(c.unicode(), FindFamily(searchIn, c)).first;
    }
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

bool QtMeasurer::Prepare(const char16_t *s, int n, const std::function<bool()> &more)
{
    for (;;) {
        if (search_.valid()) {
            while (search_.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
                if (!more())
                    return false;
            for (const Found &f : search_.get())
                KnownFamilies()[f.key].emplace(f.c, f.family);
        }
        // The characters both fonts lack whose family is not known yet (variants 0-3 share the font's
        // fallbacks, 4-7 the alternative font's), all found in one go; those of a script already
        // searched here are looked up here, as quickly.
        std::vector<std::pair<QFont, std::vector<QChar>>> wanted;
        for (int variant : {0, 4}) {
            const QFont &font = fonts_[size_t(variant)];
            const QString key = FamilyKey(font);
            auto &known = KnownFamilies()[key];
            const auto &searched = SearchedScripts()[key];
            std::vector<QChar> chars;
            std::unordered_set<ushort> seen;
            for (int i = 0; i < n; ++i) {
                const QChar c(s[i]);
                if (c.unicode() >= 256 && !c.isSurrogate() && !known.count(c.unicode()) && !searched.count(int(c.script())) &&
                    seen.insert(c.unicode()).second && !Raw(variant).supportsCharacter(c))
                    chars.push_back(c);
            }
            if (!chars.empty())
                wanted.emplace_back(font, std::move(chars));
        }
        if (wanted.empty())
            return true;
        if (!searcher_) {
            searcher_ = std::make_unique<QThreadPool>();
            searcher_->setMaxThreadCount(1);
            searcher_->setExpiryTimeout(-1);
            // It gives way to the user-interface thread whenever that has work, even on one core.
            searcher_->setThreadPriority(QThread::IdlePriority);
        }
        auto found = std::make_shared<std::promise<std::vector<Found>>>();
        search_ = found->get_future();
        searcher_->start([found, wanted = std::move(wanted)] {
            std::vector<Found> out;
            for (const auto &[font, chars] : wanted)
                for (QChar c : chars)
                    out.push_back({FamilyKey(font), c.unicode(), FindFamily(font, c)});
            found->set_value(std::move(out));
        });
    }
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
