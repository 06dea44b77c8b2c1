#include "editutils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace zel {

namespace {

// Changes the case of what the edit is given; every change of the text passes a validator.
class CaseValidator : public QValidator {
public:
    CaseValidator(TEditCharCase charCase, QObject *parent) : QValidator(parent), charCase_(charCase) {}
    State validate(QString &input, int &) const override
    {
        input = charCase_ == ecUpperCase ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    TEditCharCase charCase_;
};

} // namespace

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

void SetEditCharCase(QLineEdit *edit, TEditCharCase charCase)
{
    delete dynamic_cast<const CaseValidator *>(edit->validator());
    if (charCase == ecNormal)
        return;
    auto *validator = new CaseValidator(charCase, edit);
    edit->setValidator(validator);
    int cursor = edit->cursorPosition();
    QString text = edit->text();
    validator->validate(text, cursor);
    if (text != edit->text()) {
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
}

} // namespace zel
