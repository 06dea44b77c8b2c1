#include "pagememo.h"

#include "platform/dialogs.h"
#include "textcontrol/textdocument.h"

#include <QScopedValueRollback>
#include <algorithm>

namespace app {

bool IsInvisible(QChar c)
{
    return c.category() == QChar::Other_Control && c != QLatin1Char('\t') && c != QLatin1Char('\r') &&
           c != QLatin1Char('\n');
}

QString VisibleText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!IsInvisible(c))
            out += c;
    return out;
}

namespace {

// Whether a text enters a page as it stands: nothing invisible in it, and every line end CR LF.
bool IsPageText(QStringView text)
{
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text[k];
        if (c == QLatin1Char('\r') && k + 1 < text.size() && text[k + 1] == QLatin1Char('\n'))
            ++k;
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || IsInvisible(c))
            return false;
    }
    return true;
}

} // namespace

QString PageText(QStringView text)
{
    return IsPageText(text) ? text.toString() : textcontrol::EndsAsLoaded(VisibleText(text));
}

TPageMemo::UndoRoom TPageMemo::Room;

TPageMemo::TPageMemo(QWidget *parent) : TRiloMemo(parent)
{
    OnKeyDown = [](QObject *, int &key, Qt::KeyboardModifiers mods) {
        if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) &&
            (key == Qt::Key_B || key == Qt::Key_I || key == Qt::Key_U || key == Qt::Key_H || key == Qt::Key_F ||
             key == Qt::Key_P))
            key = 0;
    };
    // Dropped here rather than in the edit core, so that a typed one does not replace the selection.
    OnKeyPress = [](QObject *, QChar &ch) {
        if (IsInvisible(ch))
            ch = QChar();
    };
}

void TPageMemo::SetSelTextBuf(QStringView text)
{
    if (!MayReplace(SelLower(), SelUpper()))
        return;
    // What the page held goes back as it was.
    if (ownText_ || Document().Undoing()) {
        TRiloMemo::SetSelTextBuf(text);
        return;
    }
    if (IsPageText(text))
        TRiloMemo::SetSelTextBuf(text);
    else
        TRiloMemo::SetSelTextBuf(PageText(text));
}

bool TPageMemo::MayReplace(int lower, int upper)
{
    if (Document().Undoing() || upper <= lower)
        return true;
    const qint64 room = std::clamp(qint64(Room.perChar) * CharCount(), qint64(Room.least), qint64(Room.most));
    if (room > UndoMaxSpace())
        SetUndoMaxSpace(int(room));
    if (Document().KeepsForUndo(upper - lower))
        return true;
    const QString question =
        QStringLiteral("This change replaces %L1 characters, more than Undo can keep: it cannot be undone, and "
                       "neither can the changes made before it.\n\nMake the change all the same?")
            .arg(upper - lower);
    return platform::MessageBox(this, question, platform::ApplicationTitle(),
                                platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_DEFBUTTON2) == platform::IDYES;
}

int TPageMemo::ReplaceAllFound(const textcontrol::TextDocument::ReplaceSearch &search, const QString &replacement)
{
    if (search.at.empty())
        return 0;
    if (!MayReplace(search.at.front(), search.at.back() + int(search.pattern.size())))
        return -1;
    // The one edit goes past the edit core, where text entering a page is made page text.
    return ReplaceFound(search, PageText(replacement));
}

void TPageMemo::mouseReleaseEvent(QMouseEvent *e)
{
    const QScopedValueRollback<bool> own(ownText_, true);
    TRiloMemo::mouseReleaseEvent(e);
}

} // namespace app
