#include "pagememo.h"

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
    // What the page held goes back as it was.
    if (ownText_ || Document().Undoing() || IsPageText(text)) {
        TRiloMemo::SetSelTextBuf(text);
        return;
    }
    TRiloMemo::SetSelTextBuf(PageText(text));
}

void TPageMemo::mouseReleaseEvent(QMouseEvent *e)
{
    const QScopedValueRollback<bool> own(ownText_, true);
    TRiloMemo::mouseReleaseEvent(e);
}

} // namespace app
