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
    // Shows the picture that path names: a full path, or an address as the page has it (one relative to
    // the saved page is resolved from there, as a browser does). A file that cannot be loaded is reported,
    // and leaves the preview blank and the sizes as they were; a web address, or a relative name while the
    // page is unsaved, is not looked for. True when it was shown.
    bool LoadPreview(const QString &path);
};

} // namespace dialogs
