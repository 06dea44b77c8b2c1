#pragma once
// Everything of the memo that needs no window: text, navigators, selection, the edit core with its
// undo history, both highlighting passes, wrapping through a measurer, background work and search.
// The widget derives from it and fills in the window hooks.
#include "textcontrol/casefold.h"
#include "textcontrol/contextstate.h"
#include "textcontrol/keylists.h"
#include "textcontrol/measurer.h"
#include "textcontrol/memoview.h"
#include "textcontrol/navigator.h"
#include "textcontrol/textstorage.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace textcontrol {

class MemoCore;
class TRiloHighlighter;
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

// External highlighter: replaces the built-in passes of the memos that use it.
class TRiloHighlighter {
public:
    TRiloHighlighter() = default;
    virtual ~TRiloHighlighter();
    virtual void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop) {}
    virtual void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop) {}

private:
    friend class MemoCore;
    std::vector<MemoCore *> memos_;
};

// The most characters a text may hold (each paragraph end counts two): every offset stays an int with
// room to spare. A load or an edit that would pass it is refused with kTextTooLong.
constexpr int kMaxTextLength = 2147483547;
inline const char *const kTextTooLong = "Text too long";

struct UndoRecord {
    int start = 0, end = 0;
    bool grouped = false;
    QString text;
    int Size() const { return int(text.size()) + 13; }
};

class MemoCore {
public:
    MemoCore();
    virtual ~MemoCore();
    MemoCore(const MemoCore &) = delete;
    MemoCore &operator=(const MemoCore &) = delete;

    static QString Version() { return QStringLiteral("RiloMemo 5.0"); }

    // ---- text ----
    int CharCount() const { return text_.CharCount(); }
    int ParagraphCount() const { return text_.ParagraphCount(); }
    int LineCount() const { return text_.LineCount(); }
    int ParagraphStart(int index) const;
    QString GetTextPart(int start, int stop) const { return text_.Copy(start, stop); }
    QChar CharAt(int offset) const;
    QString Text() const { return text_.Copy(0, CharCount()); }
    QString ParagraphText(int index) const;
    void SetTextBuf(const QString &text);
    void Clear() { SetTextBuf(QString()); }
    void LoadFromStream(QIODevice &stream);
    virtual void SaveToStream(QIODevice &stream);
    QByteArray SaveToBytes();
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    const TextStorage &Storage() const { return text_; }

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
    virtual void SetSelTextBuf(QStringView text); // the edit core
    void ClearSelection() { SetSelText(QString()); }
    void SelectAll();
    int SelLine();
    void SetSelLine(int line);
    int SelCol();
    int SelPar() const { return text_.ParagraphAt(SelStart()); }
    void SetSelPar(int par);
    int VirtualSpaces() const { return view_.virtualSpaces; }
    void SetVirtualSpaces(int n) { view_.virtualSpaces = std::max(0, n); }
    void ToggleBold() { WrapSelection(2); }
    void ToggleItalic() { WrapSelection(1); }
    void ToggleUnderline() { WrapSelection(21); }
    void ToggleHighlight() { WrapSelection(3); }
    void ToggleAltFont() { WrapSelection(4); }
    void WrapSelection(ushort code);
    // An offset between the CR and LF of a paragraph end, or inside a surrogate pair, moved before it
    // (or past it).
    int Snap(int offset, bool forward) const;
    // Moves the caret to an offset and sets the signed selection length in one step.
    void Select(int caret, int length);

    // ---- undo ----
    void Undo();
    void Redo();
    void ClearUndo();
    bool CanUndo() const { return undoIndex_ > 0; }
    bool CanRedo() const { return undoIndex_ < int(undo_.size()); }
    int UndoIndex() const { return undoIndex_; }
    int UndoCount() const { return int(undo_.size()); }
    const UndoRecord &UndoRecordAt(int i) const { return undo_.at(size_t(i)); }
    qint64 UndoTotal() const { return undoTotal_; }
    int UndoMaxSpace() const { return undoMaxSpace_; }
    void SetUndoMaxSpace(int value);
    int UndoMaxLevel() const { return undoMaxLevel_; }
    void SetUndoMaxLevel(int value);
    void ForceNewRecord() { forceNewRecord_ = true; }
    // Marks the newest record as one step with the one before (drag moves).
    void GroupLastRecord();

    // ---- search ----
    bool FindText(const QString &text, bool forward, bool wholeWord, bool matchCase);
    QString WordAtCaret() const;
    bool IsSeparator(QChar c) const { return c.unicode() < 256 && separators_[c.unicode()]; }
    bool IsSeparator(ushort c) const { return c < 256 && separators_[c]; }

    // ---- highlighting ----
    TKeywordList &Keywords() { return keywords_; }
    TStartStopKeyList &StartStopKeys() { return startStop_; }
    bool ApplyKeyWords() const { return applyKeyWords_; }
    void SetApplyKeyWords(bool v) { applyKeyWords_ = v; }
    bool ApplyStartStopKeys() const { return applyStartStopKeys_; }
    void SetApplyStartStopKeys(bool v) { applyStartStopKeys_ = v; }
    QString Separators() const;
    void SetSeparators(const QString &chars);
    TRiloHighlighter *Highlighter() const { return highlighter_; }
    void SetHighlighter(TRiloHighlighter *h);
    void ReApplyKeys();
    virtual void HighlightRange(TRiloNavigator &start, TRiloNavigator &stop);
    virtual void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop);
    // Gives [start, stop) one state; the keyword pass and external highlighters style through it.
    virtual void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled,
                               const TContextState &state);
    void HighlightUpTo(int paragraph);
    TContextState StateAt(int offset) const;
    quint8 StyleAt(int offset) const; // style byte of the codes in force at an offset
    const StateTable &States() const { return states_; }
    // State of a pair context opened on top of s (or of a keyword, for keyword >= 0 entries).
    StateId PushPair(StateId s, int pair);
    StateId PushKeyword(StateId s, int keyword);
    StateId Pop(StateId s);
    // Range of the context around an offset: [start, stop) and its number; false outside contexts.
    bool ContextAt(int offset, qint16 &context, int &start, int &stop) const;

    // ---- formatting ----
    TUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TUpdateMode m);
    int Progress() const { return progress_; }
    void FormatRange(int a, int b);
    void FormatAll();
    void FormatParagraph(int p);
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
    int VisibleLines() const { return view_.clientHeight / std::max(1, LineHeight()) + 1; }
    int TopLine() const;
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
    TRiloMemoOptions Options() const { return options_; }
    virtual void SetOptions(TRiloMemoOptions o) { options_ = o; }
    bool HasOption(TRiloMemoOption o) const { return options_ & o; }
    QChar NullReplacement() const { return nullReplacement_; }
    void SetNullReplacement(QChar c) { nullReplacement_ = c; }
    bool PassOverCodes() const { return passOverCodes_; }
    void SetPassOverCodes(bool v) { passOverCodes_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool DropEmptyCodePairs = true;

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

    // Caret notifications (OnSelMove / OnStyleChange); the widget also places its caret here.
    virtual void UpdateCaret();
    virtual void ScrollInView() {}
    virtual void Change();

protected:
    std::vector<TRiloNavigator *> navigators_; // before every navigator member
    // Window hooks, empty without a window.
    virtual bool HasWindow() const { return false; }
    virtual void InvalidateLines(int a, int b) {}
    virtual void InvalidateAll() {}
    virtual void LinesChanged(int firstLine, int oldCount, int newCount) {}
    virtual void TextReset() {}
    virtual void BackgroundProgress() {}
    void SetAutoLineHeight(int h) { view_.autoLineHeight = std::max(1, h); }
    TRiloNavigator &CaretNav() { return view_.Caret(); }
    const TRiloNavigator &CaretNav() const { return view_.Caret(); }
    void PostBackground();
    void MarkDirty(int first, int last);
    void UpdateAfterChange();
    bool IsVisibleParagraph(int p) const;
    // The display line of an offset as far as repainting needs it: exact where its paragraph is formatted
    // or in view; else the paragraph's first line, which lies on the same side of the window (formatting a
    // paragraph never brings it into view), so a repaint that paints nothing formats nothing.
    int LineToRepaint(int offset);
    MemoView view_; // after navigators_
    int maxLength_ = kMaxTextLength; // lowered by tests

private:
    friend class TRiloNavigator;
    friend class TRiloHighlighter;
    class Pump;
    static std::unique_ptr<QObject> NewPump(MemoCore &memo);

    // The edit primitive: replaces [lower, upper) by text, with its undo record and highlighting, and
    // returns the offset after the new text (-1 when nothing changed). Repainting waits for the caller.
    int ReplaceRange(int lower, int upper, QStringView text);
    void LoadText(QStringView text);
    bool LoadAscii(const char *data, qsizetype n);
    void AfterLoad();
    void Register(TRiloNavigator *n) { navigators_.push_back(n); }
    void Unregister(TRiloNavigator *n);
    void AdjustNavigators(int lower, int upper, int delta);
    void RecordUndo(int lower, int upper, int insertedLength, const QString &removed);
    void TrimUndo();
    void DeleteRecord(int i);
    // Start/stop pass over one paragraph from character `from` to its end; returns true when the
    // state carried into the next paragraph changed.
    bool StartStopPass(int p, int from, bool compact);
    template <class Ch>
    StateId WalkStartStop(const Ch *s, int len, int from, StateId st, int bodyStart, std::vector<Transition> &out,
                          const std::vector<Transition> *old = nullptr, int convergeFrom = 0, int *convergedAt = nullptr,
                          int limit = std::numeric_limits<int>::max(), int *resumeAt = nullptr, int *resumeBody = nullptr);
    // Start/stop pass over a long paragraph after an edit of [editFrom, editEnd): from a little before
    // the edit until the result meets the old transitions again. Returns where it met them (or the
    // paragraph length) and the position from which transitions were rebuilt.
    int ResumeStartStop(int p, int editFrom, int editEnd, int &rebuiltFrom);
    bool PropagateEnd(int p, StateId end);
    // finish: the whole paragraph is done (its keyword flag is set).
    void KeywordPass(int p, int from, int to, bool finish = true);
    template <class Ch> bool AnyKeyword(const Ch *s, int len, int a, int b) const;
    template <class Ch> bool FindKeywords(const Ch *s, int len, int a, int b, std::vector<Transition> &trans);
    void BuildKeyTables();
    std::vector<LineBreak> Wrap(int p, int &widest);
    // Wraps from startPos (a line start with code style startStyle); with old breaks given, stops at the
    // first new break from convergeFrom on that an old one shares and returns its position (else -1).
    template <class Ch>
    int WrapText(const Ch *s, int len, int p, int startPos, quint8 startStyle, std::vector<LineBreak> &out, int &widest,
                 const std::vector<LineBreak> *old = nullptr, int convergeFrom = 0,
                 int stopAfter = std::numeric_limits<int>::max());
    // Background work on one very long paragraph, a chunk at a time: contexts, keywords, wrapping.
    struct LongJob {
        int p = -1, phase = -1, pos = 0, body = 0, widest = 0;
        quint64 serial = 0;
        StateId cur = 0;
        quint8 style = 0;
        std::vector<Transition> out;
        std::vector<LineBreak> breaks;
    } job_;
    quint64 editSerial_ = 0; // changes whenever text or highlighting changes outside the background
    int longChunk_ = 256 * 1024;
    int sliceMs_ = 25; // one background step
    bool StepLongParagraph(int p, const QElapsedTimer &slice);
    struct PendingWrap {
        int p = -1; // -1 none, -2 more than one edit: wrap whole paragraphs
        int from = 0, end = 0, settled = 0;
    } pendingWrap_;
    void KeyListsChanged();
    StateId StripKeywords(StateId s);
    TContextState MakeState(const TContextState &below, const TKeyStyle &style, qint16 entry, int startLen, int stopLen);
    void ParagraphEdited(int first, int count, int oldCount);
    void ReportProgress(int done, bool force);
    void ReformatAndRepaint();
    void SetFormatValue(int &field, int v);
    template <class Ch>
    int Search(const Ch *s, int len, int from, int to, const QString &pat, const FirstChar &first, bool matchCase, bool wholeWord,
               bool last) const;

    TextStorage text_;
    StateTable states_;
    TKeywordList keywords_;
    TStartStopKeyList startStop_;
    bool modified_ = false;
    int updateCount_ = 0;

    std::deque<UndoRecord> undo_; // the oldest go from the front once a limit is reached
    int undoIndex_ = 0;
    qint64 undoTotal_ = 0;
    int undoMaxSpace_ = 65536, undoMaxLevel_ = 256;
    bool undoing_ = false, forceNewRecord_ = false, styleWrap_ = false;

    bool applyKeyWords_ = true, applyStartStopKeys_ = true;
    bool separators_[256] = {};
    TRiloHighlighter *highlighter_ = nullptr;
    // Pair candidates by first character (lists in list order); keys starting beyond Latin-1 go slow.
    std::vector<std::vector<int>> pairsByFirst_;
    bool maybeStart_[256] = {};
    bool keyTablesValid_ = false;
    std::vector<std::vector<StateId>> pushCache_;
    std::vector<StateId> popCache_, stripCache_;

    TUpdateMode updateMode_ = TUpdateMode::umBackground;
    int progress_ = -1;
    QElapsedTimer progressTimer_;
    bool backgroundRunning_ = false, backgroundPosted_ = false;
    int longestSliceMs_ = 0;
    int firstDirty_ = -1, lastDirty_ = -1;
    int ctxMark_ = -1;         // paragraphs up to here have their contexts applied
    int firstUnformatted_ = 0; // no paragraph before this needs wrapping
    qint64 lastProgress_ = 0;
    int MaxAdvance(); // wrap width while formatting for a printer canvas

    TRiloMemoOptions options_ = kDefaultOptions;
    QChar nullReplacement_ = QChar(0);
    bool passOverCodes_ = true, readOnly_ = false;

    std::unique_ptr<TRiloLinesStrings> lines_;
    std::unique_ptr<TRiloParaStrings> paragraphs_;
    std::unique_ptr<QObject> pump_;
};

} // namespace textcontrol
