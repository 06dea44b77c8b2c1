#include "dialogbase.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace dialogs {

TTagDialog::TTagDialog(const QString &caption, const QString &className, QWidget *parent)
{
    setParent(parent, DialogFlags());
    setObjectName(className.mid(1));
    setWindowTitle(caption);
    auto *outer = new QVBoxLayout(this);
    grid_ = new QGridLayout;
    outer->addLayout(grid_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    outer->addLayout(buttons);
    // Sized by its fields: no resize edge and no maximising.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    QObject::connect(Button1, &QPushButton::clicked, this, [this] {
        if (!OkAllowed())
            return;
        if (OnOk)
            OnOk();
        HandOverOwn();
        if (ClosesOnOk)
            accept();
    });
    QObject::connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TTagDialog::showEvent(QShowEvent *event)
{
    platform::FormOf<QDialog>::showEvent(event);
    // The buttons are made before the fields, so Tab from the window would land on OK. The user starts in
    // the first field instead; from there Tab goes down the fields and on to the buttons, as on the screen.
    if (focusWidget())
        return;
    int guard = 0;
    for (QWidget *w = Button2->nextInFocusChain(); w != Button1 && w != this && ++guard < 10000; w = w->nextInFocusChain())
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this) && w->isEnabled()) {
            // A list that takes the focus chooses its first entry, which is the user's to choose: a
            // dialog that starts with a list is left to start where Qt puts it.
            if (qobject_cast<QAbstractItemView *>(w))
                return;
            w->setFocus(Qt::TabFocusReason);
            return;
        }
}

QLineEdit *TTagDialog::addEdit(const QString &name, const QString &label)
{
    const int row = grid_->rowCount();
    auto *e = new QLineEdit(this);
    e->setObjectName(name);
    grid_->addWidget(BuddyLabel(label, e, this), row, 0);
    grid_->addWidget(e, row, 1);
    return e;
}

QComboBox *TTagDialog::addCombo(const QString &name, const QString &label, const QStringList &items)
{
    const int row = grid_->rowCount();
    auto *c = new QComboBox(this);
    c->setObjectName(name);
    c->setEditable(true);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    grid_->addWidget(BuddyLabel(label, c, this), row, 0);
    grid_->addWidget(c, row, 1);
    return c;
}

QPlainTextEdit *TTagDialog::addMemo(const QString &name, const QString &label)
{
    const int row = grid_->rowCount();
    auto *m = new QPlainTextEdit(this);
    m->setObjectName(name);
    m->setTabChangesFocus(true);
    grid_->addWidget(BuddyLabel(label, m, this), row, 0, Qt::AlignTop);
    grid_->addWidget(m, row, 1);
    return m;
}

Qt::WindowFlags DialogFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

void SetTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QLabel *BuddyLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace dialogs
