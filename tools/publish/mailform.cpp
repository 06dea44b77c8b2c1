#include "mailform.h"

#include "platform/dialogs.h"
#include "platform/memotext.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace platform;

namespace publish {

namespace {

QToolButton *toolButton(QToolBar *bar, const QString &text)
{
    auto *b = new QToolButton;
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Tool buttons take no focus, so the attachment list keeps it (and its selection) while one is used.
    b->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(b);
    return b;
}

QLineEdit *infoEdit(const QString &hint)
{
    auto *e = new QLineEdit;
    e->setFrame(false);
    e->setMaxLength(255);
    e->setToolTip(hint);
    return e;
}

QString joinedNames(const QStringList &names)
{
    return names.join(QLatin1Char(';'));
}

} // namespace

TfrmMail::TfrmMail(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Message - Dezov Eriz"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QToolBar;
    btnSend = toolButton(bar, QStringLiteral("Send Mail"));
    BtnAttach = toolButton(bar, QStringLiteral("Attach Files"));
    btnDeleteAttach = toolButton(bar, QStringLiteral("Delete Attachment"));
    btnDeleteAttach->setEnabled(false);
    btnCheckNames = toolButton(bar, QStringLiteral("Check Names"));
    chkReceipt = new QCheckBox(QStringLiteral("&Delivery receipt requested"));
    chkReceipt->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(chkReceipt);
    layout->addWidget(bar);

    pnlInfo = new QWidget;
    pnlInfo->installEventFilter(this);
    auto *grid = new QGridLayout(pnlInfo);
    txtSubject = infoEdit(QStringLiteral("Type the subject for this messge"));
    txtRecipient = infoEdit(QStringLiteral("Type recipients' names, separated by semicolons"));
    txtCC = infoEdit(QStringLiteral("Type recipients' names, separated by semicolons"));
    btnTo = new QToolButton;
    btnCc = new QToolButton;
    for (QToolButton *b : {btnTo, btnCc}) {
        b->setText(QStringLiteral("..."));
        b->setToolTip(QStringLiteral("Address Book"));
        connect(b, &QToolButton::clicked, this, &TfrmMail::btnAddressClick);
    }
    grid->addWidget(new QLabel(QStringLiteral("Subject:")), 0, 0);
    grid->addWidget(txtSubject, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("To:")), 1, 0);
    grid->addWidget(txtRecipient, 1, 1);
    grid->addWidget(btnTo, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Cc:")), 2, 0);
    grid->addWidget(txtCC, 2, 1);
    grid->addWidget(btnCc, 2, 2);
    for (QLineEdit *e : {txtSubject, txtRecipient, txtCC})
        e->installEventFilter(this);
    layout->addWidget(pnlInfo);

    MessageText = new QTextEdit;
    MessageText->setAcceptRichText(false);
    // Tab goes on to the next field, as everywhere else in the window; the body is no trap.
    MessageText->setTabChangesFocus(true);
    MessageText->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(MessageText, 1);
    PopupMenu1 = new QMenu(this);
    mnuCut = PopupMenu1->addAction(QStringLiteral("Cu&t"), MessageText, &QTextEdit::cut);
    mnuCopy = PopupMenu1->addAction(QStringLiteral("&Copy"), MessageText, &QTextEdit::copy);
    mnuPaste = PopupMenu1->addAction(QStringLiteral("&Paste"), MessageText, &QTextEdit::paste);
    PopupMenu1->addSeparator();
    mnuFont = PopupMenu1->addAction(QStringLiteral("&Font..."), this, &TfrmMail::mnuFontClick);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TfrmMail::PopupMenu1Popup);
    connect(MessageText, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(MessageText->mapToGlobal(at)); });

    pnlVSplit = new QFrame;
    pnlVSplit->setFrameShape(QFrame::HLine);
    pnlVSplit->setFixedHeight(5);
    pnlVSplit->setCursor(Qt::SizeVerCursor);
    pnlVSplit->installEventFilter(this);
    pnlVSplit->hide();
    layout->addWidget(pnlVSplit);
    lvAttachments = new QListWidget;
    lvAttachments->setViewMode(QListView::IconMode);
    lvAttachments->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvAttachments->setMovement(QListView::Static);
    lvAttachments->setFixedHeight(90);
    lvAttachments->installEventFilter(this);
    lvAttachments->hide();
    layout->addWidget(lvAttachments);
    connect(lvAttachments, &QListWidget::itemSelectionChanged, this,
            [this] { btnDeleteAttach->setEnabled(!lvAttachments->selectedItems().isEmpty()); });

    connect(btnSend, &QToolButton::clicked, this, &TfrmMail::btnSendClick);
    connect(BtnAttach, &QToolButton::clicked, this, &TfrmMail::BtnAttachClick);
    connect(btnDeleteAttach, &QToolButton::clicked, this, &TfrmMail::btnDeleteAttachClick);
    connect(btnCheckNames, &QToolButton::clicked, this, &TfrmMail::btnCheckNamesClick);

    Email1 = new TEmail(this);
    Email1->UseDefProfile = true;
    Email1->SetDialogParent(this);
    connect(chkReceipt, &QCheckBox::toggled, this, [this](bool on) { Email1->Acknowledge = on; });

    resize(680, 460);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    try {
        if (Email1->Logon() != 0)
            error(QStringLiteral("MAPI Logon failed."));
    } catch (const platform::Error &e) {
        error(e.message());
    }
}

TfrmMail::~TfrmMail()
{
    if (Email1->Logoff() != 0)
        error(QStringLiteral("MAPI Logoff failed."));
}

void TfrmMail::error(const QString &text)
{
    MessageBox(this, text, QStringLiteral("Error"), MB_OK | MB_ICONERROR);
}

void TfrmMail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    txtRecipient->clear();
    txtCC->clear();
    txtSubject->clear();
    MessageText->clear();
    lvAttachments->clear();
    lvAttachments->hide();
    pnlVSplit->hide();
    txtRecipient->setFocus();
}

bool TfrmMail::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlInfo && event->type() == QEvent::Paint) {
        paintFocusFrame();
        return false;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
        if (event->type() == QEvent::FocusIn)
            focused_ = edit;
        else if (event->type() == QEvent::FocusOut && focused_ == edit)
            focused_ = nullptr;
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            pnlInfo->update();
    } else if (watched == lvAttachments && event->type() == QEvent::FocusOut) {
        btnDeleteAttach->setEnabled(false);
    } else if (watched == pnlVSplit && event->type() == QEvent::MouseMove) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->buttons() & Qt::LeftButton)
            lvAttachments->setFixedHeight(std::max(20, lvAttachments->height() - int(me->position().y())));
    }
    return QDialog::eventFilter(watched, event);
}

// The focus frame: one pixel outside the edit that has the focus, in the grey-text colour.
void TfrmMail::paintFocusFrame()
{
    if (!focused_)
        return;
    QPainter p(pnlInfo);
    p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawRect(focused_->geometry().adjusted(-1, -1, 0, 0));
}

void TfrmMail::btnAddressClick()
{
    try {
        Email1->Recipient = SplitRecipients(txtRecipient->text());
        Email1->CC = SplitRecipients(txtCC->text());
        Email1->Address();
        txtRecipient->setText(joinedNames(Email1->Recipient));
        txtCC->setText(joinedNames(Email1->CC));
    } catch (const platform::Error &e) {
        error(e.message());
    }
}

void TfrmMail::btnCheckNamesClick()
{
    // A name that is no address stays as typed, so that nothing the user wrote is lost, and is named.
    QStringList unresolved;
    try {
        for (QLineEdit *edit : {txtRecipient, txtCC}) {
            if (edit->text().isEmpty())
                continue;
            QStringList names = SplitRecipients(edit->text());
            for (QString &name : names) {
                QString resolved;
                const int code = Email1->ResolveName(name, &resolved);
                if (code == MAPI_E_UNKNOWN_RECIPIENT || code == MAPI_E_AMBIGUOUS_RECIPIENT || code == MAPI_E_INVALID_RECIPS) {
                    unresolved << name;
                } else if (code || resolved.isEmpty()) {
                    // No account to resolve with: every name stays as it is.
                    error(QStringLiteral("MAPI Logon failed."));
                    return;
                } else {
                    name = resolved;
                }
            }
            edit->setText(joinedNames(names));
        }
    } catch (const platform::Error &e) {
        error(e.message());
        return;
    }
    if (!unresolved.isEmpty())
        MessageBox(this,
                   QStringLiteral("These recipients are not e-mail addresses and are left as typed:\n\n%1\n\n"
                                  "There is no address book to look a name up in: write each recipient as an "
                                  "address, such as bob@example.org or Bob <bob@example.org>.")
                       .arg(unresolved.join(QLatin1Char('\n'))),
                   QStringLiteral("Check Names"), MB_OK | MB_ICONWARNING);
}

void TfrmMail::btnSendClick()
{
    if (txtRecipient->text().trimmed().isEmpty() && txtCC->text().trimmed().isEmpty()) {
        error(QStringLiteral("There must be at least one name in the To or CC box."));
        return;
    }
    Email1->Recipient = SplitRecipients(txtRecipient->text());
    Email1->CC = SplitRecipients(txtCC->text());
    Email1->SetLongText(platform::MemoLines(MessageText->document()).join(QLatin1Char('\n')).toUtf8().constData());
    Email1->SetSubject(txtSubject->text().left(255));
    // The list is filled afresh, so a second attempt does not attach the files twice.
    Email1->Attachment.clear();
    for (int i = 0; i < lvAttachments->count(); ++i)
        Email1->Attachment << lvAttachments->item(i)->data(Qt::UserRole).toString();
    int code = MAPI_E_FAILURE;
    QString failure;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The wait cursor goes whatever the send does, thrown exceptions included, and before any message.
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        try {
            code = Email1->SendMail();
        } catch (const platform::Error &e) {
            failure = e.message();
        }
    }
    if (!failure.isNull()) {
        error(failure);
        return;
    }
    if (code != 0)
        error(QStringLiteral("MAPI Sendmail failed.\n\n") + Email1->FailureText());
    else
        accept();
}

void TfrmMail::AddAttachment(const QString &path)
{
    const QFileInfo info(path);
    static const QFileIconProvider icons;
    auto *item = new QListWidgetItem(icons.icon(info), info.fileName(), lvAttachments);
    item->setData(Qt::UserRole, info.absoluteFilePath());
    item->setToolTip(info.absoluteFilePath());
    showAttachments();
}

void TfrmMail::BtnAttachClick()
{
    QFileDialog dialog(this, QStringLiteral("Attach Files"), QString(), QStringLiteral("All Files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ShowModal(&dialog) != QDialog::Accepted)
        return;
    for (const QString &path : dialog.selectedFiles())
        if (QFileInfo(path).isFile())
            AddAttachment(path);
}

void TfrmMail::btnDeleteAttachClick()
{
    qDeleteAll(lvAttachments->selectedItems());
    btnDeleteAttach->setEnabled(!lvAttachments->selectedItems().isEmpty());
    showAttachments();
}

void TfrmMail::showAttachments()
{
    const bool any = lvAttachments->count() > 0;
    pnlVSplit->setVisible(any);
    lvAttachments->setVisible(any);
}

void TfrmMail::PopupMenu1Popup()
{
    const bool selected = MessageText->textCursor().hasSelection();
    mnuCut->setEnabled(selected);
    mnuCopy->setEnabled(selected);
    mnuFont->setEnabled(selected);
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    mnuPaste->setEnabled(clip && clip->hasText());
}

void TfrmMail::mnuFontClick()
{
    QTextCursor cursor = MessageText->textCursor();
    QFontDialog dialog(cursor.charFormat().font(), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (ShowModal(&dialog) != QDialog::Accepted)
        return;
    QTextCharFormat format;
    format.setFont(dialog.selectedFont());
    cursor.mergeCharFormat(format);
    MessageText->setTextCursor(cursor);
}

} // namespace publish
