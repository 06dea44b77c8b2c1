#include "autocombo.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace zel {

TZELAutoCombo::TZELAutoCombo(QWidget *parent) : QComboBox(parent)
{
    SetStyle(csDropDown);
    connect(this, &QComboBox::activated, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

void TZELAutoCombo::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    setEditable(style != csDropDownList);
    if (QLineEdit *edit = lineEdit()) {
        setInsertPolicy(QComboBox::NoInsert);
        setCompleter(nullptr); // we complete ourselves
        connect(edit, &QLineEdit::textEdited, this, &TZELAutoCombo::editChanged, Qt::UniqueConnection);
    }
}

void TZELAutoCombo::keyPressEvent(QKeyEvent *e)
{
    // Stored before the edit sees the key, so that the change it causes knows what made it.
    switch (e->key()) {
    case Qt::Key_Backspace: lastKey_ = 8; break;
    case Qt::Key_Delete: lastKey_ = 46; break;
    default: lastKey_ = quint16(e->key() & 0xFFFF); break;
    }
    QComboBox::keyPressEvent(e);
}

void TZELAutoCombo::editChanged(const QString &text)
{
    if (OnChange)
        OnChange(this);
    if (!Complete || style_ == csDropDownList)
        return;
    if (lastKey_ == 8 || lastKey_ == 46)
        return;
    // An emptied field stays empty.
    if (text.isEmpty() || text.size() < MinComplete || count() == 0)
        return;
    int match = -1;
    for (int i = 0; i < count(); ++i) {
        if (QString::compare(itemText(i).left(text.size()), text, Qt::CaseInsensitive) == 0) {
            match = i;
            break;
        }
    }
    if (match < 0)
        return;
    const QString item = itemText(match);
    bool changeSelection = true;
    if (OnComplete)
        OnComplete(this, lastKey_, item, changeSelection);
    if (!changeSelection)
        return;
    QLineEdit *edit = lineEdit();
    edit->setText(item);
    edit->setSelection(int(text.size()), int(item.size() - text.size()));
}

} // namespace zel
