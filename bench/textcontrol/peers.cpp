#include "peers.h"

#include "platform/textfile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#ifdef HAVE_QSCINTILLA
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>
#endif

namespace benchtext {

namespace {

// The document window's colouring done the QSyntaxHighlighter way: block state = open pair + 1.
class HtmlHighlighter : public QSyntaxHighlighter {
public:
    struct Pair {
        QString start, stop;
        bool parEnd;
        QColor color;
        bool bold;
    };
    explicit HtmlHighlighter(QTextDocument *doc) : QSyntaxHighlighter(doc)
    {
        pairs_ = {{"\"", "\"", false, QColor(0, 128, 192), true},   {"<!--", "-->", false, QColor(128, 128, 128), false},
                  {"//", "", true, QColor(128, 128, 128), false},    {"<STYLE>", "</STYLE>", false, QColor(0, 0, 128), true},
                  {"<DIV>", "</DIV>", false, QColor(255, 128, 0), true}, {"<SCRIPT>", "</SCRIPT>", false, QColor(128, 128, 128), true},
                  {"{", "}", false, QColor(128, 0, 255), true},       {">", "<", true, QColor(0, 64, 128), true}};
        for (const Pair &p : pairs_) {
            QTextCharFormat f;
            f.setForeground(p.color);
            if (p.bold)
                f.setFontWeight(QFont::Bold);
            formats_.push_back(f);
        }
        keyword_.setForeground(QColor(0, 64, 128));
        keyword_.setFontWeight(QFont::Bold);
    }

protected:
    void highlightBlock(const QString &text) override
    {
        int open = previousBlockState() - 1;
        int p = 0, ctxStart = 0;
        const int len = int(text.size());
        while (p < len) {
            if (open >= 0) {
                const Pair &pr = pairs_[size_t(open)];
                const int q = pr.stop.isEmpty() ? -1 : int(text.indexOf(pr.stop, p, Qt::CaseInsensitive));
                if (q < 0)
                    break;
                setFormat(ctxStart, q + int(pr.stop.size()) - ctxStart, formats_[size_t(open)]);
                p = q + int(pr.stop.size());
                open = -1;
                continue;
            }
            int best = -1, at = len;
            for (int i = p; i < len && best < 0; ++i)
                for (size_t k = 0; k < pairs_.size(); ++k)
                    if (QStringView(text).mid(i).startsWith(pairs_[k].start, Qt::CaseInsensitive)) {
                        best = int(k);
                        at = i;
                        break;
                    }
            if (best < 0)
                break;
            for (int i = p; i < at; ++i)
                if ((text[i] == QLatin1Char('<') || text[i] == QLatin1Char('>')) && (i == 0 || text[i - 1] == QLatin1Char(' ')) &&
                    (i + 1 == len || text[i + 1] == QLatin1Char(' ')))
                    setFormat(i, 1, keyword_);
            open = best;
            ctxStart = at;
            p = at + int(pairs_[size_t(best)].start.size());
        }
        if (open >= 0) {
            setFormat(ctxStart, len - ctxStart, formats_[size_t(open)]);
            if (pairs_[size_t(open)].parEnd)
                open = -1;
        }
        setCurrentBlockState(open + 1);
    }

private:
    std::vector<Pair> pairs_;
    std::vector<QTextCharFormat> formats_;
    QTextCharFormat keyword_;
};

void SendKey(QWidget *w, int key, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

class PlainPeer : public Peer {
public:
    PlainPeer()
    {
        edit_.resize(800, 600);
        edit_.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    }
    QString Name() const override { return QStringLiteral("QPlainTextEdit"); }
    void Load(const QByteArray &bytes) override
    {
        highlighter_.reset();
        edit_.setPlainText(windows1252 ? platform::FromWindows1252(bytes) : QString::fromUtf8(bytes));
    }
    void StartHighlighting() override { highlighter_ = std::make_unique<HtmlHighlighter>(edit_.document()); }
    void HighlightAll() override
    {
        if (!highlighter_) {
            highlighter_ = std::make_unique<HtmlHighlighter>(edit_.document());
            highlighter_->rehighlight(); // at once, not on the next turn of the event loop
        }
        // Lay out every block, as wrapping everything would.
        auto *layout = edit_.document()->documentLayout();
        for (QTextBlock b = edit_.document()->begin(); b.isValid(); b = b.next())
            layout->blockBoundingRect(b);
    }
    void Insert(bool atEnd) override
    {
        QTextCursor c(edit_.document());
        c.movePosition(atEnd ? QTextCursor::End : QTextCursor::Start);
        c.insertText(QStringLiteral("x"));
    }
    bool Find(const QString &absent) override { return !edit_.document()->find(absent).isNull(); }
    QByteArray Save() override { return edit_.toPlainText().toUtf8(); }
    QWidget *Widget() override { return &edit_; }
    void MoveToEnd() override { edit_.moveCursor(QTextCursor::End); }
    void MoveToStart() override { edit_.moveCursor(QTextCursor::Start); }
    void TypeChar(QChar c) override { SendKey(&edit_, c.unicode(), QString(c)); }
    void PageDown() override { SendKey(&edit_, Qt::Key_PageDown); }
    bool AtEnd() override { return edit_.textCursor().atEnd(); }

private:
    QPlainTextEdit edit_;
    std::unique_ptr<HtmlHighlighter> highlighter_;
};

#ifdef HAVE_QSCINTILLA
class ScintillaPeer : public Peer {
public:
    ScintillaPeer()
    {
        sci_.resize(800, 600);
        sci_.setUtf8(true); // the bytes are taken as they are, with no conversion
        sci_.setLexer(&lexer_);
    }
    QString Name() const override { return QStringLiteral("QScintilla"); }
    void Load(const QByteArray &bytes) override
    {
        QByteArray z = bytes;
        sci_.setUtf8(!windows1252); // one byte a character otherwise, taken as they are
        sci_.SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0ul, static_cast<const char *>(z.constData()));
    }
    void HighlightAll() override
    {
        sci_.setWrapMode(QsciScintilla::WrapWord);
        sci_.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0l, -1l);
    }
    void Insert(bool atEnd) override
    {
        const long pos = atEnd ? sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) : 0;
        sci_.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(pos), "x");
        const long line = sci_.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos));
        const long end = sci_.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        sci_.SendScintilla(QsciScintillaBase::SCI_COLOURISE, pos, end);
    }
    bool Find(const QString &absent) override
    {
        const QByteArray a = absent.toUtf8();
        sci_.SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, 0ul);
        sci_.SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH)));
        sci_.SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, 0ul);
        return sci_.SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, static_cast<unsigned long>(a.size()), a.constData()) >= 0;
    }
    QByteArray Save() override
    {
        const long n = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        QByteArray out(n + 1, Qt::Uninitialized);
        sci_.SendScintilla(QsciScintillaBase::SCI_GETTEXT, static_cast<unsigned long>(n + 1), out.data());
        out.chop(1);
        return out;
    }
    QWidget *Widget() override { return &sci_; }
    void MoveToEnd() override { sci_.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND); }
    void MoveToStart() override { sci_.SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART); }
    void TypeChar(QChar c) override { SendKey(sci_.viewport(), c.unicode(), QString(c)); }
    void PageDown() override { SendKey(sci_.viewport(), Qt::Key_PageDown); }
    bool AtEnd() override
    {
        return sci_.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) >= sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    }

private:
    QsciScintilla sci_;
    QsciLexerHTML lexer_;
};
#endif

} // namespace

std::unique_ptr<Peer> MakePlainPeer() { return std::make_unique<PlainPeer>(); }

std::unique_ptr<Peer> MakeScintillaPeer()
{
#ifdef HAVE_QSCINTILLA
    return std::make_unique<ScintillaPeer>();
#else
    return nullptr;
#endif
}

} // namespace benchtext
