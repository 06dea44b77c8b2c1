// Loading a text (ASCII, UTF-8 or UTF-16, paragraph ends of any kind) and saving it as bytes.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include "platform/error.h"
#include "platform/textfile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include <QStringDecoder>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace textcontrol {

using namespace memo_detail;

// ---- loading and saving ----------------------------------------------------------------------------

namespace {

// One UTF-8 sequence from a non-ASCII lead byte at d[i] (strictly: no overlong forms, surrogates or
// code points past U+10FFFF, no cut sequences). Returns the code point, or -1; i moves past it.
inline qint32 Utf8Sequence(const uchar *d, qsizetype n, qsizetype &i)
{
    const uchar c = d[i];
    qint32 cp, least;
    int more;
    if (c >= 0xC2 && c <= 0xDF) {
        cp = c & 0x1F;
        more = 1;
        least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        cp = c & 0x0F;
        more = 2;
        least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        cp = c & 0x07;
        more = 3;
        least = 0x10000;
    } else {
        return -1;
    }
    if (i + more >= n)
        return -1;
    for (int k = 1; k <= more; ++k) {
        const uchar t = d[i + k];
        if ((t & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    i += more + 1;
    return cp;
}

// The length of the run of ASCII bytes from i on, sixteen bytes a step; with copy, those bytes are
// written to out (one byte each) or wout (two bytes each) as they are passed.
inline qsizetype AsciiRun(const uchar *d, qsizetype i, qsizetype n, uchar *out, char16_t *wout)
{
    const qsizetype s = i;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
        const int high = _mm_movemask_epi8(x);
        const qsizetype k = high ? __builtin_ctz(unsigned(high)) : 16;
        // Sixteen at once even when fewer are ASCII: the output has room, the extra ones are written over.
        if (out)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + (i - s)), x);
        if (wout) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(wout + (i - s)), _mm_unpacklo_epi8(x, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(wout + (i - s) + 8), _mm_unpackhi_epi8(x, zero));
        }
        if (k < 16)
            return i + k - s;
    }
#endif
    for (; i < n && d[i] < 0x80; ++i) {
        if (out)
            out[i - s] = d[i];
        if (wout)
            wout[i - s] = d[i];
    }
    return i - s;
}

// Decodes the UTF-8 of one paragraph into narrow (one byte a character) while every character fits,
// else into wide; both have room for n + 16. Returns the characters written, -1 for bytes that are not
// UTF-8; isWide tells which buffer holds them.
qsizetype DecodeUtf8(const uchar *d, qsizetype n, uchar *narrow, char16_t *wide, bool &isWide)
{
    qsizetype i = 0, o = 0;
    isWide = false;
    while (i < n) {
        const qsizetype run = AsciiRun(d, i, n, narrow + o, nullptr);
        i += run;
        o += run;
        if (i >= n)
            return o;
        const qsizetype at = i;
        const qint32 cp = Utf8Sequence(d, n, i);
        if (cp < 0)
            return -1;
        if (cp <= 0xFF) {
            narrow[o++] = uchar(cp);
            continue;
        }
        // The first character beyond one byte: what came before moves to wide, decoding goes on there.
        for (qsizetype k = 0; k < o; ++k)
            wide[k] = narrow[k];
        isWide = true;
        i = at;
        break;
    }
    while (i < n) {
        const qsizetype run = AsciiRun(d, i, n, nullptr, wide + o);
        i += run;
        o += run;
        if (i >= n)
            break;
        const qint32 cp = Utf8Sequence(d, n, i);
        if (cp < 0)
            return -1;
        if (cp > 0xFFFF) {
            wide[o++] = QChar::highSurrogate(char32_t(cp));
            wide[o++] = QChar::lowSurrogate(char32_t(cp));
        } else {
            wide[o++] = char16_t(cp);
        }
    }
    return o;
}

// Decodes the Windows-1252 of one paragraph as DecodeUtf8 does: every byte is a character, wide only
// for the defined bytes 0x80 to 0x9F.
qsizetype DecodeWindows1252(const uchar *d, qsizetype n, uchar *narrow, char16_t *wide, bool &isWide)
{
    qsizetype i = 0;
    isWide = false;
    while (i < n) {
        i += AsciiRun(d, i, n, narrow + i, nullptr);
        for (; i < n && d[i] >= 0x80; ++i) {
            const char16_t c = platform::Windows1252Char(d[i]);
            if (c > 0xFF)
                break;
            narrow[i] = uchar(c);
        }
        if (i < n && d[i] >= 0x80) {
            for (qsizetype k = 0; k < i; ++k)
                wide[k] = narrow[k];
            isWide = true;
            break;
        }
    }
    while (i < n) {
        i += AsciiRun(d, i, n, nullptr, wide + i);
        for (; i < n && d[i] >= 0x80; ++i)
            wide[i] = platform::Windows1252Char(d[i]);
    }
    return n;
}

// A paragraph read as UTF-8 before the bytes turned out to be Windows-1252: decoded again afterwards.
struct Reread {
    int para;
    qsizetype from, to;
};
// Beyond this many, loading starts over instead (each redo edits its block).
constexpr size_t kMostRedos = 1024;

template <class Ch> struct Scanner {
    TextStorage::Builder &b;
    ushort nullReplacement;
    QElapsedTimer *timer;
    const std::function<void()> *progress;
    // Bytes: when they stop being UTF-8, the rest is read as Windows-1252 and the paragraphs read as
    // UTF-8 before are noted in redo (false is returned when there are too many of them).
    std::vector<Reread> *redo = nullptr;
    bool windows1252 = false; // reading as Windows-1252
    int paras = 0;

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
            bool dirty = false, isWide = false, ended = false, utf8 = false;
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
                        isWide |= nullReplacement > 0xFF; // its stand-in takes two bytes
                    } else if (c == 5) {
                        dirty = true;
                    } else if (IsStyleCode(c)) {
                        style = ToggleCode(style, c);
                    }
                } else if (c > 0x7F) {
                    // Bytes of a UTF-8 sequence are never 0, CR or LF: paragraphs end as in ASCII.
                    if constexpr (sizeof(Ch) == 1)
                        utf8 = true;
                    isWide |= c > 0xFF;
                }
            }
            if constexpr (sizeof(Ch) == 1) {
                if (utf8) {
                    const auto *u = reinterpret_cast<const uchar *>(d + s);
                    if (windows1252) {
                        AddDecoded(u, i - s, paraStyle, dirty, DecodeWindows1252);
                    } else if (AddDecoded(u, i - s, paraStyle, dirty, DecodeUtf8)) {
                        if (redo && redo->size() <= kMostRedos) // past that, noted no more: loading would start over
                            redo->push_back({paras, s, i});
                    } else {
                        if (!redo || redo->size() > kMostRedos)
                            return false;
                        windows1252 = true;
                        AddDecoded(u, i - s, paraStyle, dirty, DecodeWindows1252);
                    }
                } else {
                    Add(d + s, i - s, paraStyle, dirty, isWide);
                }
            } else {
                Add(d + s, i - s, paraStyle, dirty, isWide);
            }
            ++paras;
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

    // A paragraph with bytes beyond ASCII: decoded straight into the storage, kept narrow when every
    // character fits a byte.
    template <class Decode> bool AddDecoded(const uchar *d, qsizetype n, quint8 style, bool dirty, Decode decode)
    {
        const TextStorage::Builder::Room r = b.Reserve(n);
        bool isWide = false;
        const qsizetype k = decode(d, n, r.narrow, r.wide, isWide);
        if (k < 0)
            return false;
        if (dirty) {
            // NUL (when it does not end the text) and 5 become their stand-ins.
            auto fix = [&](ushort c) -> ushort { return c == 0 ? nullReplacement : c == 5 ? ushort(167) : c; };
            if (!isWide) {
                bool widen = false;
                for (qsizetype j = 0; j < k; ++j)
                    widen |= r.narrow[j] == 0 && nullReplacement > 0xFF;
                if (widen) {
                    for (qsizetype j = 0; j < k; ++j)
                        r.wide[j] = r.narrow[j];
                    isWide = true;
                }
            }
            for (qsizetype j = 0; j < k; ++j) {
                if (isWide)
                    r.wide[j] = char16_t(fix(r.wide[j]));
                else
                    r.narrow[j] = uchar(fix(r.narrow[j]));
            }
        }
        b.Commit(k, isWide, style);
        return true;
    }

    void Add(const Ch *d, qsizetype n, quint8 style, bool dirty, bool isWide)
    {
        auto fix = [&](ushort c) -> ushort { return c == 0 ? nullReplacement : c == 5 ? ushort(167) : c; };
        if constexpr (sizeof(Ch) == 1) {
            if (!dirty) {
                b.AddNarrow(reinterpret_cast<const uchar *>(d), n, style);
                return;
            }
        }
        const TextStorage::Builder::Room r = b.Reserve(n);
        if (isWide) {
            for (qsizetype k = 0; k < n; ++k)
                r.wide[k] = char16_t(fix(ushort(d[k])));
        } else {
            for (qsizetype k = 0; k < n; ++k)
                r.narrow[k] = uchar(fix(ushort(d[k])));
        }
        b.Commit(n, isWide, style);
    }
};

} // namespace

void TextDocument::LoadText(QStringView text)
{
    // Nothing changes when the text is too long; each character gives at most two.
    if (2 * qint64(text.size()) > maxLength_ &&
        LoadedLength(reinterpret_cast<const char16_t *>(text.utf16()), text.size(), nullReplacement_.isNull()) > maxLength_)
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    modified_ = true;
    ClearUndo();
    try {
        TextStorage::Builder b(text_, text.size());
        std::function<void()> progress = [this] { Progress(); };
        Scanner<char16_t> sc{b, nullReplacement_.unicode(), &progressTimer_, &progress};
        sc.Run(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
        b.Finish();
    } catch (...) {
        text_.Reset();
        AfterLoad();
        throw;
    }
    AfterLoad();
}

bool TextDocument::LoadUtf8(const char *data, qsizetype n)
{
    // A byte order mark at the start is not text.
    if (n >= 3 && std::memcmp(data, "\xef\xbb\xbf", 3) == 0) {
        data += 3;
        n -= 3;
    }
    if (2 * qint64(n) > maxLength_ && LoadedLength(data, n, nullReplacement_.isNull()) > maxLength_) {
        // UTF-8 gives fewer characters than bytes: decoded text counts exactly.
        if (std::any_of(data, data + n, [](char c) { return uchar(c) >= 0x80; }))
            return false;
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    }
    try {
        TextStorage::Builder b(text_, n);
        std::function<void()> progress = [this] { Progress(); };
        Scanner<char> sc{b, nullReplacement_.unicode(), &progressTimer_, &progress};
        if (!sc.Run(data, n))
            return false; // not UTF-8: the builder is dropped, the text stays as it was
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

bool TextDocument::LoadUtf8OrWindows1252(const char *data, qsizetype n)
{
    const bool mark = n >= 3 && std::memcmp(data, "\xef\xbb\xbf", 3) == 0;
    auto windows1252 = [](const char *d, qsizetype k, QChar nul) {
        QString s(k, Qt::Uninitialized);
        for (qsizetype i = 0; i < k; ++i) {
            const char16_t c = platform::Windows1252Char(uchar(d[i]));
            s[i] = c == 0 ? nul : c == 5 ? QChar(167) : QChar(c);
        }
        return s;
    };
    if (2 * qint64(n) > maxLength_ && LoadedLength(data, n, nullReplacement_.isNull()) > maxLength_) {
        // Too long to tell by the bytes alone: decoded whole, as a text.
        const qsizetype skip = mark ? 3 : 0;
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const char *end = nullReplacement_.isNull() ? std::find(data + skip, data + n, '\0') : data + n;
        const QString utf8 = dec(QByteArrayView(data + skip, end - data - skip));
        if (!dec.hasError()) {
            LoadText(utf8);
            return true;
        }
        const qsizetype nul = nullReplacement_.isNull() ? qsizetype(std::find(data, data + n, '\0') - data) : n;
        LoadText(windows1252(data, nul, nullReplacement_));
        return false;
    }
    std::vector<Reread> redo;
    bool utf8 = true;
    try {
        std::optional<TextStorage::Builder> b;
        b.emplace(text_, n);
        std::function<void()> progress = [this] { Progress(); };
        Scanner<char> sc{*b, nullReplacement_.unicode(), &progressTimer_, &progress};
        sc.redo = &redo;
        const qsizetype skip = mark ? 3 : 0;
        bool whole = sc.Run(data + skip, n - skip);
        // A mark is text in a Windows-1252 file; too many paragraphs to redo: read again from the start.
        if (!whole || (sc.windows1252 && mark)) {
            redo.clear();
            b.reset();
            b.emplace(text_, n);
            Scanner<char> again{*b, nullReplacement_.unicode(), &progressTimer_, &progress};
            again.windows1252 = true;
            again.Run(data, n);
        }
        utf8 = whole && !sc.windows1252;
        if (!utf8)
            for (Reread &r : redo) {
                r.from += skip;
                r.to += skip;
            }
        modified_ = true;
        ClearUndo();
        b->Finish();
        if (utf8)
            redo.clear();
        // Paragraphs read as UTF-8 before the first byte that is not, now as Windows-1252: each keeps its
        // place, its paragraph style and its style codes, as the bytes are the same below 0x80.
        for (const Reread &r : redo)
            text_.Replace(r.para, 0, r.para, text_.Length(r.para), windows1252(data + r.from, r.to - r.from, nullReplacement_));
    } catch (...) {
        text_.Reset();
        AfterLoad();
        throw;
    }
    AfterLoad();
    return utf8;
}

void TextDocument::AfterLoad()
{
    ++editSerial_;
    ++textSerial_;
    states_.Clear();
    KeyListsChanged();
    for (TRiloNavigator *n : navigators_)
        n->offset_ = 0;
    ctxMark_ = -1;
    Unhighlighted(0);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->TextLoaded();
}

void TextDocument::Progress()
{
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->LongWork();
}

void TextDocument::LoadBytes(const QByteArray &bytes) { LoadUtf8OrWindows1252(bytes.constData(), bytes.size()); }

QByteArray TextDocument::SaveToBytes(bool trimTrailing)
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
    const bool trim = trimTrailing;
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
        bool codes = false;
        if (!plain && DropEmptyCodePairs)
            for (int i = 0; i < len && !codes; ++i)
                codes = t[i] < 32 && IsStyleCode(t[i]);
        if (plain) {
            put(reinterpret_cast<const char *>(t.narrow), len);
        } else if (!codes && t.narrow) {
            // One byte a character beyond ASCII: two bytes of UTF-8 each, written straight to the output.
            if (used + 2 * qsizetype(len) > out.size())
                out.resize(std::max(out.size() * 2, used + 2 * qsizetype(len)));
            char *o = out.data() + used;
            for (int i = 0; i < len; ++i) {
                const uchar c = t.narrow[i];
                if (c < 0x80) {
                    *o++ = char(c);
                } else {
                    *o++ = char(0xC0 | (c >> 6));
                    *o++ = char(0x80 | (c & 0x3F));
                }
            }
            used = o - out.data();
        } else if (!codes) {
            const QByteArray utf8 = QStringView(t.wide, len).toUtf8();
            put(utf8.constData(), utf8.size());
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
        if ((p & 4095) == 0 && !observers_.empty() && progressTimer_.elapsed() - lastReport >= kProgressMs) {
            lastReport = progressTimer_.elapsed();
            Progress();
        }
    }
    Progress();
    out.truncate(used);
    return out;
}

} // namespace textcontrol
