#pragma once
#include "app/dialogs/engine.h"

namespace textcontrol {
class TRiloMemo;
}

namespace dialogs {

// "Insert File": a file chosen with "Select file..." is shown highlighted and read-only; OK hands its
// whole text over.
class Tinsert : public TEngineDialog {
    Q_OBJECT
public:
    Tinsert(const TDialogDesc &desc, QWidget *parent = nullptr);
    textcontrol::TRiloMemo *RiloMemo1;
    QPushButton *SelectFile;
    // Reads a file into the view; false (the view as it was, the reason shown) when it cannot be read.
    bool LoadFile(const QString &path);
    void SelectFileClick();
    QString Build() const override;
};

} // namespace dialogs
