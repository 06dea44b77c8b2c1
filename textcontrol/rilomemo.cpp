#include "textcontrol/rilomemo.h"

#include "platform/formstream.h"
#include "textcontrol/rilostrings.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QGlyphRun>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace textcontrol {

namespace {
constexpr int kBlinkMs = 500;
constexpr int kMaxScroll = 32760;

bool IsBlankOrTab(ushort c) { return c == ' ' || c == '\t'; }

void Invert(QPainter &p, const QRect &r)
{
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.fillRect(r, Qt::white);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Draws characters [i, j) at the given positions: glyphs of the run's font where it has them, the
// font with its fallbacks for the rest.
template <class Pos>
void DrawRun(QPainter &p, QtMeasurer &m, const ParaText &txt, int i, int j, quint8 style, const Pos &posOf)
{
    const QRawFont &raw = m.Raw(FontVariant(style));
    QList<quint32> glyphs;
    QList<QPointF> positions;
    std::vector<int> missing;
    for (int k = i; k < j; ++k) {
        const QChar ch(txt[k]);
        if (ch.unicode() < 32 || ch.isLowSurrogate())
            continue;
        quint32 gi = 0;
        int count = 1;
        if (!ch.isSurrogate())
            raw.glyphIndexesForChars(&ch, 1, &gi, &count);
        if (gi == 0) {
            missing.push_back(k);
            continue;
        }
        glyphs.append(gi);
        positions.append(posOf(k));
    }
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        run.setUnderline(style & fsUnderline);
        run.setStrikeOut(style & fsStrikeOut);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    if (missing.empty())
        return;
    // Glyphs of the fallback fonts, one run per font; what none of them can take is drawn as text.
    struct Fallback {
        const QRawFont *font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    std::vector<Fallback> others;
    std::vector<int> asText;
    QList<QRectF> boxes;
    for (int k : missing) {
        const QRawFont *font = nullptr;
        quint32 gi = 0;
        if (!m.FallbackGlyph(QChar(txt[k]), FontVariant(style), font, gi)) {
            asText.push_back(k);
            continue;
        }
        if (gi == 0) {
            // No font has it: a box in its cell, in the text's colour.
            const QPointF at = posOf(k);
            const qreal w = posOf(k + 1).x() - at.x(), h = m.Ascent() * 0.7;
            if (w > 3)
                boxes.append(QRectF(at.x() + 1, at.y() - h, w - 3, h));
            continue;
        }
        auto it = std::find_if(others.begin(), others.end(), [&](const Fallback &o) { return o.font == font; });
        if (it == others.end())
            it = others.insert(others.end(), Fallback{font, {}, {}});
        it->glyphs.append(gi);
        it->positions.append(posOf(k));
    }
    if (!boxes.isEmpty()) {
        const QBrush brush = p.brush();
        p.setBrush(Qt::NoBrush);
        p.drawRects(boxes);
        p.setBrush(brush);
    }
    for (const Fallback &o : others) {
        QGlyphRun run;
        run.setRawFont(*o.font);
        run.setGlyphIndexes(o.glyphs);
        run.setPositions(o.positions);
        run.setUnderline(style & fsUnderline);
        run.setStrikeOut(style & fsStrikeOut);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    if (asText.empty())
        return;
    p.setFont(m.StyleFont(style));
    for (int k : asText) {
        QString s(QChar(txt[k]));
        if (QChar(txt[k]).isHighSurrogate() && k + 1 < j)
            s += QChar(txt[k + 1]);
        p.drawText(posOf(k), s);
    }
}
} // namespace

// One display line laid out: x of every character boundary from the line's text origin.
struct TRiloMemo::LineGeom {
    int para = 0, a = 0, b = 0; // characters [a, b) of the paragraph
    int start = 0;              // offset of character a
    bool last = true;           // the paragraph's last display line
    quint8 style = 0;
    StateId state = 0;
    std::vector<int> x;
    int width = 0;  // to the end of the last non-blank character
    int origin = 0; // client x of the text origin
};

// Where the paint routine draws: the screen or a printer canvas.
struct TRiloMemo::PaintTarget {
    QtMeasurer *measurer = nullptr;
    int lineHeight = 1, baseline = 0, clientWidth = 0, left = 0;
    bool screen = true;
    bool selection = false;
    QColor fontColor, background;
};

TRiloMemo::TRiloMemo(QWidget *parent)
    : QAbstractScrollArea(parent), ControlDragMembers(new platform::ControlDrag(this, viewport())),
      DropEmptyCodePairs(view_.DropEmptyCodePairs), OnChange(view_.OnChange),
      OnProgress(view_.OnProgress), OnSelMove(view_.OnSelMove), OnStyleChange(view_.OnStyleChange),
      OnVScroll(view_.OnVScroll), OnParse(view_.OnParse), OnContext(view_.OnContext),
      drop_(&view_), anchor_(&view_)
{
    view_.SetHost(this);
    resize(100, 60);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true); // the pointer over the selection shows the drag cursor
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    altFont_ = font();
    endOfTextMark_ = QPen(ToQColor(clRed));
    blink_.setInterval(kBlinkMs);
    connect(&blink_, &QTimer::timeout, this, [this] { BlinkCaret(); });
    autoScroll_.setSingleShot(true);
    autoScroll_.setObjectName(QStringLiteral("autoScroll"));
    autoScroll_.setParent(this); // a child, so that one can see whether it runs
    connect(&autoScroll_, &QTimer::timeout, this, [this] { AutoScrollStep(); });
    SetMeasurer(&screen_);
    FontChange(true);
}

// Navigators of others (bookmarks) are only detached by the core; their owners free them.
TRiloMemo::~TRiloMemo() { view_.SetHost(nullptr); }

// ---- properties ------------------------------------------------------------------------------------

void TRiloMemo::SetBorderStyle(TBorderStyle s)
{
    borderStyle_ = s;
    setFrameStyle(s == TBorderStyle::bsSingle ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

void TRiloMemo::SetHideSelection(bool v)
{
    if (v == hideSelection_)
        return;
    hideSelection_ = v;
    if (!hasFocus() && SelLength() != 0)
        InvalidateLines(LineOfOffset(SelLower()), LineOfOffset(SelUpper()));
}

void TRiloMemo::SetScrollBars(TScrollStyle s)
{
    scrollBars_ = s;
    const bool h = s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth;
    const bool v = s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    vRangeMax_ = hRangeMax_ = -1;
    UpdateScrollBars();
}

void TRiloMemo::SetWordWrap(bool v)
{
    if (v == WordWrap())
        return;
    hOffset_ = 0;
    view_.SetWordWrap(v);
    UpdateScrollBars();
}

void TRiloMemo::SetAlignment(TAlignment a)
{
    if (a == Alignment())
        return;
    hOffset_ = 0;
    view_.SetAlignment(a);
    UpdateHScrollBar();
}

void TRiloMemo::Loaded()
{
    ClearUndo();
    if ((ApplyKeyWords() && Keywords().Count() > 0) || (ApplyStartStopKeys() && StartStopKeys().Count() > 0))
        ReApplyKeys();
}

void TRiloMemo::SetAltFont(const QFont &f)
{
    altFont_ = f;
    FontChange(true);
}

void TRiloMemo::SetCaretWidth(int w)
{
    caretWidth_ = std::max(0, w);
    PlaceCaret();
}

void TRiloMemo::SetDisplayOnly(bool v)
{
    displayOnly_ = v;
    PlaceCaret();
}

void TRiloMemo::SetEndOfTextMark(const QPen &pen)
{
    endOfTextMark_ = pen;
    DirtyAll();
}

void TRiloMemo::SetEndOfTextMarkColor(TColor c)
{
    endMarkColor_ = c;
    if (c != clNone)
        endOfTextMark_.setColor(ToQColor(c, palette()));
    DirtyAll();
}

void TRiloMemo::SetHighlightBackgnd(TColor c)
{
    highlightBackgnd_ = c;
    DirtyAll();
}

void TRiloMemo::SetHighlightColor(TColor c)
{
    highlightColor_ = c;
    DirtyAll();
}

void TRiloMemo::SetColor(TColor c)
{
    color_ = c;
    DirtyAll();
}

void TRiloMemo::SetJustified(bool v)
{
    if (v == justified_)
        return;
    justified_ = v;
    hOffset_ = 0;
    UpdateCaret();
    DirtyAll();
}

void TRiloMemo::SetLineHeight(int h)
{
    view_.SetFixedLineHeight(h);
    FontChange(false);
}

void TRiloMemo::SetOptions(TRiloMemoOptions o)
{
    const TRiloMemoOptions old = Options();
    if (o == old)
        return;
    view_.SetOptions(o);
    if ((old ^ o) & rmoAutoScrollBars) {
        vRangeMax_ = hRangeMax_ = -1;
        UpdateScrollBars();
    }
    if (((old ^ o) & (rmoWindowsSelColors | rmoFullLineSelect)) && SelLength() != 0)
        InvalidateLines(LineOfOffset(SelLower()), LineOfOffset(SelUpper()));
}

void TRiloMemo::SetOverwrite(bool v)
{
    if (v == view_.Overwrite())
        return;
    view_.SetOverwrite(v);
    PlaceCaret();
}

void TRiloMemo::SetShowEndParSelected(bool v)
{
    if (v == showEndParSelected_)
        return;
    showEndParSelected_ = v;
    if (SelLength() != 0)
        InvalidateLines(LineOfOffset(SelLower()), LineOfOffset(SelUpper()));
}

void TRiloMemo::SetApplyKeyWords(bool v)
{
    if (v != ApplyKeyWords())
        view_.SetApplyKeyWords(v);
}

void TRiloMemo::SetApplyStartStopKeys(bool v)
{
    if (v != ApplyStartStopKeys())
        view_.SetApplyStartStopKeys(v);
}

void TRiloMemo::WriteProperties(platform::FormWriter &w) const
{
    auto &self = const_cast<TRiloMemo &>(*this);
    auto name = [&](const char *n) { w.WriteString(QString::fromLatin1(n)); };
    auto integer = [&](const char *n, qint64 v) { name(n); w.WriteInteger(v); };
    auto boolean = [&](const char *n, bool v) { name(n); w.WriteBool(v); };
    integer("Left", x());
    integer("Top", y());
    integer("Width", width());
    integer("Height", height());
    integer("Alignment", int(Alignment()));
    if (borderStyle_ != TBorderStyle::bsSingle)
        integer("BorderStyle", int(borderStyle_));
    if (!hideSelection_)
        boolean("HideSelection", false);
    name("Lines.Strings");
    self.Lines().WriteData(w);
    integer("ScrollBars", int(scrollBars_));
    integer("TabStop", 1);
    if (!wantTabs_)
        boolean("WantTabs", false);
    if (!WordWrap())
        boolean("WordWrap", false);
    name("AltFont");
    w.WriteString(altFont_.toString());
    if (!ApplyKeyWords())
        boolean("ApplyKeyWords", false);
    if (!ApplyStartStopKeys())
        boolean("ApplyStartStopKeys", false);
    integer("CaretWidth", caretWidth_);
    boolean("DisplayOnly", displayOnly_);
    if (!enableHotKeys_)
        boolean("EnableHotKeys", false);
    integer("EndOfTextMark.Color", qint64(endMarkColor_));
    integer("EndOfTextMark.Width", endOfTextMark_.width());
    if (highlightBackgnd_ != clWindow)
        integer("HighlightBackgnd", qint64(highlightBackgnd_));
    if (highlightColor_ != clRed)
        integer("HighlightColor", qint64(highlightColor_));
    name("Highlighter");
    w.WriteString(QString());
    boolean("Justified", justified_);
    name("Keywords.Strings");
    self.Keywords().WriteData(w);
    if (LeftMargin() != 8)
        integer("LeftMargin", LeftMargin());
    integer("LineHeight", view_.FixedLineHeight());
    integer("NullReplacement", NullReplacement().unicode());
    integer("Options", Options());
    boolean("Overwrite", view_.Overwrite());
    if (!PassOverCodes())
        boolean("PassOverCodes", false);
    if (ReadOnly())
        boolean("ReadOnly", true);
    if (RightMargin() != 8)
        integer("RightMargin", RightMargin());
    name("Separators");
    w.WriteString(Separators());
    if (!showEndParSelected_)
        boolean("ShowEndParSelected", false);
    if (self.StartStopKeys().Count() > 0) {
        name("StartStopKeys.Keys");
        self.StartStopKeys().WriteData(w);
    }
    if (TabStops() != 8)
        integer("TabStops", TabStops());
    if (UndoMaxSpace() != 65538)
        integer("UndoMaxSpace", UndoMaxSpace());
    if (UndoMaxLevel() != 256)
        integer("UndoMaxLevel", UndoMaxLevel());
    if (UpdateMode() != TUpdateMode::umBackground)
        integer("UpdateMode", int(UpdateMode()));
    if (color_ != clWindow)
        integer("Color", qint64(color_));
}

// ---- font, size and scroll bars --------------------------------------------------------------------

void TRiloMemo::FontChange(bool rewrap)
{
    screen_.SetFonts(font(), altFont_, nullptr);
    view_.SetAutoLineHeight(screen_.Height() + 1);
    const int lh = LineHeight();
    baseline_ = lh - screen_.Descent() - 1;
    if (baseline_ < screen_.Ascent() - 0)
        baseline_ = std::min(lh, screen_.Ascent());
    if (printCanvas_)
        return;
    if (rewrap)
        SetMeasurer(&screen_);
    hOffset_ = 0;
    const int maxTop = std::max(0, LineCount() - VisibleLines() + 2);
    if (TopLine() > maxTop)
        SetTopLine(maxTop);
    UpdateScrollBars();
    DirtyAll();
    PlaceCaret();
    Q_EMIT FontChanged();
}

void TRiloMemo::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange)
        FontChange(true);
    else if (e->type() == QEvent::PaletteChange)
        DirtyAll();
    QAbstractScrollArea::changeEvent(e);
}

void TRiloMemo::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (printCanvas_)
        return;
    SetClientSize(viewport()->width(), viewport()->height());
    UpdateScrollBars();
    PlaceCaret();
}

void TRiloMemo::UpdateScrollBars()
{
    if (printCanvas_ || settingBars_)
        return;
    settingBars_ = true;
    const bool autoBars = HasOption(rmoAutoScrollBars);
    const int lines = LineCount();
    const int vis = VisibleLines();
    vDivisor_ = lines / kMaxScroll + 1;
    int rangeMax = std::max(lines / vDivisor_, vis - 2);
    if (!autoBars && rangeMax < vis)
        ++rangeMax;
    const int page = std::max(1, (vis - 1) / vDivisor_);
    if (rangeMax != vRangeMax_ || page != vPage_) {
        vRangeMax_ = rangeMax;
        vPage_ = page;
        QScrollBar *bar = verticalScrollBar();
        bar->setPageStep(page);
        bar->setSingleStep(1);
        bar->setRange(0, std::max(0, rangeMax - page + 1));
    }
    verticalScrollBar()->setValue(TopLine() / vDivisor_);
    settingBars_ = false;
    // A vertical bar that went away leaves nothing to scroll to.
    const bool hasBar = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    if (hasBar && autoBars && verticalScrollBar()->maximum() == 0 && TopLine() > 0)
        SetTopLine(0);
    UpdateHScrollBar();
}

void TRiloMemo::UpdateHScrollBar()
{
    if (printCanvas_ || settingBars_)
        return;
    settingBars_ = true;
    const int margins = LeftMargin() + RightMargin();
    const int cw = ClientWidth();
    hDivisor_ = (WidestLine() + margins) / kMaxScroll + 1;
    const int page = std::max(1, (cw - margins) / hDivisor_);
    int rangeMax = std::max(0, (WidestLine() + margins - cw) / hDivisor_) + page - 1;
    if (!HasOption(rmoAutoScrollBars))
        ++rangeMax;
    if (Alignment() != TAlignment::taLeftJustify)
        rangeMax = page;
    hRangeMax_ = rangeMax;
    hPage_ = page;
    QScrollBar *bar = horizontalScrollBar();
    bar->setPageStep(page);
    bar->setSingleStep(std::max(1, SpaceWidth() / hDivisor_));
    bar->setRange(0, std::max(0, rangeMax - page + 1));
    if (rangeMax < page && hOffset_ != 0) {
        hOffset_ = 0;
        DirtyAll();
    }
    bar->setValue(hOffset_ / hDivisor_);
    settingBars_ = false;
}

void TRiloMemo::scrollContentsBy(int dx, int dy)
{
    if (settingBars_)
        return;
    if (dy != 0)
        SetTopLine(verticalScrollBar()->value() * vDivisor_);
    if (dx != 0)
        SetHorzOffset(horizontalScrollBar()->value() * hDivisor_);
}

void TRiloMemo::wheelEvent(QWheelEvent *e)
{
    const int steps = e->angleDelta().y() / 40;
    if (steps != 0 && !(e->modifiers() & Qt::ShiftModifier))
        VScrollLines(-steps);
    else if (e->angleDelta().x() != 0 || steps != 0)
        HScrollBy(-(e->angleDelta().x() ? e->angleDelta().x() : e->angleDelta().y()) / 40 * SpaceWidth());
    e->accept();
}

void TRiloMemo::FireVScroll()
{
    Q_EMIT VScrolled();
    if (OnVScroll)
        OnVScroll(&view_);
}

void TRiloMemo::SetTopLine(int line)
{
    line = std::clamp(line, 0, std::max(0, LineCount() - 1));
    const int old = TopLine();
    if (old == line && lastTopLine_ == line)
        return;
    if (ApplyStartStopKeys())
        HighlightUpTo(Layout().ParagraphOfLine(line));
    view_.SetTopOffset(LineStart(line));
    const int now = TopLine();
    lastTopLine_ = now;
    if (now != old) {
        const int dy = (old - now) * LineHeight();
        if (std::abs(dy) < viewport()->height()) {
            viewport()->scroll(0, dy);
            // The band scrolled in is painted with the rest at the end of the input.
            const int h = viewport()->height();
            dirty_ += dy > 0 ? QRect(0, 0, viewport()->width(), dy) : QRect(0, h + dy, viewport()->width(), -dy);
        } else {
            DirtyAll();
        }
    }
    if (!settingBars_) {
        settingBars_ = true;
        verticalScrollBar()->setValue(now / vDivisor_);
        settingBars_ = false;
    }
    PlaceCaret();
    FireVScroll();
}

void TRiloMemo::SetHorzOffset(int x)
{
    x = std::max(0, x);
    if (x == hOffset_)
        return;
    hOffset_ = x;
    if (!settingBars_) {
        settingBars_ = true;
        horizontalScrollBar()->setValue(x / hDivisor_);
        settingBars_ = false;
    }
    DirtyAll();
    PlaceCaret();
}

void TRiloMemo::VScrollLines(int n)
{
    if (n == 0)
        return;
    const int maxTop = std::max(0, LineCount() - VisibleLines() + 2);
    const int top = TopLine();
    int target = top + n;
    if (n > 0)
        target = std::min(target, std::max(top, maxTop));
    SetTopLine(std::max(0, target));
}

bool TRiloMemo::HorzScrollable() const
{
    return !WordWrap() || scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
}

void TRiloMemo::HScrollBy(int dx)
{
    if (!HorzScrollable())
        return;
    const int maxOff = std::max(0, WidestLine() + LeftMargin() + RightMargin() - ClientWidth());
    SetHorzOffset(std::clamp(hOffset_ + dx, 0, std::max(maxOff, hOffset_)));
}

// ---- repainting ----

void TRiloMemo::Dirty(const QRect &r)
{
    // Only what lies in the client area: a caret parked above it must not grow the region at every move
    // (a find through a big page would add a strip each time).
    const QRect shown = r & viewport()->rect();
    if (shown.isEmpty())
        return;
    dirty_ += shown;
    viewport()->update(shown);
}

void TRiloMemo::DirtyAll() { Dirty(viewport()->rect()); }

void TRiloMemo::PaintNow()
{
    if (dirty_.isEmpty() || !isVisible())
        return;
    const QRegion r = dirty_;
    dirty_ = QRegion();
    viewport()->repaint(r);
}

// ---- core hooks ------------------------------------------------------------------------------------

void TRiloMemo::InvalidateLines(int a, int b)
{
    if (printCanvas_)
        return;
    if (a > b)
        std::swap(a, b);
    const int top = TopLine(), vis = VisibleLines();
    if (b < top || a >= top + vis)
        return;
    const int lh = LineHeight();
    const int y0 = (std::max(a, top) - top) * lh;
    const int y1 = std::min((b + 1 - top) * lh, viewport()->height());
    Dirty(QRect(0, y0, viewport()->width(), std::max(0, y1 - y0) + (b >= top + vis - 1 ? lh : 0)));
}

void TRiloMemo::InvalidateAll()
{
    if (!printCanvas_)
        DirtyAll();
}

void TRiloMemo::LinesChanged(int firstLine, int, int)
{
    if (printCanvas_)
        return;
    const int top = TopLine();
    const int y0 = std::max(0, (firstLine - top) * LineHeight());
    if (y0 < viewport()->height())
        Dirty(QRect(0, y0, viewport()->width(), viewport()->height() - y0));
    // The counts around an edit are taken after the text changed: the bars are always checked.
    UpdateScrollBars();
    Q_EMIT LineCountChanged();
}

void TRiloMemo::TextReset()
{
    hOffset_ = 0;
    lastTopLine_ = -1;
    keepX_ = -1;
    if (printCanvas_)
        return;
    vRangeMax_ = -1;
    UpdateScrollBars();
    DirtyAll();
    FireVScroll();
}

void TRiloMemo::BackgroundProgress()
{
    if (printCanvas_)
        return;
    UpdateScrollBars();
}

// ---- caret -----------------------------------------------------------------------------------------

int TRiloMemo::ComputeCaretWidth()
{
    const int base = caretWidth_ > 0 ? caretWidth_ : LineHeight() / 14 + 1;
    if (view_.Overwrite() && HasOption(rmoWideOverwriteCaret) && SelLength() == 0 && VirtualSpaces() == 0) {
        const int off = SelStart();
        const int p = Storage().ParagraphAt(off);
        const int col = off - Storage().Start(p);
        if (col < Storage().Length(p)) {
            const QChar c = CharAt(off);
            const int w = c == QLatin1Char('\t') ? SpaceWidth() : Measure().Width(c, FontVariant(StyleAt(off)));
            return std::max(base, w);
        }
    }
    return base;
}

void TRiloMemo::InvalidateCaret()
{
    PlacePendingCaret();
    if (!caretPending_)
        Dirty(QRect(caretX_ - 1, caretY_, caretW_ + 2, LineHeight()));
}

void TRiloMemo::PlacePendingCaret()
{
    // A caret left out of view is placed once its paragraph is shown, however it came there.
    if (caretPending_ && view_.IsVisibleParagraph(Storage().ParagraphAt(SelStart())))
        CaretGeometry();
}

QRect TRiloMemo::CaretRect() const
{
    if (caretPending_ && !printCanvas_)
        const_cast<TRiloMemo *>(this)->CaretGeometry();
    return QRect(caretX_, caretY_, caretW_, LineHeight());
}

void TRiloMemo::CaretGeometry()
{
    caretPending_ = false;
    const int off = SelStart();
    const int line = LineOfOffset(off);
    const int col = off - LineStart(line);
    caretX_ = PosToX(line, col) + VirtualSpaces() * SpaceWidth();
    if (!HorzScrollable())
        caretX_ = std::clamp(caretX_, 0, std::max(0, ClientWidth() - 1)); // blanks past a full line
    int y = (line - TopLine()) * LineHeight();
    if (y < 0 || y >= 32767)
        y = -LineHeight();
    caretY_ = y;
    caretW_ = ComputeCaretWidth();
}

void TRiloMemo::PlaceCaret()
{
    if (printCanvas_ || Updating())
        return;
    InvalidateCaret();
    // Out of view the caret cannot be painted, and placing it there would make a search through a page
    // (still being highlighted) format and measure every paragraph it stops in: its place is worked out
    // when it is asked for or comes into view.
    caretPending_ = !view_.IsVisibleParagraph(Storage().ParagraphAt(SelStart()));
    if (!caretPending_)
        CaretGeometry();
    caretOn_ = true;
    if (hasFocus() && !displayOnly_)
        blink_.start();
    InvalidateCaret();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void TRiloMemo::BlinkCaret()
{
    caretOn_ = !caretOn_;
    InvalidateCaret();
}

void TRiloMemo::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    PlaceCaret();
    if (hideSelection_ && SelLength() != 0)
        InvalidateLines(LineOfOffset(SelLower()), LineOfOffset(SelUpper()));
    if (OnEnter)
        OnEnter(this);
}

void TRiloMemo::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    InvalidateCaret();
    if (hideSelection_ && SelLength() != 0)
        InvalidateLines(LineOfOffset(SelLower()), LineOfOffset(SelUpper()));
    if (OnExit)
        OnExit(this);
}

bool TRiloMemo::focusNextPrevChild(bool next)
{
    if (wantTabs_ && !displayOnly_)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

QVariant TRiloMemo::inputMethodQuery(Qt::InputMethodQuery q) const
{
    switch (q) {
    case Qt::ImCursorRectangle: return QRectF(CaretRect());
    case Qt::ImFont: return font();
    case Qt::ImCursorPosition: return SelStart() - ParagraphStart(SelPar());
    case Qt::ImSurroundingText: return ParagraphText(SelPar());
    case Qt::ImCurrentSelection: return SelText();
    case Qt::ImEnabled: return !ReadOnly() && !displayOnly_;
    default: return QAbstractScrollArea::inputMethodQuery(q);
    }
}

void TRiloMemo::inputMethodEvent(QInputMethodEvent *e)
{
    if (!e->commitString().isEmpty() && !ReadOnly() && !displayOnly_ && !Updating()) {
        const QString s = e->commitString();
        for (qsizetype k = 0; k < s.size(); ++k) {
            const qsizetype units = s[k].isHighSurrogate() && k + 1 < s.size() && s[k + 1].isLowSurrogate() ? 2 : 1;
            TypeChar(s.mid(k, units));
            k += units - 1;
        }
    }
    e->accept();
}

// ---- layout of a display line ----------------------------------------------------------------------

void TRiloMemo::MakeGeom(int line, LineGeom &g, Measurer &m, int clientWidth)
{
    const TextStorage &t = Storage();
    const int start = LineStart(line);
    // A line outside the text is its first or last one, as for LineStart (which formats up to it first).
    line = std::clamp(line, 0, LineCount() - 1);
    g.para = t.ParagraphAt(start);
    const int ps = t.Start(g.para);
    g.a = start - ps;
    g.start = start;
    const auto br = Layout().Breaks(g.para);
    const int k = std::clamp(line - Layout().FirstLine(g.para), 0, int(br.size()));
    g.last = k >= int(br.size());
    g.b = g.last ? t.Length(g.para) : int(br[size_t(k)].pos);
    g.style = k <= 0 ? t.Style(g.para) : br[size_t(k - 1)].style;
    g.state = t.StateAt(g.para, g.a);
    const ParaText txt = t.Text(g.para);
    const auto trans = t.Transitions(g.para);
    size_t ti = std::upper_bound(trans.begin(), trans.end(), quint32(g.a),
                                 [](quint32 v, const Transition &x) { return v < x.pos; }) - trans.begin();
    StateId state = g.state;
    quint8 code = g.style;
    const int tabw = std::max(1, TabStops()) * std::max(1, m.Width(QLatin1Char(' '), 0));
    auto variantOf = [&] {
        const TContextState &S = States().Get(state);
        return FontVariant((S.style & csStyled) ? quint8(S.style & fsStyleMask) : code);
    };
    int variant = variantOf();
    const qint32 *table = m.Table(variant);
    const int n = g.b - g.a;
    g.x.assign(size_t(n + 1), 0);
    int x = 0, lastInk = 0;
    for (int i = g.a; i < g.b; ++i) {
        bool changed = false;
        while (ti < trans.size() && trans[ti].pos <= quint32(i)) {
            state = trans[ti++].state;
            changed = true;
        }
        const ushort c = txt[i];
        if (IsStyleCode(c)) {
            code = ToggleCode(code, c);
            changed = true;
        }
        if (changed) {
            variant = variantOf();
            table = m.Table(variant);
        }
        g.x[size_t(i - g.a)] = x;
        if (IsStyleCode(c))
            continue;
        if (c == '\t') {
            x = (x / tabw + 1) * tabw;
            continue;
        }
        x += c < 256 ? table[c] : txt.narrow ? m.Advance(QChar(c), variant) : m.AdvanceAt(txt.wide, i, txt.length, variant);
        if (c != ' ')
            lastInk = x;
    }
    g.x[size_t(n)] = x;
    g.width = lastInk;
    if (justified_ && !g.last) {
        const int avail = clientWidth - LeftMargin() - RightMargin();
        int lastNonBlank = g.b - 1;
        while (lastNonBlank >= g.a && IsBlankOrTab(txt[lastNonBlank]))
            --lastNonBlank;
        int blanks = 0;
        for (int i = g.a; i < lastNonBlank; ++i)
            blanks += txt[i] == ' ';
        const int extra = avail - g.width;
        if (blanks > 0 && extra > 0) {
            int shift = 0, seen = 0;
            for (int i = g.a; i < g.b; ++i) {
                g.x[size_t(i - g.a)] += shift;
                if (txt[i] == ' ' && i < lastNonBlank) {
                    shift += extra / blanks + (seen < extra % blanks ? 1 : 0);
                    ++seen;
                }
            }
            g.x[size_t(n)] += shift;
            g.width += shift;
        }
    }
    g.origin = LineOrigin(g, clientWidth);
}

int TRiloMemo::LineOrigin(const LineGeom &g, int clientWidth) const
{
    const int off = printCanvas_ ? 0 : hOffset_;
    switch (Alignment()) {
    case TAlignment::taRightJustify: return clientWidth - RightMargin() - g.width - off;
    case TAlignment::taCenter: return LeftMargin() + (clientWidth - LeftMargin() - RightMargin() - g.width) / 2 - off;
    default: return LeftMargin() - off;
    }
}

int TRiloMemo::PosToX(int line, int column)
{
    LineGeom g;
    MakeGeom(line, g, Measure(), ClientWidth());
    column = std::clamp(column, 0, g.b - g.a);
    return g.origin + g.x[size_t(column)];
}

int TRiloMemo::XToPos(int line, int x)
{
    LineGeom g;
    MakeGeom(line, g, Measure(), ClientWidth());
    const int n = g.b - g.a;
    const qint64 rel = qint64(x) - g.origin;
    int col = 0;
    while (col < n && rel >= (g.x[size_t(col)] + g.x[size_t(col + 1)] + 1) / 2)
        ++col;
    // A surrogate pair is as wide as its first half: past that half's middle is after the pair.
    const ParaText txt = Storage().Text(g.para);
    if (txt.SplitsPair(g.a + col))
        ++col;
    if (!g.last && col == n && n > 0) {
        col = n - 1; // the end of a wrapped line is the next line's start
        if (txt.SplitsPair(g.a + col))
            --col;
    }
    return col;
}

// ---- painting --------------------------------------------------------------------------------------

bool TRiloMemo::SelectionVisible() const
{
    return SelLength() != 0 && !printCanvas_ && (hasFocus() || !hideSelection_);
}

void TRiloMemo::PaintLine(QPainter &p, PaintTarget &t, int line, int y)
{
    LineGeom g;
    MakeGeom(line, g, *t.measurer, t.clientWidth);
    const int lh = t.lineHeight;
    const int ox = t.left + g.origin;
    const TextStorage &ts = Storage();
    const ParaText txt = ts.Text(g.para);
    const auto trans = ts.Transitions(g.para);
    size_t ti = std::upper_bound(trans.begin(), trans.end(), quint32(g.a),
                                 [](quint32 v, const Transition &x) { return v < x.pos; }) - trans.begin();
    const bool winSel = HasOption(rmoWindowsSelColors);
    const QPalette &pal = palette();
    int selA = -1, selB = -1;
    if (t.selection) {
        selA = std::clamp(SelLower() - g.start, 0, g.b - g.a) + g.a;
        selB = std::clamp(SelUpper() - g.start, 0, g.b - g.a) + g.a;
        if (SelUpper() <= g.start || SelLower() >= g.start + (g.b - g.a))
            selA = selB = -1;
    }
    StateId state = g.state;
    quint8 code = g.style;
    int i = g.a;
    while (i < g.b) {
        while (ti < trans.size() && trans[ti].pos <= quint32(i))
            state = trans[ti++].state;
        const ushort c0 = txt[i];
        if (IsStyleCode(c0)) {
            code = ToggleCode(code, c0);
            ++i;
            continue;
        }
        // A run: same state and codes, no TAB inside, one side of each selection edge.
        int j = i + 1;
        const bool inSel = i >= selA && i < selB;
        if (c0 != '\t')
            while (j < g.b) {
                const ushort c = txt[j];
                if (c == '\t' || c < 32 || (ti < trans.size() && trans[ti].pos <= quint32(j)) || j == selA || j == selB)
                    break;
                ++j;
            }
        const TContextState &S = States().Get(state);
        const bool styled = S.style & csStyled;
        const quint8 eff = styled ? quint8(S.style & fsStyleMask) : code;
        QColor fg = t.fontColor, bg;
        if (styled && (S.color || S.background)) {
            if (S.color)
                fg = ToQColor(S.color, pal);
            if (S.background)
                bg = ToQColor(S.background, pal);
            if (inSel && winSel)
                fg = pal.color(QPalette::HighlightedText);
        } else if (inSel && winSel) {
            fg = pal.color(QPalette::HighlightedText);
        } else if (eff & fsHighlight) {
            fg = ToQColor(highlightColor_, pal);
            bg = ToQColor(highlightBackgnd_, pal);
        }
        const int x0 = ox + g.x[size_t(i - g.a)], x1 = ox + g.x[size_t(j - g.a)];
        if (inSel && winSel)
            p.fillRect(QRect(x0, y, x1 - x0, lh), pal.color(QPalette::Highlight));
        else if (bg.isValid())
            p.fillRect(QRect(x0, y, x1 - x0, lh), bg);
        if (c0 != '\t' && x1 > 0 && x0 < t.left + t.clientWidth) {
            p.setPen(fg);
            DrawRun(p, *t.measurer, txt, i, j, eff, [&](int k) { return QPointF(ox + g.x[size_t(k - g.a)], y + t.baseline); });
        }
        if (inSel && !winSel)
            Invert(p, QRect(x0, y, x1 - x0, lh));
        i = j;
    }
    // The paragraph end, when selected.
    if (t.selection && g.last) {
        const int endOff = ts.Start(g.para) + g.b;
        if (SelLower() <= endOff && SelUpper() > endOff) {
            const int xe = ox + g.x[size_t(g.b - g.a)];
            QRect r;
            if (HasOption(rmoFullLineSelect))
                r = QRect(xe, y, std::max(0, t.left + t.clientWidth - xe), lh);
            else if (showEndParSelected_)
                r = QRect(xe, y, t.measurer->Width(QLatin1Char(' '), 0) / 2 + 1, lh);
            if (!r.isEmpty()) {
                if (winSel)
                    p.fillRect(r, pal.color(QPalette::Highlight));
                else
                    Invert(p, r);
            }
        }
    }
}

void TRiloMemo::PaintRange(QPainter &p, PaintTarget &t, int firstLine, int y0, int yEnd)
{
    int y = y0;
    for (int line = firstLine; y < yEnd && line < LineCount(); ++line, y += t.lineHeight)
        PaintLine(p, t, line, y);
}

void TRiloMemo::paintEvent(QPaintEvent *e)
{
    if (printCanvas_)
        return;
    dirty_ -= e->region();
    QPainter p(viewport());
    const QRect area = e->rect();
    PaintTarget t;
    t.measurer = &screen_;
    t.lineHeight = LineHeight();
    t.baseline = baseline_;
    t.clientWidth = ClientWidth();
    t.selection = SelectionVisible();
    t.fontColor = palette().color(QPalette::Text);
    t.background = ToQColor(color_, palette());
    p.fillRect(area, t.background);
    const int lh = t.lineHeight;
    const int top = TopLine();
    const int first = top + std::max(0, area.top()) / lh;
    const int oldLines = LineCount();
    int y = (first - top) * lh;
    for (int line = first; y <= area.bottom() && line < LineCount(); ++line, y += lh) {
        if (line >= top + VisibleLines())
            break;
        PaintLine(p, t, line, y);
    }
    // End-of-text mark.
    if (endMarkColor_ != clNone && endOfTextMark_.style() != Qt::NoPen) {
        const int ym = (LineCount() - top) * lh + endOfTextMark_.width() / 2;
        if (ym >= area.top() - endOfTextMark_.width() && ym <= area.bottom() + endOfTextMark_.width()) {
            p.setPen(endOfTextMark_);
            p.drawLine(0, ym, ClientWidth(), ym);
        }
    }
    // Caret.
    PlacePendingCaret();
    if (CaretShown() && !caretPending_ && caretY_ >= 0) {
        const QRect r = CaretRect();
        if (r.intersects(area))
            Invert(p, r);
    }
    if (dragging_ && !dragCancelled_) {
        const int line = LineOfOffset(drop_.Offset());
        const int x = PosToX(line, drop_.Offset() - LineStart(line));
        p.fillRect(QRect(x, (line - top) * lh, 1, lh), t.fontColor);
    }
    if (LineCount() != oldLines)
        QTimer::singleShot(0, this, [this] { UpdateScrollBars(); });
}

// ---- printing --------------------------------------------------------------------------------------

void TRiloMemo::FormatForCanvas(QPainter *canvas, int width)
{
    if (canvas && canvas->device()) {
        QPaintDevice *dev = canvas->device();
        QFont f = font(), alt = altFont_;
        const int screenDpi = std::max(1, logicalDpiY());
        for (QFont *x : {&f, &alt})
            if (x->pixelSize() > 0)
                x->setPixelSize(std::max(1, x->pixelSize() * dev->logicalDpiY() / screenDpi));
        if (!printCanvas_)
            savedClientWidth_ = ClientWidth();
        printCanvas_ = canvas;
        print_ = std::make_unique<QtMeasurer>();
        print_->SetFonts(f, alt, dev);
        canvas->setFont(print_->VariantFont(0));
        printLineHeight_ = print_->Height() + 1;
        printBaseline_ = print_->Ascent();
        view_.SetClientWidthOnly(std::max(1, width));
        SetMeasurer(print_.get());
        FormatRange(0, ParagraphCount() - 1);
        return;
    }
    if (!printCanvas_)
        return;
    printCanvas_ = nullptr;
    view_.SetClientWidthOnly(savedClientWidth_);
    FontChange(true); // back to the screen measurer, everything rewrapped
    print_.reset();
}

int TRiloMemo::PaintOnCanvas(int firstLine, const QRect &rect)
{
    if (!printCanvas_ || firstLine < 0 || firstLine >= LineCount())
        return 0;
    QPainter &p = *printCanvas_;
    PaintTarget t;
    t.measurer = print_.get();
    t.lineHeight = printLineHeight_;
    t.baseline = printBaseline_;
    t.clientWidth = rect.width();
    t.left = rect.left();
    t.screen = false;
    t.fontColor = palette().color(QPalette::Text);
    const int n = std::max(1, rect.height() / printLineHeight_);
    const int count = std::min(n, LineCount() - firstLine);
    p.save();
    p.setClipRect(rect);
    int y = rect.top();
    for (int i = 0; i < count; ++i, y += printLineHeight_)
        PaintLine(p, t, firstLine + i, y);
    p.restore();
    return count;
}

// ---- scrolling into view ---------------------------------------------------------------------------

void TRiloMemo::ScrollInView()
{
    if (Updating() || printCanvas_)
        return;
    const int off = SelStart();
    // The paragraphs that will be shown above the caret are formatted first: formatted later (while a page
    // is still formatted in the background), their extra lines would push the caret out of the window.
    if (!FormattingDone()) {
        const int p = Storage().ParagraphAt(off);
        FormatRange(std::max(0, p - VisibleLines()), p);
    }
    const int line = LineOfOffset(off);
    const int col = off - LineStart(line);
    // Horizontal.
    if (HorzScrollable() && (Alignment() == TAlignment::taLeftJustify || hOffset_ != 0)) {
        const int x = PosToX(line, col) + VirtualSpaces() * SpaceWidth();
        const int step = 5 * SpaceWidth();
        int h = hOffset_;
        // A wrapped text fits its window: blanks hanging past a line's end scroll it only while the caret is
        // on them, and it goes back to its left edge once the caret would show there.
        if (WordWrap() && x + hOffset_ < ClientWidth())
            h = 0;
        else if (x >= ClientWidth())
            h += ((x - ClientWidth()) / step + 1) * step;
        else if (x < 0)
            h = std::max(0, h - ((-x + step - 1) / step) * step);
        if (h != hOffset_)
            SetHorzOffset(h);
    }
    // Vertical.
    const int top = TopLine();
    const int vis = VisibleLines();
    if (line > top + vis - 2) {
        SetTopLine(std::max(0, line - vis + 2));
    } else if (line < top) {
        SetTopLine(line);
    }
    PlaceCaret();
}

// ---- clipboard -------------------------------------------------------------------------------------

void TRiloMemo::CopyToClipboard()
{
    if (SelLength() == 0)
        return;
    QGuiApplication::clipboard()->setText(SelText());
}

void TRiloMemo::CutToClipboard()
{
    if (SelLength() == 0)
        return;
    CopyToClipboard();
    SetSelText(QString());
}

void TRiloMemo::PasteFromClipboard()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return;
    // The system's clipboard ends lines with LF (or whatever the program that put the text there used):
    // each kind of line end in it ends a paragraph, as loading reads it.
    const QString text = EndsAsLoaded(mime->text());
    if (text.isEmpty())
        return;
    ForceNewRecord();
    SetSelTextBuf(text);
    ForceNewRecord();
}

} // namespace textcontrol
