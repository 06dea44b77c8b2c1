#pragma once
#include "app/dialogs/engine.h"

class QCheckBox;
class QRadioButton;
class QTabWidget;

namespace zel {
class TZELSpinEdit;
}

namespace dialogs {

// "Frameset": rows or columns, each with its share in per cent. Until one of the two is chosen OK builds
// nothing and the dialog stays open.
class TFrameset : public TEngineDialog {
    Q_OBJECT
public:
    TFrameset(const TDialogDesc &desc, QWidget *parent = nullptr);
    QRadioButton *Rows, *Cols;
    zel::TZELSpinEdit *SpinRows, *SpinCols;
    QString Build() const override;

protected:
    void HandOverOwn() override;
};

// "Style Sheet": the engine's fields sorted onto tabs, each length with its unit beside it.
class TStyle : public TEngineDialog {
    Q_OBJECT
public:
    TStyle(const TDialogDesc &desc, QWidget *parent = nullptr);
    QTabWidget *PageControl1;
    // The rule as a browser reads it: each declaration the user filled in ends in a semicolon, the empty
    // ones are left out, a bare number takes its unit (px when none was chosen), and the few choices whose
    // words CSS spells otherwise are written in its words.
    QString Build() const override;
};

// "Window.Open()": a window.open call with the features ticked, each word in its own place so that
// unticking one leaves the others as they were.
class TWindowOpen : public TEngineDialog {
    Q_OBJECT
public:
    TWindowOpen(const TDialogDesc &desc, QWidget *parent = nullptr);
    QList<QCheckBox *> Options; // in the order their words are joined
    QString Features() const;
    QString Build() const override;

private:
    QStringList words_; // the word of each box while it is ticked, else empty
};

} // namespace dialogs
