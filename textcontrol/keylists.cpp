#include "textcontrol/keylists.h"

#include "textcontrol/casefold.h"

#include "platform/error.h"
#include "platform/formstream.h"

namespace textcontrol {

namespace {

void CheckKey(const QString &key)
{
    if (key.size() > kMaxKeyLength)
        throw platform::Error(QStringLiteral("Key too long"));
}

void WriteStyle(platform::FormWriter &w, const TKeyStyle &s)
{
    w.WriteInteger(s.flags);
    w.WriteInteger(s.style);
    w.WriteInteger(s.context);
    w.WriteInteger(s.value2);
    w.WriteInteger(qint32(s.background));
    w.WriteInteger(qint32(s.color));
}

TKeyStyle ReadStyle(platform::FormReader &r)
{
    TKeyStyle s;
    s.flags = quint8(r.ReadInteger());
    s.style = quint8(r.ReadInteger());
    s.context = qint16(r.ReadInteger());
    s.value2 = qint16(r.ReadInteger());
    s.background = TColor(quint32(r.ReadInteger()));
    s.color = TColor(quint32(r.ReadInteger()));
    return s;
}

} // namespace

namespace {
// For each character below 256, whether one from 256 on folds to it.
struct FoldSources {
    bool wide[256] = {};
    FoldSources()
    {
        for (char32_t c = 256; c <= 0xFFFF; ++c)
            if (!QChar::isSurrogate(c) && FoldPoint(c) < 256)
                wide[FoldPoint(c)] = true;
    }
};
// What each character below 256 folds to: a find makes a first character for every search.
struct NarrowFolds {
    char16_t folded[256] = {};
    NarrowFolds()
    {
        for (char32_t c = 0; c < 256; ++c)
            folded[c] = char16_t(FoldPoint(c));
    }
};
const FoldSources &Sources()
{
    static const FoldSources s;
    return s;
}
} // namespace

FirstChar MakeFirstChar(QStringView key, bool caseSensitive)
{
    FirstChar f;
    if (key.isEmpty())
        return f;
    f.folded = key[0].unicode();
    if (caseSensitive) {
        f.count = f.folded < 256 ? 1 : 0;
        f.narrow[0] = uchar(f.folded);
        return f;
    }
    f.folded = FoldAt(key.utf16(), key.size(), 0);
    static const NarrowFolds folds;
    for (int c = 0; c < 256; ++c)
        if (folds.folded[c] == f.folded) {
            if (f.count < 3)
                f.narrow[f.count] = uchar(c);
            f.count = quint8(f.count + 1);
        }
    return f;
}

bool HasWideFoldSource(ushort c) { return c < 256 && Sources().wide[c]; }

QString KeyUpper(const QString &s)
{
    QString u = s;
    for (QChar &c : u) {
        const ushort v = c.unicode();
        if (v >= 'a' && v <= 'z')
            c = QChar(v - 32);
        else if (v >= 0x80)
            c = c.toUpper();
    }
    return u;
}

const QString &TKeywordList::Strings(int i) const
{
    if (i < 0 || i >= Count())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return words_[size_t(i)].word;
}

TKeywordList::Entry TKeywordList::MakeEntry(const QString &word, const TKeyStyle &style)
{
    const bool cs = style.flags & kfCaseSensitive;
    Entry e{word, FoldCase(word), {}, style};
    e.first = MakeFirstChar(cs ? QStringView(word) : QStringView(e.folded), cs);
    return e;
}

int TKeywordList::Add(const QString &word, const TKeyStyle &style)
{
    Insert(Count(), word, style);
    return Count() - 1;
}

void TKeywordList::Insert(int i, const QString &word, const TKeyStyle &style)
{
    if (i < 0 || i > Count())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    CheckKey(word);
    if (Count() >= kMaxKeyEntries)
        throw platform::Error(QStringLiteral("Too many keys"));
    words_.insert(words_.begin() + i, MakeEntry(word, style));
    Changed();
}

void TKeywordList::SetStrings(int i, const QString &word)
{
    Strings(i);
    CheckKey(word);
    words_[size_t(i)] = MakeEntry(word, words_[size_t(i)].style);
    Changed();
}

const TKeyStyle *TKeywordList::Objects(int i) const
{
    Strings(i);
    return &words_[size_t(i)].style;
}

void TKeywordList::SetObjects(int i, const TKeyStyle &style)
{
    Strings(i);
    // The case flag decides what the keyword is matched against.
    words_[size_t(i)] = MakeEntry(words_[size_t(i)].word, style);
    Changed();
}

int TKeywordList::IndexOf(const QString &word) const
{
    for (int i = 0; i < Count(); ++i)
        if (words_[size_t(i)].word.compare(word, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TKeywordList::Exchange(int a, int b)
{
    Strings(a);
    Strings(b);
    std::swap(words_[size_t(a)], words_[size_t(b)]);
    Changed();
}

void TKeywordList::Move(int from, int to)
{
    Strings(from);
    Strings(to);
    if (from == to)
        return;
    Entry e = std::move(words_[size_t(from)]);
    words_.erase(words_.begin() + from);
    words_.insert(words_.begin() + to, std::move(e));
    Changed();
}

QString TKeywordList::Text() const
{
    QString t;
    for (const auto &e : words_)
        t += e.word + QLatin1String("\r\n");
    return t;
}

void TKeywordList::Delete(int i)
{
    Strings(i);
    words_.erase(words_.begin() + i);
    Changed();
}

void TKeywordList::Clear()
{
    words_.clear();
    Changed();
}

void TKeywordList::EndUpdate()
{
    if (updating_ > 0 && --updating_ == 0)
        Changed();
}

void TKeywordList::Assign(const TKeywordList &source)
{
    if (&source == this)
        return;
    BeginUpdate();
    words_ = source.words_;
    EndUpdate();
}

void TKeywordList::GetKeyStyle(int i, TKeyStyle &style) const
{
    style = (i >= 0 && i < Count()) ? words_[size_t(i)].style : TKeyStyle();
}

bool TKeywordList::operator==(const TKeywordList &o) const
{
    if (Count() != o.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (words_[size_t(i)].word != o.words_[size_t(i)].word || !(words_[size_t(i)].style == o.words_[size_t(i)].style))
            return false;
    return true;
}

void TKeywordList::Changed()
{
    if (updating_)
        return;
    longest_ = 0;
    for (const auto &e : words_)
        longest_ = std::max(longest_, int(e.word.size()));
    if (OnChange)
        OnChange();
}

void TKeywordList::WriteData(platform::FormWriter &w) const
{
    w.WriteListBegin();
    for (const auto &e : words_) {
        w.WriteString(e.word);
        WriteStyle(w, e.style);
    }
    w.WriteListEnd();
}

void TKeywordList::ReadData(platform::FormReader &r)
{
    std::vector<Entry> read;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        const QString word = r.ReadString();
        CheckKey(word);
        if (int(read.size()) >= kMaxKeyEntries)
            throw platform::Error(QStringLiteral("Too many keys"));
        read.push_back(MakeEntry(word, ReadStyle(r)));
    }
    r.ReadListEnd();
    BeginUpdate();
    words_ = std::move(read);
    EndUpdate();
}

void TStartStopKeyList::Add(const QString &start, const QString &stop, bool endsAtParEnd, TColor color,
                            TColor background, qint16 value2, qint16 context, quint8 style, quint8 flags)
{
    CheckKey(start);
    CheckKey(stop);
    if (start.isEmpty())
        return; // an empty start key could never open anything
    if (Count() >= kMaxKeyEntries)
        throw platform::Error(QStringLiteral("Too many keys"));
    TStartStopKey k;
    k.style = {flags, style, context, value2, background, color};
    const bool cs = flags & kfCaseSensitive;
    k.start = cs ? start : KeyUpper(start);
    k.stop = cs ? stop : KeyUpper(stop);
    k.matchStart = cs ? start : FoldCase(start);
    k.matchStop = cs ? stop : FoldCase(stop);
    k.stopFirst = MakeFirstChar(k.matchStop, cs);
    k.endsAtParEnd = endsAtParEnd;
    longestStart_ = std::max(longestStart_, int(start.size()));
    longestStop_ = std::max(longestStop_, int(stop.size()));
    if (endsAtParEnd)
        longestStop_ = std::max(longestStop_, 2);
    for (int i = 0; i < Count(); ++i)
        if (keys_[size_t(i)].style.flags == flags && keys_[size_t(i)].start == k.start) {
            k.link = qint16(i);
            break;
        }
    keys_.push_back(k);
    tablesValid_ = false;
    if (OnChange)
        OnChange();
}

void TStartStopKeyList::Clear()
{
    keys_.clear();
    keys_.shrink_to_fit();
    longestStart_ = longestStop_ = 0;
    tablesValid_ = false;
    if (OnChange)
        OnChange();
}

void TStartStopKeyList::BuildTables(const std::function<bool(QChar)> &isSeparator)
{
    for (auto &k : keys_) {
        const bool ww = k.style.flags & kfWholeWords;
        k.startFollowSep = ww && !isSeparator(k.start.back());
        k.startPrecSep = ww && !isSeparator(k.start.front());
        k.stopFollowSep = ww && !k.stop.isEmpty() && !isSeparator(k.stop.back());
        k.stopPrecSep = ww && !k.stop.isEmpty() && !isSeparator(k.stop.front());
    }
    tablesValid_ = true;
}

bool TStartStopKeyList::operator==(const TStartStopKeyList &o) const
{
    if (Count() != o.Count())
        return false;
    for (int i = 0; i < Count(); ++i) {
        const auto &a = keys_[size_t(i)], &b = o.keys_[size_t(i)];
        if (!(a.style == b.style) || a.start != b.start || a.stop != b.stop || a.endsAtParEnd != b.endsAtParEnd)
            return false;
    }
    return true;
}

void TStartStopKeyList::WriteData(platform::FormWriter &w) const
{
    w.WriteListBegin();
    for (const auto &k : keys_) {
        w.WriteString(k.start);
        w.WriteString(k.stop);
        WriteStyle(w, k.style);
        w.WriteBool(k.endsAtParEnd);
    }
    w.WriteListEnd();
}

void TStartStopKeyList::ReadData(platform::FormReader &r)
{
    TStartStopKeyList read;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        const QString start = r.ReadString();
        const QString stop = r.ReadString();
        const TKeyStyle s = ReadStyle(r);
        const bool ends = r.ReadBool();
        read.Add(start, stop, ends, s.color, s.background, s.value2, s.context, s.style, s.flags);
    }
    r.ReadListEnd();
    auto notify = std::move(OnChange);
    *this = std::move(read);
    OnChange = std::move(notify);
    tablesValid_ = false;
    if (OnChange)
        OnChange();
}

} // namespace textcontrol
