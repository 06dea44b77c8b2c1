#pragma once
// A view of a text document that needs no window: caret and selection, the edit commands that act on
// them, layout (wrapping through a measurer, display lines) and the background work that formats what
// it shows. It owns a document of its own or shares one with other views. A window showing the view is
// its host: the view tells it what to repaint, where the caret went and when lines came or went.
#include "textcontrol/linelayout.h"
#include "textcontrol/measurer.h"
#include "textcontrol/memoview.h"
#include "textcontrol/textdocument.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace textcontrol {

class MemoCore;
class TRiloLinesStrings;
class TRiloParaStrings;

enum class TUpdateMode { umImmediate, umOnNeed, umBackground };

enum TRiloMemoOption : quint16 {
    rmoKeepColumnPos = 1 << 0,
    rmoPutExtraSpaces = 1 << 1,
    rmoWrapCaret = 1 << 2,
    rmoInsertKeyActive = 1 << 3,
    rmoWideOverwriteCaret = 1 << 4,
    rmoLargeWordSelect = 1 << 5,
    rmoAutoScrollBars = 1 << 6,
    rmoNoDragnDrop = 1 << 7,
    rmoAutoIndent = 1 << 8,
    rmoBackIndent = 1 << 9,
    rmoWindowsSelColors = 1 << 10,
    rmoFullLineSelect = 1 << 11,
    rmoDiscardTrailingSpaces = 1 << 12,
};
using TRiloMemoOptions = quint16;
constexpr TRiloMemoOptions kDefaultOptions =
    rmoWrapCaret | rmoInsertKeyActive | rmoWideOverwriteCaret | rmoLargeWordSelect | rmoAutoScrollBars;

using TNotifyEvent = std::function<void(MemoCore *)>;
using TParseEvent = std::function<void(MemoCore *, int startOffset, int stopOffset)>;
using TContextEvent = std::function<void(MemoCore *, qint16 context, int startOffset, int stopOffset)>;

class MemoCore;

// The window a view is shown in. A view without a window has no host and skips these calls.
class ViewHost {
protected:
    ~ViewHost() = default;
    friend class MemoCore;
    virtual void PlaceCaret() = 0;   // the caret moved or the lines around it changed
    virtual void ScrollInView() = 0; // bring the caret into view
    virtual void Changed() = 0;      // an edit is over (before OnChange)
    virtual void InvalidateLines(int a, int b) = 0;
    virtual void InvalidateAll() = 0;
    virtual void LinesChanged(int firstLine, int oldCount, int newCount) = 0;
    virtual void TextReset() = 0;
    virtual void BackgroundProgress() = 0;
    // The steps a window's control may take over; by default they are the view's own.
    virtual void EditCore(MemoCore &view, QStringView text);
    virtual bool FormatOne(MemoCore &view, int p);
};

class MemoCore : private DocumentObserver {
public:
    MemoCore(); // with a document of its own
    explicit MemoCore(std::shared_ptr<TextDocument> document);
    ~MemoCore() override;
    MemoCore(const MemoCore &) = delete;
    MemoCore &operator=(const MemoCore &) = delete;

    static QString Version() { return QStringLiteral("RiloMemo 5.0"); }

    ViewHost *Host() const { return host_; }
    void SetHost(ViewHost *host) { host_ = host; }
    bool HasWindow() const { return host_ != nullptr; }

    TextDocument &Document() { return *doc_; }
    const TextDocument &Document() const { return *doc_; }
    std::shared_ptr<TextDocument> SharedDocument() const { return doc_; }

    // ---- text ----
    int CharCount() const { return text_.CharCount(); }
    int ParagraphCount() const { return text_.ParagraphCount(); }
    int LineCount() const { return layout_.LineCount(); }
    int ParagraphStart(int index) const { return doc_->ParagraphStart(index); }
    QString GetTextPart(int start, int stop) const { return text_.Copy(start, stop); }
    QChar CharAt(int offset) const { return doc_->CharAt(offset); }
    QString Text() const { return doc_->Text(); }
    QString ParagraphText(int index) const { return doc_->ParagraphText(index); }
    void SetTextBuf(const QString &text);
    void Clear() { SetTextBuf(QString()); }
    void LoadFromStream(QIODevice &stream);
    // Loads UTF-8 (or ASCII) bytes straight into the storage; false, with nothing changed, when they are
    // not valid UTF-8 (or too long to tell by their bytes).
    bool LoadUtf8(const char *data, qsizetype n) { return doc_->LoadUtf8(data, n); }
    bool LoadUtf8OrWindows1252(const char *data, qsizetype n) { return doc_->LoadUtf8OrWindows1252(data, n); }
    void SaveToStream(QIODevice &stream);
    QByteArray SaveToBytes();
    bool Modified() const { return doc_->Modified(); }
    void SetModified(bool m) { doc_->SetModified(m); }
    const TextStorage &Storage() const { return text_; }
    const LineLayout &Layout() const { return layout_; } // this view's display lines

    // ---- selection ----
    int SelStart() const { return CaretNav().Offset(); }
    void SetSelStart(int value);
    int SelLength() const { return view_.selLength; }
    void SetSelLength(int value);
    int SelLower() const { return view_.lower.Offset(); }
    int SelUpper() const { return view_.upper.Offset(); }
    QString SelText() const;
    void SetSelText(const QString &text);
    int GetSelTextBuf(QChar *buffer, int size) const;
    // The edit core: every edit of the view goes through it, by way of the window when there is one.
    void SetSelTextBuf(QStringView text);
    void DoSetSelTextBuf(QStringView text); // the edit core itself
    void ClearSelection() { SetSelText(QString()); }
    void SelectAll();
    int SelLine();
    void SetSelLine(int line);
    int SelCol();
    int SelPar() const { return text_.ParagraphAt(SelStart()); }
    void SetSelPar(int par);
    int VirtualSpaces() const { return view_.virtualSpaces; }
    // A caret this far past its paragraph's end is out of any view; the pixel it stands at stays an int.
    static constexpr int kMostVirtualSpaces = 1 << 16;
    void SetVirtualSpaces(int n) { view_.virtualSpaces = std::clamp(n, 0, kMostVirtualSpaces); }
    void ToggleBold() { WrapSelection(2); }
    void ToggleItalic() { WrapSelection(1); }
    void ToggleUnderline() { WrapSelection(21); }
    void ToggleHighlight() { WrapSelection(3); }
    void ToggleAltFont() { WrapSelection(4); }
    void WrapSelection(ushort code);
    int Snap(int offset, bool forward) const { return doc_->Snap(offset, forward); }
    // Moves the caret to an offset and sets the signed selection length in one step.
    void Select(int caret, int length);

    // ---- undo ----
    void Undo();
    void Redo();
    void ClearUndo() { doc_->ClearUndo(); }
    bool CanUndo() const { return doc_->CanUndo(); }
    bool CanRedo() const { return doc_->CanRedo(); }
    int UndoIndex() const { return doc_->UndoIndex(); }
    int UndoCount() const { return doc_->UndoCount(); }
    const UndoRecord &UndoRecordAt(int i) const { return doc_->UndoRecordAt(i); }
    qint64 UndoTotal() const { return doc_->UndoTotal(); }
    int UndoMaxSpace() const { return doc_->UndoMaxSpace(); }
    void SetUndoMaxSpace(int value) { doc_->SetUndoMaxSpace(value); }
    int UndoMaxLevel() const { return doc_->UndoMaxLevel(); }
    void SetUndoMaxLevel(int value) { doc_->SetUndoMaxLevel(value); }
    void ForceNewRecord() { doc_->ForceNewRecord(); }
    void GroupLastRecord() { doc_->GroupLastRecord(); }

    // ---- search ----
    bool FindText(const QString &text, bool forward, bool wholeWord, bool matchCase);
    // Every match replaced as one edit (one undo step); the caret goes after it. Returns how many.
    // The one edit of a finished TextDocument::StartReplaceAll search, the caret after it, as ReplaceAll.
    int ReplaceFound(const TextDocument::ReplaceSearch &search, const QString &replacement);
    int ReplaceAll(const QString &text, const QString &replacement, bool wholeWord, bool matchCase);
    // The first match from the start of the text replaced; false when there is none.
    bool ReplaceFirst(const QString &text, const QString &replacement, bool wholeWord, bool matchCase);
    QString WordAtCaret() const { return doc_->WordAt(SelStart()); }
    bool IsSeparator(QChar c) const { return doc_->IsSeparator(c); }
    bool IsSeparator(ushort c) const { return doc_->IsSeparator(c); }

    // ---- highlighting (the document's) ----
    TKeywordList &Keywords() { return doc_->Keywords(); }
    TStartStopKeyList &StartStopKeys() { return doc_->StartStopKeys(); }
    bool ApplyKeyWords() const { return doc_->ApplyKeyWords(); }
    void SetApplyKeyWords(bool v) { doc_->SetApplyKeyWords(v); }
    bool ApplyStartStopKeys() const { return doc_->ApplyStartStopKeys(); }
    void SetApplyStartStopKeys(bool v) { doc_->SetApplyStartStopKeys(v); }
    QString Separators() const { return doc_->Separators(); }
    void SetSeparators(const QString &chars) { doc_->SetSeparators(chars); }
    TRiloHighlighter *Highlighter() const { return doc_->Highlighter(); }
    void SetHighlighter(TRiloHighlighter *h) { doc_->SetHighlighter(h); }
    void ReApplyKeys() { doc_->ReApplyKeys(); }
    void HighlightRange(TRiloNavigator &start, TRiloNavigator &stop) { doc_->HighlightRange(start, stop); }
    void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop) { doc_->ApplyKeys(start, stop); }
    void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled, const TContextState &state)
    {
        doc_->ApplyContexts(start, stop, markDirty, styled, state);
    }
    void HighlightUpTo(int paragraph) { doc_->HighlightUpTo(paragraph); }
    TContextState StateAt(int offset) const { return doc_->StateAt(offset); }
    quint8 StyleAt(int offset) const; // style byte of the codes in force at an offset
    const StateTable &States() const { return doc_->States(); }
    StateId PushPair(StateId s, int pair) { return doc_->PushPair(s, pair); }
    StateId PushKeyword(StateId s, int keyword) { return doc_->PushKeyword(s, keyword); }
    StateId Pop(StateId s) { return doc_->Pop(s); }
    bool ContextAt(int offset, qint16 &context, int &start, int &stop) const { return doc_->ContextAt(offset, context, start, stop); }

    // ---- formatting ----
    TUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TUpdateMode m);
    int Progress() const { return progress_; }
    void FormatRange(int a, int b);
    // checkFirst: walk the layout for consistency before formatting (needless on a layout just reset).
    void FormatAll(bool checkFirst = true);
    // Highlights and wraps p (by way of the window when there is one); true when its number of lines changed.
    bool FormatParagraph(int p);
    bool DoFormatParagraph(int p);
    bool FormattingDone() const;
    void BackgroundStep();
    bool BackgroundRunning() const { return backgroundRunning_; }
    int LongestSlice() const { return longestSliceMs_; }
    // Length of a background slice and how many characters of a very long paragraph one step takes.
    void SetBackgroundTuning(int sliceMs, int chunkChars);
    void CheckConsistency() const;
    int LineOfOffset(int offset); // display line, formatting as needed
    int LineStart(int line);      // offset of a display line's first character
    int LineEnd(int line);        // offset after its last character (before the paragraph end)
    QString LineText(int line);
    quint8 LineStyle(int line);
    int WidestLine() const { return view_.widest; }
    int WrapWidth() const;
    int ClientWidth() const { return view_.clientWidth; }
    int ClientHeight() const { return view_.clientHeight; }
    void SetClientSize(int width, int height);
    int LineHeight() const { return view_.lineHeight > 0 ? view_.lineHeight : view_.autoLineHeight; }
    int FixedLineHeight() const { return view_.lineHeight; } // 0 while the measurer's
    void SetFixedLineHeight(int h) { view_.lineHeight = h >= 1 ? h : 0; }
    void SetAutoLineHeight(int h) { view_.autoLineHeight = std::max(1, h); }
    // The width alone, not laid out anew (a new measurer follows, which lays out everything).
    void SetClientWidthOnly(int width) { view_.clientWidth = std::max(0, width); }
    int VisibleLines() const { return view_.clientHeight / std::max(1, LineHeight()) + 1; }
    int TopLine() const;
    void SetTopOffset(int offset) { view_.topLine.SetOffset(offset); }
    bool IsVisibleParagraph(int p) const;
    Measurer &Measure() { return *view_.measurer; }
    void SetMeasurer(Measurer *m); // not owned; nullptr = fixed width 1
    int SpaceWidth(int variant = 0) { return std::max(1, view_.measurer->Width(QLatin1Char(' '), variant)); }

    // ---- properties ----
    TAlignment Alignment() const { return view_.alignment; }
    void SetAlignment(TAlignment a);
    bool WordWrap() const { return view_.wordWrap; }
    void SetWordWrap(bool v);
    int LeftMargin() const { return view_.leftMargin; }
    void SetLeftMargin(int v);
    int RightMargin() const { return view_.rightMargin; }
    void SetRightMargin(int v);
    int TabStops() const { return view_.tabStops; }
    void SetTabStops(int v);
    bool Overwrite() const { return view_.overwrite; }
    void SetOverwrite(bool v) { view_.overwrite = v; }
    TRiloMemoOptions Options() const { return options_; }
    void SetOptions(TRiloMemoOptions o) { options_ = o; }
    bool HasOption(TRiloMemoOption o) const { return options_ & o; }
    QChar NullReplacement() const { return doc_->NullReplacement(); }
    void SetNullReplacement(QChar c) { doc_->SetNullReplacement(c); }
    bool PassOverCodes() const { return passOverCodes_; }
    void SetPassOverCodes(bool v) { passOverCodes_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool &DropEmptyCodePairs; // the document's

    // ---- update counter ----
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    // ---- string views ----
    TRiloLinesStrings &Lines() { return *lines_; }
    TRiloParaStrings &Paragraphs() { return *paragraphs_; }

    // ---- events ----
    TNotifyEvent OnChange, OnProgress, OnSelMove, OnStyleChange, OnVScroll;
    TParseEvent OnParse;
    TContextEvent OnContext;

    // Caret notifications (OnSelMove / OnStyleChange); the window places its caret first.
    void UpdateCaret();
    void ScrollInView()
    {
        if (host_)
            host_->ScrollInView();
    }
    void Change();
    void FireChange(); // OnChange alone

protected:
    // What the window is told; nothing without one.
    void InvalidateLines(int a, int b)
    {
        if (host_)
            host_->InvalidateLines(a, b);
    }
    void InvalidateAll()
    {
        if (host_)
            host_->InvalidateAll();
    }
    void LinesChanged(int firstLine, int oldCount, int newCount)
    {
        if (host_)
            host_->LinesChanged(firstLine, oldCount, newCount);
    }
    void TextReset()
    {
        if (host_)
            host_->TextReset();
    }
    void BackgroundProgress()
    {
        if (host_)
            host_->BackgroundProgress();
    }
    TRiloNavigator &CaretNav() { return view_.Caret(); }
    const TRiloNavigator &CaretNav() const { return view_.Caret(); }
    void PostBackground();
    // Runs an edit of the document that returns the caret's new offset (-1: nothing changed) and puts
    // the caret there, laying out and showing the change once.
    void EditAndPlaceCaret(const std::function<int()> &edit);
    void MarkDirty(int first, int last);
    void UpdateAfterChange();
    // The display line of an offset as far as repainting needs it: exact where its paragraph is formatted
    // or in view; else the paragraph's first line, which lies on the same side of the window (formatting a
    // paragraph never brings it into view), so a repaint that paints nothing formats nothing.
    int LineToRepaint(int offset);
    // Repaints the lines between two offsets a selection change touched; while updates are held, once
    // they end.
    void RepaintSelection(int a, int b);

private:
    ViewHost *host_ = nullptr;
    std::shared_ptr<TextDocument> doc_;
    const TextStorage &text_; // the document's text
    LineLayout layout_;

protected:
    MemoView view_; // after doc_

private:
    class Pump;
    static std::unique_ptr<QObject> NewPump(MemoCore &memo);

    // What the document tells its views.
    void TextReplaced(const TextChange &change) override;
    void EditHighlighted(const TextChange &change, int settled) override;
    void ParagraphRestyled(int p, bool relayout) override;
    void ContextsApplied(int first, int last, bool dirty) override;
    void Rehighlight() override;
    void TextLoaded() override;
    void Parsed(int start, int stop) override;
    void EditDone() override;
    void LongWork() override;

    // The breaks of p from the kept-th one on (those before it stay as they are).
    std::vector<LineBreak> Wrap(int p, int &widest, size_t &kept);
    // Wraps from startPos (a line start with code style startStyle); with old breaks given, stops at the
    // first new break from convergeFrom on that an old one shares and returns its position (else -1).
    template <class Ch>
    int WrapText(const Ch *s, int len, int p, int startPos, quint8 startStyle, std::vector<LineBreak> &out, int &widest,
                 const std::vector<LineBreak> *old = nullptr, int convergeFrom = 0,
                 int stopAfter = std::numeric_limits<int>::max());
    // The sum of the widest advances of s over the font variants (see Measurer::WidestTable), or -1 once
    // it passes limit.
    template <class Ch> int WidestSum(const Ch *s, int len, int limit);
    // Background wrapping of one very long paragraph, a chunk at a time (after its highlighting).
    struct LongWrap {
        int p = -1, pos = 0, widest = 0;
        quint64 serial = 0;
        bool started = false;
        quint8 style = 0;
        std::vector<LineBreak> breaks;
    } job_;
    quint64 layoutSerial_ = 0; // changes when the layout is thrown away
    int longChunk_ = 256 * 1024;
    int sliceMs_ = 4; // one background step: with the paint after it, within one frame
    // Line counts changed by background steps and not yet reported to the window (-1: none), the time
    // of the last report, and the next block whose spare room is given back once all is formatted.
    int linesPendingFrom_ = -1;
    qint64 lastLinesReport_ = 0;
    bool StepLongParagraph(int p, const QElapsedTimer &slice);
    struct PendingWrap {
        int p = -1; // -1 none, -2 more than one edit: wrap whole paragraphs
        int from = 0, end = 0, settled = 0;
    } pendingWrap_;
    void ReportProgress(int done, bool force);
    void ReformatAndRepaint();
    void SetFormatValue(int &field, int v);

    int updateCount_ = 0;
    int selRepaintLo_ = -1, selRepaintHi_ = -1; // offsets the selection changed between while updates were held
    bool styleWrap_ = false;
    bool editWasWrapped_ = false; // the edited paragraph's layout was current before the edit

    TUpdateMode updateMode_ = TUpdateMode::umBackground;
    int progress_ = -1;
    QElapsedTimer progressTimer_;
    bool backgroundRunning_ = false, backgroundPosted_ = false;
    int longestSliceMs_ = 0;
    int firstDirty_ = -1, lastDirty_ = -1;
    int firstUnformatted_ = 0; // no paragraph before this needs wrapping
    qint64 lastProgress_ = 0;

    TRiloMemoOptions options_ = kDefaultOptions;
    bool passOverCodes_ = true, readOnly_ = false;

    std::unique_ptr<TRiloLinesStrings> lines_;
    std::unique_ptr<TRiloParaStrings> paragraphs_;
    std::unique_ptr<QObject> pump_;
};

} // namespace textcontrol
