#pragma once
// The text control as the editor of a page or a script. Text enters it by many routes (typing, pasting,
// the main window's relays, the dialogs, the side panel's trees, the script editors), all of them through
// the control's edit core; there, and only there, it loses the bytes a reader cannot see. Undo and redo, and
// text dragged within the control, put back what the page held. The text control as a component keeps its style codes.
#include "textcontrol/rilomemo.h"

namespace app {

// A character no reader of a page sees: the text control's style codes (0x01 to 0x05, 0x15), NUL and the
// other control characters, but not TAB, CR and LF.
bool IsInvisible(QChar c);
// The text without them.
QString VisibleText(QStringView text);

// The text as it enters a page: without invisible characters, and every kind of line end (CR LF, LF CR, a
// lone CR or LF) one paragraph end, as a page's file is read.
QString PageText(QStringView text);

class TPageMemo : public textcontrol::TRiloMemo {
public:
    // No key puts a style code or a control character in: the control's style-code hot keys and Ctrl+P (a
    // page break mark) are not taken, typed control characters are dropped. Ctrl+T (a TAB) and the undo keys
    // stay.
    explicit TPageMemo(QWidget *parent = nullptr);
    void SetSelTextBuf(QStringView text) override;

    // Room for undo, in characters: `perChar` times the text, at least `least`, at most `most` (a few
    // times the page, so that an edit of all of it, a Replace All or a paste over a selection of everything,
    // can be taken back on any page that opens quickly, within memory). Never lowered while the control
    // lives, so what undo holds is not thrown away when the text shrinks. Tests make it small.
    struct UndoRoom {
        int least = 4 << 20;
        int perChar = 3;
        int most = 256 << 20;
    };
    static UndoRoom Room;
    // Whether an edit replacing the characters [lower, upper) may go ahead: undo can keep it (the room
    // made to fit the text first), or the user, asked, agreed to make it all the same. Every edit of the
    // control asks here, and so does Replace All.
    bool MayReplace(int lower, int upper);
    // Replace All's one edit of a finished search, past the edit core: the replacement as text entering
    // the page, asked about as the core asks. Returns how many matches were replaced, -1 when the user
    // would not have it.
    int ReplaceAllFound(const textcontrol::TextDocument::ReplaceSearch &search, const QString &replacement);

protected:
    // Text dragged within the control is the page's own.
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    bool ownText_ = false;
};

} // namespace app
