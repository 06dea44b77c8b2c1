#pragma once
// A combo box that completes typed text from its own items.
#include "controls/zel/systemscomponent.h"

#include <QComboBox>

namespace zel {

using TZELOnComplete = std::function<void(QObject *sender, quint16 key, const QString &trackedItem, bool &changeSelection)>;

class TZELAutoCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TZELAutoCombo(QWidget *parent = nullptr);

    bool Complete = true;
    quint16 MinComplete = 0;
    TZELOnComplete OnComplete;
    TNotifyEvent OnChange;
    // The key code of the last key pressed in the control (8 for Backspace and 46 for
    // Delete, the numbers stored forms use; else the Qt key).
    quint16 LastKey() const { return lastKey_; }

    // Simple (no list) or drop-down (editable) combos complete; a drop-down list does not.
    enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void editChanged(const QString &text);

private:
    quint16 lastKey_ = 0;
    TComboBoxStyle style_ = csDropDown;
};

} // namespace zel
