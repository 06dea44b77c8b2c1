#include "textcontrol/memocore.h"

#include "platform/error.h"
#include "textcontrol/rilostrings.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <array>
#include <cstring>

namespace textcontrol {

namespace {
constexpr int kProgressMs = 300;
constexpr int kMaxUndoRecord = 2147483547;
constexpr int kIncrementalLength = 4096; // longer paragraphs are re-highlighted and re-wrapped around an edit
constexpr QEvent::Type kBackgroundEvent = QEvent::Type(QEvent::User + 1);

// Scratch vectors are kept between calls, but not when a very long paragraph made them big.
template <class V> void ReleaseIfLarge(V &v)
{
    if (v.capacity() > (1u << 16)) {
        v.clear();
        v.shrink_to_fit();
    }
}

// Whether key matches the text at i (case-folded unless cs) with separators where asked.
template <class Ch, class Sep>
bool MatchAt(const Ch *s, int len, int i, const QString &key, bool cs, bool needBefore, bool needAfter, const Sep &isSep)
{
    const int m = int(key.size());
    if (i + m > len)
        return false;
    for (int j = 0; j < m; ++j) {
        const ushort d = cs ? ushort(s[i + j]) : FoldAt(s, len, i + j);
        if (d != key[j].unicode())
            return false;
    }
    if (needBefore && i > 0 && !isSep(ushort(s[i - 1])))
        return false;
    return !(needAfter && i + m < len && !isSep(ushort(s[i + m])));
}

// Paragraph ends as loading reads them: CR LF, LF CR, a lone CR and a lone LF each end one paragraph.
// Each becomes CR LF, so that offsets (caret, undo records, navigators) count it as the text does.
QString EndsAsCrLf(QStringView in)
{
    qsizetype k = 0;
    while (k < in.size() && in[k] != QLatin1Char('\r') && in[k] != QLatin1Char('\n'))
        ++k;
    if (k == in.size())
        return in.toString();
    QString out;
    out.reserve(in.size() + in.size() / 8 + 2);
    out += in.left(k);
    for (; k < in.size(); ++k) {
        const QChar c = in[k];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            out += c;
            continue;
        }
        out += QLatin1String("\r\n");
        const QChar partner = c == QLatin1Char('\r') ? QLatin1Char('\n') : QLatin1Char('\r');
        if (k + 1 < in.size() && in[k + 1] == partner)
            ++k;
    }
    return out;
}

// Characters that loading d gives (each paragraph end counting two), read as the scanner reads it.
template <class Ch> qint64 LoadedLength(const Ch *d, qsizetype n, bool nulEnds)
{
    qint64 length = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = ushort(d[i]);
        if (c == 0 && nulEnds)
            break;
        if (c == 13 || c == 10) {
            if (i + 1 < n && ushort(d[i + 1]) == (c == 13 ? 10 : 13))
                ++i;
            length += 2;
        } else {
            ++length;
        }
    }
    return length;
}
} // namespace

// Receives the posted background steps.
class MemoCore::Pump : public QObject {
public:
    explicit Pump(MemoCore &memo) : memo_(memo) {}
    bool event(QEvent *e) override
    {
        if (e->type() == kBackgroundEvent) {
            memo_.backgroundPosted_ = false;
            memo_.BackgroundStep();
            return true;
        }
        return QObject::event(e);
    }

private:
    MemoCore &memo_;
};

// ---- navigators ------------------------------------------------------------------------------------

TRiloNavigator::TRiloNavigator(MemoCore *owner) : owner_(owner)
{
    if (owner_)
        owner_->Register(this);
}

TRiloNavigator::~TRiloNavigator() { Detach(); }

void TRiloNavigator::Detach()
{
    if (owner_)
        owner_->Unregister(this);
    owner_ = nullptr;
}

void TRiloNavigator::SetOffset(int offset)
{
    offset_ = owner_ ? std::clamp(offset, 0, owner_->CharCount()) : std::max(0, offset);
}

int TRiloNavigator::Paragraph() const { return owner_ ? owner_->text_.ParagraphAt(offset_) : 0; }

int TRiloNavigator::Column() const { return owner_ ? offset_ - owner_->text_.Start(Paragraph()) : offset_; }

int TRiloNavigator::Line() const { return owner_ ? owner_->LineOfOffset(offset_) : 0; }

void MemoCore::Unregister(TRiloNavigator *n)
{
    auto it = std::find(navigators_.begin(), navigators_.end(), n);
    if (it != navigators_.end())
        navigators_.erase(it);
}

void MemoCore::AdjustNavigators(int lower, int upper, int delta)
{
    for (TRiloNavigator *n : navigators_) {
        if (n->offset_ >= lower && n->offset_ <= upper)
            n->offset_ = lower;
        else if (n->offset_ > upper)
            n->offset_ += delta;
    }
}

TRiloHighlighter::~TRiloHighlighter()
{
    for (MemoCore *m : memos_)
        m->highlighter_ = nullptr;
}

// ---- construction ----------------------------------------------------------------------------------

MemoCore::MemoCore()
    : topLine_(this), lower_(this), upper_(this), lines_(std::make_unique<TRiloLinesStrings>(*this)),
      paragraphs_(std::make_unique<TRiloParaStrings>(*this)), pump_(std::make_unique<Pump>(*this))
{
    SetSeparators(QStringLiteral("\t ,.:;"));
    keywords_.OnChange = [this] { KeyListsChanged(); };
    startStop_.OnChange = [this] { KeyListsChanged(); };
    progressTimer_.start();
}

MemoCore::~MemoCore()
{
    SetHighlighter(nullptr);
    for (TRiloNavigator *n : navigators_)
        n->owner_ = nullptr;
    navigators_.clear();
}

void MemoCore::KeyListsChanged()
{
    keyTablesValid_ = false;
    pushCache_.clear();
    popCache_.clear();
    stripCache_.clear();
}

int MemoCore::ParagraphStart(int index) const
{
    index = std::clamp(index, 0, ParagraphCount() - 1);
    return text_.Start(index);
}

QChar MemoCore::CharAt(int offset) const
{
    if (offset < 0 || offset >= CharCount())
        return QChar(0);
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    const ParaText t = text_.Text(p);
    if (i < t.length)
        return QChar(t[i]);
    return i == t.length ? QLatin1Char('\r') : QLatin1Char('\n');
}

QString MemoCore::ParagraphText(int index) const
{
    if (index < 0 || index >= ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return text_.ParagraphString(index);
}

// ---- loading and saving ----------------------------------------------------------------------------

namespace {

template <class Ch> struct Scanner {
    TextStorage::Builder &b;
    ushort nullReplacement;
    std::vector<uchar> narrow;
    std::vector<char16_t> wide;
    QElapsedTimer *timer;
    const std::function<void()> *progress;

    // False when a byte source turns out not to be ASCII (it is then read as UTF-8 instead).
    bool Run(const Ch *d, qsizetype n)
    {
        quint8 style = 0;
        qsizetype i = 0;
        qint64 lastReport = timer->elapsed();
        int count = 0;
        for (;;) {
            const qsizetype s = i;
            const quint8 paraStyle = style;
            bool dirty = false, isWide = false, ended = false;
            for (; i < n; ++i) {
                if constexpr (sizeof(Ch) == 1) {
                    i = FirstSpecial(d, i, n);
                    if (i >= n)
                        break;
                }
                const auto c = ushort(d[i]);
                if (c < 32) {
                    if (c == 13 || c == 10)
                        break;
                    if (c == 0) {
                        if (!nullReplacement) {
                            ended = true;
                            break;
                        }
                        dirty = true;
                    } else if (c == 5) {
                        dirty = true;
                    } else if (IsStyleCode(c)) {
                        style = ToggleCode(style, c);
                    }
                } else if (c > 0x7F) {
                    if constexpr (sizeof(Ch) == 1)
                        return false;
                    isWide |= c > 0xFF;
                }
            }
            Add(d + s, i - s, paraStyle, dirty, isWide);
            if (ended || i >= n)
                return true;
            const auto c = ushort(d[i++]);
            if (i < n && ((c == 13 && ushort(d[i]) == 10) || (c == 10 && ushort(d[i]) == 13)))
                ++i;
            if ((++count & 4095) == 0 && *progress && timer->elapsed() - lastReport >= kProgressMs) {
                lastReport = timer->elapsed();
                (*progress)();
            }
        }
    }

    void Add(const Ch *d, qsizetype n, quint8 style, bool dirty, bool isWide)
    {
        auto fix = [&](ushort c) -> ushort { return c == 0 ? nullReplacement : c == 5 ? ushort(167) : c; };
        if (isWide) {
            wide.resize(size_t(n));
            for (qsizetype k = 0; k < n; ++k)
                wide[size_t(k)] = char16_t(fix(ushort(d[k])));
            b.AddWide(wide.data(), n, style);
            return;
        }
        if constexpr (sizeof(Ch) == 1) {
            if (!dirty) {
                b.AddNarrow(reinterpret_cast<const uchar *>(d), n, style);
                return;
            }
        }
        narrow.resize(size_t(n));
        for (qsizetype k = 0; k < n; ++k)
            narrow[size_t(k)] = uchar(fix(ushort(d[k])));
        b.AddNarrow(narrow.data(), n, style);
    }
};

} // namespace

void MemoCore::LoadText(QStringView text)
{
    // Nothing changes when the text is too long; each character gives at most two.
    if (2 * qint64(text.size()) > maxLength_ &&
        LoadedLength(reinterpret_cast<const char16_t *>(text.utf16()), text.size(), nullReplacement_.isNull()) > maxLength_)
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    modified_ = true;
    ClearUndo();
    try {
        TextStorage::Builder b(text_);
        std::function<void()> progress = [this] {
            if (OnProgress)
                OnProgress(this);
        };
        Scanner<char16_t> sc{b, nullReplacement_.unicode(), {}, {}, &progressTimer_, &progress};
        sc.Run(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
        b.Finish();
    } catch (...) {
        text_.Reset();
        AfterLoad();
        throw;
    }
    AfterLoad();
}

bool MemoCore::LoadAscii(const char *data, qsizetype n)
{
    if (2 * qint64(n) > maxLength_ && LoadedLength(data, n, nullReplacement_.isNull()) > maxLength_) {
        // UTF-8 gives fewer characters than bytes: decoded text counts exactly.
        if (std::any_of(data, data + n, [](char c) { return uchar(c) >= 0x80; }))
            return false;
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    }
    try {
        TextStorage::Builder b(text_);
        std::function<void()> progress = [this] {
            if (OnProgress)
                OnProgress(this);
        };
        Scanner<char> sc{b, nullReplacement_.unicode(), {}, {}, &progressTimer_, &progress};
        if (!sc.Run(data, n))
            return false; // the builder is dropped, the text stays as it was
        modified_ = true;
        ClearUndo();
        b.Finish();
    } catch (...) {
        text_.Reset();
        AfterLoad();
        throw;
    }
    AfterLoad();
    return true;
}

void MemoCore::AfterLoad()
{
    ++editSerial_;
    states_.Clear();
    KeyListsChanged();
    selLength_ = 0;
    virtualSpaces_ = 0;
    for (TRiloNavigator *n : navigators_)
        n->offset_ = 0;
    caretLower_ = true;
    firstDirty_ = lastDirty_ = -1;
    ctxMark_ = -1;
    firstUnformatted_ = 0;
    widest_ = 0;
    if (OnParse)
        OnParse(this, 0, CharCount());
    if (OnProgress)
        OnProgress(this);
    TextReset();
    if (updateCount_ == 0) {
        FormatAll();
        InvalidateAll();
        UpdateCaret();
    } else {
        text_.ClearFlagsAll(pfWrapped);
        MarkDirty(0, ParagraphCount() - 1);
    }
}

void MemoCore::SetTextBuf(const QString &text)
{
    if (text.isEmpty() && CharCount() == 0)
        return;
    LoadText(text);
}

void MemoCore::LoadFromStream(QIODevice &stream)
{
    // A memory stream is read in place.
    QByteArray bytes;
    if (auto *buffer = qobject_cast<QBuffer *>(&stream)) {
        bytes = buffer->buffer().mid(buffer->pos());
        buffer->seek(buffer->size());
    } else {
        bytes = stream.readAll();
    }
    if (!LoadAscii(bytes.constData(), bytes.size()))
        LoadText(QString::fromUtf8(bytes));
}

QByteArray MemoCore::SaveToBytes()
{
    // Written through a pointer into a buffer sized for the plain case; grown when UTF-8 needs more.
    QByteArray out(CharCount(), Qt::Uninitialized);
    qsizetype used = 0;
    auto put = [&](const char *d, qsizetype k) {
        if (used + k > out.size())
            out.resize(std::max(out.size() * 2, used + k));
        std::memcpy(out.data() + used, d, size_t(k));
        used += k;
    };
    const int n = ParagraphCount();
    const bool trim = HasOption(rmoDiscardTrailingSpaces);
    qint64 lastReport = progressTimer_.elapsed();
    QString scratch;
    for (int p = 0; p < n; ++p) {
        const ParaText t = text_.Text(p);
        int len = t.length;
        if (trim)
            while (len > 0 && (t[len - 1] == ' ' || t[len - 1] == '\t'))
                --len;
        // Bytes that cannot be copied as they are: non-ASCII (UTF-8 needs more) and style codes.
        static const auto needsCare = [] {
            std::array<bool, 256> t{};
            for (int c = 0; c < 256; ++c)
                t[size_t(c)] = c >= 0x80 || IsStyleCode(ushort(c));
            return t;
        }();
        bool plain = t.narrow != nullptr;
        for (qsizetype i = plain ? FirstSpecial(reinterpret_cast<const char *>(t.narrow), 0, len) : len; plain && i < len; ++i)
            if (needsCare[t.narrow[i]] && (t.narrow[i] >= 0x80 || DropEmptyCodePairs))
                plain = false;
        if (plain) {
            put(reinterpret_cast<const char *>(t.narrow), len);
        } else {
            scratch = t.Mid(0, len);
            if (DropEmptyCodePairs) {
                QString kept;
                kept.reserve(scratch.size());
                for (qsizetype i = 0; i < scratch.size();) {
                    if (!IsStyleCode(scratch[i].unicode())) {
                        kept += scratch[i++];
                        continue;
                    }
                    qsizetype e = i;
                    while (e < scratch.size() && IsStyleCode(scratch[e].unicode()))
                        ++e;
                    // Within a run of codes, pairs of the same code cancel out.
                    for (qsizetype k = i; k < e; ++k) {
                        const QChar c = scratch[k];
                        if (scratch.mid(i, k - i).contains(c))
                            continue;
                        if (scratch.mid(i, e - i).count(c) % 2)
                            kept += c;
                    }
                    i = e;
                }
                scratch = kept;
            }
            const QByteArray utf8 = scratch.toUtf8();
            put(utf8.constData(), utf8.size());
        }
        if (p + 1 < n)
            put("\r\n", 2);
        if ((p & 4095) == 0 && OnProgress && progressTimer_.elapsed() - lastReport >= kProgressMs) {
            lastReport = progressTimer_.elapsed();
            OnProgress(this);
        }
    }
    if (OnProgress)
        OnProgress(this);
    out.truncate(used);
    return out;
}

void MemoCore::SaveToStream(QIODevice &stream)
{
    const QByteArray bytes = SaveToBytes();
    if (stream.write(bytes) != bytes.size())
        throw platform::StreamError(QStringLiteral("Stream write error"));
}

// ---- selection -------------------------------------------------------------------------------------

int MemoCore::Snap(int offset, bool forward) const
{
    if (offset <= 0 || offset >= CharCount())
        return offset;
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    if (i == text_.Length(p) + 1 || text_.Text(p).SplitsPair(i))
        return forward ? offset + 1 : offset - 1; // between CR and LF, or inside a surrogate pair
    return offset;
}

void MemoCore::SetSelStart(int value)
{
    value = Snap(std::clamp(value, 0, CharCount()), false);
    const int len = selLength_;
    const int oldLo = lower_.offset_, oldHi = upper_.offset_;
    virtualSpaces_ = 0;
    lower_.offset_ = upper_.offset_ = value;
    selLength_ = 0;
    caretLower_ = true;
    if (len)
        SetSelLength(len);
    forceNewRecord_ = true;
    if (HasWindow() && oldLo != oldHi && !updateCount_)
        InvalidateLines(LineOfOffset(oldLo), LineOfOffset(oldHi));
    UpdateCaret();
}

void MemoCore::SetSelLength(int value)
{
    const int c = SelStart();
    value = std::clamp(value, -c, CharCount() - c);
    value = Snap(c + value, value > 0) - c;
    if (value == selLength_)
        return;
    const int oldMoving = selLength_ < 1 ? lower_.offset_ : upper_.offset_;
    if (value < 1) {
        lower_.offset_ = c + value;
        upper_.offset_ = c;
        caretLower_ = false;
    } else {
        lower_.offset_ = c;
        upper_.offset_ = c + value;
        caretLower_ = true;
    }
    selLength_ = value;
    forceNewRecord_ = true;
    const int newMoving = value < 1 ? lower_.offset_ : upper_.offset_;
    if (HasWindow() && !updateCount_)
        InvalidateLines(LineOfOffset(oldMoving), LineOfOffset(newMoving));
}

void MemoCore::Select(int caret, int length)
{
    SetSelLength(0);
    SetSelStart(caret);
    SetSelLength(length);
}

QString MemoCore::SelText() const
{
    if (selLength_ == 0)
        return QString();
    return text_.Copy(lower_.offset_, upper_.offset_);
}

int MemoCore::GetSelTextBuf(QChar *buffer, int size) const
{
    if (size <= 0 || !buffer)
        return 0;
    const QString s = SelText().left(size - 1);
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = QChar(0);
    return int(s.size());
}

void MemoCore::SetSelText(const QString &text)
{
    if (selLength_ == 0 && virtualSpaces_ > 0 && HasOption(rmoPutExtraSpaces) && !text.isEmpty()) {
        SetSelTextBuf(QString(virtualSpaces_, QLatin1Char(' ')) + text);
        return;
    }
    SetSelTextBuf(text);
}

void MemoCore::SelectAll()
{
    SetSelLength(0);
    SetSelStart(CharCount());
    SetSelLength(-CharCount());
}

int MemoCore::SelLine() { return LineOfOffset(SelStart()); }

void MemoCore::SetSelLine(int line)
{
    line = std::clamp(line, 0, LineCount() - 1);
    Select(LineStart(line), 0);
}

int MemoCore::SelCol()
{
    const int line = SelLine();
    return SelStart() - LineStart(line) + virtualSpaces_;
}

void MemoCore::SetSelPar(int par)
{
    par = std::clamp(par, 0, ParagraphCount() - 1);
    Select(text_.Start(par), 0);
}

void MemoCore::WrapSelection(ushort code)
{
    if (std::abs(selLength_) >= 2147483545)
        return;
    const int len = std::abs(selLength_);
    const int sign = selLength_;
    const int lower = SelLower();
    const QString wrapped = QChar(code) + SelText() + QChar(code);
    styleWrap_ = true;
    try {
        SetSelTextBuf(wrapped);
    } catch (...) {
        styleWrap_ = false;
        throw;
    }
    styleWrap_ = false;
    if (sign == 0)
        Select(SelStart() - 1, 0);
    else if (sign > 0)
        Select(lower, len + 2);
    else
        Select(lower + len + 2, -(len + 2));
}

// ---- edit core -------------------------------------------------------------------------------------

void MemoCore::SetSelTextBuf(QStringView textIn)
{
    if (selLength_ == 0 && textIn.isEmpty())
        return;
    virtualSpaces_ = 0;
    int lower = lower_.offset_, upper = upper_.offset_;
    int p0 = text_.ParagraphAt(lower), p1 = text_.ParagraphAt(upper);
    int i0 = lower - text_.Start(p0), i1 = upper - text_.Start(p1);
    // A range never splits a paragraph end: an end between CR and LF takes in the whole of it, and a
    // caret there stands before the CR.
    const bool collapsed = lower == upper;
    if (i0 > text_.Length(p0)) {
        i0 = text_.Length(p0);
        --lower;
        if (collapsed) {
            upper = lower;
            p1 = p0;
            i1 = i0;
        }
    }
    if (!collapsed && i1 > text_.Length(p1) && p1 + 1 < ParagraphCount()) {
        ++p1;
        i1 = 0;
        ++upper;
    }
    i0 = std::min(i0, text_.Length(p0));
    i1 = std::min(i1, text_.Length(p1));
    const bool hadSelection = upper > lower;
    if (!hadSelection && textIn.isEmpty())
        return;

    QString t = EndsAsCrLf(textIn);
    quint8 toggle = 0;
    for (QChar &c : t) {
        if (c.unicode() == 5)
            c = QChar(165);
        toggle = ToggleCode(toggle, c.unicode());
    }
    const bool keepText = undoing_ || (upper - lower) + 13 <= undoMaxSpace_;
    QString removed;
    if (keepText) {
        removed = text_.Copy(lower, upper);
        for (QChar c : removed)
            toggle = ToggleCode(toggle, c.unicode());
    } else {
        for (int p = p0; p <= p1; ++p) {
            const ParaText pt = text_.Text(p);
            const int a = p == p0 ? i0 : 0, e = p == p1 ? i1 : pt.length;
            for (int i = a; i < e; ++i)
                toggle = ToggleCode(toggle, pt[i]);
        }
    }
    if (!styleWrap_) {
        static const ushort order[] = {21, 1, 2, 3, 4};
        for (ushort code : order)
            if (ToggleCode(0, code) & toggle)
                t += QChar(code);
    }
    if (qint64(CharCount()) - (upper - lower) + t.size() > maxLength_)
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    const int inserted = int(t.size());

    const quint8 oldFlags = text_.Flags(p0);
    const int oldCount = p1 - p0 + 1;
    const int pieces = text_.Replace(p0, i0, p1, i1, t);
    if (pieces == 0)
        return; // refused: nothing changed, so nothing to undo
    modified_ = true;
    ++editSerial_;
    if (keepText)
        RecordUndo(lower, upper, inserted, removed);
    else if (!undoing_)
        ClearUndo(); // such an edit could never be undone whole
    forceNewRecord_ = false;
    const int delta = inserted - (upper - lower);
    AdjustNavigators(lower, upper, delta);
    ParagraphEdited(p0, pieces, oldCount);

    ++updateCount_;
    try {
        const int last = p0 + pieces - 1;
        const bool incremental = pieces == 1 && oldCount == 1 && !highlighter_ && text_.Length(p0) > kIncrementalLength;
        if (pendingWrap_.p != -1)
            pendingWrap_.p = -2;
        if (incremental && (oldFlags & pfContexts)) {
            int rebuilt = 0;
            const int settled = ResumeStartStop(p0, i0, i0 + inserted, rebuilt);
            if (applyKeyWords_ && (oldFlags & pfKeywords))
                KeywordPass(p0, rebuilt, settled);
            else
                text_.SetFlags(p0, text_.Flags(p0) & quint8(~pfKeywords));
            if (pendingWrap_.p == -1 && (oldFlags & pfWrapped))
                pendingWrap_ = {p0, i0, i0 + inserted, settled};
        } else if (oldFlags & pfContexts) {
            for (int p = p0; p <= last; ++p) {
                if (highlighter_) {
                    TRiloNavigator a(this), b(this);
                    a.offset_ = text_.Start(p);
                    b.offset_ = text_.Start(p) + text_.Length(p);
                    HighlightRange(a, b);
                } else {
                    StartStopPass(p, 0, false);
                }
            }
            if (applyKeyWords_ && (oldFlags & pfKeywords))
                for (int p = p0; p <= last; ++p)
                    KeywordPass(p, 0, text_.Length(p));
        }
        if (OnParse)
            OnParse(this, lower, lower + inserted);
    } catch (...) {
        --updateCount_;
        throw;
    }
    selLength_ = 0;
    lower_.offset_ = upper_.offset_ = lower + inserted;
    caretLower_ = true;
    if (--updateCount_ == 0) {
        UpdateAfterChange();
        ScrollInView();
    }
}

void MemoCore::ParagraphEdited(int first, int count, int oldCount)
{
    if (lastDirty_ >= first + oldCount)
        lastDirty_ += count - oldCount;
    else if (lastDirty_ >= first)
        lastDirty_ = first;
    if (firstDirty_ >= first + count)
        firstDirty_ = first;
    MarkDirty(first, first + count - 1);
    for (int p = first; p < first + count; ++p)
        text_.SetFlags(p, text_.Flags(p) & quint8(~pfWrapped));
    firstUnformatted_ = std::min(firstUnformatted_, first);
    ctxMark_ = std::min(ctxMark_, first - 1);
}

void MemoCore::MarkDirty(int first, int last)
{
    if (firstDirty_ < 0) {
        firstDirty_ = first;
        lastDirty_ = last;
    } else {
        firstDirty_ = std::min(firstDirty_, first);
        lastDirty_ = std::max(lastDirty_, last);
    }
    ctxMark_ = std::min(ctxMark_, first - 1);
}

void MemoCore::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) {
        UpdateAfterChange();
        UpdateCaret();
    }
}

// ---- undo ------------------------------------------------------------------------------------------

void MemoCore::RecordUndo(int lower, int upper, int inserted, const QString &removed)
{
    if (!undoing_)
        while (int(undo_.size()) > undoIndex_)
            DeleteRecord(int(undo_.size()) - 1);
    const int caret = lower;
    if (upper == lower && undoIndex_ > 0 && !undoing_ && !forceNewRecord_) {
        UndoRecord &r = undo_[size_t(undoIndex_ - 1)];
        if (r.end == caret && r.start != caret) {
            r.end = caret + inserted;
            return;
        }
    }
    UndoRecord rec;
    rec.start = lower;
    rec.end = lower + inserted;
    rec.text = removed;
    if (rec.Size() > undoMaxSpace_ || rec.Size() > kMaxUndoRecord) {
        ClearUndo(); // a cut record could never restore the text
        return;
    }
    if (undoIndex_ < int(undo_.size())) {
        undoTotal_ -= undo_[size_t(undoIndex_)].Size();
        undo_[size_t(undoIndex_)] = std::move(rec);
        undoTotal_ += undo_[size_t(undoIndex_)].Size();
    } else {
        undoTotal_ += rec.Size();
        undo_.push_back(std::move(rec));
    }
    ++undoIndex_;
    TrimUndo();
}

void MemoCore::DeleteRecord(int i)
{
    undoTotal_ -= undo_[size_t(i)].Size();
    undo_.erase(undo_.begin() + i);
    if (i < undoIndex_)
        --undoIndex_;
}

void MemoCore::TrimUndo()
{
    // Within both budgets, space and count: redo records go first, then the oldest.
    auto over = [this] { return undoTotal_ > undoMaxSpace_ || int(undo_.size()) > undoMaxLevel_; };
    while (over() && int(undo_.size()) > undoIndex_)
        DeleteRecord(int(undo_.size()) - 1);
    while (over() && undoIndex_ > 0)
        DeleteRecord(0);
    if (undoIndex_ > 0 && undo_[0].grouped && undoIndex_ <= int(undo_.size()))
        undo_[0].grouped = false; // its partner is gone
}

void MemoCore::ClearUndo()
{
    undo_.clear();
    undoIndex_ = 0;
    undoTotal_ = 0;
}

void MemoCore::Undo()
{
    if (undoIndex_ <= 0 || undoIndex_ > int(undo_.size()))
        return;
    const UndoRecord r = undo_[size_t(undoIndex_ - 1)];
    Select(r.start, r.end - r.start);
    undoing_ = true;
    --undoIndex_;
    const quint64 serial = editSerial_;
    try {
        SetSelTextBuf(r.text);
    } catch (...) {
        // A refused edit changed nothing: its record stays to be undone.
        if (editSerial_ == serial)
            ++undoIndex_;
        else if (undoIndex_ > 0)
            --undoIndex_;
        undoing_ = false;
        throw;
    }
    if (undoIndex_ > 0)
        --undoIndex_;
    undoing_ = false;
    forceNewRecord_ = true;
    if (r.grouped && undoIndex_ > 0) {
        Undo();
        if (undoIndex_ + 1 < int(undo_.size()))
            undo_[size_t(undoIndex_ + 1)].grouped = true;
    }
}

void MemoCore::Redo()
{
    if (undoIndex_ < 0 || undoIndex_ >= int(undo_.size()))
        return;
    const UndoRecord r = undo_[size_t(undoIndex_)];
    const bool nextGrouped = undoIndex_ + 1 < int(undo_.size()) && undo_[size_t(undoIndex_ + 1)].grouped;
    Select(r.start, r.end - r.start);
    undoing_ = true;
    try {
        SetSelTextBuf(r.text);
    } catch (...) {
        undoing_ = false;
        throw;
    }
    undoing_ = false;
    forceNewRecord_ = true;
    if (nextGrouped && undoIndex_ < int(undo_.size())) {
        Redo();
        if (undoIndex_ > 0 && undoIndex_ - 1 < int(undo_.size()))
            undo_[size_t(undoIndex_ - 1)].grouped = true;
    }
}

void MemoCore::GroupLastRecord()
{
    if (undoIndex_ > 1)
        undo_[size_t(undoIndex_ - 1)].grouped = true;
}

void MemoCore::SetUndoMaxLevel(int value)
{
    if (value > 134217727)
        throw platform::Error(QStringLiteral("Undo set too high"));
    value = std::max(value, 0);
    while (int(undo_.size()) > std::max(undoIndex_, value))
        DeleteRecord(int(undo_.size()) - 1);
    while (value < undoIndex_)
        DeleteRecord(0);
    undoMaxLevel_ = value;
}

void MemoCore::SetUndoMaxSpace(int value)
{
    value = std::max(value, 0);
    while (undoTotal_ > value && int(undo_.size()) > undoIndex_)
        DeleteRecord(int(undo_.size()) - 1);
    while (undoTotal_ > value && !undo_.empty())
        DeleteRecord(0);
    undoMaxSpace_ = value;
}

// ---- highlighting ----------------------------------------------------------------------------------

QString MemoCore::Separators() const
{
    QString s;
    for (int c = 0; c < 256; ++c)
        if (separators_[c])
            s += QChar(c);
    return s;
}

void MemoCore::SetSeparators(const QString &chars)
{
    std::fill(std::begin(separators_), std::end(separators_), false);
    for (QChar c : chars)
        if (c.unicode() < 256)
            separators_[c.unicode()] = true;
    startStop_.InvalidateTables();
    keyTablesValid_ = false;
}

void MemoCore::SetHighlighter(TRiloHighlighter *h)
{
    if (h == highlighter_)
        return;
    if (highlighter_) {
        auto &v = highlighter_->memos_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    highlighter_ = h;
    if (h)
        h->memos_.push_back(this);
}

void MemoCore::BuildKeyTables()
{
    if (!startStop_.TablesValid()) {
        startStop_.BuildTables([this](QChar c) { return IsSeparator(c); });
        keyTablesValid_ = false;
    }
    if (keyTablesValid_)
        return;
    pairsByFirst_.assign(257, {});
    std::fill(std::begin(maybeStart_), std::end(maybeStart_), false);
    for (int k = 0; k < startStop_.Count(); ++k) {
        const TStartStopKey &key = startStop_[k];
        const ushort fc = key.matchStart[0].unicode();
        if (key.style.flags & kfCaseSensitive) {
            pairsByFirst_[fc < 256 ? fc : 256].push_back(k);
            continue;
        }
        for (char32_t c = 0; c < 256; ++c)
            if (FoldPoint(c) == fc)
                pairsByFirst_[size_t(c)].push_back(k);
        if (fc >= 256 || HasWideFoldSource(fc))
            pairsByFirst_[256].push_back(k);
    }
    for (int c = 0; c < 256; ++c)
        maybeStart_[c] = !pairsByFirst_[size_t(c)].empty();
    keyTablesValid_ = true;
}

TContextState MemoCore::MakeState(const TContextState &below, const TKeyStyle &style, qint16 entry, int startLen, int stopLen)
{
    TContextState n;
    if (below.IsContext()) {
        n.depth = qint8(below.depth + 1);
        std::copy(below.stack, below.stack + below.depth + 1, n.stack);
    } else {
        n.depth = 0;
    }
    n.stack[int(n.depth)] = entry;
    n.style = quint8((style.style & fsStyleMask) | csStyled | csInContext);
    n.background = style.background;
    n.color = style.color;
    n.context = style.context;
    n.value2 = style.value2;
    n.startLen = quint8(std::min(startLen, 255));
    n.stopLen = quint8(std::min(stopLen, 255));
    return n;
}

StateId MemoCore::PushPair(StateId s, int pair)
{
    if (pushCache_.size() <= s)
        pushCache_.resize(size_t(states_.Count()) + 16);
    auto &row = pushCache_[s];
    if (row.size() != size_t(startStop_.Count()))
        row.assign(size_t(startStop_.Count()), StateId(-1));
    if (row[size_t(pair)] != StateId(-1))
        return row[size_t(pair)];
    const TContextState below = states_.Get(s);
    if (below.IsContext() && below.depth >= kMaxContextDepth - 1)
        return s;
    const TStartStopKey &k = startStop_[pair];
    const StateId id = states_.Intern(MakeState(below, k.style, qint16(0x8000 | pair), int(k.start.size()), int(k.stop.size())));
    pushCache_[s][size_t(pair)] = id;
    return id;
}

StateId MemoCore::PushKeyword(StateId s, int keyword)
{
    const TContextState below = states_.Get(s);
    if (below.IsContext() && below.depth >= kMaxContextDepth - 1)
        return s;
    return states_.Intern(MakeState(below, keywords_.Style(keyword), qint16(keyword), 0, 0));
}

StateId MemoCore::Pop(StateId s)
{
    if (popCache_.size() > s && popCache_[s] != StateId(-1))
        return popCache_[s];
    const TContextState st = states_.Get(s);
    StateId result = 0;
    if (st.IsContext() && st.depth > 0) {
        const int d = st.depth - 1;
        const qint16 entry = st.stack[d];
        TKeyStyle ks;
        int sl = 0, tl = 0;
        if (entry < 0) {
            const int k = entry & 0x7FFF;
            if (k < startStop_.Count()) {
                ks = startStop_[k].style;
                sl = int(startStop_[k].start.size());
                tl = int(startStop_[k].stop.size());
            }
        } else if (entry < keywords_.Count()) {
            ks = keywords_.Style(entry);
        }
        TContextState below;
        below.style = csStyled | csInContext;
        below.depth = qint8(d - 1);
        std::copy(st.stack, st.stack + d, below.stack);
        if (d == 0)
            below.depth = -1, below.style = 0;
        TContextState n = MakeState(below, ks, entry, sl, tl);
        if (d > 0) {
            n.depth = qint8(d);
            std::copy(st.stack, st.stack + d + 1, n.stack);
        }
        result = states_.Intern(n);
    }
    if (popCache_.size() <= s)
        popCache_.resize(size_t(states_.Count()) + 16, StateId(-1));
    popCache_[s] = result;
    return result;
}

StateId MemoCore::StripKeywords(StateId s)
{
    if (stripCache_.size() > s && stripCache_[s] != StateId(-1))
        return stripCache_[s];
    StateId r = s;
    while (states_.Get(r).InKeyword())
        r = Pop(r);
    if (stripCache_.size() <= s)
        stripCache_.resize(size_t(states_.Count()) + 16, StateId(-1));
    stripCache_[s] = r;
    return r;
}

template <class Ch>
StateId MemoCore::WalkStartStop(const Ch *s, int len, int from, StateId cur, int bodyStart, std::vector<Transition> &out,
                                const std::vector<Transition> *old, int convergeFrom, int *convergedAt, int limit,
                                int *resumeAt, int *resumeBody)
{
    // Records a transition; true when it meets an old one (same place, same state) past convergeFrom.
    auto record = [&](int pos, StateId st) {
        if (!out.empty() && out.back().pos == quint32(pos))
            out.back().state = st;
        else
            out.push_back({quint32(pos), st});
        if (!old || pos < convergeFrom)
            return false;
        auto it = std::lower_bound(old->begin(), old->end(), quint32(pos), [](const Transition &x, quint32 v) { return x.pos < v; });
        if (it != old->end() && it->pos == quint32(pos) && it->state == st) {
            *convergedAt = pos;
            return true;
        }
        return false;
    };
    const int pairs = startStop_.Count();
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    const bool *maybe = maybeStart_;
    const bool wideKeys = !pairsByFirst_[256].empty();
    int p = from;
    // The walk stops at the first boundary from `limit` on; its state there lets it resume.
    auto finish = [&](StateId st) {
        if (resumeAt)
            *resumeAt = std::min(p, len);
        if (resumeBody)
            *resumeBody = bodyStart;
        return st;
    };
    while (p < len && p < limit) {
        const TContextState &S = states_.Get(cur);
        if (S.InStartStop()) {
            const int k = S.PairIndex();
            const int m = k < pairs ? int(startStop_[k].stop.size()) : 0;
            if (m == 0) { // an empty stop key never matches
                p = len;
                break;
            }
            const TStartStopKey &key = startStop_[k];
            const bool cs = key.style.flags & kfCaseSensitive;
            int q = std::max({bodyStart, p - m + 1, 0});
            const int qEnd = std::min(len - m + 1, limit);
            int found = -1;
            for (; q < qEnd; ++q) {
                q = NextCandidate(s, len, q, qEnd, key.stopFirst, cs);
                if (q >= qEnd)
                    break;
                if (MatchAt(s, len, q, key.matchStop, cs, key.stopPrecSep, key.stopFollowSep, sep)) {
                    found = q;
                    break;
                }
            }
            if (found < 0) {
                p = qEnd < len - m + 1 ? limit : len;
                break;
            }
            cur = Pop(cur);
            p = found + m;
            bodyStart = p;
            if (record(p, cur))
                return finish(cur);
            continue;
        }
        if (!applyStartStopKeys_ || (S.IsContext() && S.depth >= kMaxContextDepth - 1) || pairs == 0) {
            p = len;
            break;
        }
        const bool sameTopCheck = S.IsContext();
        const int topPair = S.InStartStop() ? S.PairIndex() : -1;
        int hit = -1, at = -1;
        const int iEnd = std::min(len, limit);
        for (int i = p; i < iEnd && hit < 0; ++i) {
            const ushort c = ushort(s[i]);
            if (c < 256 ? !maybe[c] : !wideKeys)
                continue;
            const auto &cands = pairsByFirst_[c < 256 ? c : 256];
            for (int k : cands) {
                const TStartStopKey &key = startStop_[k];
                if (!MatchAt(s, len, i, key.matchStart, key.style.flags & kfCaseSensitive, key.startPrecSep, key.startFollowSep, sep))
                    continue;
                if (sameTopCheck && topPair == k && key.start == key.stop)
                    continue;
                hit = k;
                at = i;
                break;
            }
        }
        if (hit < 0) {
            p = iEnd < len ? limit : len;
            break;
        }
        cur = PushPair(cur, hit);
        if (record(at, cur))
            return finish(cur);
        p = at + int(startStop_[hit].start.size());
        bodyStart = p;
    }
    return finish(cur);
}

bool MemoCore::StartStopPass(int p, int from, bool compact)
{
    BuildKeyTables();
    const ParaText t = text_.Text(p);
    from = std::clamp(from, 0, t.length);
    StateId st = text_.State(p);
    int bodyStart = 0;
    if (from > 0) {
        const auto tr = text_.Transitions(p);
        for (const Transition &x : tr) {
            if (x.pos >= quint32(from))
                break;
            st = x.state;
            bodyStart = int(x.pos) + states_.Get(x.state).startLen;
        }
    }
    static thread_local std::vector<Transition> out;
    out.clear();
    if (pendingWrap_.p == p)
        pendingWrap_.p = -2; // its colours may change anywhere now: wrap it whole
    StateId end = t.narrow ? WalkStartStop(t.narrow, t.length, from, st, bodyStart, out)
                           : WalkStartStop(t.wide, t.length, from, st, bodyStart, out);
    text_.SetTransitionsFrom(p, from, out, compact);
    ReleaseIfLarge(out);
    text_.SetFlags(p, quint8((text_.Flags(p) | pfContexts) & ~pfKeywords));
    return PropagateEnd(p, end);
}

int MemoCore::ResumeStartStop(int p, int editFrom, int editEnd, int &rebuiltFrom)
{
    BuildKeyTables();
    const ParaText t = text_.Text(p);
    const int margin = std::max(startStop_.LongestStart(), startStop_.LongestStop()) + 1;
    const auto cur = text_.Transitions(p);
    static thread_local std::vector<Transition> old, out;
    old.assign(cur.begin(), cur.end());
    out.clear();
    // Resume right after the last boundary the walk itself made well before the edit.
    int ti = int(old.size()) - 1;
    while (ti >= 0 && (int(old[size_t(ti)].pos) + margin >= editFrom || states_.Get(old[size_t(ti)].state).InKeyword()))
        --ti;
    StateId st = text_.State(p);
    int walkFrom = 0;
    rebuiltFrom = 0;
    if (ti >= 0) {
        const Transition T = old[size_t(ti)];
        const TContextState &S = states_.Get(T.state);
        st = T.state;
        rebuiltFrom = int(T.pos);
        walkFrom = int(T.pos) + (S.InStartStop() ? S.startLen : 0);
        out.push_back(T);
    }
    int converged = -1;
    StateId end = t.narrow ? WalkStartStop(t.narrow, t.length, walkFrom, st, walkFrom, out, &old, editEnd + margin, &converged)
                           : WalkStartStop(t.wide, t.length, walkFrom, st, walkFrom, out, &old, editEnd + margin, &converged);
    text_.SetFlags(p, text_.Flags(p) | pfContexts);
    ReleaseIfLarge(old);
    if (converged >= 0) {
        out.pop_back(); // the old one at that place stays
        text_.SpliceTransitions(p, rebuiltFrom, converged, out);
        ReleaseIfLarge(out);
        return converged;
    }
    text_.SetTransitionsFrom(p, rebuiltFrom, out);
    ReleaseIfLarge(out);
    PropagateEnd(p, end);
    return t.length;
}

bool MemoCore::PropagateEnd(int p, StateId end)
{
    const TContextState &E = states_.Get(end);
    if (E.InStartStop() && E.PairIndex() < startStop_.Count() && startStop_[E.PairIndex()].endsAtParEnd)
        end = Pop(end);
    if (p + 1 >= ParagraphCount())
        return false;
    const StateId saved = text_.State(p + 1);
    if (saved == end)
        return false;
    if (pendingWrap_.p == p + 1)
        pendingWrap_.p = -2;
    text_.SetState(p + 1, end);
    text_.SetFlags(p + 1, 0);
    firstUnformatted_ = std::min(firstUnformatted_, p + 1);
    ctxMark_ = std::min(ctxMark_, p);
    return true;
}

template <class Ch> bool MemoCore::FindKeywords(const Ch *s, int len, int a, int b, std::vector<Transition> &trans)
{
    // trans starts with an entry at 0 and is sorted by position.
    struct Hit {
        int start, end, keyword;
    };
    std::vector<Hit> hits;
    std::vector<uchar> taken;
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    auto firstAfter = [&](int i) {
        return std::upper_bound(trans.begin(), trans.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; });
    };
    for (int k = 0; k < keywords_.Count(); ++k) {
        const bool cs = keywords_.Style(k).flags & kfCaseSensitive;
        const QString &key = cs ? keywords_.Strings(k) : keywords_.Folded(k);
        const int m = int(key.size());
        if (m == 0)
            continue;
        for (int i = a; i + m <= b; ++i) {
            i = NextCandidate(s, len, i, b - m + 1, keywords_.First(k), cs);
            if (i + m > b)
                break;
            if (!MatchAt(s, len, i, key, cs, true, true, sep))
                continue;
            if (!taken.empty() && std::find(taken.begin() + (i - a), taken.begin() + (i - a + m), uchar(1)) != taken.begin() + (i - a + m))
                continue;
            const auto after = firstAfter(i);
            if (after != trans.end() && after->pos < quint32(i + m))
                continue; // a context boundary inside the word
            if (states_.Get((after - 1)->state).InStartStop())
                continue;
            if (taken.empty())
                taken.assign(size_t(b - a), 0);
            std::fill(taken.begin() + (i - a), taken.begin() + (i - a + m), uchar(1));
            hits.push_back({i, i + m, k});
        }
    }
    if (hits.empty())
        return false;
    std::sort(hits.begin(), hits.end(), [](const Hit &x, const Hit &y) { return x.start < y.start; });
    std::vector<Transition> out;
    out.reserve(trans.size() + 2 * hits.size());
    size_t ti = 0;
    StateId cur = trans.front().state;
    for (const Hit &h : hits) {
        while (ti < trans.size() && trans[ti].pos <= quint32(h.start)) {
            out.push_back(trans[ti]);
            cur = trans[ti++].state;
        }
        const StateId kw = PushKeyword(cur, h.keyword);
        if (kw == cur)
            continue;
        if (!out.empty() && out.back().pos == quint32(h.start))
            out.back().state = kw;
        else
            out.push_back({quint32(h.start), kw});
        if (!(ti < trans.size() && trans[ti].pos == quint32(h.end)))
            out.push_back({quint32(h.end), cur});
    }
    out.insert(out.end(), trans.begin() + std::ptrdiff_t(ti), trans.end());
    trans.swap(out);
    return true;
}

template <class Ch> bool MemoCore::AnyKeyword(const Ch *s, int len, int a, int b) const
{
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    for (int k = 0; k < keywords_.Count(); ++k) {
        const bool cs = keywords_.Style(k).flags & kfCaseSensitive;
        const QString &key = cs ? keywords_.Strings(k) : keywords_.Folded(k);
        const int m = int(key.size());
        if (m == 0)
            continue;
        const FirstChar &first = keywords_.First(k);
        for (int i = NextCandidate(s, len, a, b - m + 1, first, cs); i + m <= b; i = NextCandidate(s, len, i + 1, b - m + 1, first, cs))
            if (MatchAt(s, len, i, key, cs, true, true, sep))
                return true;
    }
    return false;
}

void MemoCore::KeywordPass(int p, int from, int to, bool finish)
{
    if (highlighter_) {
        TRiloNavigator a(this), b(this);
        a.offset_ = text_.Start(p) + from;
        b.offset_ = text_.Start(p) + to;
        highlighter_->ApplyKeys(a, b);
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    if (!applyKeyWords_ || keywords_.Count() == 0) {
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    const ParaText t = text_.Text(p);
    int a = std::clamp(from, 0, t.length), b = std::clamp(to, a, t.length);
    while (a > 0 && !IsSeparator(t[a - 1]))
        --a;
    while (b < t.length && !IsSeparator(t[b]))
        ++b;
    const auto cur = text_.Transitions(p);
    // Most paragraphs hold no keyword at all: leave them without building anything.
    bool work = false;
    for (const Transition &x : cur)
        if (x.pos >= quint32(a) && x.pos < quint32(b) && states_.Get(x.state).InKeyword()) {
            work = true;
            break;
        }
    if (!work)
        work = t.narrow ? AnyKeyword(t.narrow, t.length, a, b) : AnyKeyword(t.wide, t.length, a, b);
    if (!work) {
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    // Work on the paragraph's transitions with the start state as an entry at 0.
    std::vector<Transition> trans;
    trans.reserve(cur.size() + 8);
    trans.push_back({0, text_.State(p)});
    for (const Transition &x : cur) {
        if (x.pos == 0)
            trans.back().state = x.state;
        else
            trans.push_back(x);
    }
    // Stale keyword styling in the range goes first.
    bool stripped = false;
    for (Transition &x : trans)
        if (x.pos >= quint32(a) && x.pos < quint32(b)) {
            const StateId st = StripKeywords(x.state);
            stripped |= st != x.state;
            x.state = st;
        }
    std::vector<Transition> clean;
    clean.reserve(trans.size());
    for (const Transition &x : trans)
        if (clean.empty() || clean.back().state != x.state)
            clean.push_back(x);
    const bool found = t.narrow ? FindKeywords(t.narrow, t.length, a, b, clean) : FindKeywords(t.wide, t.length, a, b, clean);
    if (!stripped && !found) {
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    // Back to the stored form: the entry at 0 only when it differs from the start state.
    std::vector<Transition> stored;
    stored.reserve(clean.size());
    StateId prev = text_.State(p);
    for (const Transition &x : clean) {
        if (x.state == prev)
            continue;
        stored.push_back(x);
        prev = x.state;
    }
    text_.SetTransitions(p, stored);
    if (finish)
        text_.SetFlags(p, text_.Flags(p) | pfKeywords);
}

void MemoCore::HighlightUpTo(int paragraph)
{
    paragraph = std::min(paragraph, ParagraphCount() - 1);
    for (int p = std::max(ctxMark_ + 1, 0); p <= paragraph; ++p) {
        if (text_.Flags(p) & pfContexts)
            continue;
        if (highlighter_) {
            TRiloNavigator a(this), b(this);
            a.offset_ = text_.Start(p);
            b.offset_ = a.offset_ + text_.Length(p);
            highlighter_->ApplyContexts(a, b);
            text_.SetFlags(p, text_.Flags(p) | pfContexts);
        } else {
            StartStopPass(p, 0, true);
        }
    }
    ctxMark_ = std::max(ctxMark_, paragraph);
}

void MemoCore::HighlightRange(TRiloNavigator &start, TRiloNavigator &stop)
{
    if (highlighter_) {
        highlighter_->ApplyContexts(start, stop);
        return;
    }
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    for (int p = pa; p <= pb; ++p)
        StartStopPass(p, 0, false);
}

void MemoCore::ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop)
{
    if (highlighter_) {
        highlighter_->ApplyKeys(start, stop);
        return;
    }
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    for (int p = pa; p <= pb; ++p)
        KeywordPass(p, p == pa ? a - text_.Start(p) : 0, p == pb ? b - text_.Start(p) : text_.Length(p));
}

void MemoCore::ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled, const TContextState &state)
{
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    if (markDirty) {
        MarkDirty(pa, pb);
        firstUnformatted_ = std::min(firstUnformatted_, pa);
    }
    if (pendingWrap_.p != -1)
        pendingWrap_.p = -2;
    ++editSerial_;
    TContextState s = state;
    if (styled)
        s.style |= csStyled;
    else
        s = TContextState();
    const StateId id = states_.Intern(s);
    for (int p = pa; p <= pb; ++p) {
        const int len = text_.Length(p);
        const int from = p == pa ? std::min(a - text_.Start(p), len) : 0;
        const int to = p == pb ? std::min(b - text_.Start(p), len) : len;
        const StateId remembered = text_.StateAt(p, to);
        std::vector<Transition> out;
        bool atTo = false;
        for (const Transition &x : text_.Transitions(p)) {
            if (x.pos < quint32(from) && p == pa)
                out.push_back(x);
            else if (x.pos >= quint32(to) && p == pb)
                atTo |= x.pos == quint32(to);
        }
        if (p == pa && from > 0)
            out.push_back({quint32(from), id});
        else
            text_.SetState(p, id);
        if (p == pb) {
            if (!atTo && to < len)
                out.push_back({quint32(to), remembered});
            for (const Transition &x : text_.Transitions(p))
                if (x.pos >= quint32(to))
                    out.push_back(x);
        }
        text_.SetTransitions(p, out);
        text_.SetFlags(p, text_.Flags(p) & quint8(~pfWrapped));
    }
}

void MemoCore::ReApplyKeys()
{
    text_.ClearFlagsAll(pfAll);
    text_.SetState(0, 0);
    ctxMark_ = -1;
    firstUnformatted_ = 0;
    KeyListsChanged();
    startStop_.InvalidateTables();
    FormatAll();
    InvalidateAll();
}

TContextState MemoCore::StateAt(int offset) const
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    const int i = std::min(offset - text_.Start(p), text_.Length(p));
    return states_.Get(text_.StateAt(p, i));
}

quint8 MemoCore::StyleAt(int offset) const
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    const ParaText t = text_.Text(p);
    const int i = std::min(offset - text_.Start(p), t.length);
    quint8 st = text_.Style(p);
    int from = 0;
    for (const LineBreak &b : text_.Breaks(p)) {
        if (int(b.pos) > i)
            break;
        st = b.style;
        from = int(b.pos);
    }
    for (int k = from; k < i; ++k)
        st = ToggleCode(st, t[k]);
    return st;
}

bool MemoCore::ContextAt(int offset, qint16 &context, int &start, int &stop) const
{
    const TContextState s = StateAt(offset);
    if (!s.IsContext())
        return false;
    context = s.context;
    const int depth = s.depth;
    const qint16 top = s.stack[depth];
    auto inside = [&](StateId id) {
        const TContextState &x = states_.Get(id);
        return x.IsContext() && x.depth >= depth && x.stack[depth] == top;
    };
    // Back to where the context opened.
    int p = text_.ParagraphAt(offset);
    int i = std::min(offset - text_.Start(p), text_.Length(p));
    start = text_.Start(p);
    for (;;) {
        const auto tr = text_.Transitions(p);
        int k = int(std::upper_bound(tr.begin(), tr.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; }) - tr.begin()) - 1;
        bool found = false;
        for (; k >= 0; --k) {
            const StateId prev = k > 0 ? tr[size_t(k - 1)].state : text_.State(p);
            if (!inside(prev)) {
                start = text_.Start(p) + int(tr[size_t(k)].pos);
                found = true;
                break;
            }
        }
        if (found || p == 0 || !inside(text_.State(p))) {
            if (!found)
                start = text_.Start(p);
            break;
        }
        --p;
        i = text_.Length(p);
    }
    // On to where it closes.
    p = text_.ParagraphAt(offset);
    i = std::min(offset - text_.Start(p), text_.Length(p));
    stop = CharCount();
    for (; p < ParagraphCount(); ++p) {
        if (!(text_.Flags(p) & pfContexts))
            break;
        bool found = false;
        for (const Transition &x : text_.Transitions(p))
            if (int(x.pos) > i && !inside(x.state)) {
                stop = text_.Start(p) + int(x.pos);
                found = true;
                break;
            }
        if (found)
            break;
        if (p + 1 < ParagraphCount() && !inside(text_.State(p + 1))) {
            stop = text_.Start(p) + text_.Length(p);
            break;
        }
        i = -1;
    }
    return true;
}

// ---- formatting ------------------------------------------------------------------------------------

int MemoCore::WrapWidth() const
{
    const int client = printWidth_ > 0 ? printWidth_ : clientWidth_;
    int w;
    if (wordWrap_)
        w = client - leftMargin_ - rightMargin_;
    else if (alignment_ == TAlignment::taLeftJustify)
        w = 32767 - client - rightMargin_;
    else
        w = client - leftMargin_ - rightMargin_;
    return std::max(w, LineHeight());
}

template <class Ch>
int MemoCore::WrapText(const Ch *s, int len, int p, int startPos, quint8 startStyle, std::vector<LineBreak> &out, int &widest,
                       const std::vector<LineBreak> *old, int convergeFrom, int stopAfter)
{
    const int W = WrapWidth();
    const int tabw = std::max(1, tabStops_) * SpaceWidth(0);
    const auto trans = text_.Transitions(p);
    size_t ti = size_t(std::upper_bound(trans.begin(), trans.end(), quint32(startPos), [](quint32 v, const Transition &x) { return v < x.pos; }) - trans.begin());
    StateId state = ti > 0 ? trans[ti - 1].state : text_.State(p);
    quint8 code = startStyle;
    int variant = 0;
    const qint32 *table = nullptr;
    auto refresh = [&] {
        const TContextState &S = states_.Get(state);
        const quint8 eff = (S.style & csStyled) ? quint8(S.style & fsStyleMask) : code;
        variant = FontVariant(eff);
        table = measurer_->Table(variant);
    };
    // A new line start; true when it meets an old one past the changed text (not recorded then), or
    // when the work pauses at it (recorded).
    auto lineAt = [&](int pos, quint8 style) {
        if (old && pos >= convergeFrom) {
            auto it = std::lower_bound(old->begin(), old->end(), quint32(pos), [](const LineBreak &x, quint32 v) { return x.pos < v; });
            if (it != old->end() && it->pos == quint32(pos))
                return true;
        }
        out.push_back({quint32(pos), style});
        return pos >= stopAfter;
    };
    refresh();
    int x = 0, lineStart = startPos, wordStart = startPos, xWordStart = 0;
    quint8 wordStyle = code;
    bool inWord = false;
    for (int i = startPos; i < len; ++i) {
        if (ti < trans.size() && trans[ti].pos <= quint32(i)) {
            while (ti < trans.size() && trans[ti].pos <= quint32(i))
                state = trans[ti++].state;
            refresh();
        }
        const ushort c = ushort(s[i]);
        if (c < 32) {
            if (IsStyleCode(c)) {
                code = ToggleCode(code, c);
                refresh();
                continue;
            }
            if (c == '\t') {
                x = (x / tabw + 1) * tabw;
                inWord = false;
                continue;
            }
        } else if (c == ' ') {
            x += table[' '];
            inWord = false;
            continue;
        }
        const int adv = c < 256 ? table[c] : measurer_->Advance(QChar(c), variant);
        if constexpr (sizeof(Ch) > 1) {
            if (QChar::isLowSurrogate(c) && i > startPos && QChar::isHighSurrogate(ushort(s[i - 1]))) {
                x += adv; // a line never breaks inside a surrogate pair
                continue;
            }
        }
        if (!inWord) {
            inWord = true;
            wordStart = i;
            xWordStart = x;
            wordStyle = code;
        }
        if (x + adv > W && i > lineStart) {
            if (wordStart > lineStart) {
                widest = std::max(widest, xWordStart);
                if (lineAt(wordStart, wordStyle))
                    return wordStart;
                lineStart = wordStart;
                x -= xWordStart;
                xWordStart = 0;
            }
            if (x + adv > W && i > lineStart) {
                widest = std::max(widest, x);
                if (lineAt(i, code))
                    return i;
                lineStart = wordStart = i;
                x = xWordStart = 0;
                wordStyle = code;
            }
        }
        x += adv;
    }
    widest = std::max(widest, x);
    return -1;
}

int MemoCore::MaxAdvance()
{
    if (maxAdvance_ < 0) {
        maxAdvance_ = 0;
        for (int v = 0; v < 8; ++v) {
            const qint32 *t = measurer_->Table(v);
            for (int c = 0; c < 256; ++c)
                maxAdvance_ = std::max(maxAdvance_, int(t[c]));
        }
    }
    return maxAdvance_;
}

std::vector<LineBreak> MemoCore::Wrap(int p, int &widest)
{
    std::vector<LineBreak> out;
    const ParaText t = text_.Text(p);
    // A line that cannot reach the width even in its widest characters needs no measuring.
    if (t.narrow && wordWrap_ && qint64(t.length) * MaxAdvance() <= WrapWidth() &&
        !std::memchr(t.narrow, '\t', size_t(t.length))) {
        widest = std::max(widest, std::min(WrapWidth(), t.length * MaxAdvance()));
        return out;
    }
    const PendingWrap pend = pendingWrap_;
    if (pend.p == p || pend.p == -2)
        pendingWrap_.p = -1;
    if (pend.p == p) {
        // Only the lines from the one before the edit until the breaks agree again. A break at the
        // edit itself may be one that a deletion shifted there, so the line before it counts as the
        // edited one: the line before that can take back the start of a word cut there.
        const auto cur = text_.Breaks(p);
        static thread_local std::vector<LineBreak> old;
        old.assign(cur.begin(), cur.end());
        size_t line = size_t(std::lower_bound(old.begin(), old.end(), quint32(pend.from), [](const LineBreak &x, quint32 v) { return x.pos < v; }) - old.begin());
        const size_t keep = line > 0 ? line - 1 : 0; // breaks kept before the rewrapped lines
        const int startPos = keep > 0 ? int(old[keep - 1].pos) : 0;
        const quint8 startStyle = keep > 0 ? old[keep - 1].style : text_.Style(p);
        out.assign(old.begin(), old.begin() + std::ptrdiff_t(keep));
        const int met = t.narrow ? WrapText(t.narrow, t.length, p, startPos, startStyle, out, widest, &old, std::max(pend.end + 1, pend.settled))
                                 : WrapText(t.wide, t.length, p, startPos, startStyle, out, widest, &old, std::max(pend.end + 1, pend.settled));
        if (met >= 0)
            out.insert(out.end(), std::lower_bound(old.begin(), old.end(), quint32(met), [](const LineBreak &x, quint32 v) { return x.pos < v; }), old.end());
        ReleaseIfLarge(old);
        return out;
    }
    if (t.narrow)
        WrapText(t.narrow, t.length, p, 0, text_.Style(p), out, widest);
    else
        WrapText(t.wide, t.length, p, 0, text_.Style(p), out, widest);
    return out;
}

void MemoCore::FormatParagraph(int p)
{
    if (!(text_.Flags(p) & pfContexts))
        HighlightUpTo(p);
    if (!(text_.Flags(p) & pfKeywords))
        KeywordPass(p, 0, text_.Length(p));
    int widest = 0;
    const std::vector<LineBreak> breaks = Wrap(p, widest);
    widest_ = std::max(widest_, widest);
    text_.SetBreaks(p, breaks);
    text_.SetFlags(p, text_.Flags(p) | pfWrapped | pfKeywords);
}

void MemoCore::ReportProgress(int done, bool force)
{
    const qint64 now = progressTimer_.elapsed();
    if (!force && now - lastProgress_ < kProgressMs)
        return;
    lastProgress_ = now;
    const int n = ParagraphCount();
    progress_ = int(qint64(done) * 100 / std::max(1, n));
    if (progress_ >= 100)
        progress_ = 99;
    BackgroundProgress();
    if (OnProgress)
        OnProgress(this);
}

void MemoCore::FormatRange(int a, int b)
{
    a = std::max(a, 0);
    b = std::min(b, ParagraphCount() - 1);
    for (int p = a; p <= b; ++p) {
        if (text_.Flags(p) & pfWrapped)
            continue;
        FormatParagraph(p);
        if ((p & 63) == 0 && printWidth_ == 0)
            ReportProgress(p, false);
    }
    if (firstUnformatted_ >= a && firstUnformatted_ <= b + 1)
        while (firstUnformatted_ < ParagraphCount() && (text_.Flags(firstUnformatted_) & pfWrapped))
            ++firstUnformatted_;
}

bool MemoCore::FormattingDone() const
{
    auto *self = const_cast<MemoCore *>(this);
    while (self->firstUnformatted_ < ParagraphCount() && (text_.Flags(self->firstUnformatted_) & pfWrapped))
        ++self->firstUnformatted_;
    return firstUnformatted_ >= ParagraphCount();
}

void MemoCore::FormatAll()
{
    widest_ = 0;
    maxAdvance_ = -1;
    pendingWrap_.p = -1;
    ++editSerial_;
    text_.ClearFlagsAll(pfWrapped);
    firstUnformatted_ = 0;
    if (HasWindow() && !updateCount_)
        CheckConsistency();
    switch (updateMode_) {
    case TUpdateMode::umImmediate:
        FormatRange(0, ParagraphCount() - 1);
        progress_ = 100;
        break;
    case TUpdateMode::umBackground:
        PostBackground();
        break;
    case TUpdateMode::umOnNeed:
        break;
    }
    if (HasWindow() && !updateCount_ && updateMode_ == TUpdateMode::umImmediate)
        CheckConsistency();
}

void MemoCore::ReformatAndRepaint()
{
    const int old = LineCount();
    FormatAll();
    if (old != LineCount())
        LinesChanged(0, old, LineCount());
    InvalidateAll();
    UpdateCaret();
}

void MemoCore::PostBackground()
{
    if (backgroundPosted_)
        return;
    backgroundPosted_ = true;
    if (progress_ == 100)
        progress_ = 99; // work is waiting again
    QCoreApplication::postEvent(pump_.get(), new QEvent(kBackgroundEvent));
}

void MemoCore::BackgroundStep()
{
    if (updateCount_ > 0) {
        PostBackground();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    backgroundRunning_ = true;
    const int oldLines = LineCount();
    const int n = ParagraphCount();
    int firstLine = -1;
    int count = 0;
    while (firstUnformatted_ < n) {
        const int p = firstUnformatted_;
        if (text_.Flags(p) & pfWrapped) {
            ++firstUnformatted_;
            continue;
        }
        const int before = text_.Lines(p);
        if (text_.Length(p) > longChunk_) {
            if (!StepLongParagraph(p, slice))
                break; // the rest of it in the next slices
        } else {
            FormatParagraph(p);
        }
        firstUnformatted_ = p + 1;
        if (text_.Lines(p) != before && firstLine < 0)
            firstLine = text_.FirstLine(p);
        if (IsVisibleParagraph(p))
            InvalidateLines(text_.FirstLine(p), text_.FirstLine(p) + text_.Lines(p) - 1);
        if ((++count & 7) == 0 || text_.Length(p) > 4096) {
            if (slice.elapsed() >= sliceMs_)
                break;
            ReportProgress(p, false);
        }
    }
    longestSliceMs_ = std::max(longestSliceMs_, int(slice.elapsed()));
    if (LineCount() != oldLines)
        LinesChanged(firstLine < 0 ? 0 : firstLine, oldLines, LineCount());
    if (!FormattingDone()) {
        if (updateMode_ == TUpdateMode::umBackground)
            PostBackground();
        return;
    }
    backgroundRunning_ = false;
    progress_ = 100;
    text_.CompactTransitions();
    BackgroundProgress();
    if (OnProgress)
        OnProgress(this);
}

bool MemoCore::StepLongParagraph(int p, const QElapsedTimer &slice)
{
    if (job_.p != p || job_.serial != editSerial_) {
        job_ = LongJob();
        job_.p = p;
        job_.serial = editSerial_;
    }
    const ParaText t = text_.Text(p);
    const int len = t.length;
    do {
        const quint8 f = text_.Flags(p);
        const int phase = !(f & pfContexts) ? 0 : !(f & pfKeywords) ? 1 : !(f & pfWrapped) ? 2 : 3;
        if (phase == 3) {
            job_.p = -1;
            return true;
        }
        if (phase != job_.phase) {
            job_.phase = phase;
            job_.pos = job_.body = job_.widest = 0;
            job_.out.clear();
            job_.breaks.clear();
            job_.cur = text_.State(p);
            job_.style = text_.Style(p);
            if (phase == 0) {
                if (p > 0)
                    HighlightUpTo(p - 1); // its start state comes from the paragraphs before
                job_.cur = text_.State(p);
                BuildKeyTables();
                if (highlighter_) {
                    HighlightUpTo(p);
                    continue;
                }
            }
        }
        switch (phase) {
        case 0: {
            int next = len, body = job_.body;
            const int limit = job_.pos + longChunk_;
            job_.cur = t.narrow ? WalkStartStop(t.narrow, len, job_.pos, job_.cur, job_.body, job_.out, nullptr, 0, nullptr, limit, &next, &body)
                                : WalkStartStop(t.wide, len, job_.pos, job_.cur, job_.body, job_.out, nullptr, 0, nullptr, limit, &next, &body);
            job_.pos = next;
            job_.body = body;
            if (next >= len) {
                text_.SetTransitionsFrom(p, 0, job_.out, true);
                text_.SetFlags(p, quint8((text_.Flags(p) | pfContexts) & ~pfKeywords));
                std::vector<Transition>().swap(job_.out);
                PropagateEnd(p, job_.cur);
                if (ctxMark_ == p - 1)
                    ctxMark_ = p;
            }
            break;
        }
        case 1: {
            const int b = std::min(len, job_.pos + longChunk_);
            KeywordPass(p, job_.pos, b, b >= len);
            job_.pos = b;
            break;
        }
        default: {
            const int stop = t.narrow ? WrapText(t.narrow, len, p, job_.pos, job_.style, job_.breaks, job_.widest, nullptr, 0, job_.pos + longChunk_)
                                      : WrapText(t.wide, len, p, job_.pos, job_.style, job_.breaks, job_.widest, nullptr, 0, job_.pos + longChunk_);
            if (stop >= 0) {
                job_.pos = stop;
                job_.style = job_.breaks.back().style;
                break;
            }
            text_.SetBreaks(p, job_.breaks);
            widest_ = std::max(widest_, job_.widest);
            text_.SetFlags(p, text_.Flags(p) | pfWrapped | pfKeywords);
            job_.p = -1;
            return true;
        }
        }
    } while (slice.elapsed() < sliceMs_);
    return false;
}

void MemoCore::SetBackgroundTuning(int sliceMs, int chunkChars)
{
    sliceMs_ = std::max(0, sliceMs);
    longChunk_ = std::max(16, chunkChars);
}

void MemoCore::SetUpdateMode(TUpdateMode m)
{
    updateMode_ = m;
    if (m == TUpdateMode::umImmediate) {
        FormatRange(firstUnformatted_, ParagraphCount() - 1);
        progress_ = 100;
    } else if (m == TUpdateMode::umBackground && !FormattingDone()) {
        PostBackground();
    }
}

bool MemoCore::IsVisibleParagraph(int p) const
{
    const int top = TopLine();
    const int first = text_.FirstLine(p);
    return first + text_.Lines(p) > top && first < top + VisibleLines();
}

int MemoCore::TopLine() const
{
    const int off = topLine_.Offset();
    const int p = text_.ParagraphAt(off);
    const int i = off - text_.Start(p);
    int line = text_.FirstLine(p);
    for (const LineBreak &b : text_.Breaks(p))
        if (int(b.pos) <= i)
            ++line;
    return line;
}

void MemoCore::UpdateAfterChange()
{
    if (updateCount_ > 0)
        return;
    const int n = ParagraphCount();
    if (firstDirty_ >= 0) {
        const int a = std::clamp(firstDirty_, 0, n - 1), b = std::clamp(lastDirty_, a, n - 1);
        firstDirty_ = lastDirty_ = -1;
        const int oldLines = LineCount();
        const int firstLine = text_.FirstLine(a);
        for (int p = a; p <= b; ++p)
            FormatParagraph(p);
        for (int p = b + 1; p < n && !(text_.Flags(p) & pfContexts) &&
                            (updateMode_ == TUpdateMode::umImmediate || IsVisibleParagraph(p));
             ++p)
            FormatParagraph(p);
        LinesChanged(firstLine, oldLines, LineCount());
        if (updateMode_ == TUpdateMode::umImmediate)
            FormatRange(firstUnformatted_, n - 1);
        else if (updateMode_ == TUpdateMode::umBackground && !FormattingDone())
            PostBackground();
    }
    UpdateCaret();
    Change();
}

void MemoCore::Change()
{
    if (OnChange)
        OnChange(this);
}

void MemoCore::UpdateCaret()
{
    if (updateCount_ > 0)
        return;
    const int off = SelStart();
    if (off != lastCaretOffset_) {
        lastCaretOffset_ = off;
        if (OnSelMove)
            OnSelMove(this);
    }
    const int style = StyleAt(off);
    if (style != lastStyle_) {
        lastStyle_ = style;
        if (OnStyleChange)
            OnStyleChange(this);
    }
}

int MemoCore::LineOfOffset(int offset)
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    if (!(text_.Flags(p) & pfWrapped))
        FormatParagraph(p);
    const int i = offset - text_.Start(p);
    int line = text_.FirstLine(p);
    for (const LineBreak &b : text_.Breaks(p)) {
        if (int(b.pos) > i)
            break;
        ++line;
    }
    return line;
}

int MemoCore::LineStart(int line)
{
    line = std::clamp(line, 0, LineCount() - 1);
    int p = text_.ParagraphOfLine(line);
    for (int guard = 0; guard < 1000 && !(text_.Flags(p) & pfWrapped); ++guard) {
        FormatRange(std::max(0, p - 1), p);
        line = std::clamp(line, 0, LineCount() - 1);
        p = text_.ParagraphOfLine(line);
    }
    const int k = std::clamp(line - text_.FirstLine(p), 0, text_.Lines(p) - 1);
    return text_.Start(p) + (k == 0 ? 0 : int(text_.Breaks(p)[size_t(k - 1)].pos));
}

int MemoCore::LineEnd(int line)
{
    const int start = LineStart(line);
    const int p = text_.ParagraphAt(start);
    const int k = std::clamp(line - text_.FirstLine(p), 0, text_.Lines(p) - 1);
    const auto br = text_.Breaks(p);
    return text_.Start(p) + (size_t(k) < br.size() ? int(br[size_t(k)].pos) : text_.Length(p));
}

QString MemoCore::LineText(int line) { return text_.Copy(LineStart(line), LineEnd(line)); }

quint8 MemoCore::LineStyle(int line)
{
    const int start = LineStart(line);
    const int p = text_.ParagraphAt(start);
    const int k = std::clamp(line - text_.FirstLine(p), 0, text_.Lines(p) - 1);
    return k == 0 ? text_.Style(p) : text_.Breaks(p)[size_t(k - 1)].style;
}

void MemoCore::CheckConsistency() const
{
    int L = 0, O = 0;
    const int n = ParagraphCount();
    for (int p = 0; p < n; ++p) {
        if (text_.FirstLine(p) != L)
            throw platform::Error(QStringLiteral("Error 1"));
        if (text_.Start(p) != O)
            throw platform::Error(QStringLiteral("Error 2 in ") + Version());
        const int len = text_.Length(p);
        int prev = 0;
        for (const LineBreak &b : text_.Breaks(p)) {
            if (int(b.pos) <= prev)
                throw platform::Error(QStringLiteral("Error 3 in ") + Version());
            prev = int(b.pos);
        }
        if (prev > len || (len == 0 && !text_.Breaks(p).empty()))
            throw platform::Error(QStringLiteral("Error 4 in ") + Version());
        L += text_.Lines(p);
        O += len + 2;
    }
    if (CharCount() + 2 != O)
        throw platform::Error(QStringLiteral("Error 5 in ") + Version());
    if (LineCount() != L)
        throw platform::Error(QStringLiteral("Error 6 in ") + Version());
}

void MemoCore::SetClientSize(int width, int height)
{
    const bool widthChanged = width != clientWidth_;
    clientWidth_ = std::max(0, width);
    clientHeight_ = std::max(0, height);
    if (widthChanged && (wordWrap_ || alignment_ != TAlignment::taLeftJustify))
        ReformatAndRepaint();
}

void MemoCore::SetMeasurer(Measurer *m)
{
    measurer_ = m ? m : &fixed_;
    ReformatAndRepaint();
}

void MemoCore::SetAlignment(TAlignment a)
{
    if (a == alignment_)
        return;
    const bool reformat = !wordWrap_ && ((a == TAlignment::taLeftJustify) != (alignment_ == TAlignment::taLeftJustify));
    alignment_ = a;
    if (reformat)
        ReformatAndRepaint();
    else {
        InvalidateAll();
        UpdateCaret();
    }
}

void MemoCore::SetWordWrap(bool v)
{
    if (v == wordWrap_)
        return;
    wordWrap_ = v;
    ReformatAndRepaint();
    ScrollInView();
}

void MemoCore::SetFormatValue(int &field, int v)
{
    if (v == field)
        return;
    field = v;
    ReformatAndRepaint();
}

void MemoCore::SetLeftMargin(int v) { SetFormatValue(leftMargin_, v); }
void MemoCore::SetRightMargin(int v) { SetFormatValue(rightMargin_, v); }
void MemoCore::SetTabStops(int v) { SetFormatValue(tabStops_, std::max(1, v)); }

// ---- search ----------------------------------------------------------------------------------------

template <class Ch>
int MemoCore::Search(const Ch *s, int len, int from, int to, const QString &pat, const FirstChar &first, bool matchCase,
                     bool wholeWord, bool last) const
{
    const int m = int(pat.size());
    auto at = [&](int i) -> ushort { return matchCase ? ushort(s[i]) : FoldAt(s, len, i); };
    // A match that would begin or end inside a surrogate pair is none.
    auto splitsPair = [&](int i) {
        if constexpr (sizeof(Ch) > 1)
            return i > 0 && i < len && QChar::isLowSurrogate(ushort(s[i])) && QChar::isHighSurrogate(ushort(s[i - 1]));
        return false;
    };
    int found = -1;
    const int end = std::min(to, len) - m + 1;
    for (int i = NextCandidate(s, len, std::max(from, 0), end, first, matchCase); i < end;
         i = NextCandidate(s, len, i + 1, end, first, matchCase)) {
        int j = 1;
        for (; j < m; ++j)
            if (at(i + j) != pat[j].unicode())
                break;
        if (j < m || splitsPair(i) || splitsPair(i + m))
            continue;
        if (wholeWord && ((i > 0 && !IsSeparator(ushort(s[i - 1]))) || (i + m < len && !IsSeparator(ushort(s[i + m])))))
            continue;
        found = i;
        if (!last)
            break;
    }
    return found;
}

bool MemoCore::FindText(const QString &text, bool forward, bool wholeWord, bool matchCase)
{
    if (text.isEmpty() || text.size() > CharCount())
        return false;
    const QString pat = matchCase ? text : FoldCase(text);
    const FirstChar first = MakeFirstChar(pat, matchCase);
    const int m = int(pat.size());
    const int caret = SelStart();
    int p = text_.ParagraphAt(caret);
    int col = std::min(caret - text_.Start(p), text_.Length(p));
    auto search = [&](int par, int from, int to, bool lastMatch) {
        const ParaText t = text_.Text(par);
        return t.narrow ? Search(t.narrow, t.length, from, to, pat, first, matchCase, wholeWord, lastMatch)
                        : Search(t.wide, t.length, from, to, pat, first, matchCase, wholeWord, lastMatch);
    };
    if (forward) {
        for (; p < ParagraphCount(); ++p, col = 0) {
            const int i = search(p, col, text_.Length(p), false);
            if (i >= 0) {
                Select(text_.Start(p) + i + m, -m);
                return true;
            }
        }
        return false;
    }
    for (int to = col; p >= 0; --p, to = -1) {
        const int i = search(p, 0, to < 0 ? text_.Length(p) : to, true);
        if (i >= 0) {
            Select(text_.Start(p) + i, m);
            return true;
        }
        if (p == 0)
            break;
    }
    return false;
}

QString MemoCore::WordAtCaret() const
{
    const int caret = SelStart();
    const int p = text_.ParagraphAt(caret);
    const ParaText t = text_.Text(p);
    const int i = std::min(caret - text_.Start(p), t.length);
    int a = i, b = i;
    while (a > 0 && !IsSeparator(t[a - 1]))
        --a;
    while (b < t.length && !IsSeparator(t[b]))
        ++b;
    return t.Mid(a, b);
}

} // namespace textcontrol
