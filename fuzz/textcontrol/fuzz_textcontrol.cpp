// The text control's core on any input. The first byte picks what the rest is:
//  0: a document (up to the first 0xFF byte) and then edits of four bytes each (position, length
//     and how many background steps follow it, text), made twice: once formatting at once and once
//     in the background, whose steps run here one by one between the edits and then until idle.
//     After them the text must be consistent, highlighted and wrapped exactly as a fresh load of the
//     same text is, and undoing everything must give back the loaded text. The same edits go to a
//     document without any view, highlighted in chunks between them as background work does it.
//     Read straight as UTF-8, the document gives what Qt's decoder gives, or is refused when that
//     decoder finds an error;
//  1: stored keyword and key lists; 2: the stored form of Lines.
// Reading stored forms either raises an error or gives lists that write back the same.
#include "platform/error.h"
#include "platform/formstream.h"
#include "platform/textfile.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/memocore.h"
#include "textcontrol/rilostrings.h"
#include "textcontrol/textdocument.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QStringDecoder>
#include <cstdlib>
#include <limits>

using namespace textcontrol;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void Prepare(MemoCore &m, int width, TUpdateMode mode = TUpdateMode::umImmediate)
{
    m.SetUpdateMode(mode);
    // Every background step is one slice, and paragraphs beyond 64 characters go in chunks.
    m.SetBackgroundTuning(0, 64);
    m.SetClientSize(16 + width, 100);
    FillHtmlRules(m.Keywords(), m.StartStopKeys());
    m.SetUndoMaxSpace(1 << 24);
}

void Load(MemoCore &m, const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    m.LoadFromStream(b);
}

// A text put into an empty memo as a memo holds it: through the edit primitive, which keeps a lone LF a
// character of its paragraph as the edits did (loading would end a paragraph there), its style codes as
// they stand.
void PutInto(MemoCore &m, const QString &text)
{
    m.Document().ReplaceRange(0, m.CharCount(), text, true);
    m.FormatAll();
}

// The posted background steps, run without an event loop.
void Background(MemoCore &m, int steps)
{
    for (int i = 0; i < steps; ++i)
        m.BackgroundStep();
}

// Until the work is done and the last step has said so.
void Idle(MemoCore &m)
{
    for (int guard = 0; (!m.FormattingDone() || m.Progress() != 100) && guard < 1000000; ++guard)
        m.BackgroundStep();
    Check(m.FormattingDone());
    Check(m.Progress() == 100);
}

// Runs the edits of the input on a memo; after each, `between` gets the steps asked for.
template <class F> void Edits(MemoCore &m, const uint8_t *data, size_t size, size_t from, F &&between)
{
    static const char *const inserts[] = {"\"", "<", ">", "-->", "<!--", " < ", "\r\n", "x", "{", "}", "//", "\x02", "\t", "\r", "</SCRIPT>", ""};
    int edits = 0;
    for (size_t i = from; i + 4 <= size && edits < 64; i += 4, ++edits) {
        const int n = m.CharCount() + 1;
        const int pos = int((data[i] | (data[i + 1] << 8)) % n);
        const int len = data[i + 2] % 8;
        const int at = data[i + 3] % 32;
        m.Select(pos, std::min(len, m.CharCount() - pos));
        if (at < 16)
            m.SetSelText(QString::fromLatin1(inserts[at]));
        else if (at < 19)
            m.SetSelText(QString(at - 15, QChar(0x4e2d)));
        else if (at == 19)
            m.SetSelText(QString::fromUcs4(U"\U0001F600\n"));
        else if (at < 24)
            m.Undo();
        else if (at < 26)
            m.Redo();
        else if (at == 26)
            m.ToggleBold();
        else
            m.SetSelText(QString(at % 5 + 1, QLatin1Char('w')));
        Check(m.Text().size() == m.CharCount());
        between(data[i + 2] >> 3);
    }
}

// Some slices of the document's background highlighting, which it runs without a view: paragraph by
// paragraph, a long one in pieces.
void HighlightChunks(TextDocument &d, int steps)
{
    d.SetBackgroundTuning(0, 64);
    QElapsedTimer slice;
    slice.start();
    for (int guard = 0; (steps == std::numeric_limits<int>::max() || guard < steps) && guard < 1000000; ++guard)
        if (d.BackgroundSlice(slice))
            return;
    Check(steps != std::numeric_limits<int>::max());
}

// The edits of Edits() on a document alone, through its edit primitive and undo history.
void DocumentEdits(TextDocument &d, const uint8_t *data, size_t size, size_t from)
{
    static const char *const inserts[] = {"\"", "<", ">", "-->", "<!--", "\r\n", "x", "</SCRIPT>"};
    const auto apply = [&d](int start, int end, const QString &text) { d.ReplaceRange(start, end, text); };
    int edits = 0;
    for (size_t i = from; i + 4 <= size && edits < 64; i += 4, ++edits) {
        const int n = d.CharCount() + 1;
        const int pos = d.Snap(int((data[i] | (data[i + 1] << 8)) % n), false);
        const int end = d.Snap(std::min(pos + data[i + 2] % 8, d.CharCount()), true);
        const int at = data[i + 3] % 16;
        if (at < 8)
            d.ReplaceRange(pos, end, QString::fromLatin1(inserts[at]));
        else if (at < 11)
            d.Undo(apply);
        else if (at < 12)
            d.Redo(apply);
        else
            d.ReplaceRange(pos, end, QString(at - 10, QChar(0x4e2d)));
        Check(d.Text().size() == d.CharCount());
        HighlightChunks(d, data[i + 2] >> 3);
    }
    HighlightChunks(d, std::numeric_limits<int>::max());
}

// The edited memo against its text put into a fresh one: same text, lines and highlighting; undoing
// everything gives back what was loaded.
void SameAsFresh(MemoCore &m, int width, const QString &loaded)
{
    m.CheckConsistency();
    MemoCore fresh;
    Prepare(fresh, width);
    PutInto(fresh, m.Text());
    Check(fresh.Text() == m.Text());
    Check(fresh.LineCount() == m.LineCount());
    for (int o = 0; o <= m.CharCount(); ++o) {
        const TContextState a = m.StateAt(o), b = fresh.StateAt(o);
        Check(a.IsContext() == b.IsContext());
        Check(!a.IsContext() || (SameContext(a, b) && a.context == b.context));
    }
    for (int l = 0; l < m.LineCount(); ++l)
        Check(m.LineStart(l) == fresh.LineStart(l));
    while (m.CanUndo())
        m.Undo();
    Check(m.Text() == loaded);
}

void Documents(const uint8_t *data, size_t size, int width)
{
    size_t split = 0;
    while (split < size && data[split] != 0xFF)
        ++split;
    const QByteArray doc(reinterpret_cast<const char *>(data), qsizetype(split));
    {
        // Bytes read straight as UTF-8 give what Qt's decoder gives; bytes that are not UTF-8 are refused.
        // The text ends at a NUL byte: what follows is not read.
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const qsizetype nul = doc.indexOf('\0');
        const QString decoded = dec(nul < 0 ? doc : doc.left(nul));
        MemoCore direct, viaText;
        viaText.SetTextBuf(decoded);
        const bool ok = direct.LoadUtf8(doc.constData(), doc.size());
        Check(ok == !dec.hasError());
        Check(!ok || direct.Text() == viaText.Text());
        // Bytes that are not UTF-8 are Windows-1252 throughout, a mark at the start then text.
        MemoCore either, windows1252;
        Check(either.LoadUtf8OrWindows1252(doc.constData(), doc.size()) == ok);
        if (ok) {
            Check(either.Text() == viaText.Text());
        } else {
            QString text(doc.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < doc.size(); ++i)
                text[i] = QChar(platform::Windows1252Char(uchar(doc[i])));
            windows1252.SetTextBuf(text);
            Check(either.Text() == windows1252.Text());
        }
    }
    MemoCore m;
    Prepare(m, width);
    Load(m, doc);
    const QString loaded = m.Text();
    Edits(m, data, size, split + 1, [](int) {});
    MemoCore bg;
    Prepare(bg, width, TUpdateMode::umBackground);
    Load(bg, doc);
    Background(bg, int(split % 7));
    // A second view of the same document, narrower, formats in its own slices beside the first.
    MemoCore other(bg.SharedDocument());
    other.SetUpdateMode(TUpdateMode::umBackground);
    other.SetBackgroundTuning(0, 64);
    other.SetClientSize(16 + width / 2 + 1, 100);
    // These edits write the paragraphs between their first and last straight into new blocks, as big
    // edits do; the first memo's took the other way.
    TextStorage::SetBulkEditChars(1);
    Edits(bg, data, size, split + 1, [&](int steps) {
        Background(bg, steps);
        Background(other, steps / 2);
    });
    Idle(bg);
    Idle(other);
    Check(bg.Text() == m.Text());
    // The document alone, highlighted as a fresh view of its text is.
    TextDocument alone;
    FillHtmlRules(alone.Keywords(), alone.StartStopKeys());
    alone.SetUndoMaxSpace(1 << 24);
    alone.LoadBytes(doc);
    HighlightChunks(alone, int(split % 7));
    DocumentEdits(alone, data, size, split + 1);
    MemoCore view;
    Prepare(view, width);
    PutInto(view, alone.Text());
    for (int o = 0; o <= alone.CharCount(); ++o) {
        const TContextState a = alone.StateAt(o), b = view.StateAt(o);
        Check(a.IsContext() == b.IsContext());
        Check(!a.IsContext() || (SameContext(a, b) && a.context == b.context));
    }
    SameAsFresh(m, width, loaded);
    SameAsFresh(bg, width, loaded);
    Idle(other); // the undoing went through the other view
    SameAsFresh(other, width / 2 + 1, loaded);
    TextStorage::SetBulkEditChars(64 * 1024);
}

void KeyLists(const QByteArray &bytes)
{
    TKeywordList kw;
    TStartStopKeyList keys;
    try {
        platform::FormReader r(bytes);
        kw.ReadData(r);
        keys.ReadData(r);
    } catch (const platform::Error &) {
        return;
    }
    platform::FormWriter w;
    kw.WriteData(w);
    TKeywordList back;
    platform::FormReader r(w.Data());
    back.ReadData(r);
    Check(back == kw);
    MemoCore m;
    m.SetUpdateMode(TUpdateMode::umImmediate);
    m.Keywords().Assign(kw);
    for (int i = 0; i < keys.Count(); ++i) {
        const TStartStopKey &k = keys[i];
        m.StartStopKeys().Add(k.start, k.stop, k.endsAtParEnd, k.style.color, k.style.background, k.style.value2,
                              k.style.context, k.style.style, k.style.flags);
    }
    m.SetTextBuf(QString::fromLatin1(bytes));
    m.CheckConsistency();
}

void Lines(const QByteArray &bytes)
{
    MemoCore m;
    m.SetUpdateMode(TUpdateMode::umImmediate);
    try {
        platform::FormReader r(bytes);
        m.Lines().ReadData(r);
    } catch (const platform::Error &) {
        Check(m.CharCount() == 0);
        return;
    }
    platform::FormWriter w;
    m.Lines().WriteData(w);
    MemoCore back;
    back.SetUpdateMode(TUpdateMode::umImmediate);
    platform::FormReader r(w.Data());
    back.Lines().ReadData(r);
    Check(back.Text() == m.Text());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0:
        Documents(data + 1, size - 1, 4 + data[0] % 60);
        break;
    case 1:
        KeyLists(rest);
        break;
    default:
        Lines(rest);
        break;
    }
    return 0;
}
