#pragma once
// One-line edits with up to two small lookup buttons inside their right end.
#include "controls/zel/editutils.h"
#include "controls/zel/systemscomponent.h"
#include "platform/shell/filedialogs.h"

#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QToolButton>
#include <functional>

namespace zel {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TZELCustomLookupEdit;

// The published face of one embedded button. ShortCutKey is a Qt key combination (key | modifiers),
// 0 for none.
class TZELButtonClass {
public:
    explicit TZELButtonClass(QToolButton *button) : button_(button) {}
    QToolButton *Button() const { return button_; }

    QString Caption() const { return button_->text(); }
    void SetCaption(const QString &caption) { button_->setText(caption); }
    bool Visible() const { return !button_->isHidden(); }
    void SetVisible(bool visible);
    bool Enabled() const { return button_->isEnabled(); }
    void SetEnabled(bool enabled) { button_->setEnabled(enabled); }
    QString Hint() const { return hint_; }
    void SetHint(const QString &hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n) { numGlyphs_ = n; }
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap &glyph);
    int ShortCutKey = 0;

    void Assign(const TZELButtonClass &other);

private:
    QToolButton *button_;
    QString hint_;
    bool showHint_ = false;
    int numGlyphs_ = 1;
    QPixmap glyph_;
};

class TZELCustomLookupEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TZELCustomLookupEdit(QWidget *parent = nullptr);
    ~TZELCustomLookupEdit() override;

    // Button B (left of A) and button A (far right).
    TZELButtonClass &EditButton1() { return editButton1_; }
    TZELButtonClass &EditButton2() { return editButton2_; }
    void SetEditButton1(const TZELButtonClass &b);
    void SetEditButton2(const TZELButtonClass &b);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase c);
    bool AutoSelect = true;

    TNotifyEvent OnButton1Click; // button B
    TNotifyEvent OnButton2Click; // button A

    // Runs a button as a click does: its event, then the focus back to the edit.
    void ClickButton1();
    void ClickButton2();
    // Lays out text area and buttons again (after a button shows or hides).
    void Relayout();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    bool matchesShortcut(const TZELButtonClass &b, const QKeyEvent *e) const;
    void fitHeight();
    QToolButton *buttonA_;
    QToolButton *buttonB_;
    TZELButtonClass editButton2_;
    TZELButtonClass editButton1_;
    TAlignment alignment_ = taLeftJustify;
    TEditCharCase charCase_ = ecNormal;
};

class TZELLookupEdit : public TZELCustomLookupEdit {
    Q_OBJECT
public:
    explicit TZELLookupEdit(QWidget *parent = nullptr);
};

class TZELFileLookup : public TZELCustomLookupEdit {
    Q_OBJECT
public:
    explicit TZELFileLookup(QWidget *parent = nullptr);

    QString Filter = QStringLiteral("All Files|*.*");
    QString DefaultExt;
    QString Title;
    QString InitialDir;
    platform::OpenOptions Options = 0;
    QString Filename() const { return text(); }
    void SetFilename(const QString &name) { setText(name); }

    // The lookup of button B: an open dialog; a confirmed choice becomes the text.
    void FileLookup(QObject *sender);

    // What a confirmed file becomes in the edit (the address of it, say); unset: its name as chosen.
    std::function<QString(const QString &file)> TextOfFile;
    // The file last confirmed in the dialog while the edit still shows what it became; else empty (the
    // user typed since, or never chose).
    QString ChosenFile() const { return !chosen_.isEmpty() && text() == shown_ ? chosen_ : QString(); }
    // Shows the chosen file anew through TextOfFile (what it depends on changed).
    void ShowChosenFile();

private:
    QString chosen_, shown_;
};

} // namespace zel
