#pragma once
#include "app/dialogs/engine.h"

namespace gfx {
class TQvGIFAnimator;
}

namespace dialogs {

// "Picture": the fields of an IMG tag, with a preview of the chosen picture; its size fills Width and
// Height.
class TPicture : public TEngineDialog {
    Q_OBJECT
public:
    TPicture(const TDialogDesc &desc, QWidget *parent = nullptr);
    gfx::TQvGIFAnimator *Preview;
    // Shows the picture at path; a missing or unreadable file leaves the preview blank and the sizes as
    // they were. True when it was shown.
    bool LoadPreview(const QString &path);
};

} // namespace dialogs
