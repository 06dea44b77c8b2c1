#pragma once
#include "app/dialogs/engine.h"

namespace dialogs {

// "Search Engine": pages described by words are collected one by one ("&Add") and become the arrays of a
// small search script for a site. The entries count from 0 each time the dialog opens.
class TSearch : public TEngineDialog {
    Q_OBJECT
public:
    TSearch(const TDialogDesc &desc, QWidget *parent = nullptr);
    QPlainTextEdit *Memo1; // the entries so far
    QPushButton *AddButton;
    void AddClick();
    QString Build() const override;
    static QString Head();

private:
    int next_ = 0;
};

// "Link Combobox": links collected one by one ("Add") become the options of a drop-down list with a Go
// button.
class TLinkCombobox : public TEngineDialog {
    Q_OBJECT
public:
    TLinkCombobox(const TDialogDesc &desc, QWidget *parent = nullptr);
    QPlainTextEdit *Memo1; // the option lines so far
    QPushButton *AddButton;
    void AddClick();
    QString Build() const override;
    static QString Head();
    static QString Tail();
};

} // namespace dialogs
