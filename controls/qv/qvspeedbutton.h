#pragma once
// A tool button drawn by itself: flat and transparent looks, a grey image while a flat button waits
// without the mouse, grouped buttons of which one stays down, an attached drop-down menu and auto-repeat.
// Its glyph object builds the state images (disabled, inactive) from the glyph on demand and keeps them
// in image lists shared by every glyph of one size.
#include "controls/qv/qvlabel.h"
#include "controls/qv/qvtypes.h"
#include "platform/form.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>

class QPainter;

namespace qv {

class RepeatTimer;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The drawn states; bsInactive is the grey look of a flat button without the mouse.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive, bsInactive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TQvDropDownMenuPos { dmpBottom, dmpRight };

// The private event a button that went down sends to the other controls of its parent.
constexpr int QvButtonPressedEvent = 0xB051;

// The parts of a hint: the tool tip before "|", the status text after it (each the whole hint without "|").
QString GetShortHint(const QString &hint);
QString GetLongHint(const QString &hint);

// Images of one size, addressed by index; freed slots are reused.
class TGlyphList {
public:
    explicit TGlyphList(QSize size) : size_(size) {}
    QSize Size() const { return size_; }
    int Add(const QImage &image);
    void Delete(int index);
    QImage Image(int index) const;
    // Images held.
    int Count() const { return count_; }

private:
    friend class TGlyphCache;
    QSize size_;
    QList<QImage> images_;
    QList<int> free_;
    int count_ = 0;
    int users_ = 0;
};

// The process-wide lists, one per image size; gone again once the last list is returned.
class TGlyphCache {
public:
    static TGlyphList *GetList(QSize size);
    static void ReturnList(TGlyphList *list);
    // Lists alive (0 when the cache itself is gone).
    static int ListCount();
};

// Where glyph and caption go inside a button.
struct TButtonLayoutResult {
    QPoint glyphPos;
    QRect textRect;
    QString text; // the caption as drawn (shortened to fit when not wrapped)
};

class TQvButtonGlyph {
public:
    TQvButtonGlyph();
    ~TQvButtonGlyph();
    TQvButtonGlyph(const TQvButtonGlyph &) = delete;
    TQvButtonGlyph &operator=(const TQvButtonGlyph &) = delete;

    QImage Glyph() const { return glyph_; }
    // Takes the transparent colour from the bottom-left pixel; a width that is a whole multiple of the
    // height sets the number of glyphs (more than 5 counts as 1).
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count); // 1..5
    QColor TransparentColor() const { return transparent_; }
    // An image taken from an image list, used instead of the glyph while not null.
    QImage ListImage() const { return listImage_; }
    void SetListImage(const QImage &image);
    // The size of one glyph (0 x 0 without one).
    QSize GlyphSize() const;
    // The image of a state, transparent where the glyph is; built on first use. Null without a glyph.
    QImage StateImage(TButtonState state);
    // Drops the built images (the face colours changed).
    void Invalidate();

    TButtonLayoutResult CalcLayout(const QFontMetrics &metrics, const QRect &client, const QString &caption,
                                   TButtonLayout layout, int margin, int spacing, TButtonState state,
                                   bool wordWrap, bool dropDownMark);
    // Glyph and caption; returns the caption's rectangle.
    QRect Draw(QPainter &painter, const QRect &client, const QString &caption, TButtonLayout layout, int margin,
               int spacing, TButtonState state, TAlignment alignment, bool wordWrap, bool dropDownMark,
               const QPalette &palette);

    std::function<void()> OnChange;

private:
    QImage part(int index) const;
    void changed();

    QImage glyph_;
    QImage listImage_;
    int numGlyphs_ = 1;
    QColor transparent_;
    TGlyphList *list_ = nullptr;
    int indexes_[5] = {-1, -1, -1, -1, -1};
};

// A button face drawn on its own (list cells and drag images of the speed bar).
class TButtonImage {
public:
    TButtonImage();
    ~TButtonImage();

    QImage Glyph() const { return glyph_->Glyph(); }
    void SetGlyph(const QImage &glyph) { glyph_->SetGlyph(glyph); }
    int NumGlyphs() const { return glyph_->NumGlyphs(); }
    void SetNumGlyphs(int count) { glyph_->SetNumGlyphs(count); }
    void SetListImage(const QImage &image) { glyph_->SetListImage(image); }

    QString Caption;
    TAlignment Alignment = taCenter;
    TButtonLayout Layout = blGlyphTop;
    int Margin = -1;
    int Spacing = 1;
    bool WordWrap = false;
    QSize ButtonSize{24, 23};
    QFont Font;

    // The face at (x, y), ButtonSize large.
    void Draw(QPainter &painter, int x, int y, TButtonState state = bsUp);

private:
    std::unique_ptr<TQvButtonGlyph> glyph_;
};

// Draws a button frame: raised, or pressed for bsDown and bsExclusive.
void DrawButtonFrame(QPainter &painter, const QRect &rect, bool pressed, TButtonStyle style,
                     const QPalette &palette);

class TQvSpeedButton : public QWidget, public TMouseEvents {
    Q_OBJECT
public:
    explicit TQvSpeedButton(QWidget *parent = nullptr);
    ~TQvSpeedButton() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    bool AllowTimer() const { return allowTimer_; }
    void SetAllowTimer(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool Down() const { return down_; }
    // Only grouped buttons go down; a down button comes up only with AllowAllUp.
    void SetDown(bool value);
    QMenu *DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(QMenu *menu);
    TQvDropDownMenuPos MenuPosition() const { return menuPosition_; }
    void SetMenuPosition(TQvDropDownMenuPos value) { menuPosition_ = value; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    QImage Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(const QImage &glyph);
    bool GrayedInactive() const { return grayedInactive_; }
    void SetGrayedInactive(bool value);
    int InitPause() const { return initPause_; }
    void SetInitPause(int ms) { initPause_ = std::clamp(ms, 0, 65535); }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return margin_; }
    void SetMargin(int value);
    bool MarkDropDown() const { return markDropDown_; }
    void SetMarkDropDown(bool value);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int count);
    // Follows the parent's ShowHint (its "ShowHint" property, when it has one) while set.
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value) { parentShowHint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool EffectiveShowHint() const;
    int RepeatInterval() const { return repeatInterval_; }
    void SetRepeatInterval(int ms) { repeatInterval_ = std::clamp(ms, 0, 65535); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // The tool tip shows the part before "|", the status line the part after it.
    QString Hint() const { return hint_; }
    void SetHint(const QString &hint);

    TButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseIn_; }
    bool Dragging() const { return dragging_; }
    TQvButtonGlyph &ButtonGlyph() { return glyph_; }
    // The state as it is drawn (bsInactive for a grey flat button, bsDisabled when disabled).
    TButtonState DrawnState() const;
    bool RepeatActive() const;

    // Raises OnClick (and closes a dialog with ModalResult when that is not 0).
    virtual void Click();

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;

    // Draws the whole face into the painter (the widget's rectangle).
    virtual void PaintButton(QPainter &painter);
    void SetState(TButtonState state);
    void setMouseIn(bool in);

private:
    void popupMenu();
    void timerTick();
    void stopRepeat();
    void updateExclusive(int groupIndex, TQvSpeedButton *sender);
    bool wantsDropDownMark() const;

    TAlignment alignment_ = taCenter;
    bool allowAllUp_ = false;
    bool allowTimer_ = false;
    int groupIndex_ = 0;
    bool down_ = false;
    QPointer<QMenu> dropDownMenu_;
    TQvDropDownMenuPos menuPosition_ = dmpBottom;
    QString caption_;
    bool flat_ = false;
    bool grayedInactive_ = true;
    int initPause_ = 500;
    TButtonLayout layout_ = blGlyphTop;
    int margin_ = -1;
    bool markDropDown_ = true;
    int modalResult_ = 0;
    bool parentShowHint_ = false;
    bool showHint_ = true;
    int repeatInterval_ = 100;
    int spacing_ = 1;
    TButtonStyle style_ = bsAutoDetect;
    bool transparent_ = false;
    bool wordWrap_ = false;
    QString hint_;

    TButtonState state_ = bsUp;
    bool dragging_ = false;
    bool mouseIn_ = false;
    bool menuShowing_ = false;
    bool pressed_ = false;
    RepeatTimer *repeat_ = nullptr;
    TQvButtonGlyph glyph_;
};

} // namespace qv
