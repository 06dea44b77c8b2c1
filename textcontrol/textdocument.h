#pragma once
// The document of the text control: the text, its edits and their undo history, both highlighting passes,
// search, loading and saving. It knows nothing of views beyond the observer interface through which it
// tells them what changed; views keep their places in it through navigators.
#include "textcontrol/casefold.h"
#include "textcontrol/contextstate.h"
#include "textcontrol/keylists.h"
#include "textcontrol/navigator.h"
#include "textcontrol/textstorage.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QString>
#include <algorithm>
#include <climits>
#include <deque>
#include <functional>
#include <limits>
#include <vector>

namespace textcontrol {

class TextDocument;

// External highlighter: replaces the built-in passes of the documents that use it.
class TRiloHighlighter {
public:
    TRiloHighlighter() = default;
    virtual ~TRiloHighlighter();
    virtual void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop) {}
    virtual void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop) {}

private:
    friend class TextDocument;
    std::vector<TextDocument *> documents_;
};

// The most characters a text may hold (each paragraph end counts two): every offset stays an int with
// room to spare. A load or an edit that would pass it is refused with kTextTooLong.
constexpr int kMaxTextLength = 2147483547;
inline const char *const kTextTooLong = "Text too long";
// The largest undo record, text and head (13) together.
constexpr int kMaxUndoRecord = 2147483547;

// A text's line ends as loading reads them (CR LF, LF CR, a lone CR, a lone LF: one paragraph end each),
// each made CR LF: inserted, the text ends the paragraphs that loading it would end. (The edit core ends a
// paragraph at a CR only; a lone LF stays a character of its paragraph.)
QString EndsAsLoaded(QStringView text);

struct UndoRecord {
    int start = 0, end = 0;
    bool grouped = false;
    QString text;
    int Size() const { return int(text.size()) + 13; }
};

// One edit as the document's views hear of it: characters [lower, upper) became [lower, lower + inserted),
// paragraphs [first, first + oldCount) became [first, first + newCount). Within one paragraph (one old,
// one new), its columns [column, columnEnd) were replaced.
struct TextChange {
    int lower = 0, upper = 0, inserted = 0;
    int first = 0, oldCount = 1, newCount = 1;
    int column = 0, columnEnd = 0;
};

// What a view hears from its document. Calls come during the document's work: a view notes what it must
// lay out or repaint and does so when the edit is over.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // Characters were replaced (before highlighting caught up with them).
    virtual void TextReplaced(const TextChange &change) = 0;
    // An edit inside one long paragraph was highlighted anew around the edit only: the highlighting
    // from column `settled` on is as it was.
    virtual void EditHighlighted(const TextChange &change, int settled) = 0;
    // Paragraph p's contexts were highlighted anew; relayout: the state it starts in changed too.
    virtual void ParagraphRestyled(int p, bool relayout) = 0;
    // Paragraphs first..last were given a state from outside (an external highlighter).
    virtual void ContextsApplied(int first, int last, bool dirty) = 0;
    // Every paragraph is to be highlighted anew (the key lists changed).
    virtual void Rehighlight() = 0;
    // A new text replaced the whole document.
    virtual void TextLoaded() = 0;
    // The characters [start, stop) were parsed anew (an edit).
    virtual void Parsed(int start, int stop) = 0;
    // The edit is over: what it changed can be laid out and shown.
    virtual void EditDone() = 0;
    // A long load or save moves on.
    virtual void LongWork() = 0;
};

class TextDocument {
public:
    TextDocument();
    ~TextDocument();
    TextDocument(const TextDocument &) = delete;
    TextDocument &operator=(const TextDocument &) = delete;

    void AddObserver(DocumentObserver *o) { observers_.push_back(o); }
    void RemoveObserver(DocumentObserver *o);

    // ---- text ----
    int CharCount() const { return text_.CharCount(); }
    int ParagraphCount() const { return text_.ParagraphCount(); }
    int ParagraphStart(int index) const;
    QString GetTextPart(int start, int stop) const { return text_.Copy(start, stop); }
    QChar CharAt(int offset) const;
    QString Text() const { return text_.Copy(0, CharCount()); }
    QString ParagraphText(int index) const;
    const TextStorage &Storage() const { return text_; }
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    // An offset between the CR and LF of a paragraph end, or inside a surrogate pair, moved before it
    // (or past it).
    int Snap(int offset, bool forward) const;

    // ---- loading and saving ----
    void LoadText(QStringView text);
    // Loads UTF-8 (or ASCII) bytes straight into the storage; false, with nothing changed, when they are
    // not valid UTF-8 (or too long to tell by their bytes).
    bool LoadUtf8(const char *data, qsizetype n);
    // Loads bytes straight into the storage as UTF-8 (a mark at the start is not text) when they are
    // valid UTF-8, and returns true; else as Windows-1252 (a mark is text), keeping what was read before
    // the first byte that is not UTF-8, and returns false.
    bool LoadUtf8OrWindows1252(const char *data, qsizetype n);
    void LoadBytes(const QByteArray &bytes);
    // trimTrailing: blanks at paragraph ends are left out.
    QByteArray SaveToBytes(bool trimTrailing);
    QChar NullReplacement() const { return nullReplacement_; }
    void SetNullReplacement(QChar c) { nullReplacement_ = c; }
    bool DropEmptyCodePairs = true;
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int chars) { maxLength_ = std::clamp(chars, 0, kMaxTextLength); } // tests lower it

    // ---- editing ----
    // The edit primitive: replaces [lower, upper) by text, with its undo record and highlighting, and
    // returns the offset after the new text (-1 when nothing changed). Views are told as it goes.
    // keepCodes: the text's style codes stand as they are (no closing codes are added).
    int ReplaceRange(int lower, int upper, QStringView text, bool keepCodes = false);
    // Counts of edits and restylings, so that work in slices can tell that the text moved under it.
    quint64 EditSerial() const { return editSerial_; }

    // ---- undo ----
    // Undo and Redo replay a record through apply, which replaces [start, end) by the text as an edit
    // of the view that asked.
    using ApplyEdit = std::function<void(int start, int end, const QString &text)>;
    void Undo(const ApplyEdit &apply);
    void Redo(const ApplyEdit &apply);
    void ClearUndo();
    bool CanUndo() const { return undoIndex_ > 0; }
    // An undo or redo is putting back text the document held (its edits come through the views' edit core).
    bool Undoing() const { return undoing_; }
    bool CanRedo() const { return undoIndex_ < int(undo_.size()); }
    int UndoIndex() const { return undoIndex_; }
    int UndoCount() const { return int(undo_.size()); }
    const UndoRecord &UndoRecordAt(int i) const;
    qint64 UndoTotal() const { return undoTotal_; }
    int UndoMaxSpace() const { return undoMaxSpace_; }
    void SetUndoMaxSpace(int value);
    int UndoMaxLevel() const { return undoMaxLevel_; }
    void SetUndoMaxLevel(int value);
    void ForceNewRecord() { forceNewRecord_ = true; }
    // Whether an edit that takes `chars` characters away is kept for undo; one that is not clears the history.
    bool KeepsForUndo(qint64 chars) const { return undoing_ || chars + 13 <= std::min(qint64(undoMaxSpace_), qint64(kMaxUndoRecord)); }
    // Marks the newest record as one step with the one before (drag moves).
    void GroupLastRecord();

    // ---- search ----
    // The offset of the next match from `from` (forward) or the last one before it, -1 when none;
    // length: the match's length.
    int Find(const QString &text, int from, bool forward, bool wholeWord, bool matchCase, int *length = nullptr) const;
    QString WordAt(int offset) const;
    // Replaces every match that Find would find from the start, each search going on after the match
    // before it, as one edit with one undo record. Returns how many; *end: the offset after the edit.
    int ReplaceAll(const QString &text, const QString &replacement, bool wholeWord, bool matchCase, int *end = nullptr);
    // Replace All in two parts, so that a caller can keep its event loop running on a big text: the search
    // in slices, changing nothing, then the one edit.
    struct ReplaceSearch {
        QString pattern; // folded when case does not count
        FirstChar first;
        bool wholeWord = false, matchCase = true;
        std::vector<int> at; // the matches found so far
        int next = 0; // the paragraph to look in next; ParagraphCount() once done
        quint64 text = 0; // TextSerial() when it began
    };
    ReplaceSearch StartReplaceAll(const QString &text, bool wholeWord, bool matchCase) const;
    // Looks on, through at least `chars` characters (all of the text when chars <= 0); true when the whole
    // text has been looked through. A search whose text changed meanwhile begins anew.
    bool SearchOn(ReplaceSearch &s, int chars) const;
    // How far a search has come, 0 to 100.
    int SearchProgress(const ReplaceSearch &s) const;
    // The one edit of a finished search; as ReplaceAll.
    int ReplaceFound(const ReplaceSearch &s, const QString &replacement, int *end = nullptr);
    // Counts the changes of the text itself (edits and loads).
    quint64 TextSerial() const { return textSerial_; }
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
    void HighlightRange(TRiloNavigator &start, TRiloNavigator &stop);
    void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop);
    // Gives [start, stop) one state; the keyword pass and external highlighters style through it.
    void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled,
                       const TContextState &state);
    // Contexts of every paragraph up to this one.
    void HighlightUpTo(int paragraph);
    // Both passes of paragraph p, as far as they are not done.
    void HighlightParagraph(int p) { HighlightParagraph(p, text_.Info(p)); }
    // One chunk of the highlighting of a very long paragraph (background work); true when both passes
    // are done for it.
    bool HighlightChunk(int p, int chunkChars);
    // Both passes are done for paragraph p.
    bool Highlighted(int p) const { return (text_.Flags(p) & (pfContexts | pfKeywords)) == (pfContexts | pfKeywords); }

    // ---- background highlighting ----
    // The document keeps track of what waits for highlighting; the background slices of its views (or
    // anyone's, for a document alone) give it time. One slice highlights paragraphs from the first one
    // not done, up to paragraph upTo, until sliceMs of the slice are spent (a very long paragraph in
    // chunks), each once however many views show it; once all are done it gives back the spare room of
    // its blocks, a few at a time. Returns BackgroundDone().
    bool BackgroundSlice(const QElapsedTimer &slice, int upTo = INT_MAX);
    bool BackgroundDone();
    // Length of a slice and how many characters of a very long paragraph one step takes.
    void SetBackgroundTuning(int sliceMs, int chunkChars);
    int SliceMs() const { return sliceMs_; }
    int ChunkChars() const { return chunkChars_; }
    // Paragraphs the passes have gone through (each highlighting of one counts), for tests.
    quint64 ParagraphsHighlighted() const { return highlightCount_; }

    // Releases the room kept for more transitions (once everything is highlighted).
    void CompactTransitions() { text_.CompactTransitions(); }
    int CompactBlocks(int from, int count) { return text_.CompactBlocks(from, count); }
    TContextState StateAt(int offset) const;
    const StateTable &States() const { return states_; }
    // State of a pair context opened on top of s (or of a keyword, for keyword >= 0 entries).
    // The walks push and pop at nearly every tag: a state met before is found without a call.
    StateId PushPair(StateId s, int pair)
    {
        if (s < pushCache_.size()) {
            const std::vector<StateId> &row = pushCache_[s];
            if (size_t(pair) < row.size() && row[size_t(pair)] != StateId(-1) && row.size() == size_t(startStop_.Count()))
                return row[size_t(pair)];
        }
        return PushPairNew(s, pair);
    }
    StateId PushKeyword(StateId s, int keyword);
    StateId Pop(StateId s) { return s < popCache_.size() && popCache_[s] != StateId(-1) ? popCache_[s] : PopNew(s); }
    StateId PushPairNew(StateId s, int pair);
    StateId PopNew(StateId s);
    // Range of the context around an offset: [start, stop) and its number; false outside contexts.
    bool ContextAt(int offset, qint16 &context, int &start, int &stop) const;

private:
    friend class TRiloNavigator;
    friend class TRiloHighlighter;

    void AfterLoad();
    // Highlighting of paragraph p (and maybe after it) is to be done anew.
    void Unhighlighted(int p)
    {
        hlNext_ = std::min(hlNext_, std::max(0, p));
        compactNext_ = 0;
    }
    void Register(TRiloNavigator *n) { navigators_.push_back(n); }
    void Unregister(TRiloNavigator *n);
    void AdjustNavigators(int lower, int upper, int delta);
    void RecordUndo(int lower, int upper, int insertedLength, const QString &removed);
    // knownRemoved: the text of [lower, upper) when the caller holds it already (not copied again).
    int ReplaceRange(int lower, int upper, QStringView text, bool keepCodes, const QString *knownRemoved);
    void TrimUndo();
    void DeleteRecord(int i);
    void Progress();
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
    // HighlightParagraph with what the paragraph holds read already.
    void HighlightParagraph(int p, const ParaInfo &in);
    // finish: the whole paragraph is done (its keyword flag is set).
    void KeywordPass(int p, int from, int to, bool finish = true);
    // The keyword styling of [from, to) of p, which holds t with start state first and transitions cur.
    void KeywordsIn(int p, const ParaText &t, StateId first, std::span<const Transition> cur, int from, int to);
    // Whether a keyword may start in [a, b) where the state in force (first before the transitions)
    // lies outside start/stop contexts: only there does the keyword pass style one.
    template <class Ch>
    bool AnyKeyword(const Ch *s, int len, int a, int b, std::span<const Transition> trans, StateId first) const;
    template <class Ch> bool FindKeywords(const Ch *s, int len, int a, int b, std::vector<Transition> &trans);
    void BuildKeyTables();
    void KeyListsChanged();
    StateId StripKeywords(StateId s);
    TContextState MakeState(const TContextState &below, const TKeyStyle &style, qint16 entry, int startLen, int stopLen);
    template <class Ch>
    int Search(const Ch *s, int len, int from, int to, const QString &pat, const FirstChar &first, bool matchCase, bool wholeWord,
               bool last) const;

    std::vector<TRiloNavigator *> navigators_; // before every navigator member
    std::vector<DocumentObserver *> observers_;
    TextStorage text_;
    StateTable states_;
    TKeywordList keywords_;
    TStartStopKeyList startStop_;
    bool modified_ = false;
    quint64 editSerial_ = 0; // changes whenever text or highlighting changes outside the background
    int maxLength_ = kMaxTextLength;
    QChar nullReplacement_ = QChar(0);
    QElapsedTimer progressTimer_;

    std::deque<UndoRecord> undo_; // the oldest go from the front once a limit is reached
    int undoIndex_ = 0;
    qint64 undoTotal_ = 0;
    int undoMaxSpace_ = 65536, undoMaxLevel_ = 256;
    bool undoing_ = false, forceNewRecord_ = false;
    quint64 textSerial_ = 0;

    bool applyKeyWords_ = true, applyStartStopKeys_ = true;
    bool separators_[256] = {};
    TRiloHighlighter *highlighter_ = nullptr;
    // Pair candidates by first character (lists in list order); keys starting beyond Latin-1 go slow.
    std::vector<std::vector<int>> pairsByFirst_;
    bool maybeStart_[256] = {};
    // Per pair: a key of one character with no separator to test matches when that character (folded
    // unless the case counts) is there, which the walk tests without a call.
    struct OneCharKeys {
        ushort start = 0, stop = 0;
        bool startOne = false, stopOne = false;
    };
    std::vector<OneCharKeys> oneChar_;
    // Keywords by the characters below 256 they may start with (text folded unless the case counts).
    std::vector<std::vector<int>> keywordsByFirst_;
    bool keywordFirst_[256] = {};
    std::vector<uchar> keywordBytes_, separatorBytes_; // the bytes of keywordFirst_ and separators_
    std::vector<int> keywordsWide_; // keywords a character from 256 on may start
    bool keyTablesValid_ = false;
    std::vector<std::vector<StateId>> pushCache_;
    std::vector<std::vector<StateId>> keywordCache_; // PushKeyword by state, then keyword
    std::vector<StateId> popCache_, stripCache_;
    int ctxMark_ = -1; // paragraphs up to here have their contexts applied

    // Background highlighting: no paragraph before hlNext_ waits for it; blocks from compactNext_ on are
    // to give back their spare room (-1: none).
    int hlNext_ = 0, compactNext_ = -1;
    int sliceMs_ = 4, chunkChars_ = 256 * 1024; // one slice, with the paint after it, within one frame
    quint64 highlightCount_ = 0;

    // The highlighting of one very long paragraph in chunks: contexts, then keywords.
    struct LongJob {
        int p = -1, phase = -1, pos = 0, body = 0;
        quint64 serial = 0;
        StateId cur = 0;
        std::vector<Transition> out;
    } job_;
};

} // namespace textcontrol
