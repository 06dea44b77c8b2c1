#pragma once
// Helpers shared by the application's tests.
#include "app/editform.h"
#include "app/frameform.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "textcontrol/rilomemo.h"
#include "k5test.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace apptest {

// Answers the next file dialog with this path.
inline std::function<int(QDialog *)> ChooseFile(const QString &path)
{
    return [path](QDialog *d) {
        if (auto *fd = qobject_cast<QFileDialog *>(d)) {
            fd->selectFile(path);
            return int(platform::mrOk);
        }
        return int(platform::mrCancel);
    };
}

// Picks several files of one folder in the open dialog, as a user types them into its name box.
inline k5test::User::Step ChooseFiles(const QString &dir, const QStringList &names)
{
    return [dir, names](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!edit || !edit->isVisible())
            return false;
        dialog->setDirectory(dir);
        QStringList quoted;
        for (const QString &n : names)
            quoted << QLatin1Char('"') + n + QLatin1Char('"');
        edit->setFocus();
        edit->setText(quoted.join(QLatin1Char(' ')));
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
        return true;
    };
}

// Closes every document without questions.
inline void CloseAll(app::TFrameForm &frame)
{
    for (app::TEditForm *doc : frame.EditForms()) {
        doc->SetModified(false);
        doc->Frame()->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The main window a test drives for its whole run: made, shown and ready for input; false when it never
// showed.
[[nodiscard]] inline bool ShowFrame(app::TFrameForm *&frame)
{
    frame = new app::TFrameForm;
    frame->show();
    return QTest::qWaitForWindowExposed(frame);
}

// Closes the documents of the test's main window without questions, then the window.
inline void DeleteFrame(app::TFrameForm *&frame)
{
    CloseAll(*frame);
    delete frame;
    frame = nullptr;
}

// The field or button that has the focus when w has it (an editable box's line edit stands for its box).
inline QWidget *FocusOwner(QWidget *w)
{
    while (w && w->parentWidget() && !w->isWindow() && w->parentWidget()->focusProxy() == w)
        w = w->parentWidget();
    return w;
}

// The widgets that Tab goes through, from the first one a user lands on, each once; `back` is where the
// Tab from the last one went (the first one, in a chain that closes).
inline QList<QWidget *> FocusChain(QWidget *dialog, QWidget **back = nullptr)
{
    if (!dialog->focusWidget())
        QTest::keyClick(dialog, Qt::Key_Tab); // the first widget that takes the focus, as on activation
    QList<QWidget *> chain;
    QWidget *at = dialog->focusWidget();
    while (at && !chain.contains(FocusOwner(at)) && chain.size() < 500) {
        chain << FocusOwner(at);
        QWidget *was = at;
        QTest::keyClick(at, Qt::Key_Tab);
        at = dialog->focusWidget();
        // An editor that takes Tab as text is left with Ctrl+Tab.
        if (at && FocusOwner(at) == FocusOwner(was)) {
            QTest::keyClick(at, Qt::Key_Tab, Qt::ControlModifier);
            at = dialog->focusWidget();
        }
    }
    if (back)
        *back = FocusOwner(at);
    return chain;
}

// A window the menus open has a title and a close button, and no minimise or maximise button.
inline QString BorderProblems(QWidget *w)
{
    const Qt::WindowFlags f = w->windowFlags();
    QStringList problems;
    if (f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
        problems << QStringLiteral("minimise or maximise button");
    if (!(f & Qt::WindowCloseButtonHint))
        problems << QStringLiteral("no close button");
    return problems.isEmpty() ? QString() : w->windowTitle() + QStringLiteral(": ") + problems.join(QStringLiteral(", "));
}

// Where Tab goes against the dialog's visual order: going round from the widget at the top left, to a
// widget above the one before it in the same column, or left of it in the same row. Empty when Tab reads
// the dialog as the eye does (down the fields, then down or along the buttons). The focus may start in any
// field, but not on a button while there are fields to fill.
inline QStringList FocusOrderProblems(QWidget *dialog)
{
    QWidget *back = nullptr;
    QList<QWidget *> chain = FocusChain(dialog, &back);
    auto name = [](QWidget *w) {
        if (!w)
            return QStringLiteral("nothing");
        QString n = w->objectName();
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            n += QStringLiteral(" \"") + b->text() + QLatin1Char('"');
        return n.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : n;
    };
    auto rect = [dialog](QWidget *w) { return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size()).adjusted(1, 1, -1, -1); };
    QStringList problems;
    // Something to fill in or choose (a read-only view is none).
    auto isField = [](QWidget *w) {
        if (auto *e = qobject_cast<QLineEdit *>(w))
            return !e->isReadOnly();
        if (auto *e = qobject_cast<QAbstractSpinBox *>(w))
            return !e->isReadOnly();
        if (auto *e = qobject_cast<QPlainTextEdit *>(w))
            return !e->isReadOnly();
        if (auto *e = qobject_cast<QTextEdit *>(w))
            return !e->isReadOnly();
        if (auto *m = qobject_cast<textcontrol::TRiloMemo *>(w))
            return !m->ReadOnly();
        return qobject_cast<QComboBox *>(w) || qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w) ||
               qobject_cast<QAbstractItemView *>(w);
    };
    // A list is left out: taking the focus would choose its first entry for the user.
    const bool hasFields = std::any_of(chain.begin(), chain.end(), [&](QWidget *w) { return isField(w) && !qobject_cast<QAbstractItemView *>(w); });
    if (auto *ok = chain.isEmpty() ? nullptr : qobject_cast<QPushButton *>(chain.first()); ok && ok->isDefault() && hasFields)
        problems << QStringLiteral("%1: the focus starts on %2, not in a field").arg(dialog->windowTitle(), name(ok));
    const bool closes = !chain.isEmpty() && back == chain.first();
    QWidget *last = chain.isEmpty() ? nullptr : chain.last();
    if (closes) {
        // The top row (widgets beside the topmost one), and in it the leftmost: a tall field beside a label
        // may start higher than the label does.
        const auto top = std::min_element(chain.begin(), chain.end(), [&](QWidget *a, QWidget *b) { return rect(a).top() < rect(b).top(); });
        const QRect band = rect(*top);
        auto first = top;
        for (auto it = chain.begin(); it != chain.end(); ++it) {
            const QRect r = rect(*it);
            if (r.top() <= band.bottom() && band.top() <= r.bottom() && r.left() < rect(*first).left())
                first = it;
        }
        std::rotate(chain.begin(), first, chain.end());
    }
    for (int i = 0; i < chain.size(); ++i)
        for (int j = i + 1; j < chain.size(); ++j) {
            const QRect a = rect(chain[i]), b = rect(chain[j]);
            const bool sameColumn = a.left() <= b.right() && b.left() <= a.right();
            const bool sameRow = a.top() <= b.bottom() && b.top() <= a.bottom();
            if (sameColumn && !sameRow && b.bottom() < a.top())
                problems << QStringLiteral("%1: Tab reaches %2 after %3 below it").arg(dialog->windowTitle(), name(chain[j]), name(chain[i]));
            else if (sameRow && !sameColumn && b.right() < a.left())
                problems << QStringLiteral("%1: Tab reaches %2 after %3 right of it").arg(dialog->windowTitle(), name(chain[j]), name(chain[i]));
        }
    // A window of nothing but text (closed by a click) has nothing to take the focus.
    const QList<QWidget *> kids = dialog->findChildren<QWidget *>();
    const bool focusable = std::any_of(kids.begin(), kids.end(), [](QWidget *w) { return w->isVisibleTo(w->window()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus); });
    if (qEnvironmentVariableIsSet("K5_FOCUS_DEBUG")) {
        QStringList names;
        for (QWidget *w : chain)
            names << name(w) + QStringLiteral("@") + QString::number(rect(w).top()) + QLatin1Char(',') + QString::number(rect(w).left());
        qInfo("%s: %s", qPrintable(dialog->windowTitle()), qPrintable(names.join(QStringLiteral(" | "))));
    }
    if (chain.isEmpty()) {
        if (focusable)
            problems << dialog->windowTitle() + QStringLiteral(": nothing takes the focus");
    } else if (!closes)
        problems << QStringLiteral("%1: Tab from %2 goes to %3, not back to the first").arg(dialog->windowTitle(), name(last), back ? name(back) : QStringLiteral("nothing"));
    return problems;
}

// A menu item by name anywhere in these menus and their submenus.
inline QAction *FindItem(const QList<QMenu *> &menus, const QString &name)
{
    for (QMenu *m : menus)
        for (QAction *a : m->actions()) {
            if (a->objectName() == name && !a->menu())
                return a;
            if (a->menu())
                if (QAction *x = FindItem({a->menu()}, name))
                    return x;
        }
    return nullptr;
}

// A document's item, from its menus or its pop-up menu.
inline QAction *DocItem(app::TEditForm *d, const QString &name) { return FindItem(d->Menus() << d->PopupMenu1, name); }
inline QAction *DocItem(app::TEditForm *d, const char *name) { return DocItem(d, QString::fromLatin1(name)); }

// The active document (a new one when there is none) holding this text, with nothing to undo.
inline app::TEditForm *DocWith(app::TFrameForm &frame, const QString &text)
{
    if (!frame.ActiveEditForm())
        frame.Start2->click();
    app::TEditForm *d = frame.ActiveEditForm();
    d->ReplaceText(text);
    d->RiloMemo1->ClearUndo();
    return d;
}

// The same, with the caret after the text.
inline app::TEditForm *DocWithCaretAtEnd(app::TFrameForm &frame, const QString &text)
{
    app::TEditForm *d = DocWith(frame, text);
    d->RiloMemo1->Select(int(text.size()), 0);
    return d;
}

// A tree node on the top level by its text, and a double click on it as the tree reports one.
inline tree::TZozeZONode *NodeNamed(tree::TZozeZO *tree, const QString &text)
{
    for (int i = 0; i < tree->Items()->Count(); ++i)
        if (tree->Items()->Item(i)->Text() == text)
            return tree->Items()->Item(i);
    return nullptr;
}
inline void DoubleClickNode(tree::TZozeZO *tree, const QString &text)
{
    tree::TZozeZONode *node = NodeNamed(tree, text);
    QVERIFY2(node, qPrintable(text));
    tree->SetSelected(node);
    tree->OnDblClick(tree);
}

// The shared answerer of real dialogs and the pause between two user actions.
using k5test::Settle;
using k5test::User;
using k5test::Type;

} // namespace apptest
