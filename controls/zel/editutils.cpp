#include "editutils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>

namespace zel {

int MinimumEditHeight(const QWidget *edit)
{
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    const int fontHeight = edit->fontMetrics().height();
    return 4 * 1 + std::min(systemHeight, fontHeight) / 4 + fontHeight;
}

void AutoSelectOnFocus(QLineEdit *edit, bool autoSelect)
{
    if (autoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        edit->selectAll();
}

} // namespace zel
