#pragma once
// The syntax-highlighting text control: the window-less core with a caret, painting, printing,
// keyboard and mouse input, the clipboard and scroll bars.
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
}

namespace textcontrol {

enum class TBorderStyle { bsNone, bsSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

using TKeyEvent = std::function<void(QObject *, int &key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(QObject *, QChar &key)>;
using TMouseEvent = std::function<void(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject *, Qt::KeyboardModifiers, int x, int y)>;
using TObjectNotify = std::function<void(QObject *)>;

class TRiloMemo : public QAbstractScrollArea, public MemoCore {
    Q_OBJECT

public:
    explicit TRiloMemo(QWidget *parent = nullptr);
    ~TRiloMemo() override;

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
    int LineHeightProperty() const { return view_.lineHeight; } // 0 while automatic
    void SetLineHeight(int h);
    void SetOptions(TRiloMemoOptions o) override;
    bool Overwrite() const { return view_.overwrite; }
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

    // ---- operations ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void ScrollInView() override;
    void UpdateCaret() override;
    void Change() override;
    void FormatForCanvas(QPainter *canvas, int width);
    int PaintOnCanvas(int firstLine, const QRect &rect);

    // ---- geometry ----
    virtual int PosToX(int line, int column);
    virtual int XToPos(int line, int x);
    virtual int LinesToPixels(int n) const { return n * LineHeight(); }
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

Q_SIGNALS:
    // For attached controls (the gutter), beside the assignable events.
    void VScrolled();
    void TextChanged();
    void FontChanged();
    void LineCountChanged(); // display lines came or went: edits, reformatting, background wrapping

protected:
    bool HasWindow() const override { return true; }
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
    void PlaceCaret();
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
