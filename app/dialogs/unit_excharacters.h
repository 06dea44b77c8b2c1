#pragma once
#include "app/dialogs/engine.h"

namespace dialogs {

// The entity (or mark-up) each of the special-character buttons writes, in button order.
QStringList ExtendedCharacterTexts();

// Special characters: a button per character writes its entity into Edit1; OK hands Edit1 over and the
// window stays (on top of the others) for the next one; Cancel closes it.
class TExCharacters : public TEngineDialog {
    Q_OBJECT
public:
    TExCharacters(const TDialogDesc &desc, QWidget *parent = nullptr);
    QLineEdit *Edit1;
    QList<QPushButton *> SpeedButtons; // SpeedButton1 .. SpeedButton65
};

} // namespace dialogs
