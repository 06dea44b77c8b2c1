#pragma once
// What a browser makes of a page, as far as a compressor must leave it alone: the elements with their
// attributes and the text between them in document order, the text it shows with white space collapsed
// the way a browser collapses it, and the bodies of scripts, styles and other elements read as plain
// text. A reference of its own, written after the states of the HTML tokenizer, apart from the code it
// checks. Plain C++, so that the fuzz target can use it too.
#include <string>
#include <string_view>
#include <vector>

namespace htmlview {

struct View {
    // "<name a=[v] b=[w]! ...>" (! marks a loose value), "</name>", "text: ...", "script: ...", "<!doctype>"
    std::vector<std::string> nodes;
    std::string shown;              // the text a browser shows; '\n' where a block breaks the line

    bool operator==(const View &) const = default;
};

namespace detail {

inline bool Space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f';
}

inline bool Letter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

inline char Low(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c;
}

inline bool In(std::string_view name, std::initializer_list<std::string_view> list)
{
    for (std::string_view n : list)
        if (n == name)
            return true;
    return false;
}

// Runs of white space as one blank, none at the ends.
inline std::string Squeeze(std::string_view s)
{
    std::string out;
    bool blank = false;
    for (char c : s) {
        if (Space(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

struct Attr {
    std::string name, value;
    bool loose = false; // unquoted, yet holding a character that only a quoted value may hold
};

// Builds the view from the tokens, with a browser's default style sheet in mind.
class Builder {
public:
    View view;

    void Text(const std::string &s)
    {
        if (pre_ > 0) {
            Shown(s, true);
            view.nodes.push_back("pre: " + s);
            return;
        }
        Shown(s, false);
        const std::string squeezed = Squeeze(s);
        if (!squeezed.empty())
            view.nodes.push_back("text: " + squeezed);
    }

    void Start(const std::string &name, const std::vector<Attr> &attrs, bool selfClosing)
    {
        std::string node = "<" + name;
        bool hidden = false;
        for (const Attr &a : attrs) {
            node += " " + a.name + "=[" + a.value + (a.loose ? "]!" : "]");
            hidden = hidden || a.name == "hidden";
        }
        view.nodes.push_back(node + (selfClosing ? " />" : ">"));
        bool block = Block(name) && !hidden;
        if (In(name, {"caption", "colgroup", "col", "thead", "tbody", "tfoot", "tr", "td", "th"}))
            block = block && Count("table") > 0;
        if (name == "body")
            block = block && !bodySeen_;
        if (name == "form")
            block = block && Count("form") == 0;
        if (name == "body")
            bodySeen_ = true;
        if (ClosesP(name))
            CloseP();
        if (In(name, {"h1", "h2", "h3", "h4", "h5", "h6"}) && !open_.empty() &&
            In(open_.back().name, {"h1", "h2", "h3", "h4", "h5", "h6"}))
            Pop(open_.size() - 1); // a heading does not nest in a heading
        if (Count("table") > 0)
            TableContext(name);
        if (block)
            Break();
        if (In(name, {"html", "head", "body", "br", "hr", "col", "img", "input", "meta", "link", "area", "base",
                      "embed", "source", "track", "wbr", "param", "basefont", "bgsound", "keygen", "frame"}))
            return;
        if (In(name, {"caption", "colgroup", "thead", "tbody", "tfoot", "tr", "td", "th"}) && Count("table") == 0)
            return; // dropped outside a table
        // A row or cell without the parts that hold it gets them, unwritten: an end tag of the row then
        // ends the cell too, and a table started after that ends the table.
        if (In(name, {"tr", "td", "th"}) && !open_.empty() && open_.back().name == "table")
            open_.push_back({"tbody", false});
        if (In(name, {"td", "th"}) && !open_.empty() && In(open_.back().name, {"tbody", "thead", "tfoot"}))
            open_.push_back({"tr", false});
        open_.push_back({name, block});
        pre_ += name == "pre" || name == "listing";
    }

    void End(const std::string &name)
    {
        view.nodes.push_back("</" + name + ">");
        if (name == "br")
            return Break();
        if (In(name, {"html", "head", "body"}))
            return; // once the body is open, none of these closes anything
        if (In(name, {"table", "caption", "colgroup", "thead", "tbody", "tfoot", "tr", "td", "th"})) {
            for (size_t i = open_.size(); i-- > 0;) { // table scope
                if (open_[i].name == name) {
                    if (open_[i].block)
                        Break();
                    return Pop(i);
                }
                if (In(open_[i].name, {"table", "template"}))
                    return;
            }
            return;
        }
        const bool heading = In(name, {"h1", "h2", "h3", "h4", "h5", "h6"});
        const bool scoped = heading || name == "p" || Block(name) || ClosesP(name) ||
                            In(name, {"applet", "marquee", "object", "template", "button"});
        for (size_t i = open_.size(); i-- > 0;) {
            const std::string &open = open_[i].name;
            if (open == name || (heading && In(open, {"h1", "h2", "h3", "h4", "h5", "h6"}))) {
                if (open_[i].block)
                    Break();
                return Pop(i);
            }
            if (scoped ? ScopeEdge(open, name == "p") : Special(open))
                break;
        }
        if (name == "p")
            Break(); // an empty paragraph
    }

    void Body(const std::string &name, const std::string &s)
    {
        if (name == "script" || name == "style") {
            std::string code; // blank lines in code do not count
            for (char c : s)
                if (c != '\n' || code.empty() || code.back() != '\n')
                    code += c;
            view.nodes.push_back(name + ": " + code);
        } else if (name == "title") {
            view.nodes.push_back("title: " + Squeeze(s));
        } else {
            view.nodes.push_back(name + ": " + s);
        }
    }

    void Doctype(const std::string &s) { view.nodes.push_back(s); }

private:
    struct Element {
        std::string name;
        bool block;
    };

    static bool Block(std::string_view name)
    {
        return In(name, {"address", "article", "aside", "blockquote", "body", "br", "caption", "center", "col",
                         "colgroup", "dd", "details", "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure",
                         "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hgroup", "hr", "legend",
                         "li", "listing", "main", "menu", "nav", "ol", "p", "plaintext", "pre", "search", "section",
                         "summary", "table", "tbody", "td", "tfoot", "th", "thead", "tr", "ul", "xmp"});
    }

    // Start tags before which a browser closes an open paragraph.
    static bool ClosesP(std::string_view name)
    {
        return In(name, {"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir", "div",
                         "dl", "fieldset", "figcaption", "figure", "footer", "header", "hgroup", "main", "menu",
                         "nav", "ol", "p", "search", "section", "summary", "ul", "h1", "h2", "h3", "h4", "h5",
                         "h6", "pre", "listing", "form", "plaintext", "table", "hr", "xmp", "li", "dd", "dt"});
    }

    // Closes a paragraph open in button scope, with what is open inside it.
    void CloseP()
    {
        for (size_t i = open_.size(); i-- > 0;) {
            if (open_[i].name == "p")
                return Pop(i);
            if (ScopeEdge(open_[i].name, true))
                return;
        }
    }

    // A new part of a table ends the open cell, row or section that cannot hold it.
    void TableContext(const std::string &name)
    {
        auto holds = [&](std::string_view open) {
            if (name == "td" || name == "th")
                return In(open, {"tr", "tbody", "thead", "tfoot", "table"});
            if (name == "tr")
                return In(open, {"tbody", "thead", "tfoot", "table"});
            if (name == "table")
                return In(open, {"td", "th", "caption"}); // a table right in a table ends it
            return open == "table";
        };
        if (!In(name, {"td", "th", "tr", "tbody", "thead", "tfoot", "caption", "colgroup", "table"}))
            return;
        for (size_t i = open_.size(); i-- > 0;) {
            if (holds(open_[i].name)) {
                if (name == "table")
                    return;
                return Pop(i + 1);
            }
            if (open_[i].name == "table") {
                if (name == "table")
                    Pop(i);
                return;
            }
            if (open_[i].name == "template" || open_[i].name == "html")
                return;
        }
    }

    // Elements that an end tag does not reach through.
    static bool ScopeEdge(std::string_view name, bool button)
    {
        return In(name, {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"}) ||
               (button && name == "button");
    }

    // Elements that stop an end tag of an ordinary element.
    static bool Special(std::string_view name)
    {
        return Block(name) || ClosesP(name) ||
               In(name, {"applet", "button", "caption", "col", "colgroup", "iframe", "marquee", "object", "select",
                         "table", "tbody", "td", "template", "textarea", "tfoot", "th", "thead", "tr", "title",
                         "style", "script", "noscript", "noembed", "noframes"});
    }

    void Pop(size_t at)
    {
        for (size_t i = at; i < open_.size(); ++i)
            pre_ -= open_[i].name == "pre" || open_[i].name == "listing";
        open_.erase(open_.begin() + long(at), open_.end());
    }

    int Count(std::string_view name) const
    {
        int n = 0;
        for (const Element &e : open_)
            n += e.name == name;
        return n;
    }

    void Break()
    {
        blank_ = false;
        if (!view.shown.empty() && view.shown.back() != '\n')
            view.shown += '\n';
    }

    void Shown(const std::string &s, bool verbatim)
    {
        for (char c : s) {
            if (!verbatim && Space(c)) {
                blank_ = true;
                continue;
            }
            if (blank_ && !view.shown.empty() && view.shown.back() != '\n')
                view.shown += ' ';
            blank_ = false;
            view.shown += c == '\n' ? '\r' : c; // a kept line feed is no block break
        }
    }

    std::vector<Element> open_;
    int pre_ = 0;
    bool blank_ = false;
    bool bodySeen_ = false;
};

class Tokenizer {
public:
    Tokenizer(std::string_view page, Builder &out, bool shortNames = false) : out_(out), shortNames_(shortNames)
    {
        // A browser reads CR LF and CR as LF.
        s_.reserve(page.size());
        for (size_t i = 0; i < page.size(); ++i) {
            if (page[i] == '\r') {
                s_ += '\n';
                if (i + 1 < page.size() && page[i + 1] == '\n')
                    ++i;
            } else {
                s_ += page[i];
            }
        }
    }

    void Run()
    {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c != '<') {
                text_ += c;
                ++i_;
                continue;
            }
            TagOpen();
        }
        Flush();
    }

private:
    bool End() const { return i_ >= s_.size(); }
    char Peek(size_t k = 0) const { return i_ + k < s_.size() ? s_[i_ + k] : '\0'; }

    void Flush()
    {
        if (!text_.empty())
            out_.Text(text_);
        text_.clear();
    }

    // At "<".
    void TagOpen()
    {
        const char c = Peek(1);
        if (Letter(c)) {
            i_ += 1;
            Tag(false);
        } else if (c == '/') {
            const char d = Peek(2);
            if (Letter(d)) {
                i_ += 2;
                Tag(true);
            } else if (d == '>') {
                i_ += 3;
            } else if (i_ + 2 >= s_.size()) {
                text_ += "</";
                i_ += 2;
            } else {
                i_ += 2;
                Bogus();
            }
        } else if (c == '!') {
            i_ += 2;
            Declaration();
        } else if (c == '?') {
            i_ += 1;
            Bogus();
        } else {
            text_ += '<';
            i_ += 1;
        }
    }

    void Bogus()
    {
        while (!End() && s_[i_] != '>')
            ++i_;
        ++i_;
    }

    void Declaration()
    {
        if (Peek() == '-' && Peek(1) == '-') {
            i_ += 2;
            return Comment();
        }
        std::string word;
        for (size_t k = 0; k < 7; ++k)
            word += Low(Peek(k));
        if (word == "doctype") {
            const size_t from = i_ - 2;
            Bogus();
            Flush();
            out_.Doctype(s_.substr(from, std::min(i_, s_.size()) - from));
            return;
        }
        Bogus();
    }

    // The comment states: start, start dash, comment, end dash, end, end bang.
    void Comment()
    {
        enum { Start, StartDash, Body, EndDash, EndState, Bang } state = Start;
        while (!End()) {
            const char c = s_[i_++];
            switch (state) {
            case Start:
                if (c == '-')
                    state = StartDash;
                else if (c == '>')
                    return;
                else
                    state = Body;
                break;
            case StartDash:
                if (c == '-')
                    state = EndState;
                else if (c == '>')
                    return;
                else
                    state = Body;
                break;
            case Body:
                if (c == '-')
                    state = EndDash;
                break;
            case EndDash:
                state = c == '-' ? EndState : Body;
                break;
            case EndState:
                if (c == '>')
                    return;
                if (c == '!')
                    state = Bang;
                else if (c != '-')
                    state = Body;
                break;
            case Bang:
                if (c == '>')
                    return;
                state = c == '-' ? EndDash : Body;
                break;
            }
        }
    }

    // After "<" or "</": the name, attributes and end of a tag, by the tag states.
    void Tag(bool endTag)
    {
        enum { Name, BeforeAttrName, AttrName, AfterAttrName, BeforeValue, Double, Single, Unquoted, AfterQuoted,
               SelfClosing } state = Name;
        std::string name;
        std::vector<Attr> attrs;
        bool selfClosing = false;
        while (!End()) {
            const char c = s_[i_++];
            switch (state) {
            case Name:
                if (Space(c))
                    state = BeforeAttrName;
                else if (c == '/')
                    state = SelfClosing;
                else if (c == '>')
                    return Emit(endTag, name, attrs, selfClosing);
                else
                    name += Low(c);
                break;
            case BeforeAttrName:
                if (Space(c))
                    break;
                if (c == '/' || c == '>') {
                    --i_;
                    state = AfterAttrName;
                } else {
                    attrs.push_back({std::string(1, Low(c)), ""}); // "=" may start a name
                    state = AttrName;
                }
                break;
            case AttrName:
                if (Space(c) || c == '/' || c == '>') {
                    --i_;
                    state = AfterAttrName;
                } else if (c == '=') {
                    state = BeforeValue;
                } else {
                    attrs.back().name += Low(c);
                }
                break;
            case AfterAttrName:
                if (Space(c))
                    break;
                if (c == '/')
                    state = SelfClosing;
                else if (c == '=')
                    state = BeforeValue;
                else if (c == '>')
                    return Emit(endTag, name, attrs, selfClosing);
                else {
                    attrs.push_back({std::string(1, Low(c)), ""});
                    state = AttrName;
                }
                break;
            case BeforeValue:
                if (Space(c))
                    break;
                if (c == '"')
                    state = Double;
                else if (c == '\'')
                    state = Single;
                else if (c == '>')
                    return Emit(endTag, name, attrs, selfClosing);
                else {
                    --i_;
                    state = Unquoted;
                }
                break;
            case Double:
            case Single:
                if (c == (state == Double ? '"' : '\''))
                    state = AfterQuoted;
                else
                    attrs.back().value += c;
                break;
            case Unquoted:
                if (Space(c))
                    state = BeforeAttrName;
                else if (c == '>')
                    return Emit(endTag, name, attrs, selfClosing);
                else {
                    // The tokenizer keeps these in the value but calls them an error, and other readers
                    // end or split the value there (a backquote was once a quote).
                    if (c == '"' || c == '\'' || c == '<' || c == '=' || c == '`')
                        attrs.back().loose = true;
                    attrs.back().value += c;
                }
                break;
            case AfterQuoted:
                if (Space(c))
                    state = BeforeAttrName;
                else if (c == '/')
                    state = SelfClosing;
                else if (c == '>')
                    return Emit(endTag, name, attrs, selfClosing);
                else {
                    --i_;
                    state = BeforeAttrName;
                }
                break;
            case SelfClosing:
                if (c == '>') {
                    selfClosing = true;
                    return Emit(endTag, name, attrs, selfClosing);
                }
                --i_;
                state = BeforeAttrName;
                break;
            }
        }
        // The end of the page inside a tag: the browser drops the tag.
    }

    void Emit(bool endTag, const std::string &written, const std::vector<Attr> &attrs, bool selfClosing)
    {
        Flush();
        // strong and b, em and i, strike and s: a browser's default styles make each pair look alike.
        std::string name = written;
        if (shortNames_)
            name = name == "strong" ? "b" : name == "em" ? "i" : name == "strike" ? "s" : name;
        if (endTag)
            return out_.End(name);
        out_.Start(name, attrs, selfClosing);
        if (name == "plaintext") {
            out_.Body(name, s_.substr(i_));
            i_ = s_.size();
        } else if (name == "script") {
            ScriptBody();
        } else if (In(name, {"title", "textarea", "style", "xmp", "iframe", "noembed", "noframes", "noscript"})) {
            PlainBody(name);
        }
    }

    // "</name" followed by white space, "/" or ">".
    bool EndTagOf(size_t at, std::string_view name) const
    {
        if (at + 2 + name.size() >= s_.size() || s_[at] != '<' || s_[at + 1] != '/')
            return false;
        for (size_t k = 0; k < name.size(); ++k)
            if (Low(s_[at + 2 + k]) != name[k])
                return false;
        const char after = s_[at + 2 + name.size()];
        return Space(after) || after == '/' || after == '>';
    }

    void PlainBody(std::string_view name)
    {
        const size_t from = i_;
        while (i_ < s_.size() && !EndTagOf(i_, name))
            ++i_;
        out_.Body(std::string(name), s_.substr(from, i_ - from));
    }

    // The script data states, escaped and double escaped ones included.
    void ScriptBody()
    {
        enum { Data, Escaped, EscapedDash, EscapedDashDash, DoubleEscaped, DoubleDash, DoubleDashDash } state = Data;
        const size_t from = i_;
        auto word = [&](size_t at) { // "script" followed by white space, "/" or ">"
            std::string w;
            for (size_t k = 0; k < 6; ++k)
                w += Low(at + k < s_.size() ? s_[at + k] : '\0');
            const char after = at + 6 < s_.size() ? s_[at + 6] : '\0';
            return w == "script" && (Space(after) || after == '/' || after == '>');
        };
        while (i_ < s_.size()) {
            const char c = s_[i_];
            switch (state) {
            case Data:
                if (EndTagOf(i_, "script"))
                    return out_.Body("script", s_.substr(from, i_ - from));
                if (c == '<' && Peek(1) == '!' && Peek(2) == '-' && Peek(3) == '-') {
                    state = EscapedDashDash;
                    i_ += 3;
                }
                break;
            case Escaped:
            case EscapedDash:
            case EscapedDashDash:
                if (c == '-') {
                    state = state == Escaped ? EscapedDash : EscapedDashDash;
                } else if (c == '>' && state == EscapedDashDash) {
                    state = Data;
                } else if (c == '<') {
                    state = Escaped;
                    if (EndTagOf(i_, "script"))
                        return out_.Body("script", s_.substr(from, i_ - from));
                    if (word(i_ + 1)) {
                        state = DoubleEscaped;
                        i_ += 6;
                    }
                } else {
                    state = Escaped;
                }
                break;
            case DoubleEscaped:
            case DoubleDash:
            case DoubleDashDash:
                if (c == '-') {
                    state = state == DoubleEscaped ? DoubleDash : DoubleDashDash;
                } else if (c == '>' && state == DoubleDashDash) {
                    state = Data;
                } else if (c == '<') {
                    state = DoubleEscaped;
                    if (Peek(1) == '/' && word(i_ + 2)) {
                        state = Escaped;
                        i_ += 7;
                    }
                } else {
                    state = DoubleEscaped;
                }
                break;
            }
            ++i_;
        }
        out_.Body("script", s_.substr(from));
    }

    std::string s_;
    size_t i_ = 0;
    std::string text_;
    Builder &out_;
    bool shortNames_;
};

} // namespace detail

// With shortNames, strong, em and strike read as b, i and s.
inline View Read(std::string_view page, bool shortNames = false)
{
    detail::Builder builder;
    detail::Tokenizer(page, builder, shortNames).Run();
    return builder.view;
}

// The first place where two views part, for a failure message; empty when they are the same.
inline std::string FirstDifference(const View &a, const View &b)
{
    const size_t n = std::min(a.nodes.size(), b.nodes.size());
    for (size_t i = 0; i < n; ++i)
        if (a.nodes[i] != b.nodes[i])
            return "node " + std::to_string(i) + ":\n  before: " + a.nodes[i].substr(0, 300) + "\n  after:  " +
                   b.nodes[i].substr(0, 300);
    if (a.nodes.size() != b.nodes.size())
        return "node count " + std::to_string(a.nodes.size()) + " against " + std::to_string(b.nodes.size());
    if (a.shown != b.shown) {
        size_t i = 0;
        while (i < a.shown.size() && i < b.shown.size() && a.shown[i] == b.shown[i])
            ++i;
        const size_t from = i > 60 ? i - 60 : 0;
        return "shown text at " + std::to_string(i) + ":\n  before: " + a.shown.substr(from, 120) + "\n  after:  " +
               b.shown.substr(from, 120);
    }
    return {};
}

} // namespace htmlview
