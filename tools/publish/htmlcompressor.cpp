#include "htmlcompressor.h"

#include "platform/error.h"
#include "platform/fileio.h"

#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace publish {

namespace {

// Every pass reads the text and builds its result in a second buffer, so a pass is linear in the
// length of the text however much it removes.
constexpr size_t npos = std::string::npos;

inline char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

inline bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsBlankOrBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Part of a word when shown: not white space and not a tag bracket.
inline bool IsWordChar(char c)
{
    return !IsBlankOrBreak(c) && c != '<' && c != '>';
}

// The text at p equals the lower-case pattern, ignoring case.
bool At(const char *s, size_t n, size_t p, std::string_view pattern)
{
    if (n - p < pattern.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (Lower(s[p + i]) != pattern[i])
            return false;
    return true;
}

// First position at or after `from` where the lower-case pattern starts; its first character is no letter.
size_t Find(const char *s, size_t n, size_t from, std::string_view pattern)
{
    while (from < n) {
        const void *hit = std::memchr(s + from, pattern[0], n - from);
        if (!hit)
            return npos;
        const size_t p = size_t(static_cast<const char *>(hit) - s);
        if (At(s, n, p, pattern))
            return p;
        from = p + 1;
    }
    return npos;
}

// A "<" that opens markup; a "<" before a blank, a digit or the end is text.
inline bool IsTagStart(const char *s, size_t n, size_t p)
{
    if (s[p] != '<' || p + 1 >= n)
        return false;
    const char c = s[p + 1];
    return IsLetter(c) || c == '/' || c == '!' || c == '?';
}

// Position of the ">" that ends the tag opening at p, or npos. A ">" inside a quoted attribute value
// does not end the tag; a comment ends at "-->".
size_t TagEnd(const char *s, size_t n, size_t p)
{
    if (At(s, n, p, "<!--")) {
        const size_t e = Find(s, n, p + 2, "-->");
        return e == npos ? npos : e + 2;
    }
    for (size_t i = p + 1; i < n; ++i) {
        const char c = s[i];
        if (c == '>')
            return i;
        if (c != '"' && c != '\'')
            continue;
        size_t k = i; // the "<" stops the look back
        while (IsBlankOrBreak(s[k - 1]))
            --k;
        if (s[k - 1] != '=')
            continue;
        const void *close = std::memchr(s + i + 1, c, n - i - 1);
        if (!close)
            return npos;
        i = size_t(static_cast<const char *>(close) - s);
    }
    return npos;
}

// An attribute value that may go without quotes: not empty, nothing that would end or split it.
bool MayDropQuotes(const char *value, size_t length, char next)
{
    if (length == 0)
        return false;
    if (!IsBlankOrBreak(next) && next != '>')
        return false; // "a"b=.. or "a"/> would run into what follows
    for (size_t i = 0; i < length; ++i) {
        const char c = value[i];
        if (IsBlankOrBreak(c) || c == '<' || c == '>' || c == '=' || c == '`')
            return false;
    }
    return true;
}

// The next "<p" tag or "<center" tag at or after `from`, or npos.
size_t NextParagraphIn(const char *s, size_t n, size_t from)
{
    for (size_t p = Find(s, n, from, "<"); p != npos; p = Find(s, n, p + 1, "<")) {
        if (At(s, n, p, "<center"))
            return p;
        if (At(s, n, p, "<p") && p + 2 < n && (IsBlankOrBreak(s[p + 2]) || s[p + 2] == '>' || s[p + 2] == '/'))
            return p;
    }
    return npos;
}

// A protected block starting at p ("<pre" ... "</pre>"): the position after its end, or npos when the
// end tag is missing. Returns p itself when no block starts there.
struct Block {
    std::string_view open;
    std::string_view close;
};

constexpr Block kPre{"<pre", "</pre>"};
constexpr Block kTextArea{"<textarea", "</textarea>"};
constexpr Block kScript{"<script", "</script"}; // as far as its end tag begins

size_t SkipBlock(const char *s, size_t n, size_t p, const Block &block)
{
    if (p + 1 >= n || Lower(s[p + 1]) != block.open[1] || !At(s, n, p, block.open))
        return p;
    const size_t e = Find(s, n, p + block.open.size(), block.close);
    return e == npos ? npos : e + block.close.size();
}

// The characters at which a pass has something to decide; it copies everything else in runs.
struct ByteSet {
    constexpr explicit ByteSet(std::string_view chars)
    {
        for (char c : chars)
            has[uint8_t(c)] = true;
    }
    bool has[256] = {};
};

constexpr ByteSet kTagStart("<");
constexpr ByteSet kBreakOrTag("<\r\n");
constexpr ByteSet kBlankOrTag("< ");

class Passes {
public:
    explicit Passes(const QByteArray &bytes) : text_(bytes.constData(), size_t(bytes.size())) { out_.reserve(text_.size()); }

    QByteArray Result() const { return QByteArray(text_.data(), qsizetype(text_.size())); }

    // Removes quotes around attribute values that can stand without them.
    void Quotes()
    {
        Begin();
        while (p_ < n_) {
            if (const size_t e = SkipBlock(s_, n_, p_, kScript); e != p_) {
                if (e == npos)
                    return End();
                Copy(e);
                continue;
            }
            if (At(s_, n_, p_, "<!--")) { // a comment holds no attributes
                const size_t e = TagEnd(s_, n_, p_);
                if (e == npos)
                    return End();
                Copy(e + 1);
                continue;
            }
            if (s_[p_] == '<' && p_ + 1 < n_ && (IsLetter(s_[p_ + 1]) || s_[p_ + 1] == '/')) {
                const size_t e = TagEnd(s_, n_, p_);
                if (e == npos)
                    return End();
                if (std::memchr(s_ + p_, '\'', e - p_))
                    Copy(e + 1);
                else
                    Tag(e);
                continue;
            }
            CopyPlain(kTagStart);
        }
        End();
    }

    // The replacement engine: every occurrence of `pattern` becomes the shorter `replacement`, again and
    // again at the same place, so a run collapses. Patterns of line breaks leave tags alone.
    void Replace(std::string_view pattern, std::string_view replacement, bool webbots)
    {
        const bool crPattern = pattern[0] == '\r';
        const char first = pattern[0]; // never a letter
        const ByteSet wanted(std::string{'<', first});
        Begin();
        while (p_ < n_) {
            const char c = s_[p_];
            if (c != '<' && c != first) {
                CopyPlain(wanted);
                continue;
            }
            if (c == '<') {
                const Skip skip = SkipProtected(false);
                if (skip == Skip::Unterminated)
                    return End();
                if (skip == Skip::Skipped)
                    continue;
            }
            if (c == first && At(s_, n_, p_, pattern)) {
                // The replacement is shorter: write it at the end of the matched text and look again.
                p_ += pattern.size() - replacement.size();
                std::memcpy(s_ + p_, replacement.data(), replacement.size());
                continue;
            }
            if (crPattern && IsTagStart(s_, n_, p_)) {
                const size_t e = TagEnd(s_, n_, p_);
                if (e == npos)
                    return End();
                if (IsWebbot(webbots)) {
                    p_ = e + 1;
                    // Look again from the character before, so that what the tag stood between can
                    // collapse ("\r" tag "\r").
                    if (!out_.empty()) {
                        s_[--p_] = out_.back();
                        out_.pop_back();
                    }
                } else {
                    Copy(e + 1);
                }
                continue;
            }
            out_.push_back(s_[p_++]);
        }
        End();
    }

    // Runs of blanks become one blank, and a blank before ">" goes (pre, textarea and scripts kept).
    void Blanks()
    {
        Begin();
        while (p_ < n_) {
            const char c = s_[p_];
            if (c == '<') {
                const Skip skip = SkipProtected(true);
                if (skip == Skip::Unterminated)
                    return End();
                if (skip == Skip::Skipped)
                    continue;
            } else if (c == ' ') {
                size_t q = p_ + 1;
                while (q < n_ && s_[q] == ' ')
                    ++q;
                // "-- >" must not become "-->": that would end a comment early and show the rest of it.
                if (q >= n_ || s_[q] != '>' || (!out_.empty() && (out_.back() == '-' || out_.back() == '!')))
                    out_.push_back(' ');
                p_ = q;
                continue;
            }
            CopyPlain(kBlankOrTag);
        }
        End();
    }

    // Removes the line breaks that touch a tag or a blank. A run of breaks between two words shrinks to
    // its last break; inside a tag only line feeds go, under the same rule. One pass over runs leaves
    // nothing that a second pass would still remove.
    void RemoveBreaks(bool webbots)
    {
        Begin();
        while (p_ < n_) {
            const char c = s_[p_];
            if (c == '<') {
                const Skip skip = SkipProtected(true);
                if (skip == Skip::Unterminated)
                    return End();
                if (skip == Skip::Skipped)
                    continue;
                if (IsTagStart(s_, n_, p_)) {
                    const size_t e = TagEnd(s_, n_, p_);
                    if (e == npos)
                        return End();
                    if (IsWebbot(webbots))
                        p_ = e + 1;
                    else
                        TagLineFeeds(e);
                    continue;
                }
            }
            if (c == '\r' || c == '\n') {
                size_t q = p_;
                while (q < n_ && (s_[q] == '\r' || s_[q] == '\n'))
                    ++q;
                const bool hasBefore = !out_.empty();
                const char before = hasBefore ? out_.back() : 0;
                const bool hasAfter = q < n_;
                const char after = hasAfter ? s_[q] : 0;
                if ((hasBefore && (before == '>' || before == ' ')) || (hasAfter && (after == '<' || after == ' '))) {
                    // Text joined straight to a tag would run two words together.
                    if ((hasBefore && IsWordChar(before) && after == '<') || (before == '>' && hasAfter && IsWordChar(after)))
                        out_.push_back(' ');
                } else {
                    out_.push_back(s_[q - 1]);
                }
                p_ = q;
                continue;
            }
            CopyPlain(kBreakOrTag);
        }
        End();
    }

    // "<strong>" becomes "<b>", and the "</strong>" that closes it "</b>". A closing tag of an opening
    // tag with attributes keeps its long name, or that element would stay open to the end of the page.
    void ShortTags(std::string_view name, std::string_view shortName)
    {
        const std::string open = "<" + std::string(name);
        const std::string close = "</" + std::string(name) + ">";
        const std::string shortOpen = "<" + std::string(shortName) + ">";
        const std::string shortClose = "</" + std::string(shortName) + ">";
        std::vector<bool> shortened; // per open element: was its opening tag shortened
        Begin();
        while (p_ < n_) {
            if (s_[p_] == '<') {
                const size_t e = SkipBlock(s_, n_, p_, kScript);
                if (e == npos)
                    return End();
                if (e != p_) {
                    Copy(e);
                    continue;
                }
                if (At(s_, n_, p_, close)) {
                    const bool wasShortened = !shortened.empty() && shortened.back();
                    if (!shortened.empty())
                        shortened.pop_back();
                    if (wasShortened) {
                        out_ += shortClose;
                        p_ += close.size();
                    } else {
                        Copy(p_ + close.size());
                    }
                    continue;
                }
                if (At(s_, n_, p_, open) && p_ + open.size() < n_) {
                    const char next = s_[p_ + open.size()];
                    if (next == '>') {
                        out_ += shortOpen;
                        p_ += open.size() + 1;
                        shortened.push_back(true);
                        continue;
                    }
                    if (IsBlankOrBreak(next) || next == '/')
                        shortened.push_back(false);
                }
            }
            CopyPlain(kTagStart);
        }
        End();
    }

    // "<p align=center>" ... "</p>" becomes "<center>" ... "</center>". Another paragraph or centre
    // element before the "</p>" means that the "</p>" is not this paragraph's: it is left alone, and so
    // is an opening tag without its closing tag.
    void CenterPairs(std::string_view open)
    {
        Begin();
        size_t from = 0;
        for (;;) {
            const size_t o = Find(s_, n_, from, open);
            if (o == npos)
                break;
            const size_t body = o + open.size();
            const size_t blocker = NextParagraphIn(s_, n_, body);
            const size_t c = Find(s_, blocker == npos ? n_ : blocker, body, "</p>");
            if (c == npos) {
                if (blocker == npos)
                    break;
                from = blocker;
                continue;
            }
            Copy(o);
            out_ += "<center>";
            p_ = body;
            Copy(c);
            out_ += "</center>";
            p_ = c + 4;
            from = p_;
        }
        End();
    }

private:
    enum class Skip { None, Skipped, Unterminated };

    // Copies a pre or textarea block (or a script, with `scripts`) that starts at the position. An
    // unterminated one ends the pass, leaving the rest as it is.
    Skip SkipProtected(bool scripts)
    {
        size_t e = SkipBlock(s_, n_, p_, kTextArea);
        if (e == p_)
            e = SkipBlock(s_, n_, p_, kPre);
        if (e == p_ && scripts)
            e = SkipBlock(s_, n_, p_, kScript);
        if (e == npos)
            return Skip::Unterminated;
        if (e == p_)
            return Skip::None;
        Copy(e);
        return Skip::Skipped;
    }

    void Begin()
    {
        s_ = text_.data();
        n_ = text_.size();
        p_ = 0;
        out_.clear();
    }

    // Copies the rest unchanged and makes the result the text of the next pass.
    void End()
    {
        Copy(n_);
        text_.swap(out_);
    }

    // Copies up to the next character that a pass looks at (or the end).
    void CopyPlain(const ByteSet &wanted)
    {
        size_t q = p_ + 1;
        while (q < n_ && !wanted.has[uint8_t(s_[q])])
            ++q;
        Copy(q);
    }

    void Copy(size_t to)
    {
        out_.append(s_ + p_, to - p_);
        p_ = to;
    }

    // A "<!--webbot" tag to remove at the position. Not after a "<": the two would join into a new tag.
    bool IsWebbot(bool webbots) const
    {
        return webbots && At(s_, n_, p_, "<!--webbot") && (out_.empty() || out_.back() != '<');
    }

    // Copies one tag (ending at e) without the line feeds that touch a blank, a bracket or another break.
    void TagLineFeeds(size_t e)
    {
        while (p_ <= e) {
            const void *hit = std::memchr(s_ + p_, '\n', e - p_);
            if (!hit)
                return Copy(e + 1);
            Copy(size_t(static_cast<const char *>(hit) - s_));
            const char before = out_.empty() ? 0 : out_.back();
            const char after = s_[p_ + 1]; // p_ < e
            if (before == '>' || before == ' ' || after == '<' || after == ' ' || after == '\r' || after == '\n') {
                if ((IsWordChar(before) && after == '<') || (before == '>' && IsWordChar(after)))
                    out_.push_back(' '); // what it separated stays apart
            } else {
                out_.push_back('\n');
            }
            ++p_;
        }
    }

    // Copies one tag (ending at e) without its needless quotes.
    void Tag(size_t e)
    {
        while (p_ <= e) {
            const void *hit = std::memchr(s_ + p_, '"', e - p_);
            if (!hit)
                return Copy(e + 1);
            const size_t quote = size_t(static_cast<const char *>(hit) - s_);
            Copy(quote);
            // The tag's "<" stops the look back, so this stays inside the tag.
            size_t i = out_.size();
            while (i > 0 && IsBlankOrBreak(out_[i - 1]))
                --i;
            if (i == 0 || out_[i - 1] != '=') {
                // A quote that opens no value stays: without it, the words around it would join.
                out_.push_back('"');
                ++p_;
                continue;
            }
            // TagEnd has seen the closing quote before e.
            const void *closeHit = std::memchr(s_ + quote + 1, '"', e - quote);
            if (!closeHit)
                return Copy(e + 1);
            const size_t close = size_t(static_cast<const char *>(closeHit) - s_);
            const char *value = s_ + quote + 1;
            const size_t length = close - quote - 1;
            if (MayDropQuotes(value, length, s_[close + 1]))
                out_.append(value, length);
            else
                out_.append(s_ + quote, length + 2);
            p_ = close + 1;
        }
    }

    std::string text_;
    std::string out_;
    char *s_ = nullptr;
    size_t n_ = 0;
    size_t p_ = 0;
};

} // namespace

THTMLCompressor::THTMLCompressor(QObject *owner) : QObject(owner) {}

bool THTMLCompressor::Load(const QString &fileName)
{
    QByteArray bytes;
    try {
        bytes = platform::ReadWholeFile(fileName);
    } catch (const platform::Error &) {
        return false;
    }
    if (quint64(bytes.size()) > std::numeric_limits<quint32>::max())
        return false;
    LoadFromBytes(bytes);
    return true;
}

void THTMLCompressor::LoadFromBytes(const QByteArray &bytes)
{
    buffer_ = bytes;
    loadedSize_ = quint32(bytes.size());
    compressedSize_ = 0;
    compressed_ = false;
}

void THTMLCompressor::Compress()
{
    if (buffer_.isEmpty() || compressed_)
        return;
    Passes text(buffer_);
    if (InvCommas)
        text.Quotes();
    if (AllReturns || Returns) {
        text.Replace("\r\r", "\r", Webbots);
        text.Replace("\n\n", "\n", Webbots);
    }
    if (AllReturns)
        text.RemoveBreaks(Webbots);
    if (Spaces)
        text.Blanks(); // all that the four, three and two blank passes and " >" do, in one pass
    if (SimpleTags) {
        text.ShortTags("strong", "b");
        text.ShortTags("em", "i");
        text.ShortTags("strike", "s");
    }
    if (Center) {
        text.CenterPairs("<p align=center>");
        text.CenterPairs("<p align=\"center\">");
    }
    buffer_ = text.Result();
    compressedSize_ = quint32(buffer_.size());
    compressed_ = true;
}

bool THTMLCompressor::Save(const QString &fileName) const
{
    if (buffer_.isEmpty())
        return false;
    try {
        platform::WriteFileAtomic(fileName, buffer_);
    } catch (const platform::Error &) {
        return false;
    }
    return true;
}

} // namespace publish
