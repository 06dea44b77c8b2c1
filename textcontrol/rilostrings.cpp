#include "textcontrol/rilostrings.h"

#include "platform/error.h"
#include "platform/formstream.h"
#include "textcontrol/memocore.h"

#include <QBuffer>

namespace textcontrol {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

void TRiloMemoStrings::Add(const QString &s)
{
    const int last = memo_.ParagraphCount() - 1;
    const bool emptyLast = memo_.Storage().Length(last) == 0;
    memo_.Select(memo_.CharCount(), 0);
    if (emptyLast)
        memo_.SetSelText(s.isEmpty() ? QString() : s);
    else
        memo_.SetSelText(kCrLf + s);
    memo_.Select(memo_.CharCount(), 0);
    memo_.ScrollInView();
}

QString TRiloMemoStrings::Text() const { return memo_.Text(); }
void TRiloMemoStrings::SetText(const QString &text) { memo_.SetTextBuf(text); }
void TRiloMemoStrings::Clear() { memo_.Clear(); }
void TRiloMemoStrings::BeginUpdate() { memo_.BeginUpdate(); }
void TRiloMemoStrings::EndUpdate() { memo_.EndUpdate(); }

void TRiloMemoStrings::Assign(const QStringList &source)
{
    QString text;
    for (const QString &s : source)
        text += s + kCrLf;
    memo_.SetTextBuf(text);
}

QStringList TRiloMemoStrings::ToStringList() const
{
    QStringList out;
    const int n = Count();
    for (int i = 0; i < n; ++i)
        out << Get(i);
    return out;
}

void TRiloMemoStrings::LoadFromStream(QIODevice &stream) { memo_.LoadFromStream(stream); }
void TRiloMemoStrings::SaveToStream(QIODevice &stream) { memo_.SaveToStream(stream); }

// ---- display lines ---------------------------------------------------------------------------------

int TRiloLinesStrings::Count() const
{
    memo_.FormatRange(0, memo_.ParagraphCount() - 1);
    const int n = memo_.LineCount();
    const int last = memo_.ParagraphCount() - 1;
    return memo_.Storage().Length(last) == 0 ? n - 1 : n;
}

QString TRiloLinesStrings::Get(int i) const
{
    if (i < 0 || i >= memo_.LineCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return memo_.LineText(i);
}

void TRiloLinesStrings::Put(int i, const QString &s)
{
    if (i < 0 || i >= memo_.LineCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    const int a = memo_.LineStart(i);
    memo_.Select(a, memo_.LineEnd(i) - a);
    memo_.SetSelText(s);
}

void TRiloLinesStrings::Delete(int i)
{
    if (i < 0 || i >= memo_.LineCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    const int a = memo_.LineStart(i);
    int e = memo_.LineEnd(i);
    if (i < memo_.LineCount() - 1) {
        const int p = memo_.Storage().ParagraphAt(a);
        e = (e == memo_.Storage().Start(p) + memo_.Storage().Length(p)) ? e + 2 : memo_.LineStart(i + 1);
    }
    memo_.Select(a, e - a);
    memo_.SetSelText(QString());
}

void TRiloLinesStrings::Insert(int i, const QString &s)
{
    if (i < 0 || i > memo_.LineCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    if (i < memo_.LineCount()) {
        memo_.Select(memo_.LineStart(i), 0);
        memo_.SetSelText(s + kCrLf);
    } else {
        memo_.Select(memo_.CharCount(), 0);
        memo_.SetSelText(kCrLf + s);
    }
}

void TRiloLinesStrings::WriteData(platform::FormWriter &w) const
{
    w.WriteListBegin();
    const int n = memo_.ParagraphCount();
    for (int p = 0; p < n; ++p) {
        const QString s = memo_.ParagraphText(p);
        qsizetype at = 0;
        while (s.size() - at > 255) {
            w.WriteString(s.mid(at, 254) + QChar(5));
            at += 254;
        }
        w.WriteString(s.mid(at));
    }
    w.WriteListEnd();
}

void TRiloLinesStrings::ReadData(platform::FormReader &r)
{
    QStringList paras;
    QString cur;
    bool open = false;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        const QString piece = r.ReadString();
        if (piece.endsWith(QChar(5))) {
            cur += piece.left(piece.size() - 1);
            open = true;
            continue;
        }
        paras << cur + piece;
        cur.clear();
        open = false;
    }
    if (open)
        paras << cur;
    r.ReadListEnd();
    if (paras.isEmpty())
        return;
    if (memo_.CharCount() == 0 && memo_.ParagraphCount() == 1) {
        memo_.SetTextBuf(paras.join(kCrLf));
        return;
    }
    memo_.BeginUpdate();
    for (const QString &p : paras)
        Add(p);
    memo_.EndUpdate();
}

// ---- paragraphs ------------------------------------------------------------------------------------

int TRiloParaStrings::Count() const
{
    const int n = memo_.ParagraphCount();
    return memo_.Storage().Length(n - 1) == 0 ? n - 1 : n;
}

QString TRiloParaStrings::Get(int i) const { return memo_.ParagraphText(i); }

void TRiloParaStrings::Put(int i, const QString &s)
{
    if (i < 0)
        throw platform::Error(QStringLiteral("List index out of bounds"));
    if (i >= memo_.ParagraphCount()) {
        // The empty paragraphs up to i in one edit; more than a text may hold are refused before any is made.
        const qint64 missing = qint64(i) - memo_.ParagraphCount() + 1;
        if (memo_.CharCount() + 2 * missing > memo_.Document().MaxLength())
            throw platform::Error(QString::fromLatin1(kTextTooLong));
        memo_.Select(memo_.CharCount(), 0);
        memo_.SetSelText(kCrLf.repeated(missing));
    }
    const int caret = memo_.SelStart(), len = memo_.SelLength();
    const int cp = memo_.Storage().ParagraphAt(caret);
    const int rel = caret - memo_.Storage().Start(cp);
    const int start = memo_.Storage().Start(i);
    memo_.Select(start, memo_.Storage().Length(i));
    memo_.SetSelText(s);
    const int back = std::min(memo_.Storage().Start(cp) + rel, memo_.Storage().Start(cp) + memo_.Storage().Length(cp));
    memo_.Select(back, len);
}

void TRiloParaStrings::Delete(int i)
{
    if (i < 0 || i >= memo_.ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    const int a = memo_.Storage().Start(i);
    int e = a + memo_.Storage().Length(i);
    if (i < memo_.ParagraphCount() - 1)
        e += 2;
    memo_.Select(a, e - a);
    memo_.SetSelText(QString());
}

void TRiloParaStrings::Insert(int i, const QString &s)
{
    if (i < 0 || i > memo_.ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    if (i < memo_.ParagraphCount()) {
        memo_.Select(memo_.Storage().Start(i), 0);
        memo_.SetSelText(s + kCrLf);
    } else {
        memo_.Select(memo_.CharCount(), 0);
        memo_.SetSelText(kCrLf + s);
    }
}

} // namespace textcontrol
