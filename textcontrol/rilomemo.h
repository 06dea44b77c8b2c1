#pragma once
// The syntax-highlighting text control: a window that owns a view onto a document and shows it with a
// caret, painting, printing, keyboard and mouse input, the clipboard and scroll bars. Everything of the
// view and the document is reached through the control as well (one-line forwards).
#include "platform/controldrag.h"
#include "textcontrol/controlevents.h"
#include "textcontrol/memocore.h"
#include "textcontrol/palettecolor.h"
#include "textcontrol/qtmeasurer.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QPen>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

class QPainter;

namespace platform {
class FormWriter;
class FormReader;
} // namespace platform

namespace textcontrol {

enum class TBorderStyle { bsNone, bsSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TRiloMemo : public QAbstractScrollArea, public ViewHost, public platform::ControlDragMembers {
    Q_OBJECT

    MemoCore view_; // first: the forwards below and the navigators refer into it

public:
    explicit TRiloMemo(QWidget *parent = nullptr);
    ~TRiloMemo() override;

    // The view the control shows, and its document.
    MemoCore &View() { return view_; }
    const MemoCore &View() const { return view_; }
    TextDocument &Document() { return view_.Document(); }
    const TextDocument &Document() const { return view_.Document(); }
    std::shared_ptr<TextDocument> SharedDocument() const { return view_.SharedDocument(); }
    // The control showing a view (the sender of the view's events), or nullptr.
    static TRiloMemo *Of(MemoCore *view) { return view ? dynamic_cast<TRiloMemo *>(view->Host()) : nullptr; }
    static QString Version() { return MemoCore::Version(); }

    // ---- text ----
    int CharCount() const { return view_.CharCount(); }
    int ParagraphCount() const { return view_.ParagraphCount(); }
    int LineCount() const { return view_.LineCount(); }
    int ParagraphStart(int index) const { return view_.ParagraphStart(index); }
    QString GetTextPart(int start, int stop) const { return view_.GetTextPart(start, stop); }
    QChar CharAt(int offset) const { return view_.CharAt(offset); }
    QString Text() const { return view_.Text(); }
    QString ParagraphText(int index) const { return view_.ParagraphText(index); }
    void SetTextBuf(const QString &text) { view_.SetTextBuf(text); }
    void Clear() { view_.Clear(); }
    void LoadFromStream(QIODevice &stream) { view_.LoadFromStream(stream); }
    // Loads UTF-8 (or ASCII) bytes straight into the storage; false, with nothing changed, when they are
    // not valid UTF-8 (or too long to tell by their bytes).
    bool LoadUtf8(const char *data, qsizetype n) { return view_.LoadUtf8(data, n); }
    bool LoadUtf8OrWindows1252(const char *data, qsizetype n) { return view_.LoadUtf8OrWindows1252(data, n); }
    virtual void SaveToStream(QIODevice &stream) { view_.SaveToStream(stream); }
    QByteArray SaveToBytes() { return view_.SaveToBytes(); }
    bool Modified() const { return view_.Modified(); }
    void SetModified(bool m) { view_.SetModified(m); }
    const TextStorage &Storage() const { return view_.Storage(); }
    const LineLayout &Layout() const { return view_.Layout(); } // this view's display lines

    // ---- selection ----
    int SelStart() const { return view_.SelStart(); }
    void SetSelStart(int value) { view_.SetSelStart(value); }
    int SelLength() const { return view_.SelLength(); }
    void SetSelLength(int value) { view_.SetSelLength(value); }
    int SelLower() const { return view_.SelLower(); }
    int SelUpper() const { return view_.SelUpper(); }
    QString SelText() const { return view_.SelText(); }
    void SetSelText(const QString &text) { view_.SetSelText(text); }
    int GetSelTextBuf(QChar *buffer, int size) const { return view_.GetSelTextBuf(buffer, size); }
    // The edit core: typing, pasting, the style toggles and every other edit of the control come here.
    virtual void SetSelTextBuf(QStringView text) { view_.DoSetSelTextBuf(text); }
    void ClearSelection() { view_.ClearSelection(); }
    void SelectAll() { view_.SelectAll(); }
    int SelLine() { return view_.SelLine(); }
    void SetSelLine(int line) { view_.SetSelLine(line); }
    int SelCol() { return view_.SelCol(); }
    int SelPar() const { return view_.SelPar(); }
    void SetSelPar(int par) { view_.SetSelPar(par); }
    int VirtualSpaces() const { return view_.VirtualSpaces(); }
    void SetVirtualSpaces(int n) { view_.SetVirtualSpaces(n); }
    void ToggleBold() { view_.ToggleBold(); }
    void ToggleItalic() { view_.ToggleItalic(); }
    void ToggleUnderline() { view_.ToggleUnderline(); }
    void ToggleHighlight() { view_.ToggleHighlight(); }
    void ToggleAltFont() { view_.ToggleAltFont(); }
    void WrapSelection(ushort code) { view_.WrapSelection(code); }
    int Snap(int offset, bool forward) const { return view_.Snap(offset, forward); }
    // Moves the caret to an offset and sets the signed selection length in one step.
    void Select(int caret, int length) { view_.Select(caret, length); }

    // ---- undo ----
    void Undo() { view_.Undo(); }
    void Redo() { view_.Redo(); }
    void ClearUndo() { view_.ClearUndo(); }
    bool CanUndo() const { return view_.CanUndo(); }
    bool CanRedo() const { return view_.CanRedo(); }
    int UndoIndex() const { return view_.UndoIndex(); }
    int UndoCount() const { return view_.UndoCount(); }
    const UndoRecord &UndoRecordAt(int i) const { return view_.UndoRecordAt(i); }
    qint64 UndoTotal() const { return view_.UndoTotal(); }
    int UndoMaxSpace() const { return view_.UndoMaxSpace(); }
    void SetUndoMaxSpace(int value) { view_.SetUndoMaxSpace(value); }
    int UndoMaxLevel() const { return view_.UndoMaxLevel(); }
    void SetUndoMaxLevel(int value) { view_.SetUndoMaxLevel(value); }
    void ForceNewRecord() { view_.ForceNewRecord(); }
    void GroupLastRecord() { view_.GroupLastRecord(); }

    // ---- search ----
    bool FindText(const QString &text, bool forward, bool wholeWord, bool matchCase)
    {
        return view_.FindText(text, forward, wholeWord, matchCase);
    }
    int ReplaceAll(const QString &text, const QString &replacement, bool wholeWord, bool matchCase)
    {
        return view_.ReplaceAll(text, replacement, wholeWord, matchCase);
    }
    int ReplaceFound(const TextDocument::ReplaceSearch &search, const QString &replacement)
    {
        return view_.ReplaceFound(search, replacement);
    }
    bool ReplaceFirst(const QString &text, const QString &replacement, bool wholeWord, bool matchCase)
    {
        return view_.ReplaceFirst(text, replacement, wholeWord, matchCase);
    }
    QString WordAtCaret() const { return view_.WordAtCaret(); }
    bool IsSeparator(QChar c) const { return view_.IsSeparator(c); }
    bool IsSeparator(ushort c) const { return view_.IsSeparator(c); }

    // ---- highlighting (the document's) ----
    TKeywordList &Keywords() { return view_.Keywords(); }
    TStartStopKeyList &StartStopKeys() { return view_.StartStopKeys(); }
    bool ApplyKeyWords() const { return view_.ApplyKeyWords(); }
    bool ApplyStartStopKeys() const { return view_.ApplyStartStopKeys(); }
    QString Separators() const { return view_.Separators(); }
    void SetSeparators(const QString &chars) { view_.SetSeparators(chars); }
    TRiloHighlighter *Highlighter() const { return view_.Highlighter(); }
    void SetHighlighter(TRiloHighlighter *h) { view_.SetHighlighter(h); }
    void ReApplyKeys() { view_.ReApplyKeys(); }
    virtual void HighlightRange(TRiloNavigator &start, TRiloNavigator &stop) { view_.HighlightRange(start, stop); }
    virtual void ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop) { view_.ApplyKeys(start, stop); }
    virtual void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled, const TContextState &state)
    {
        view_.ApplyContexts(start, stop, markDirty, styled, state);
    }
    void HighlightUpTo(int paragraph) { view_.HighlightUpTo(paragraph); }
    TContextState StateAt(int offset) const { return view_.StateAt(offset); }
    quint8 StyleAt(int offset) const { return view_.StyleAt(offset); } // style byte of the codes in force at an offset
    const StateTable &States() const { return view_.States(); }
    StateId PushPair(StateId s, int pair) { return view_.PushPair(s, pair); }
    StateId PushKeyword(StateId s, int keyword) { return view_.PushKeyword(s, keyword); }
    StateId Pop(StateId s) { return view_.Pop(s); }
    bool ContextAt(int offset, qint16 &context, int &start, int &stop) const { return view_.ContextAt(offset, context, start, stop); }

    // ---- formatting ----
    TUpdateMode UpdateMode() const { return view_.UpdateMode(); }
    void SetUpdateMode(TUpdateMode m) { view_.SetUpdateMode(m); }
    int Progress() const { return view_.Progress(); }
    void FormatRange(int a, int b) { view_.FormatRange(a, b); }
    void FormatAll() { view_.FormatAll(); }
    // Every paragraph the control lays out, at once or in the background, is laid out here.
    virtual bool FormatParagraph(int p) { return view_.DoFormatParagraph(p); }
    bool FormattingDone() const { return view_.FormattingDone(); }
    void BackgroundStep() { view_.BackgroundStep(); }
    bool BackgroundRunning() const { return view_.BackgroundRunning(); }
    int LongestSlice() const { return view_.LongestSlice(); }
    // Length of a background slice and how many characters of a very long paragraph one step takes.
    void SetBackgroundTuning(int sliceMs, int chunkChars) { view_.SetBackgroundTuning(sliceMs, chunkChars); }
    void CheckConsistency() const { view_.CheckConsistency(); }
    int LineOfOffset(int offset) { return view_.LineOfOffset(offset); } // display line, formatting as needed
    int LineStart(int line) { return view_.LineStart(line); }     // offset of a display line's first character
    int LineEnd(int line) { return view_.LineEnd(line); } // offset after its last character (before the paragraph end)
    QString LineText(int line) { return view_.LineText(line); }
    quint8 LineStyle(int line) { return view_.LineStyle(line); }
    int WidestLine() const { return view_.WidestLine(); }
    int WrapWidth() const { return view_.WrapWidth(); }
    int ClientWidth() const { return view_.ClientWidth(); }
    int ClientHeight() const { return view_.ClientHeight(); }
    void SetClientSize(int width, int height) { view_.SetClientSize(width, height); }
    int LineHeight() const { return view_.LineHeight(); }
    int VisibleLines() const { return view_.VisibleLines(); }
    int TopLine() const { return view_.TopLine(); }
    Measurer &Measure() { return view_.Measure(); }
    void SetMeasurer(Measurer *m) { view_.SetMeasurer(m); } // not owned; nullptr = fixed width 1
    int SpaceWidth(int variant = 0) { return view_.SpaceWidth(variant); }

    // ---- properties ----
    TAlignment Alignment() const { return view_.Alignment(); }
    bool WordWrap() const { return view_.WordWrap(); }
    int LeftMargin() const { return view_.LeftMargin(); }
    void SetLeftMargin(int v) { view_.SetLeftMargin(v); }
    int RightMargin() const { return view_.RightMargin(); }
    void SetRightMargin(int v) { view_.SetRightMargin(v); }
    int TabStops() const { return view_.TabStops(); }
    void SetTabStops(int v) { view_.SetTabStops(v); }
    TRiloMemoOptions Options() const { return view_.Options(); }
    bool HasOption(TRiloMemoOption o) const { return view_.HasOption(o); }
    QChar NullReplacement() const { return view_.NullReplacement(); }
    void SetNullReplacement(QChar c) { view_.SetNullReplacement(c); }
    bool PassOverCodes() const { return view_.PassOverCodes(); }
    void SetPassOverCodes(bool v) { view_.SetPassOverCodes(v); }
    bool ReadOnly() const { return view_.ReadOnly(); }
    void SetReadOnly(bool v) { view_.SetReadOnly(v); }
    bool &DropEmptyCodePairs; // the document's

    // ---- update counter ----
    void BeginUpdate() { view_.BeginUpdate(); }
    void EndUpdate() { view_.EndUpdate(); }
    bool Updating() const { return view_.Updating(); }

    // ---- string views ----
    TRiloLinesStrings &Lines() { return view_.Lines(); }
    TRiloParaStrings &Paragraphs() { return view_.Paragraphs(); }



    // ---- events of the view (their sender is View()) ----
    TNotifyEvent &OnChange, &OnProgress, &OnSelMove, &OnStyleChange, &OnVScroll;
    TParseEvent &OnParse;
    TContextEvent &OnContext;

    // ---- published properties ----
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    void SetWordWrap(bool v);
    void SetAlignment(TAlignment a);
    QFont AltFont() const { return altFont_; }
    void SetAltFont(const QFont &f);
    int CaretWidth() const { return caretWidth_; }
    void SetCaretWidth(int w);
    bool DisplayOnly() const { return displayOnly_; }
    void SetDisplayOnly(bool v);
    bool EnableHotKeys() const { return enableHotKeys_; }
    void SetEnableHotKeys(bool v) { enableHotKeys_ = v; }
    QPen EndOfTextMark() const { return endOfTextMark_; }
    void SetEndOfTextMark(const QPen &pen);
    // The pen's colour as a stored colour value; clNone means no mark.
    TColor EndOfTextMarkColor() const { return endMarkColor_; }
    void SetEndOfTextMarkColor(TColor c);
    TColor HighlightBackgnd() const { return highlightBackgnd_; }
    void SetHighlightBackgnd(TColor c);
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor c);
    bool Justified() const { return justified_; }
    void SetJustified(bool v);
    int LineHeightProperty() const { return view_.FixedLineHeight(); } // 0 while automatic
    void SetLineHeight(int h);
    void SetOptions(TRiloMemoOptions o);
    bool Overwrite() const { return view_.Overwrite(); }
    void SetOverwrite(bool v);
    bool ShowEndParSelected() const { return showEndParSelected_; }
    void SetShowEndParSelected(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    void SetApplyKeyWords(bool v);
    void SetApplyStartStopKeys(bool v);

    // After the stored properties were read: a fresh undo history and the keys applied.
    void Loaded();
    // Writes the stored properties of the control (name, value pairs) into a form stream.
    void WriteProperties(platform::FormWriter &w) const;
    // Reads them back (then Loaded); a damaged form raises an error and changes nothing.
    void ReadProperties(platform::FormReader &r);

    // ---- operations ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void ScrollInView() override;
    void UpdateCaret() { view_.UpdateCaret(); }
    // After each change of the text: the attached controls, then OnChange.
    virtual void Change()
    {
        Q_EMIT TextChanged();
        view_.FireChange();
    }
    void FormatForCanvas(QPainter *canvas, int width);
    int PaintOnCanvas(int firstLine, const QRect &rect);

    // ---- geometry ----
    virtual int PosToX(int line, int column);
    virtual int XToPos(int line, int x);
    virtual int LinesToPixels(int n) const
    {
        return int(std::clamp(qint64(n) * LineHeight(), qint64(INT_MIN), qint64(INT_MAX))); // far lines stay far
    }
    virtual int PixelsToLines(int p) const { return p / std::max(1, LineHeight()); }
    int TopPixel() const { return TopLine() * LineHeight(); }
    void SetTopLine(int line);
    int HorzOffset() const { return hOffset_; }
    void SetHorzOffset(int x);
    int BaselineOffset() const { return baseline_; }
    QRect CaretRect() const;
    bool CaretShown() const { return caretOn_ && hasFocus() && !displayOnly_; }
    int VScrollDivisor() const { return vDivisor_; }
    int VScrollRangeMax() const { return vRangeMax_; }
    int VScrollPage() const { return vPage_; }
    int HScrollDivisor() const { return hDivisor_; }
    QtMeasurer &ScreenMeasurer() { return screen_; }
    QVariant inputMethodQuery(Qt::InputMethodQuery q) const override;

    // ---- events beside the core's ----
    TObjectNotify OnClick, OnDblClick, OnEnter, OnExit;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // DragMode, DragCursor and the drag events (ControlDragMembers) drag the control itself onto another
    // control, not text, which rmoNoDragnDrop governs.

Q_SIGNALS:
    // For attached controls (the gutter), beside the assignable events.
    void VScrolled();
    void TextChanged();
    void FontChanged();
    void LineCountChanged(); // display lines came or went: edits, reformatting, background wrapping

protected:
    // What the view tells its window.
    void PlaceCaret() override;
    void Changed() override { Change(); }
    void EditCore(MemoCore &, QStringView text) override { SetSelTextBuf(text); }
    bool FormatOne(MemoCore &, int p) override { return FormatParagraph(p); }
    void InvalidateLines(int a, int b) override;
    void InvalidateAll() override;
    void LinesChanged(int firstLine, int oldCount, int newCount) override;
    void TextReset() override;
    void BackgroundProgress() override;

    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *e) override;
    bool event(QEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;

private:
    struct LineGeom;
    struct PaintTarget;
    // Invalidates part of the client area; PaintNow paints what input left invalid before returning.
    void Dirty(const QRect &r);
    void DirtyAll();
    void PaintNow();
    void FontChange(bool rewrap);
    void UpdateScrollBars();
    void UpdateHScrollBar();
    void FireVScroll();
    int ComputeCaretWidth();
    void CaretGeometry(); // caret place and width
    void PlacePendingCaret();
    void BlinkCaret();
    void InvalidateCaret();
    void MakeGeom(int line, LineGeom &g, Measurer &m, int clientWidth);
    void PaintLine(QPainter &p, PaintTarget &t, int line, int y);
    void PaintRange(QPainter &p, PaintTarget &t, int firstLine, int y0, int yEnd);
    int LineOrigin(const LineGeom &g, int clientWidth) const;
    bool SelectionVisible() const;
    // Keyboard.
    void KeyDown(QKeyEvent *e);
    void KeyPress(QKeyEvent *e, const QString &text);
    void MoveTo(int offset, int virtualSpaces, bool extend, int anchor);
    int PrevCharPos(int offset) const;
    int NextCharPos(int offset) const;
    int WordLeft(int offset) const;
    int WordRight(int offset) const;
    int LineMove(int caretLine, int dLines, int &vs);
    int Indentation(int line, int upToCol = -1);
    void Backspace(bool ctrl);
    void DeleteKey(Qt::KeyboardModifiers mods);
    void Enter();
    void TypeChar(const QString &c); // one character: one unit, or a surrogate pair
    void InsertText(const QString &s);
    void SelectWordAt(int offset);
    // Mouse.
    int OffsetAt(const QPoint &pos, int *virtualSpaces = nullptr);
    bool OverSelection(const QPoint &pos);
    void ExtendTo(int offset, int vs);
    // Extends the selection, or moves the drop position while dragging text, to a client point.
    void TrackPointer(const QPoint &pos);
    void AutoScrollStep();
    void SetAutoScroll(int direction, int distance);
    void VScrollLines(int n);
    // Word wrap off, or a horizontal bar: the view can shift sideways.
    bool HorzScrollable() const;
    void HScrollBy(int dx);
    void EndDrag(const QPoint &pos, Qt::KeyboardModifiers mods);
    QPoint lastMouse_;

    QtMeasurer screen_;
    std::unique_ptr<QtMeasurer> print_;
    QPainter *printCanvas_ = nullptr;
    int printLineHeight_ = 0, printBaseline_ = 0;
    int savedClientWidth_ = 0;

    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    bool hideSelection_ = true, wantTabs_ = true, displayOnly_ = false, enableHotKeys_ = true;
    bool justified_ = false, showEndParSelected_ = true;
    int caretWidth_ = 1;
    QFont altFont_;
    QPen endOfTextMark_;
    TColor endMarkColor_ = clRed;
    TColor highlightBackgnd_ = clWindow, highlightColor_ = clRed, color_ = clWindow;

    int baseline_ = 0;
    int hOffset_ = 0;
    int vDivisor_ = 1, hDivisor_ = 1, vRangeMax_ = -1, vPage_ = -1, hRangeMax_ = -1, hPage_ = -1;
    bool settingBars_ = false;
    int lastTopLine_ = -1;

    QRegion dirty_;
    int caretX_ = 0, caretY_ = 0, caretW_ = 1;
    bool caretPending_ = false; // out of view and not placed yet (CaretRect places it)
    bool caretOn_ = true;
    QTimer blink_;

    // Input state.
    bool mouseDown_ = false, dblClick_ = false, dragging_ = false, dragCancelled_ = false, overSel_ = false;
    bool dragCopy_ = false;
    TRiloNavigator drop_;
    TRiloNavigator anchor_;
    int mouseDownOffset_ = -1;
    int keepX_ = -1; // pixel column kept by vertical moves
    int autoDir_ = 0, autoDist_ = 0;
    QTimer autoScroll_;
};

} // namespace textcontrol
