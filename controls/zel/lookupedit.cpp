#include "lookupedit.h"

#include "controls/zel/editutils.h"
#include "controls/zel/glyphs.h"

#include <QEvent>
#include <QKeyEvent>

namespace zel {

// --- TZELButtonClass

void TZELButtonClass::SetVisible(bool visible)
{
    button_->setVisible(visible);
    if (auto *edit = qobject_cast<TZELCustomLookupEdit *>(button_->parentWidget()))
        edit->Relayout();
}

void TZELButtonClass::SetHint(const QString &hint)
{
    hint_ = hint;
    button_->setToolTip(showHint_ ? hint_ : QString());
}

void TZELButtonClass::SetShowHint(bool show)
{
    showHint_ = show;
    button_->setToolTip(showHint_ ? hint_ : QString());
}

void TZELButtonClass::SetGlyph(const QPixmap &glyph)
{
    glyph_ = glyph;
    button_->setIcon(QIcon(glyph));
}

void TZELButtonClass::Assign(const TZELButtonClass &o)
{
    SetCaption(o.Caption());
    SetEnabled(o.Enabled());
    SetHint(o.Hint());
    SetShowHint(o.ShowHint());
    SetNumGlyphs(o.NumGlyphs());
    SetGlyph(o.Glyph());
    ShortCutKey = o.ShortCutKey;
    SetVisible(o.Visible());
}

// --- TZELCustomLookupEdit

static QToolButton *makeButton(QWidget *edit, const char *name)
{
    auto *b = new QToolButton(edit);
    b->setObjectName(QLatin1String(name));
    b->setCursor(Qt::ArrowCursor);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    return b;
}

TZELCustomLookupEdit::TZELCustomLookupEdit(QWidget *parent)
    : QLineEdit(parent),
      buttonA_(makeButton(this, "EditButton2")),
      buttonB_(makeButton(this, "EditButton1")),
      editButton2_(buttonA_),
      editButton1_(buttonB_)
{
    connect(buttonA_, &QToolButton::clicked, this, [this] { ClickButton2(); });
    connect(buttonB_, &QToolButton::clicked, this, [this] { ClickButton1(); });
    Relayout();
}

TZELCustomLookupEdit::~TZELCustomLookupEdit() = default;

void TZELCustomLookupEdit::SetEditButton1(const TZELButtonClass &b)
{
    editButton1_.Assign(b);
    Relayout();
}

void TZELCustomLookupEdit::SetEditButton2(const TZELButtonClass &b)
{
    editButton2_.Assign(b);
    Relayout();
}

void TZELCustomLookupEdit::SetCharCase(TEditCharCase c)
{
    charCase_ = c;
    SetEditCharCase(this, c);
}

void TZELCustomLookupEdit::SetAlignment(TAlignment a)
{
    alignment_ = a;
    setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}

void TZELCustomLookupEdit::ClickButton2()
{
    // The handler may free or hide the edit; focus only what is still there.
    QPointer<TZELCustomLookupEdit> self(this);
    if (OnButton2Click)
        OnButton2Click(this);
    if (self)
        setFocus(Qt::OtherFocusReason);
}

void TZELCustomLookupEdit::ClickButton1()
{
    QPointer<TZELCustomLookupEdit> self(this);
    if (OnButton1Click)
        OnButton1Click(this);
    if (self)
        setFocus(Qt::OtherFocusReason);
}

void TZELCustomLookupEdit::Relayout()
{
    const int w = width(), h = height();
    const int side = std::max(0, h - 4);
    const bool aVisible = !buttonA_->isHidden();
    const bool bVisible = !buttonB_->isHidden();
    if (aVisible)
        buttonA_->setGeometry(w - h, 0, side, side);
    else
        buttonA_->setGeometry(w + 1, 0, 0, 0);
    if (bVisible)
        buttonB_->setGeometry(w - h - (aVisible ? buttonA_->width() : 0), 0, side, side);
    else
        buttonB_->setGeometry(w + 1, 0, 0, 0);
    // Typed text never runs under the buttons.
    const int covered = (aVisible ? buttonA_->width() : 0) + (bVisible ? buttonB_->width() : 0);
    setTextMargins(0, 0, covered, 0);
}

void TZELCustomLookupEdit::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    fitHeight();
}

void TZELCustomLookupEdit::fitHeight()
{
    // Raising the height comes back here through the resize.
    const int minimum = MinimumEditHeight(this) + 1;
    if (minimum > height()) {
        resize(width(), minimum);
        return;
    }
    Relayout();
}

bool TZELCustomLookupEdit::matchesShortcut(const TZELButtonClass &b, const QKeyEvent *e) const
{
    if (b.ShortCutKey == 0)
        return false;
    const int mods = int(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    return (e->key() | mods) == b.ShortCutKey;
}

bool TZELCustomLookupEdit::event(QEvent *e)
{
    // Our shortcuts win over the window's and over the edit's own key bindings.
    if (e->type() == QEvent::ShortcutOverride) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (matchesShortcut(editButton2_, k) || matchesShortcut(editButton1_, k)) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TZELCustomLookupEdit::keyPressEvent(QKeyEvent *e)
{
    if (matchesShortcut(editButton2_, e)) {
        e->accept();
        ClickButton2();
        return;
    }
    if (matchesShortcut(editButton1_, e)) {
        e->accept();
        ClickButton1();
        return;
    }
    // Enter and Escape are left unhandled so that they reach the dialog's default and cancel buttons.
    QLineEdit::keyPressEvent(e);
}

void TZELCustomLookupEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    AutoSelectOnFocus(this, AutoSelect);
}

void TZELCustomLookupEdit::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        buttonA_->setEnabled(isEnabled());
        buttonB_->setEnabled(isEnabled());
    } else if (e->type() == QEvent::FontChange) {
        fitHeight();
    }
    QLineEdit::changeEvent(e);
}

// --- TZELLookupEdit

TZELLookupEdit::TZELLookupEdit(QWidget *parent) : TZELCustomLookupEdit(parent)
{
    EditButton1().SetGlyph(ZelGlyph(QStringLiteral("ZELLOOKUPEDITB1")));
    EditButton1().SetNumGlyphs(2);
    EditButton2().SetGlyph(ZelGlyph(QStringLiteral("ZELLOOKUPEDITB2")));
    EditButton2().SetNumGlyphs(2);
}

// --- TZELFileLookup

TZELFileLookup::TZELFileLookup(QWidget *parent) : TZELCustomLookupEdit(parent)
{
    EditButton1().SetGlyph(ZelGlyph(QStringLiteral("TZELFILELOOKUPA")));
    EditButton1().SetNumGlyphs(2);
    clear();
    EditButton2().SetVisible(false);
    OnButton1Click = [this](QObject *sender) { FileLookup(sender); };
}

void TZELFileLookup::FileLookup(QObject *)
{
    platform::FileDialogRequest r;
    r.defaultExt = DefaultExt;
    r.initialDir = InitialDir;
    r.filter = Filter;
    // The dialog starts at the file chosen before, not at the text it became.
    const QString chosen = ChosenFile();
    r.fileName = chosen.isEmpty() ? Filename() : chosen;
    r.options = Options;
    r.title = Title;
    if (!platform::ExecuteFileDialog(this, r))
        return;
    chosen_ = r.fileName;
    SetFilename(TextOfFile ? TextOfFile(chosen_) : chosen_);
    shown_ = text(); // in the edit's letter case
}

void TZELFileLookup::ShowChosenFile()
{
    const QString chosen = ChosenFile();
    if (chosen.isEmpty())
        return;
    SetFilename(TextOfFile ? TextOfFile(chosen) : chosen);
    shown_ = text();
}

} // namespace zel
