#pragma once
// The start dialog: how to begin, offered once a second after start-up.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;

namespace assistants {

class TStartup : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TStartup(QWidget *parent = nullptr);

    QLabel *Header = nullptr;
    QRadioButton *BlankDocument = nullptr, *Templates = nullptr, *QuickStart = nullptr, *OpenFile = nullptr,
                 *SharedBorder = nullptr, *Theme = nullptr;
    QPushButton *Continue = nullptr;

    // The ways to begin; a way without a handler cannot be chosen.
    std::function<void()> OnTemplates, OnQuickStart, OnSharedBorder, OnBlankDocument, OnOpenFile, OnTheme;

    // Runs the chosen way (the first checked in the order Templates, Quick Start, Shared Border, Blank
    // Document, Open File, Theme) once the dialog is out of the way, and closes it.
    void ContinueClick();

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace assistants
