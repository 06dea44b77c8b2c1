#include "htmlcompressor.h"

#include "platform/error.h"
#include "platform/fileio.h"

#include <QDir>
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace publish {

namespace {

// Every pass reads the page the way a browser splits it into tags, comments, text and the bodies of
// script-like elements, and builds its result in a second buffer, so a pass is linear in the length of
// the text. A pass touches only white space that a browser does not show and quotes that a value does
// not need; attribute values, preformatted text and the bodies of scripts and styles keep their bytes.
constexpr size_t npos = std::string::npos;

inline char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

inline bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsAlnum(char c)
{
    return IsAlpha(c) || (c >= '0' && c <= '9');
}

// A browser reads CR and CR LF as LF, so CR separates like any other white space.
inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

// The text at p equals the lower-case pattern, ignoring case.
bool At(const char *s, size_t n, size_t p, std::string_view pattern)
{
    if (p > n || n - p < pattern.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (Lower(s[p + i]) != pattern[i])
            return false;
    return true;
}

bool SameName(std::string_view a, std::string_view lowerB)
{
    if (a.size() != lowerB.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != lowerB[i])
            return false;
    return true;
}

bool Contains(std::string_view text, std::string_view lowerWord)
{
    if (text.size() < lowerWord.size())
        return false;
    for (size_t i = 0; i + lowerWord.size() <= text.size(); ++i)
        if (SameName(text.substr(i, lowerWord.size()), lowerWord))
            return true;
    return false;
}

// What the page's structure needs to know of an element, by its name.
enum Class : uint32_t {
    kRawText = 1,    // the browser reads plain text up to the element's end tag
    kBlock = 2,      // breaks the line whatever the text around it (see Flow)
    kTablePart = 4,  // makes a box only inside a table
    kClosesP = 8,    // its start tag closes an open paragraph
    kHead = 16,      // may stand in the head
    kPre = 32,       // keeps its white space
    kScopeEdge = 64, // an end tag does not reach through it
    kNoEnd = 128,    // has no end tag
    // Single elements.
    kP = 1 << 8, kBody = 1 << 9, kHtml = 1 << 10, kBr = 1 << 11, kTable = 1 << 12, kScript = 1 << 13,
    kStyle = 1 << 14, kTitle = 1 << 15, kPlainText = 1 << 16,
    kCell = 1 << 17, // td, th, caption: text in them stays in the table
};

struct Named {
    std::string_view name;
    uint32_t classes;
};

// Elements that style sheets often make inline (div, li, dt, dd, form) are no blocks here, so the
// space beside them stays.
constexpr Named kElements[] = {
    {"address", kBlock | kClosesP}, {"article", kBlock | kClosesP}, {"aside", kBlock | kClosesP},
    {"blockquote", kBlock | kClosesP}, {"body", kBlock | kBody}, {"br", kBlock | kNoEnd | kBr},
    {"center", kBlock | kClosesP}, {"dir", kBlock | kClosesP}, {"dl", kBlock | kClosesP},
    {"fieldset", kBlock | kClosesP}, {"figcaption", kBlock | kClosesP}, {"figure", kBlock | kClosesP},
    {"footer", kBlock | kClosesP}, {"h1", kBlock | kClosesP}, {"h2", kBlock | kClosesP}, {"h3", kBlock | kClosesP},
    {"h4", kBlock | kClosesP}, {"h5", kBlock | kClosesP}, {"h6", kBlock | kClosesP}, {"header", kBlock | kClosesP},
    {"hgroup", kBlock | kClosesP}, {"hr", kBlock | kClosesP | kNoEnd}, {"listing", kBlock | kClosesP | kPre},
    {"main", kBlock | kClosesP}, {"menu", kBlock | kClosesP}, {"nav", kBlock | kClosesP}, {"ol", kBlock | kClosesP},
    {"p", kBlock | kClosesP | kP}, {"plaintext", kBlock | kClosesP | kRawText | kPlainText},
    {"pre", kBlock | kClosesP | kPre}, {"search", kBlock | kClosesP}, {"section", kBlock | kClosesP},
    {"table", kBlock | kClosesP | kScopeEdge | kTable}, {"ul", kBlock | kClosesP},
    {"xmp", kBlock | kClosesP | kRawText}, {"caption", kTablePart | kScopeEdge | kCell}, {"col", kTablePart | kNoEnd},
    {"colgroup", kTablePart}, {"tbody", kTablePart}, {"td", kTablePart | kScopeEdge | kCell}, {"tfoot", kTablePart},
    {"th", kTablePart | kScopeEdge | kCell}, {"thead", kTablePart}, {"tr", kTablePart}, {"div", kClosesP},
    {"li", kClosesP}, {"dd", kClosesP}, {"dt", kClosesP}, {"form", kClosesP}, {"details", kClosesP},
    {"dialog", kClosesP}, {"summary", kClosesP}, {"html", kHead | kHtml}, {"head", kHead},
    {"meta", kHead | kNoEnd}, {"link", kHead | kNoEnd}, {"base", kHead | kNoEnd},
    {"title", kHead | kRawText | kTitle}, {"style", kHead | kRawText | kStyle},
    {"script", kHead | kRawText | kScript}, {"noscript", kHead | kRawText}, {"template", kHead | kScopeEdge},
    {"basefont", kHead | kNoEnd}, {"bgsound", kHead | kNoEnd}, {"noframes", kHead | kRawText},
    {"textarea", kRawText}, {"iframe", kRawText}, {"noembed", kRawText}, {"object", kScopeEdge},
    {"applet", kScopeEdge}, {"marquee", kScopeEdge},
};

// A hash of a lower-case name, built up as the lexer reads it.
constexpr uint32_t kHashStart = 2166136261u;
constexpr uint32_t HashOn(uint32_t hash, char c)
{
    return (hash ^ uint8_t(c)) * 16777619u;
}

class ElementTable {
public:
    ElementTable()
    {
        for (const Named &e : kElements) {
            uint32_t hash = kHashStart;
            for (char c : e.name)
                hash = HashOn(hash, c);
            size_t i = hash & (kSize - 1);
            while (slots_[i].classes)
                i = (i + 1) & (kSize - 1);
            slots_[i] = e;
        }
    }

    uint32_t Find(std::string_view name, uint32_t hash) const
    {
        for (size_t i = hash & (kSize - 1); slots_[i].classes; i = (i + 1) & (kSize - 1))
            if (slots_[i].name == name)
                return slots_[i].classes;
        return 0;
    }

private:
    static constexpr size_t kSize = 256;
    Named slots_[kSize] = {};
};

uint32_t ClassOf(std::string_view name, uint32_t hash)
{
    static const ElementTable table;
    return table.Find(name, hash);
}

// ---- Splitting the page into tokens -------------------------------------------------------------

enum class Kind {
    Text,
    StartTag,
    EndTag,
    Comment, // comments, and what a browser reads as one ("<?xml ...>", "<!x>", "</ x>", "</>")
    Doctype,
    Raw,     // the body of a script, style, textarea, title and the like, up to its end tag
    Broken,  // a tag that the end of the text cuts off: a browser drops it
};

struct Attribute {
    size_t name = 0, nameEnd = 0;
    size_t value = npos, valueEnd = npos; // without the quotes; npos when there is no value
    char quote = 0;
};

struct Token {
    Kind kind = Kind::Text;
    size_t begin = 0, end = 0;
    std::string name; // lower case; for Raw the element's name
    uint32_t classes = 0;
    std::vector<Attribute> attributes;
};

bool IsMarkup(const Token &t)
{
    return t.kind != Kind::Text && t.kind != Kind::Raw;
}

class Lexer {
public:
    Lexer(const char *s, size_t n) : s_(s), n_(n) {}

    bool Next(Token &t)
    {
        t.attributes.clear();
        t.name.clear();
        t.classes = 0;
        t.begin = p_;
        if (p_ >= n_)
            return false;
        if (!raw_.empty()) {
            t.kind = Kind::Raw;
            t.name.swap(raw_);
            raw_.clear();
            t.classes = rawClasses_;
            t.end = p_ = RawEnd(t);
            if (t.end > t.begin)
                return true;
            t.begin = p_;
            if (p_ >= n_)
                return false;
        }
        if (s_[p_] == '<' && IsMarkupStart(p_))
            return Markup(t);
        t.kind = Kind::Text;
        size_t q = p_ + 1;
        for (;;) {
            const void *hit = q < n_ ? std::memchr(s_ + q, '<', n_ - q) : nullptr;
            if (!hit) {
                q = n_;
                break;
            }
            q = size_t(static_cast<const char *>(hit) - s_);
            if (IsMarkupStart(q))
                break;
            ++q;
        }
        t.end = p_ = q;
        return true;
    }

    // A tag's attribute of that name, or null.
    static const Attribute *Find(const char *s, const Token &t, std::string_view lowerName)
    {
        for (const Attribute &a : t.attributes)
            if (SameName(std::string_view(s + a.name, a.nameEnd - a.name), lowerName))
                return &a;
        return nullptr;
    }

private:
    bool IsMarkupStart(size_t q) const
    {
        if (q + 1 >= n_)
            return false;
        const char c = s_[q + 1];
        return IsAlpha(c) || c == '!' || c == '?' || (c == '/' && q + 2 < n_);
    }

    size_t UpTo(size_t from, char c) const
    {
        const void *hit = from < n_ ? std::memchr(s_ + from, c, n_ - from) : nullptr;
        return hit ? size_t(static_cast<const char *>(hit) - s_) + 1 : n_;
    }

    bool Markup(Token &t)
    {
        const size_t p = p_;
        const char c = s_[p + 1];
        if (IsAlpha(c) || (c == '/' && IsAlpha(s_[p + 2])))
            return Tag(t);
        t.kind = Kind::Comment;
        if (c == '/')
            t.end = s_[p + 2] == '>' ? p + 3 : UpTo(p + 2, '>');
        else if (At(s_, n_, p, "<!--"))
            t.end = CommentEnd(p + 4);
        else if (At(s_, n_, p, "<!doctype")) {
            t.kind = Kind::Doctype;
            t.end = UpTo(p + 2, '>');
        } else
            t.end = UpTo(p + 2, '>');
        p_ = t.end;
        return true;
    }

    // A comment ends at "-->" or "--!>"; "<!-->" and "<!--->" are whole comments.
    size_t CommentEnd(size_t body) const
    {
        if (body < n_ && s_[body] == '>')
            return body + 1;
        if (body + 1 < n_ && s_[body] == '-' && s_[body + 1] == '>')
            return body + 2;
        for (size_t i = body; i + 2 < n_; ++i) {
            if (s_[i] != '-' || s_[i + 1] != '-')
                continue;
            if (s_[i + 2] == '>')
                return i + 3;
            if (s_[i + 2] == '!' && i + 3 < n_ && s_[i + 3] == '>')
                return i + 4;
        }
        return n_;
    }

    bool Tag(Token &t)
    {
        const bool end = s_[p_ + 1] == '/';
        t.kind = end ? Kind::EndTag : Kind::StartTag;
        size_t i = p_ + (end ? 2 : 1);
        uint32_t hash = kHashStart;
        while (i < n_ && !IsSpace(s_[i]) && s_[i] != '/' && s_[i] != '>') {
            t.name.push_back(Lower(s_[i++]));
            hash = HashOn(hash, t.name.back());
        }
        for (;;) {
            while (i < n_ && (IsSpace(s_[i]) || s_[i] == '/'))
                ++i;
            if (i >= n_)
                return Broken(t);
            if (s_[i] == '>')
                break;
            Attribute a;
            a.name = i++; // a first "=" belongs to the name
            while (i < n_ && !IsSpace(s_[i]) && s_[i] != '/' && s_[i] != '>' && s_[i] != '=')
                ++i;
            a.nameEnd = i;
            while (i < n_ && IsSpace(s_[i]))
                ++i;
            if (i < n_ && s_[i] == '=') {
                ++i;
                while (i < n_ && IsSpace(s_[i]))
                    ++i;
                if (i >= n_)
                    return Broken(t);
                if (s_[i] == '"' || s_[i] == '\'') {
                    const void *close = std::memchr(s_ + i + 1, s_[i], n_ - i - 1);
                    if (!close)
                        return Broken(t);
                    a.quote = s_[i];
                    a.value = i + 1;
                    a.valueEnd = size_t(static_cast<const char *>(close) - s_);
                    i = a.valueEnd + 1;
                } else {
                    a.value = i;
                    while (i < n_ && !IsSpace(s_[i]) && s_[i] != '>')
                        ++i;
                    a.valueEnd = i;
                }
            }
            t.attributes.push_back(a);
        }
        t.end = p_ = i + 1;
        t.classes = ClassOf(t.name, hash);
        if (!end && (t.classes & kRawText)) {
            raw_ = t.name;
            rawClasses_ = t.classes;
        }
        return true;
    }

    bool Broken(Token &t)
    {
        t.kind = Kind::Broken;
        t.end = p_ = n_;
        return true;
    }

    // "</name" followed by white space, "/" or ">" ends the body of a raw text element.
    bool IsEndTagOf(size_t i, std::string_view name) const
    {
        if (i + 2 + name.size() >= n_ || s_[i] != '<' || s_[i + 1] != '/')
            return false;
        const char after = s_[i + 2 + name.size()];
        return (IsSpace(after) || after == '/' || after == '>') && At(s_, n_, i + 2, name);
    }

    size_t RawEnd(const Token &t) const
    {
        if (t.classes & kPlainText)
            return n_;
        if (t.classes & kScript)
            return ScriptEnd();
        const std::string &name = t.name;
        for (size_t i = p_; i < n_; ++i) {
            const void *hit = std::memchr(s_ + i, '<', n_ - i);
            if (!hit)
                break;
            i = size_t(static_cast<const char *>(hit) - s_);
            if (IsEndTagOf(i, name))
                return i;
        }
        return n_;
    }

    // A script ends at its end tag, except where "<!--" and "<script" inside it hide the end tag of a
    // script that it writes.
    size_t ScriptEnd() const
    {
        enum { Data, Escaped, DoubleEscaped } state = Data;
        int dashes = 0;
        for (size_t i = p_; i < n_; ++i) {
            const char c = s_[i];
            if (state == Data) {
                if (c != '<')
                    continue;
                if (IsEndTagOf(i, "script"))
                    return i;
                if (At(s_, n_, i, "<!--")) {
                    state = Escaped;
                    dashes = 2;
                    i += 3;
                }
                continue;
            }
            if (c == '-') {
                ++dashes;
                continue;
            }
            if (c == '>' && dashes >= 2) {
                state = Data;
                dashes = 0;
                continue;
            }
            dashes = 0;
            if (c != '<')
                continue;
            if (IsEndTagOf(i, "script")) {
                if (state == Escaped)
                    return i;
                state = Escaped;
                i += 7;
            } else if (state == Escaped && i + 7 < n_ && At(s_, n_, i + 1, "script") &&
                       (IsSpace(s_[i + 7]) || s_[i + 7] == '/' || s_[i + 7] == '>')) {
                state = DoubleEscaped;
                i += 6;
            }
        }
        return n_;
    }

    const char *s_;
    size_t n_;
    size_t p_ = 0;
    std::string raw_; // the element whose raw text comes next
    uint32_t rawClasses_ = 0;
};

// ---- Where white space shows ---------------------------------------------------------------------

// Follows what decides whether white space shows: the start tags of elements that break the line, the
// preformatted elements, paragraphs, tables and the head. Where a browser's reading of a broken page is
// hard to follow, it errs on the side of showing: an end tag breaks no line (but </p> and </br>), and
// preformatted text ends only at its own end tag.
class Flow {
public:
    explicit Flow(const char *s) : s_(s) {}

    bool InPre() const { return pre_ > 0; }
    bool BeforeBody() const { return beforeBody_; }

    // Text in a table but in no cell: a browser moves it before the table, so the tags around it say
    // nothing about where it shows.
    bool InBareTable() const
    {
        const size_t at = BareTable();
        return at != npos || (tables_ > 0 && open_.size() > kReach);
    }

    // Whether the tag breaks the line where it stands.
    bool Breaks(const Token &t) const
    {
        if (t.kind == Kind::StartTag) {
            if ((t.classes & kBody) && sawBody_)
                return false; // a second body tag makes no element
            if (!((t.classes & kBlock) || ((t.classes & kTablePart) && tables_ > 0)))
                return false;
            return Shown(t);
        }
        if (t.kind != Kind::EndTag)
            return false;
        if (t.classes & kBr)
            return true; // read as <br>
        if (!(t.classes & kP))
            return false;
        const size_t at = FindOpen(t);
        // A </p> with no paragraph open makes an empty one; a hidden paragraph may be what it closes.
        return at != npos ? open_[at].breaks : hiddenParagraphs_ == 0;
    }

    // `breaks` is what Breaks said of the tag.
    void Enter(const Token &t, bool breaks)
    {
        if (t.kind == Kind::Text) {
            if (beforeBody_)
                for (size_t i = t.begin; i < t.end && beforeBody_; ++i)
                    beforeBody_ = IsSpace(s_[i]);
            return;
        }
        if (t.kind == Kind::StartTag) {
            if (!(t.classes & kHead))
                beforeBody_ = false;
            if (t.classes & kBody)
                sawBody_ = true;
            if (t.classes & kClosesP)
                CloseParagraph();
            if (t.classes & kTable)
                CloseBareTable(); // a table right in a table ends that table
            const bool dropped = (t.classes & kTablePart) && tables_ == 0; // a browser drops it
            if ((t.classes & kTablePart) && !dropped)
                CloseCells(); // a new cell, row or part of the table ends the open cell
            if ((t.classes & (kP | kPre | kScopeEdge)) && !dropped) {
                open_.push_back({t.name, t.classes, breaks});
                Count(open_.back(), 1);
            }
            return;
        }
        if (t.kind == Kind::EndTag) {
            if (t.classes & (kBody | kHtml | kBr))
                beforeBody_ = false;
            if (t.name == "tr" && tables_ > 0)
                CloseCells(); // an open cell always stands in a row, so the row's end tag ends it too
            if (t.classes & (kP | kPre | kScopeEdge))
                if (const size_t at = FindOpen(t); at != npos)
                    Close(at);
        }
    }

private:
    struct Open {
        std::string name;
        uint32_t classes;
        bool breaks;
    };

    // Hidden, or styled in place to another display: the tag may not break the line.
    bool Shown(const Token &t) const
    {
        if (Lexer::Find(s_, t, "hidden"))
            return false;
        const Attribute *style = Lexer::Find(s_, t, "style");
        return !(style && style->value != npos &&
                 Contains(std::string_view(s_ + style->value, style->valueEnd - style->value), "display"));
    }

    // How deep into the open elements a look goes, so that a page of unclosed elements stays linear;
    // what lies deeper counts as not found.
    static constexpr size_t kReach = 256;

    // The open element that an end tag closes: one of a table reaches out of cells but not out of the
    // table, the others reach out of neither.
    size_t FindOpen(const Token &t) const
    {
        const uint32_t edges = (t.classes & (kTable | kCell)) ? kTable : kScopeEdge;
        for (size_t i = open_.size(), n = 0; i-- > 0 && n < kReach; ++n) {
            if (open_[i].name == t.name)
                return i;
            if (open_[i].classes & edges)
                return npos;
        }
        return npos;
    }

    // A block's start tag closes an open paragraph; a hidden one is left open, to be on the safe side.
    void CloseParagraph()
    {
        for (size_t i = open_.size(), n = 0; i-- > 0 && n < kReach; ++n) {
            if ((open_[i].classes & kP) && open_[i].breaks)
                return Close(i);
            if (open_[i].classes & (kScopeEdge | kP))
                return;
        }
    }

    // The table whose cells hold none of the open elements, or npos. Only a cell or a template stands
    // between: a marquee or an object right in a table leaves the browser reading the table's own tags.
    size_t BareTable() const
    {
        for (size_t i = open_.size(), n = 0; i-- > 0 && n < kReach; ++n) {
            if (open_[i].classes & kTable)
                return i;
            if ((open_[i].classes & kCell) || open_[i].name == "template")
                return npos;
        }
        return npos;
    }

    void CloseBareTable()
    {
        if (const size_t at = BareTable(); at != npos)
            Close(at);
    }

    void CloseCells()
    {
        size_t cell = npos;
        for (size_t i = open_.size(), n = 0; i-- > 0 && n < kReach; ++n) {
            if (open_[i].classes & kTable)
                break;
            if (open_[i].classes & kCell)
                cell = i;
        }
        if (cell != npos)
            Close(cell);
    }

    // Closes the element at `at` and those open inside it, but for preformatted ones: they end only at
    // their own end tag.
    void Close(size_t at)
    {
        size_t to = at;
        for (size_t i = at; i < open_.size(); ++i) {
            if (i > at && (open_[i].classes & kPre))
                open_[to++] = std::move(open_[i]);
            else
                Count(open_[i], -1);
        }
        open_.resize(to);
    }

    void Count(const Open &e, int by)
    {
        tables_ += (e.classes & kTable) ? by : 0;
        pre_ += (e.classes & kPre) ? by : 0;
        hiddenParagraphs_ += (e.classes & kP) && !e.breaks ? by : 0;
    }

    const char *s_;
    std::vector<Open> open_; // paragraphs, preformatted elements, tables, cells and the like
    int pre_ = 0;
    int tables_ = 0;
    int hiddenParagraphs_ = 0;
    bool beforeBody_ = true;
    bool sawBody_ = false;
};

// What stands beside a piece of text.
enum class Side { Edge, Markup, Break }; // Edge: the start or end of the page

// Calls visit(token, before, after, flow) for every token, with what stands before and after it, and
// the state of the page before the token.
template <typename Visit>
void Walk(const std::string &text, Visit &&visit)
{
    const char *s = text.data();
    Lexer lexer(s, text.size());
    Flow flow(s);
    Token current, next;
    bool haveNext = lexer.Next(next);
    bool nextBreaks = haveNext && flow.Breaks(next);
    Side before = Side::Edge;
    while (haveNext) {
        std::swap(current, next);
        const bool breaks = nextBreaks;
        haveNext = lexer.Next(next);
        // Only text looks at what follows; a tag may change whether the next tag breaks the line.
        const bool looksAhead = current.kind == Kind::Text || current.kind == Kind::Raw;
        if (haveNext && looksAhead)
            nextBreaks = IsMarkup(next) && flow.Breaks(next);
        const Side after = !haveNext ? Side::Edge : nextBreaks ? Side::Break : Side::Markup;
        visit(static_cast<const Token &>(current), before, after, static_cast<const Flow &>(flow));
        before = breaks ? Side::Break : Side::Markup;
        flow.Enter(current, breaks);
        if (haveNext && !looksAhead)
            nextBreaks = IsMarkup(next) && flow.Breaks(next);
    }
}

// An attribute value that may go without quotes: not empty, nothing that would end or split it.
bool MayDropQuotes(const char *value, size_t length, char next)
{
    if (length == 0)
        return false;
    if (!IsSpace(next) && next != '>')
        return false; // "a"b=.. or "a"/> would run into what follows
    for (size_t i = 0; i < length; ++i) {
        const char c = value[i];
        if (IsSpace(c) || c == '<' || c == '>' || c == '=' || c == '`')
            return false;
    }
    return true;
}

// A script that the browser runs as JavaScript (others hold data or templates, kept as they are).
bool IsJavaScript(const char *s, const Token &startTag)
{
    const Attribute *type = Lexer::Find(s, startTag, "type");
    if (!type || type->value == npos)
        return true;
    std::string_view value(s + type->value, type->valueEnd - type->value);
    while (!value.empty() && IsSpace(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && IsSpace(value.back()))
        value.remove_suffix(1);
    return value.empty() || SameName(value, "module") || Contains(value, "javascript") ||
           Contains(value, "ecmascript") || Contains(value, "jscript") || Contains(value, "livescript");
}

class Passes {
public:
    explicit Passes(const QByteArray &bytes) : text_(bytes.constData(), size_t(bytes.size())) { out_.reserve(text_.size()); }

    QByteArray Result() const { return QByteArray(text_.data(), qsizetype(text_.size())); }

    // Removes quotes around attribute values that can stand without them (a tag that holds a single
    // quote, and the start tag of a script, keep theirs), "<!--webbot" comments (unless the text on both
    // sides would join into a tag or a character reference), and repeated line breaks: runs of CR and
    // runs of LF become one, but inside tags and comments CR runs stay. Nothing changes in attribute
    // values, preformatted text, text areas and other kept bodies.
    void QuotesWebbotsBreaks(bool quotes, bool webbots, bool collapse)
    {
        const auto gap = [this, collapse](size_t from, size_t to) {
            collapse ? CopyCollapsed(from, to, false) : Copy(from, to);
        };
        Run([&](const Token &t, Side, Side, const Flow &flow) {
            switch (t.kind) {
            case Kind::Text:
                return collapse && !flow.InPre() ? CopyCollapsed(t.begin, t.end, true) : Copy(t.begin, t.end);
            case Kind::StartTag:
            case Kind::EndTag:
                return Gaps(t, gap, quotes && !(t.kind == Kind::StartTag && (t.classes & kScript)) &&
                                        !std::memchr(s_ + t.begin, '\'', t.end - t.begin));
            case Kind::Comment:
                if (webbots && At(s_, t.end, t.begin, "<!--webbot") && !JoinsAcross(t.end))
                    return;
                return gap(t.begin, t.end);
            case Kind::Raw:
                if (collapse &&
                    (((t.classes & kScript) && scriptIsJavaScript_ && !std::memchr(s_ + t.begin, '`', t.end - t.begin)) ||
                     (t.classes & (kStyle | kTitle))))
                    return CopyCollapsed(t.begin, t.end, true, !(t.classes & kTitle));
                return Copy(t.begin, t.end);
            default:
                return Copy(t.begin, t.end);
            }
        });
    }

    // Removes the line breaks that touch a tag or a blank, as long as what they separated stays apart:
    // where a browser would show the break as a blank, one blank takes its place. A run of breaks
    // between two words shrinks to its last break. Inside a tag only line feeds go.
    void RemoveBreaks()
    {
        trailing_.clear();
        Run([this](const Token &t, Side before, Side after, const Flow &flow) {
            if (t.kind == Kind::StartTag || t.kind == Kind::Raw ||
                (t.kind == Kind::EndTag && (t.classes & (kP | kBr)))) // both make an element
                trailing_.clear();
            switch (t.kind) {
            case Kind::Text:
                if (flow.InPre())
                    return Copy(t.begin, t.end);
                if (flow.InBareTable() && !IsBlank(t))
                    return TextBreaks(t, Side::Markup, Side::Markup, false);
                return TextBreaks(t, before, after, flow.BeforeBody());
            case Kind::Raw:
                if (t.classes & kTitle) // a browser trims the title
                    return TextBreaks(t, Side::Break, Side::Break, false);
                return Copy(t.begin, t.end);
            case Kind::StartTag:
            case Kind::EndTag:
            case Kind::Comment:
                return Gaps(t, [this](size_t from, size_t to) { TagLineFeeds(from, to); });
            default:
                return Copy(t.begin, t.end);
            }
        });
        // Blanks after the last thing shown trail the last line, where a browser shows none.
        if (!trailing_.empty()) {
            size_t to = trailing_.front();
            for (size_t k = 0; k < trailing_.size(); ++k) {
                const size_t end = k + 1 < trailing_.size() ? trailing_[k + 1] : text_.size();
                for (size_t from = trailing_[k] + 1; from < end; ++from)
                    text_[to++] = text_[from];
            }
            text_.resize(to);
        }
    }

    // Runs of blanks become one blank, and a blank before the ">" that ends a tag goes.
    void Blanks()
    {
        Run([this](const Token &t, Side, Side, const Flow &flow) {
            switch (t.kind) {
            case Kind::Text:
                return flow.InPre() ? Copy(t.begin, t.end) : CopyOneBlank(t.begin, t.end);
            case Kind::Raw:
                return (t.classes & kTitle) ? CopyOneBlank(t.begin, t.end) : Copy(t.begin, t.end);
            case Kind::StartTag:
            case Kind::EndTag:
                return Gaps(t, [this, &t](size_t from, size_t to) {
                    if (to == t.end) {
                        size_t q = to - 1; // the ">"
                        while (q > from && s_[q - 1] == ' ')
                            --q;
                        if (q < to - 1 && s_[q - 1] != '/') { // "/ >" would close the element
                            CopyOneBlank(from, q);
                            return Copy(to - 1, to);
                        }
                    }
                    CopyOneBlank(from, to);
                });
            case Kind::Comment:
                return CommentBlanks(t.begin, t.end);
            default:
                return Copy(t.begin, t.end);
            }
        });
    }

    // strong, em and strike become b, i and s, which a browser's default styles show alike. A name
    // changes only where every one of its tags is bare ("<strong>", "</strong>"), so that start and end
    // tags stay pairs, and where the page's own scripts and styles do not name it (they would tell the
    // two apart). A style sheet of another file is not seen.
    void ShortNames()
    {
        struct Rename {
            std::string_view from, to;
            bool ok = true;
        };
        Rename names[] = {{"strong", "b"}, {"em", "i"}, {"strike", "s"}};
        const char *s = text_.data();
        Walk(text_, [&](const Token &t, Side, Side, const Flow &) {
            for (Rename &r : names) {
                if (!r.ok)
                    continue;
                if (t.kind == Kind::StartTag || t.kind == Kind::EndTag) {
                    const size_t bare = r.from.size() + (t.kind == Kind::EndTag ? 3 : 2);
                    if (t.name == r.from && (!t.attributes.empty() || t.end - t.begin != bare))
                        r.ok = false;
                    for (const Attribute &a : t.attributes)
                        if (a.value != npos && a.nameEnd - a.name > 2 && Lower(s[a.name]) == 'o' &&
                            Lower(s[a.name + 1]) == 'n' &&
                            HasWord(std::string_view(s + a.value, a.valueEnd - a.value), r.from))
                            r.ok = false;
                } else if (t.kind == Kind::Raw && (t.classes & (kScript | kStyle)) &&
                           HasWord(std::string_view(s + t.begin, t.end - t.begin), r.from)) {
                    r.ok = false;
                }
            }
        });
        if (!names[0].ok && !names[1].ok && !names[2].ok)
            return;
        Run([&](const Token &t, Side, Side, const Flow &) {
            if (t.kind == Kind::StartTag || t.kind == Kind::EndTag)
                for (const Rename &r : names)
                    if (r.ok && t.name == r.from) {
                        out_ += t.kind == Kind::EndTag ? "</" : "<";
                        out_ += r.to;
                        out_ += '>';
                        return;
                    }
            Copy(t.begin, t.end);
        });
    }

    // A paragraph centred by exactly this start tag becomes a center element, and the next "</p>"
    // after it "</center>". Further such paragraphs before that "</p>" stay as they are.
    void CenterPairs(std::string_view opening)
    {
        bool open = false;
        Run([&](const Token &t, Side, Side, const Flow &) {
            const size_t length = t.end - t.begin;
            if (!open && t.kind == Kind::StartTag && length == opening.size() && At(s_, t.end, t.begin, opening)) {
                out_ += "<center>";
                open = true;
            } else if (open && t.kind == Kind::EndTag && length == 4 && At(s_, t.end, t.begin, "</p>")) {
                out_ += "</center>";
                open = false;
            } else {
                Copy(t.begin, t.end);
            }
        });
    }

private:
    // The word stands in the text, in any case, with no letter, digit, "_" or "-" joined to it.
    static bool HasWord(std::string_view text, std::string_view lowerWord)
    {
        const auto joins = [](char c) { return IsAlnum(c) || c == '_' || c == '-'; };
        for (size_t i = 0; i + lowerWord.size() <= text.size(); ++i)
            if (SameName(text.substr(i, lowerWord.size()), lowerWord) && (i == 0 || !joins(text[i - 1])) &&
                (i + lowerWord.size() == text.size() || !joins(text[i + lowerWord.size()])))
                return true;
        return false;
    }

    template <typename Visit>
    void Run(Visit &&visit)
    {
        s_ = text_.data();
        out_.clear();
        Walk(text_, [&](const Token &t, Side before, Side after, const Flow &flow) {
            visit(t, before, after, flow);
            if (t.kind == Kind::StartTag && (t.classes & kScript))
                scriptIsJavaScript_ = IsJavaScript(s_, t);
        });
        text_.swap(out_);
    }

    void Copy(size_t from, size_t to) { out_.append(s_ + from, to - from); }

    // Calls f on the stretches of a tag outside its attribute values, and copies the values; with
    // `unquote`, without the quotes that a value does not need.
    template <typename F>
    void Gaps(const Token &t, F &&f, bool unquote = false)
    {
        size_t p = t.begin;
        for (const Attribute &a : t.attributes) {
            if (a.value == npos || a.value == a.valueEnd)
                continue;
            const bool drop =
                unquote && a.quote == '"' && MayDropQuotes(s_ + a.value, a.valueEnd - a.value, s_[a.valueEnd + 1]);
            f(p, a.value - drop);
            Copy(a.value, a.valueEnd);
            p = a.valueEnd + drop;
        }
        f(p, t.end);
    }

    // Drops a break that repeats the one written before it; in code, not one after a backslash, which
    // would join the lines.
    void CopyCollapsed(size_t from, size_t to, bool crToo, bool code = false)
    {
        size_t p = from;
        for (size_t i = from; i < to; ++i) {
            const char c = s_[i];
            if (c != '\n' && !(crToo && c == '\r'))
                continue;
            if ((i > from ? s_[i - 1] : out_.empty() ? 0 : out_.back()) != c)
                continue;
            if (code && i > from) {
                size_t k = i - 1;
                while (k > from && s_[k - 1] == c)
                    --k;
                if (k > from && s_[k - 1] == '\\')
                    continue;
            }
            Copy(p, i);
            p = i + 1;
        }
        Copy(p, to);
    }

    void CopyOneBlank(size_t from, size_t to)
    {
        size_t p = from;
        for (size_t i = from + 1; i < to; ++i) {
            if (s_[i] != ' ' || s_[i - 1] != ' ')
                continue;
            Copy(p, i);
            p = i + 1;
        }
        Copy(p, to);
    }

    // In a comment a blank before ">" goes too, unless that would end the comment there.
    void CommentBlanks(size_t from, size_t to)
    {
        size_t p = from;
        for (size_t i = from; i < to; ++i) {
            if (s_[i] != ' ')
                continue;
            size_t q = i + 1;
            while (q < to && s_[q] == ' ')
                ++q;
            const bool beforeTagEnd = q < to && s_[q] == '>' && i > from && s_[i - 1] != '-' && s_[i - 1] != '!';
            const size_t keep = beforeTagEnd ? i : i + 1;
            Copy(p, keep);
            p = q;
            i = q - 1;
        }
        Copy(p, to);
    }

    void TextBreaks(const Token &t, Side before, Side after, bool beforeBody)
    {
        size_t p = t.begin;
        size_t i = t.begin;
        while (i < t.end) {
            if (!IsBreak(s_[i])) {
                if (!IsSpace(s_[i])) {
                    beforeBody = false;
                    trailing_.clear();
                }
                ++i;
                continue;
            }
            size_t j = i;
            while (j < t.end && IsBreak(s_[j]))
                ++j;
            Copy(p, i);
            const bool atStart = i == t.begin;
            const bool atEnd = j == t.end;
            const char left = atStart ? 0 : s_[i - 1];
            const char right = atEnd ? 0 : s_[j];
            const bool tagLeft = atStart && before != Side::Edge;
            const bool tagRight = atEnd && after != Side::Edge;
            // The start and the end of the page, and the edges of a block, show no white space.
            const bool unseen = (atStart && before != Side::Markup) || (atEnd && after != Side::Markup) || beforeBody;
            if (!(left == ' ' || left == '>' || tagLeft || right == ' ' || right == '<' || tagRight))
                out_.push_back(s_[j - 1]);
            else if (left != ' ' && right != ' ' && !unseen) {
                trailing_.push_back(out_.size());
                out_.push_back(' '); // a browser shows it, unless nothing shown follows: one blank stays
            }
            p = i = j;
        }
        Copy(p, t.end);
    }

    bool IsBlank(const Token &t) const
    {
        for (size_t i = t.begin; i < t.end; ++i)
            if (!IsSpace(s_[i]))
                return false;
        return true;
    }

    // Line feeds inside a tag or comment go where they touch a blank, a bracket or another break; before
    // a "<" a blank stands in for them, so that no name runs into it.
    void TagLineFeeds(size_t from, size_t to)
    {
        size_t p = from;
        for (size_t i = from; i < to; ++i) {
            if (s_[i] != '\n' || i + 1 >= to)
                continue;
            Copy(p, i);
            p = i + 1;
            const char left = out_.empty() ? 0 : out_.back();
            const char right = s_[i + 1];
            if (left == '>' || left == ' ' || right == ' ' || right == '\r' || right == '\n') {
                continue;
            }
            out_.push_back(right == '<' ? ' ' : '\n');
        }
        Copy(p, to);
    }

    // Whether removing a comment that ends at `end` joins the text before it to the text after it into a
    // tag ("<" + "b>") or a character reference ("&amp" + ";").
    bool JoinsAcross(size_t end) const
    {
        if (out_.empty())
            return false;
        if (out_.back() == '<')
            return true;
        if (end >= text_.size())
            return false;
        const char next = s_[end];
        if (!IsAlnum(next) && next != ';' && next != '#')
            return false;
        size_t i = out_.size();
        while (i > 0 && (IsAlnum(out_[i - 1]) || out_[i - 1] == '#'))
            --i;
        return i > 0 && out_[i - 1] == '&';
    }

    std::string text_;
    std::string out_;
    const char *s_ = nullptr;
    bool scriptIsJavaScript_ = true;
    std::vector<size_t> trailing_; // blanks written since the last thing shown
};

} // namespace

THTMLCompressor::THTMLCompressor(QObject *owner) : QObject(owner) {}

bool THTMLCompressor::Load(const QString &fileName, QString *why)
{
    QByteArray bytes;
    try {
        bytes = platform::ReadWholeFile(fileName);
    } catch (const platform::Error &e) {
        if (why)
            *why = e.message();
        return false;
    }
    if (quint64(bytes.size()) > std::numeric_limits<quint32>::max()) {
        if (why)
            *why = QStringLiteral("The file \"%1\" is larger than 4 GB.").arg(QDir::toNativeSeparators(fileName));
        return false;
    }
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
    const bool breaks = AllReturns || Returns;
    if (InvCommas || breaks)
        text.QuotesWebbotsBreaks(InvCommas, Webbots && breaks, breaks);
    if (AllReturns)
        text.RemoveBreaks();
    if (Spaces)
        text.Blanks();
    if (SimpleTags)
        text.ShortNames();
    if (Center) {
        text.CenterPairs("<p align=center>");
        text.CenterPairs("<p align=\"center\">");
    }
    buffer_ = text.Result();
    compressedSize_ = quint32(buffer_.size());
    compressed_ = true;
}

bool THTMLCompressor::Save(const QString &fileName, QString *why) const
{
    if (buffer_.isEmpty()) {
        if (why)
            *why = QStringLiteral("There is no text to save.");
        return false;
    }
    try {
        platform::WriteFileAtomic(fileName, buffer_);
    } catch (const platform::Error &e) {
        if (why)
            *why = e.message();
        return false;
    }
    return true;
}

} // namespace publish
