#pragma once
// The sample choosers: a ready-made example per file in a folder of the program folder, chosen by name,
// shown read-only and handed over whole; and the VBScript chooser, whose examples ship as data texts.
#include "app/dialogs/engine.h"

#include <span>

class QComboBox;

namespace textcontrol {
class TRiloMemo;
}
namespace tree {
class TZozeZO;
}

namespace dialogs {

struct TSample {
    const char *name; // as the list shows it
    const char *file; // in the chooser's folder, no extension
};

// A drop-down of example names over a read-only view of the chosen example's file.
class TSampleChooser : public TEngineDialog {
    Q_OBJECT
public:
    TSampleChooser(const TDialogDesc &desc, const QString &folder, std::span<const TSample> samples,
                   QWidget *parent = nullptr);
    QComboBox *ComboBox1;
    textcontrol::TRiloMemo *RiloMemo1;
    // The file of the first example of that name in the program folder; empty for an unknown name.
    QString FileOf(const QString &name) const;
    // Shows the example of that name; false (the view as it was, the reason shown) when its file cannot be read.
    bool Choose(const QString &name);
    QString Build() const override;

private:
    QString folder_;
    std::span<const TSample> samples_;
};

// "DHTML Sample": stays open and on top, so one example after another can go in.
class TDHTML : public TSampleChooser {
    Q_OBJECT
public:
    TDHTML(const TDialogDesc &desc, QWidget *parent = nullptr);
    static std::span<const TSample> Samples();
};

// "JavaScript Sample": closes once its example is in.
class TJavaScriptSamples1 : public TSampleChooser {
    Q_OBJECT
public:
    TJavaScriptSamples1(const TDialogDesc &desc, QWidget *parent = nullptr);
    static std::span<const TSample> Samples();
};

// "VB Script": a list of ready-made VBScript examples; Insert hands the selected one over and stays open.
class TVBScript : public TEngineDialog {
    Q_OBJECT
public:
    TVBScript(const TDialogDesc &desc, QWidget *parent = nullptr);
    tree::TZozeZO *ZozeZO1;
    // The example names in list order.
    static QStringList Names();
    // The example of that name; empty for no name or an unknown one.
    static QString Example(const QString &name);
    // The data texts the examples are kept in.
    static QStringList DataNames();
    QString Build() const override;
};

} // namespace dialogs
