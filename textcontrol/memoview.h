#pragma once
// What one view of a document holds apart from the text: the caret and its anchor, the first line shown, the
// size it is shown at, what its notifications last reported, and how its lines are laid out.
#include "textcontrol/measurer.h"
#include "textcontrol/navigator.h"

namespace textcontrol {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

struct MemoView {
    explicit MemoView(TextDocument *doc) : topLine(doc), lower(doc), upper(doc) {}
    TRiloNavigator topLine, lower, upper; // the selection is [lower, upper)
    bool caretLower = true;               // which end the caret is
    int selLength = 0;                    // signed: negative when the caret is the lower end
    int virtualSpaces = 0;
    bool overwrite = false;
    int clientWidth = 100, clientHeight = 60;
    int lastCaretOffset = -1, lastStyle = -1;
    int lastCaretLine = -1, lastCaretColumn = -1; // the caret's place on screen, which rewrapping moves

    // Layout: how paragraphs are broken into display lines and measured.
    FixedMeasurer fixed{1};
    Measurer *measurer = &fixed;
    TAlignment alignment = TAlignment::taLeftJustify;
    bool wordWrap = true;
    int leftMargin = 8, rightMargin = 8, tabStops = 8;
    int printWidth = 0;
    int lineHeight = 0;  // 0 = the measurer's
    int autoLineHeight = 1;
    int widest = 0;

    TRiloNavigator &Caret() { return caretLower ? lower : upper; }
    const TRiloNavigator &Caret() const { return caretLower ? lower : upper; }
};

} // namespace textcontrol
