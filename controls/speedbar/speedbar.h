#pragma once
// The customisable tool bar: a panel holding named sections of command items, each item with one speed
// button that stands on the bar while the item is visible. Buttons are placed absolutely on a grid; the
// bar docks to an edge of its parent through the parent's alignment layout (installed on a parent that
// has no layout), can be dragged to another edge and made thicker in whole rows while it is customised,
// and writes its layout (which items stand where) to an ini file and reads it back.
#include "controls/qv/qvinifiles.h"
#include "controls/qv/qvplacement.h"
#include "controls/qv/qvspeedbutton.h"
#include "controls/speedbar/alignlayout.h"
#include "controls/tree/treetypes.h"
#include "platform/error.h"
#include "platform/form.h"

#include <QImage>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace platform {
class FormReader;
class FormWriter;
}

namespace speedbar {

enum TBarPosition { bpAuto, bpCustom };
enum TBarOrientation { boHorizontal, boVertical };
enum TSpeedbarOption : unsigned {
    sbAllowDrag = 1,
    sbAllowResize = 2,
    sbFlatBtns = 4,
    sbGrayedBtns = 8,
    sbTransparentBtns = 16,
    sbStretchBitmap = 32,
};
using TSpeedbarOptions = unsigned;
enum TBoundLine : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TBoundLines = unsigned;
enum TPanelBevel { bvNone, bvLowered, bvRaised };
enum TBorderStyle { bsNone, bsSingle };

// The bar's one exception class.
class ESpeedbarError : public platform::Error {
public:
    using Error::Error;
};

class TSpeedBar;
class TSpeedbarSection;
class TSpeedItem;
class TBtnControl;

using TApplyAlignEvent = std::function<void(QObject *sender, TAlign align, bool &apply)>;
// An item about to be placed in a section; the handler may choose another section index.
using TAddItemEvent = std::function<void(TSpeedItem *item, int &section)>;

// The button of an item. While its item is customised it is dragged along the bar or off it.
class TSpeedbarButton : public qv::TQvSpeedButton {
    Q_OBJECT
public:
    explicit TSpeedbarButton(TSpeedItem *item);
    ~TSpeedbarButton() override;

    TSpeedItem *Item() const { return item_; }
    // Moves and sizes the button, keeping it off the bar's edge margin across the bar.
    void SetBounds(int left, int top, int width, int height);
    // The drag image while the button is dragged.
    TBtnControl *DragImage() const { return dragImage_; }

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    bool customising() const;
    QPoint dropPoint(QMouseEvent *e) const;
    void endDrag();

    TSpeedItem *item_;
    TBtnControl *dragImage_ = nullptr;
    bool dragHidden_ = false;
};

class TSpeedItem : public QObject, public qv::TMouseEvents {
    Q_OBJECT
public:
    explicit TSpeedItem(QObject *owner = nullptr);
    ~TSpeedItem() override;

    TSpeedBar *SpeedBar() const { return bar_; }
    TSpeedbarButton *Button() const { return button_; }
    // The section the item is in (-1 on none), and the name kept for joining a bar.
    int SectionIndex() const { return sectionIndex_; }
    void SetSectionIndex(int index) { sectionIndex_ = index; }
    QString SectionName() const;
    void SetSectionName(const QString &name) { sectionName_ = name; }
    // Leaves its bar and joins another in the section of its stored name, else of its stored index.
    void SetSpeedBar(TSpeedBar *bar);

    QString Caption() const { return caption_; }
    // Keeps the hint in step with the caption while the hint's first part is the caption.
    void SetCaption(const QString &caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // On the bar.
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Written to the layout.
    bool Stored() const { return stored_; }
    void SetStored(bool stored) { stored_ = stored; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    bool Customizing() const { return customizing_; }
    void SetCustomizing(bool on);

    int Tag() const { return tag_; }
    void SetTag(int tag);
    bool AllowAllUp() const { return button_->AllowAllUp(); }
    void SetAllowAllUp(bool value) { button_->SetAllowAllUp(value); }
    bool AllowTimer() const { return button_->AllowTimer(); }
    void SetAllowTimer(bool value) { button_->SetAllowTimer(value); }
    QString BtnCaption() const { return button_->Caption(); }
    void SetBtnCaption(const QString &value) { button_->SetCaption(value); }
    int GroupIndex() const { return button_->GroupIndex(); }
    void SetGroupIndex(int value) { button_->SetGroupIndex(value); }
    bool Down() const { return button_->Down(); }
    void SetDown(bool value) { button_->SetDown(value); }
    QMenu *DropDownMenu() const { return button_->DropDownMenu(); }
    void SetDropDownMenu(QMenu *menu) { button_->SetDropDownMenu(menu); }
    QFont Font() const { return button_->font(); }
    void SetFont(const QFont &font) { button_->setFont(font); }
    // While set the button takes the bar's font.
    bool ParentFont() const { return !button_->testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool on);
    QCursor Cursor() const { return button_->cursor(); }
    void SetCursor(const QCursor &cursor) { button_->setCursor(cursor); }
    QImage Glyph() const { return button_->Glyph(); }
    void SetGlyph(const QImage &glyph) { button_->SetGlyph(glyph); }
    QString Hint() const { return button_->Hint(); }
    void SetHint(const QString &hint) { button_->SetHint(hint); }
    qv::TButtonLayout Layout() const { return button_->Layout(); }
    void SetLayout(qv::TButtonLayout value) { button_->SetLayout(value); }
    int Margin() const { return button_->Margin(); }
    void SetMargin(int value) { button_->SetMargin(value); }
    bool MarkDropDown() const { return button_->MarkDropDown(); }
    void SetMarkDropDown(bool value) { button_->SetMarkDropDown(value); }
    int NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(int value) { button_->SetNumGlyphs(value); }
    bool ParentShowHint() const { return button_->ParentShowHint(); }
    void SetParentShowHint(bool value) { button_->SetParentShowHint(value); }
    bool ShowHint() const { return button_->ShowHint(); }
    void SetShowHint(bool value) { button_->SetShowHint(value); }
    int Spacing() const { return button_->Spacing(); }
    void SetSpacing(int value) { button_->SetSpacing(value); }
    bool WordWrap() const { return button_->WordWrap(); }
    void SetWordWrap(bool value) { button_->SetWordWrap(value); }
    // The button's place in bar coordinates.
    int Left() const { return button_->x(); }
    void SetLeft(int left);
    int Top() const { return button_->y(); }
    void SetTop(int top);

    // Performs the button's click.
    virtual void ButtonClick();

    // Stored form: "SectionName" (the caption of its section), written when there is no ancestor or the
    // ancestor's differs. ReadProperty takes "SectionName" and the section index of old forms
    // ("Section"), and is false for any other name.
    void DefineProperties(platform::FormWriter &w, const TSpeedItem *ancestor = nullptr) const;
    bool ReadProperty(const QString &name, platform::FormReader &r);
    // After reading: joins the bar in the section of the name read (the first section when no section
    // has it), else in the section of the index read (at least the first).
    void JoinAfterReading(TSpeedBar *bar);

private:
    friend class TSpeedBar;
    friend class TSpeedbarSection;
    void applyVisible();
    void applyEnabled();
    void applyLooks();
    void rebuildImage();
    void nameChanged(const QString &name);
    bool ownerLoading() const;

    QString caption_;
    bool customizing_ = false;
    bool enabled_ = true;
    TSpeedbarButton *button_;
    bool visible_ = false;
    bool stored_ = true;
    TSpeedBar *bar_ = nullptr;
    int sectionIndex_ = -1;
    QString sectionName_;
    bool sectionNameRead_ = false;
    int imageIndex_ = -1;
    int tag_ = 0;
    QString name_;
};

class TSpeedbarSection : public QObject {
    Q_OBJECT
public:
    explicit TSpeedbarSection(QObject *owner = nullptr);
    // Frees its items.
    ~TSpeedbarSection() override;

    QString Caption() const { return caption_; }
    // Raises ESpeedbarError "String list does not allow duplicates" when another section of the bar has it.
    void SetCaption(const QString &caption);
    // Its place in the bar's list; -1 on no bar.
    int Index() const;
    // Clamped to the bar's sections; nothing on no bar.
    void SetIndex(int index);
    int Count() const { return int(items_.size()); }
    TSpeedItem *Item(int index) const;
    TSpeedBar *SpeedBar() const { return bar_; }
    // Leaves its bar and joins another, taking back its old index if it had one.
    void SetSpeedBar(TSpeedBar *bar);

private:
    friend class TSpeedBar;
    friend class TSpeedItem;
    QString caption_;
    QList<TSpeedItem *> items_;
    TSpeedBar *bar_ = nullptr;
};

class TSpeedBar : public QWidget, public platform::Loadable, public qv::TMouseEvents {
    Q_OBJECT
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
public:
    explicit TSpeedBar(QWidget *parent = nullptr);
    ~TSpeedBar() override;

    TBarPosition Position() const { return position_; }
    void SetPosition(TBarPosition position);
    TAlign Align() const { return align_; }
    // With bpAuto, alNone and alClient (and values outside the enumeration) raise ESpeedbarError.
    void SetAlign(TAlign align) { setAlignValue(int(align)); }
    TBarOrientation Orientation() const;
    TSpeedbarOptions Options() const { return options_; }
    void SetOptions(TSpeedbarOptions options);
    TBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TBoundLines lines);
    int BtnOffsetHorz() const { return offsetHorz_; }
    void SetBtnOffsetHorz(int offset);
    int BtnOffsetVert() const { return offsetVert_; }
    void SetBtnOffsetVert(int offset);
    int BtnWidth() const { return btnWidth_; }
    void SetBtnWidth(int width);
    int BtnHeight() const { return btnHeight_; }
    void SetBtnHeight(int height);
    qv::TFormPlacement *IniStorage() const { return iniLink_.Placement(); }
    void SetIniStorage(qv::TFormPlacement *placement);
    int Version() const { return version_; }
    void SetVersion(int version) { version_ = version; }
    QImage Wallpaper() const { return wallpaper_; }
    void SetWallpaper(const QImage &image);
    tree::TImageList *Images() const { return images_; }
    void SetImages(tree::TImageList *images);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on) { showHint_ = on; }
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    QColor Color() const;
    void SetColor(const QColor &color);
    // bsSingle puts an edge round the bar, outside its bevels: sunken and two pixels wide with Ctl3D,
    // else a plain one-pixel line. The buttons keep inside it.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // Whether another program's tool bar may take the bar's place while that program edits an object
    // inside ours; no program does here, so it changes nothing.
    bool Locked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }

    // The menu font of the system, not the parent's.
    void SetFontDefault();

    // The margin buttons keep from the edges: 2 (0 with flat buttons) plus border and bevels.
    int MinimumOffset() const;
    int GridStepHorz() const { return gridHorz_; }
    int GridStepVert() const { return gridVert_; }
    // A point snapped to the button grid.
    QPoint SnapToGrid(QPoint point) const;
    // Places an item's button at the snapped point; the item stands on the bar exactly when that point
    // lies in the bar. Returns whether it does.
    bool PlaceItem(TSpeedItem *item, QPoint point);

    // Sections and items.
    virtual int AddSection(TSpeedbarSection *section);
    virtual void ForEachItem(const std::function<void(TSpeedItem *)> &proc) const;
    int SectionCount() const { return int(sections_.size()); }
    TSpeedbarSection *Section(int index) const;
    int ItemsCount(int section) const;
    TSpeedItem *Item(int section, int index) const;
    int SearchSection(const QString &caption) const;
    void RemoveSection(int index);
    void DeleteSection(int index);
    TSpeedItem *FindItemByName(const QString &name) const;
    // The section and place of an item; false (and -1, -1) when it is on no section of this bar.
    bool SearchItem(const TSpeedItem *item, int *section, int *index) const;
    void AddItem(int section, TSpeedItem *item);
    void RemoveItem(TSpeedItem *item);
    // Adds a section for every caption no section has yet.
    void ReadSections(const QStringList &captions);

    // The layout record in the bar's default section (or the one given). Saving replaces the section in
    // one atomic write and raises platform::FileError when the file cannot be written.
    void SaveLayout(qv::IniObject *ini);
    void SaveLayout(qv::IniObject *ini, const QString &section);
    void RestoreLayout(qv::IniObject *ini);
    void RestoreLayout(qv::IniObject *ini, const QString &section);

    // Opens the customise window (or brings the open one of this bar forward).
    void Customize(int helpContext = 0);
    QWidget *CustomizeWindow() const { return setupWindow_; }
    // The customise window tells the bar it opened (a window) or closed (null).
    void SetCustomizeWindow(QWidget *window);
    bool Customizing() const { return !setupWindow_.isNull(); }

    bool Dragging() const { return dragging_; }
    bool Resizing() const { return resizing_; }
    bool Loading() const { return loading_; }
    void SetLoading(bool on) { loading_ = on; }
    // After loading: an old bar loaded without alignment goes to the top; sizes and visibility applied.
    void Loaded() override;
    // Stored form. DefineProperties writes "InternalVer" (1) when there is no ancestor. ReadProperty
    // takes "Sections" (a section for each caption the bar lacks; an empty list changes nothing when
    // there is an ancestor), "NewStyle" (kept, it changes nothing), "InternalVer" and "AllowDrag" (true
    // adds sbAllowDrag); false for any other name.
    void DefineProperties(platform::FormWriter &w, const TSpeedBar *ancestor = nullptr) const;
    bool ReadProperty(const QString &name, platform::FormReader &r, bool hasAncestor = false);
    int InternalVer() const { return internalVer_; }
    bool NewStyle() const { return newStyle_; }
    // The whole bar: its properties, then its sections and every item of every section that the bar
    // does not own. Reading makes the sections and items (the items owned by itemOwner) while the bar
    // is loading, then finishes loading; a malformed form raises platform::StreamError and changes
    // nothing.
    void WriteForm(platform::FormWriter &w, const TSpeedBar *ancestor = nullptr) const;
    void ReadForm(const QByteArray &form, QObject *itemOwner);
    // Scales the button sizes and offsets from one pixel density to another.
    void ChangeScale(int m, int d);
    // Whether a point (bar coordinates) lies on the edge that resizes the bar.
    bool OnResizeEdge(QPoint point) const;

    TApplyAlignEvent OnApplyAlign;
    platform::TNotifyEvent OnPosChanged;
    platform::TNotifyEvent OnVisibleChanged;
    platform::TNotifyEvent OnCustomize;
    TAddItemEvent OnAddItem;

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    friend class TSpeedItem;
    friend class TSpeedbarSection;
    friend class TSpeedbarButton;
    void setAlignValue(int value);
    // Items take the index of the section they are in.
    void renumber();
    void setOrientation(TBarOrientation orientation);
    void computeGrid();
    void alignChildren();
    void joinItem(TSpeedItem *item, bool resize);
    void shiftButtons(int dx, int dy);
    void resizeButtons();
    void applyButtonLooks();
    void notifySetup(int code, QObject *subject);
    void realignParent();
    int borderSize() const;
    int edgeSize() const;
    TAlign targetAlign(QPoint global, bool *applied);
    QRect targetRect(TAlign align, bool applied) const;
    void resizeTo(QPoint point);
    void setThickness(int thickness);
    // Where a restored button can be shown: within what the bar can reach along and across it.
    int reachAlong() const;
    int reachAcross() const;
    bool showableButton(const QRect &place) const;
    // The first place of a button's size that no taken place overlaps; empty when the bar is full.
    QRect freeButtonPlace(const QList<QRect> &taken) const;
    void ensureRoom();
    void endDrag(QPoint global);

    QList<TSpeedbarSection *> sections_;
    TBarPosition position_ = bpAuto;
    TAlign align_ = alNone;
    TBarOrientation orientation_ = boHorizontal;
    TSpeedbarOptions options_ = sbAllowDrag | sbGrayedBtns;
    TBoundLines boundLines_ = 0;
    int offsetHorz_ = 0;
    int offsetVert_ = 0;
    int btnWidth_ = 24;
    int btnHeight_ = 23;
    int gridHorz_ = 8;
    int gridVert_ = 23;
    int version_ = 0;
    QImage wallpaper_;
    QPointer<tree::TImageList> images_;
    QMetaObject::Connection imagesChanged_;
    bool showHint_ = true;
    QPointer<QMenu> popupMenu_;
    TPanelBevel bevelInner_ = bvNone;
    TPanelBevel bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    bool ctl3D_ = true;
    bool locked_ = false;
    QColor color_;
    qv::TIniLink iniLink_;
    QPointer<QWidget> setupWindow_;

    bool barVisible_ = true;
    bool loading_ = false;
    bool loadedAlignNone_ = false;
    int internalVer_ = 0;
    bool newStyle_ = false;
    bool updating_ = false;
    bool pressed_ = false;
    bool dragging_ = false;
    bool resizing_ = false;
    QPoint downPoint_;
    QRect savedRect_;
    TAlign savedAlign_ = alTop;
    QRect frameRect_;
    bool explicitOffsetHorz_ = false;
    bool explicitOffsetVert_ = false;
    bool explicitBtnWidth_ = false;
    bool explicitBtnHeight_ = false;
};

} // namespace speedbar
