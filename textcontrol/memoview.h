#pragma once
// What one view of a memo holds apart from the text: the caret and its anchor, the first line shown, the
// size it is shown at, and what its notifications last reported.
#include "textcontrol/navigator.h"

namespace textcontrol {

struct MemoView {
    explicit MemoView(MemoCore *memo) : topLine(memo), lower(memo), upper(memo) {}
    TRiloNavigator topLine, lower, upper; // the selection is [lower, upper)
    bool caretLower = true;               // which end the caret is
    int selLength = 0;                    // signed: negative when the caret is the lower end
    int virtualSpaces = 0;
    bool overwrite = false;
    int clientWidth = 100, clientHeight = 60;
    int lastCaretOffset = -1, lastStyle = -1;

    TRiloNavigator &Caret() { return caretLower ? lower : upper; }
    const TRiloNavigator &Caret() const { return caretLower ? lower : upper; }
};

} // namespace textcontrol
