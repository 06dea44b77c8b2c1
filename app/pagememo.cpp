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
    if (ownText_ || Document().Undoing() || std::none_of(text.begin(), text.end(), IsInvisible)) {
        TRiloMemo::SetSelTextBuf(text);
        return;
    }
    TRiloMemo::SetSelTextBuf(VisibleText(text));
}

void TPageMemo::mouseReleaseEvent(QMouseEvent *e)
{
    const QScopedValueRollback<bool> own(ownText_, true);
    TRiloMemo::mouseReleaseEvent(e);
}

} // namespace app
