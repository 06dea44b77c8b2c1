#include "zozezoeditor.h"

#include "platform/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

namespace tree {

namespace {

const QString ImageHint = QStringLiteral("all selected nodes will get the image you choose here");

// A check box that shows the greyed state for mixed values but never goes there by a click.
class TwoStateBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

QScrollArea *imageScrollBox(const QString &name, QWidget *parent)
{
    auto *box = new QScrollArea(parent);
    box->setObjectName(name);
    box->setWidgetResizable(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFixedHeight(60);
    box->setStatusTip(ImageHint);
    auto *content = new QWidget(box);
    content->resize(4, 36);
    box->setWidget(content);
    return box;
}

// The common value of the selected nodes, or nothing when they differ.
template <typename F>
std::optional<int> common(const QList<TZozeZONode *> &nodes, F value)
{
    if (nodes.isEmpty())
        return std::nullopt;
    const int first = value(nodes.first());
    for (TZozeZONode *n : nodes)
        if (value(n) != first)
            return std::nullopt;
    return first;
}

void setTriState(QCheckBox *box, std::optional<int> value)
{
    box->setCheckState(!value ? Qt::PartiallyChecked : *value ? Qt::Checked : Qt::Unchecked);
}

} // namespace

TZozeZOEditor::TZozeZOEditor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ZozeZOEditor"));
    setWindowTitle(QStringLiteral("ZozeZO Item Editor"));
    resize(560, 440);

    Tree = new TZozeZO(this);
    Tree->setObjectName(QStringLiteral("Tree"));
    Tree->SetChangeDelay(250);
    Tree->SetDragMode(dmAutomatic);
    Tree->SetIndent(19);
    Tree->SetItemHeight(16);
    Tree->SetScrollTime(100);
    Tree->SetOptions(Tree->Options() | toMultiSelect);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    FontButton = new QPushButton(QStringLiteral("choose font"), Panel1);
    FontButton->setObjectName(QStringLiteral("FontButton"));
    ColorButton = new QPushButton(QStringLiteral("choose color"), Panel1);
    ColorButton->setObjectName(QStringLiteral("ColorButton"));
    ParentFontBox = new TwoStateBox(Panel1);
    ParentFontBox->setObjectName(QStringLiteral("ParentFontBox"));
    ParentColorBox = new TwoStateBox(Panel1);
    ParentColorBox->setObjectName(QStringLiteral("ParentColorBox"));
    EnabledBox = new TwoStateBox(Panel1);
    EnabledBox->setObjectName(QStringLiteral("EnabledBox"));
    IntegralEdit = new QLineEdit(Panel1);
    IntegralEdit->setObjectName(QStringLiteral("IntegralEdit"));
    IntegralEdit->setValidator(new QIntValidator(0, 255, IntegralEdit));
    IntegralEdit->installEventFilter(this);
    CheckTypeLabel = new QLabel(QStringLiteral("Top level check type:"), Panel1);
    CheckTypeLabel->setObjectName(QStringLiteral("CheckTypeLabel"));
    CheckStyleCombo = new QComboBox(Panel1);
    CheckStyleCombo->setObjectName(QStringLiteral("CheckStyleCombo"));
    CheckStyleCombo->addItems({QStringLiteral("none"), QStringLiteral("check boxes"),
                               QStringLiteral("check boxes (grayed)"), QStringLiteral("radio buttons")});

    auto *grid = new QGridLayout(Panel1);
    grid->addWidget(new QLabel(QStringLiteral("inherited:"), Panel1), 0, 1);
    grid->addWidget(FontButton, 1, 0);
    grid->addWidget(ParentFontBox, 1, 1);
    grid->addWidget(ColorButton, 2, 0);
    grid->addWidget(ParentColorBox, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Enabled:"), Panel1), 3, 0);
    grid->addWidget(EnabledBox, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Integral height:"), Panel1), 4, 0);
    grid->addWidget(IntegralEdit, 4, 1);
    grid->addWidget(CheckTypeLabel, 5, 0, 1, 2);
    grid->addWidget(CheckStyleCombo, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    ImageBox = imageScrollBox(QStringLiteral("ImageBox"), Panel2);
    SImageBox = imageScrollBox(QStringLiteral("SImageBox"), Panel2);
    StateImageBox = imageScrollBox(QStringLiteral("StateImageBox"), Panel2);
    auto *images = new QVBoxLayout(Panel2);
    images->addWidget(new QLabel(QStringLiteral("choose node image (unselected):"), Panel2));
    images->addWidget(ImageBox);
    images->addWidget(new QLabel(QStringLiteral("choose node image (selected):"), Panel2));
    images->addWidget(SImageBox);
    images->addWidget(new QLabel(QStringLiteral("choose state image:"), Panel2));
    images->addWidget(StateImageBox);

    Panel3 = new QLabel(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    auto action = [this](const char *name, const QString &text) {
        QAction *a = PopupMenu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    InsertNode = action("InsertNode", QStringLiteral("&Insert node"));
    InsertNode->setStatusTip(QStringLiteral("inserts a new node before the focused node"));
    AddChildItem = action("AddChildItem", QStringLiteral("&Add Child"));
    DuplicateNode = action("DuplicateNode", QStringLiteral("&Duplicate node(s)"));
    DeleteNode = action("DeleteNode", QStringLiteral("D&elete node(s)"));
    PopupMenu->addSeparator();
    Expand = action("Expand", QStringLiteral("&Expand all"));
    Collapse = action("Collapse", QStringLiteral("&Collapse all"));
    SelectAll = action("SelectAll", QStringLiteral("&Select all nodes"));
    Tree->SetPopupMenu(PopupMenu);

    auto *top = new QHBoxLayout;
    top->addWidget(Tree, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(Panel1);
    side->addWidget(Panel3);
    top->addLayout(side);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(Panel2);
    main->addLayout(buttons);
    main->addWidget(StatusBar);

    connect(OKButton, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(InsertNode, &QAction::triggered, this, &TZozeZOEditor::InsertNodeClick);
    connect(AddChildItem, &QAction::triggered, this, &TZozeZOEditor::AddChildItemClick);
    connect(DuplicateNode, &QAction::triggered, this, &TZozeZOEditor::DuplicateNodeClick);
    connect(DeleteNode, &QAction::triggered, this, &TZozeZOEditor::DeleteNodeClick);
    connect(Expand, &QAction::triggered, this, &TZozeZOEditor::ExpandClick);
    connect(Collapse, &QAction::triggered, this, &TZozeZOEditor::CollapseClick);
    connect(SelectAll, &QAction::triggered, this, &TZozeZOEditor::SelectAllClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, &TZozeZOEditor::PopupMenuPopup);
    connect(FontButton, &QPushButton::clicked, this, &TZozeZOEditor::FontButtonClick);
    connect(ColorButton, &QPushButton::clicked, this, &TZozeZOEditor::ColorButtonClick);

    auto apply = [this](auto set) {
        if (updating_)
            return;
        for (TZozeZONode *n : selection())
            set(n);
    };
    connect(ParentFontBox, &QCheckBox::clicked, this,
            [this, apply](bool on) { apply([on](TZozeZONode *n) { n->SetParentFont(on); }); });
    connect(ParentColorBox, &QCheckBox::clicked, this,
            [this, apply](bool on) { apply([on](TZozeZONode *n) { n->SetParentColor(on); }); });
    connect(EnabledBox, &QCheckBox::clicked, this,
            [this, apply](bool on) { apply([on](TZozeZONode *n) { n->SetCheckEnabled(on); }); });
    connect(IntegralEdit, &QLineEdit::textEdited, this, [this, apply](const QString &text) {
        if (text.isEmpty())
            return;
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value < 1)
            return;
        apply([value](TZozeZONode *n) { n->SetIntegralHeight(value); });
    });
    connect(CheckStyleCombo, &QComboBox::activated, this, [this, apply](int index) {
        if (updating_ || index < 0)
            return;
        if (Tree->Items()->SelectionCount() == 0)
            Tree->Items()->SetTopLevelCheckType(index);
        else
            apply([index](TZozeZONode *n) { n->SetCheckType(index); });
    });

    Tree->OnChange = [this](TCustomZozeZO *, TZozeZONode *node) { TreeChange(node); };
    Tree->OnKeyDown = [this](TCustomZozeZO *, int &key, Qt::KeyboardModifiers) {
        if (Tree->IsEditing())
            return;
        if (key == Qt::Key_Insert) {
            InsertNodeClick();
            key = 0;
        } else if (key == Qt::Key_Delete) {
            DeleteNodeClick();
            key = 0;
        } else if (key == Qt::Key_Escape) {
            done(platform::mrCancel);
            key = 0;
        }
    };
    Tree->OnMouseUp = [this](TCustomZozeZO *, Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
        if (button != Qt::RightButton || mods != Qt::NoModifier)
            return;
        if (TZozeZONode *node = Tree->GetNodeAt(x, y)) {
            Tree->SetSelected(node);
            node->SetFocused(true);
        } else {
            Tree->ClearSelection();
        }
    };
    Tree->OnStartDrag = [this](TCustomZozeZO *, QObject *&) {
        TZozeZONode *selected = Tree->Selected();
        const bool many = (selected && selected->Count() >= 2) || Tree->Items()->SelectionCount() >= 2;
        Tree->SetDragCursor(QCursor(many ? Qt::DragCopyCursor : Qt::DragMoveCursor));
    };
    Tree->OnDragOver = [this](TCustomZozeZO *, QObject *, int x, int y, TDragState, bool &accept) {
        accept = CanDropOn(Tree->GetNodeAt(x, y));
    };
    Tree->OnDragDrop = [this](TCustomZozeZO *, QObject *, int x, int y) { DropOn(Tree->GetNodeAt(x, y)); };
}

QList<TZozeZONode *> TZozeZOEditor::selection() const
{
    const TTreeNodeList &list = Tree->Items()->Selection();
    return QList<TZozeZONode *>(list.begin(), list.end());
}

bool TZozeZOEditor::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        // A hint's long part is what follows a '|'.
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        const qsizetype bar = tip.indexOf(u'|');
        StatusBar->showMessage(bar >= 0 ? tip.mid(bar + 1) : tip);
        return true;
    }
    return QDialog::event(event);
}

bool TZozeZOEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == IntegralEdit && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, IntegralEdit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TZozeZOEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    MakeImageButtons();
}

void TZozeZOEditor::MakeImageButtons()
{
    if (buttonsMade_)
        return;
    buttonsMade_ = true;
    struct Source {
        Group group;
        TImageList *list;
        QScrollArea *box;
        const char *prefix;
    };
    const Source sources[] = {{NormalImages, Tree->Images(), ImageBox, "I"},
                              {SelectedImages, Tree->Images(), SImageBox, "SI"},
                              {StateImagesGroup, Tree->StateImages(), StateImageBox, "STI"}};
    for (const Source &s : sources) {
        if (!s.list)
            continue;
        QWidget *content = s.box->widget();
        for (int i = 0; i < s.list->Count(); ++i) {
            auto *button = new QToolButton(content);
            button->setObjectName(QLatin1String(s.prefix) + QString::number(i));
            button->setProperty("Tag", i);
            button->setCheckable(true);
            button->setAutoRaise(true);
            button->setIcon(QIcon(s.list->Image(i)));
            button->setIconSize(QSize(s.list->Width(), s.list->Height()));
            button->setGeometry(i * 32, 2, 32, 32);
            button->setStatusTip(ImageHint);
            const Group group = s.group;
            connect(button, &QToolButton::clicked, this, [this, group, button] { imageClicked(group, button); });
            buttons_[group].append(button);
        }
        content->resize(qMax(4, s.list->Count() * 32), 36);
    }
    TreeChange(nullptr);
}

void TZozeZOEditor::imageClicked(Group group, QToolButton *button)
{
    // Pressing one releases the others; pressing the pressed one releases it.
    for (QToolButton *b : std::as_const(buttons_[group]))
        if (b != button)
            b->setChecked(false);
    if (updating_ || !Tree->Selected())
        return;
    const int index = button->isChecked() ? button->property("Tag").toInt() : -1;
    for (TZozeZONode *n : selection()) {
        if (group == NormalImages)
            n->SetImageIndex(index);
        else if (group == SelectedImages)
            n->SetSelectedIndex(index);
        else
            n->SetStateIndex(index);
    }
    if (group == SelectedImages)
        Tree->viewport()->update();
}

void TZozeZOEditor::pressImage(Group group, int index, bool isCommon)
{
    for (QToolButton *b : std::as_const(buttons_[group]))
        b->setChecked(isCommon && b->property("Tag").toInt() == index);
}

void TZozeZOEditor::TreeChange(TZozeZONode *)
{
    updating_ = true;
    const QList<TZozeZONode *> nodes = selection();
    Panel3->setText(QStringLiteral("selected nodes:  %1").arg(nodes.size()));
    const auto image = common(nodes, [](TZozeZONode *n) { return n->ImageIndex(); });
    const auto selectedImage = common(nodes, [](TZozeZONode *n) { return n->SelectedIndex(); });
    const auto stateImage = common(nodes, [](TZozeZONode *n) { return n->StateIndex(); });
    pressImage(NormalImages, image.value_or(-1), image.has_value());
    pressImage(SelectedImages, selectedImage.value_or(-1), selectedImage.has_value());
    pressImage(StateImagesGroup, stateImage.value_or(-1), stateImage.has_value());

    const bool any = !nodes.isEmpty();
    for (QWidget *w : {static_cast<QWidget *>(FontButton), static_cast<QWidget *>(ColorButton),
                       static_cast<QWidget *>(ParentFontBox), static_cast<QWidget *>(ParentColorBox),
                       static_cast<QWidget *>(EnabledBox), static_cast<QWidget *>(IntegralEdit)})
        w->setEnabled(any);
    QPalette editPalette = IntegralEdit->palette();
    if (!any) {
        IntegralEdit->clear();
        editPalette.setColor(QPalette::Base, ColorToQColor(clBtnHighlight));
        IntegralEdit->setPalette(editPalette);
        CheckTypeLabel->setText(QStringLiteral("Top level check type:"));
        CheckStyleCombo->setCurrentIndex(Tree->Items()->TopLevelCheckType());
    } else {
        setTriState(ParentFontBox, common(nodes, [](TZozeZONode *n) { return int(n->ParentFont()); }));
        setTriState(ParentColorBox, common(nodes, [](TZozeZONode *n) { return int(n->ParentColor()); }));
        setTriState(EnabledBox, common(nodes, [](TZozeZONode *n) { return int(n->CheckEnabled()); }));
        CheckTypeLabel->setText(QStringLiteral("Children check type:"));
        const auto checkType = common(nodes, [](TZozeZONode *n) { return n->CheckType(); });
        CheckStyleCombo->setCurrentIndex(checkType.value_or(-1));
        editPalette.setColor(QPalette::Base, ColorToQColor(clWindow));
        IntegralEdit->setPalette(editPalette);
        const auto integral = common(nodes, [](TZozeZONode *n) { return n->IntegralHeight(); });
        IntegralEdit->setText(integral ? QString::number(*integral) : QString());
    }
    updating_ = false;
}

void TZozeZOEditor::InsertNodeClick()
{
    TZozeZONodes *items = Tree->Items();
    const QList<TZozeZONode *> nodes = selection();
    if (nodes.isEmpty()) {
        items->Add(nullptr, QStringLiteral("New Node"));
        return;
    }
    for (TZozeZONode *n : nodes) {
        TZozeZONode *made = items->Insert(n, n->Parent() ? QStringLiteral("New Child") : QStringLiteral("New Node"));
        made->MakeVisible();
    }
}

void TZozeZOEditor::AddChildItemClick()
{
    for (TZozeZONode *n : selection())
        Tree->Items()->AddChild(n, QStringLiteral("New Child"))->MakeVisible();
}

void TZozeZOEditor::copySubtree(TZozeZONode *from, TZozeZONode *to)
{
    for (TZozeZONode *child : from->Children()) {
        TZozeZONode *copy = Tree->Items()->AddChild(to, QString());
        copy->Assign(child);
        copySubtree(child, copy);
    }
}

void TZozeZOEditor::DuplicateNodeClick()
{
    TZozeZONodes *items = Tree->Items();
    const QList<TZozeZONode *> nodes = selection();
    items->BeginUpdate();
    items->LockSelection();
    for (TZozeZONode *n : nodes) {
        TZozeZONode *copy = items->Insert(n, QString());
        copy->Assign(n);
        copySubtree(n, copy);
    }
    items->UnlockSelection();
    items->EndUpdate();
}

void TZozeZOEditor::DeleteNodeClick()
{
    Tree->Items()->DeleteSelection();
}

void TZozeZOEditor::ExpandClick()
{
    if (Tree->Items()->Count() == 0)
        return;
    Tree->Items()->BeginUpdate();
    Tree->FullExpand();
    Tree->Items()->EndUpdate();
}

void TZozeZOEditor::CollapseClick()
{
    if (Tree->Items()->Count() == 0)
        return;
    Tree->Items()->BeginUpdate();
    Tree->FullCollapse();
    Tree->Items()->EndUpdate();
}

void TZozeZOEditor::SelectAllClick()
{
    Tree->Items()->SelectAll();
}

void TZozeZOEditor::PopupMenuPopup()
{
    const int count = Tree->Items()->SelectionCount();
    for (QAction *a : {DuplicateNode, DeleteNode, AddChildItem})
        a->setEnabled(count > 0);
    if (count == 1)
        DeleteNode->setText(QStringLiteral("D&elete Item + children"));
    else if (count > 1)
        DeleteNode->setText(QStringLiteral("D&elete ") + QString::number(count) + QStringLiteral(" Items + children"));
}

void TZozeZOEditor::FontButtonClick()
{
    const QList<TZozeZONode *> nodes = selection();
    if (nodes.isEmpty())
        return;
    QFontDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setCurrentFont(nodes.first()->Font());
    if (platform::ShowModal(&dialog) != platform::mrOk)
        return;
    const QFont font = dialog.currentFont();
    for (TZozeZONode *n : nodes)
        n->SetFont(font, n->FontColor());
    updating_ = true;
    ParentFontBox->setCheckState(Qt::Unchecked);
    updating_ = false;
}

void TZozeZOEditor::ColorButtonClick()
{
    const QList<TZozeZONode *> nodes = selection();
    if (nodes.isEmpty())
        return;
    QColorDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    TZozeZONode *selected = Tree->Selected() ? Tree->Selected() : nodes.first();
    dialog.setCurrentColor(ColorToQColor(selected->ParentColor() ? Tree->Color() : selected->Color()));
    if (platform::ShowModal(&dialog) != platform::mrOk)
        return;
    const TColor color = QColorToColor(dialog.currentColor());
    for (TZozeZONode *n : nodes)
        n->SetColor(color);
    updating_ = true;
    ParentColorBox->setCheckState(Qt::Unchecked);
    updating_ = false;
}

bool TZozeZOEditor::CanDropOn(TZozeZONode *target) const
{
    if (!target)
        return false;
    for (TZozeZONode *n : selection())
        if (!target->HasAsParent(n))
            return true;
    return false;
}

void TZozeZOEditor::DropOn(TZozeZONode *target)
{
    if (!target)
        return;
    TZozeZONodes *items = Tree->Items();
    const QList<TZozeZONode *> nodes = selection();
    items->BeginUpdate();
    items->LockSelection();
    for (TZozeZONode *n : nodes)
        if (!target->HasAsParent(n))
            n->MoveTo(target, naAddChild);
    items->UnlockSelection();
    items->EndUpdate();
    TreeChange(nullptr);
}

bool EditZozeZOItems(TZozeZONodes *items)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        bool on = true;
        void Restore()
        {
            if (on)
                QApplication::restoreOverrideCursor();
            on = false;
        }
        ~RestoreCursor() { Restore(); }
    } restoreCursor;
    TCustomZozeZO *edited = items->Owner();
    TZozeZOEditor editor(edited ? edited->window() : nullptr);
    TZozeZO *tree = editor.Tree;
    tree->SetColor(edited->Color());
    tree->SetColorDropSelected(edited->ColorDropSelected());
    tree->SetColorSelected(edited->ColorSelected());
    tree->SetColorUnfocusedSelected(edited->ColorUnfocusedSelected());
    tree->SetOptions((edited->Options() | toMultiSelect | toRightClickSelect) & ~TTreeOptions(toHideSelection | toNoEraseBkgnd));
    tree->SetIndent(edited->Indent());
    tree->SetItemHeight(edited->ItemHeight());
    tree->setFont(edited->font());
    tree->SetImages(edited->Images());
    tree->SetStateImages(edited->StateImages());
    if (items->Count() == 0) {
        tree->Items()->SetTopLevelCheckType(items->TopLevelCheckType());
    } else {
        tree->Items()->BeginUpdate();
        tree->Items()->Assign(items);
        tree->Items()->EndUpdate();
    }
    if (TZozeZONode *top = edited->TopItem())
        if (TZozeZONode *copy = tree->Items()->Item(top->AbsoluteIndex()))
            tree->SetTopItem(copy);
    tree->SetSelected(nullptr);
    editor.TreeChange(nullptr);
    restoreCursor.Restore();

    const bool ok = platform::ShowModal(&editor) == platform::mrOk;
    if (ok) {
        items->BeginUpdate();
        items->Assign(tree->Items());
        items->EndUpdate();
        if (TZozeZONode *top = tree->TopItem())
            edited->SetTopItem(items->Item(top->AbsoluteIndex()));
    }
    return ok;
}

} // namespace tree
