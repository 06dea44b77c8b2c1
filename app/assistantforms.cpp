#include "assistantforms.h"

#include "app/assistants/clipbook.h"
#include "app/assistants/customtags.h"
#include "app/assistants/signature.h"
#include "app/assistants/tagchooser.h"
#include "app/frameform.h"
#include "app/launchers.h"
#include "controls/zel/lookupedit.h"
#include "platform/dialogs.h"

#include <QPointer>

namespace app {

namespace {

QPointer<assistants::TTagchooser> chooser;
QPointer<assistants::TTagCreatorWindow> creators[3];
QPointer<assistants::TCustomTagPicker> pickers[3];
QPointer<assistants::TSignature> signature;

void relay(const QString &text)
{
    if (FrameForm)
        FrameForm->Memo1->SetText(text);
}

QWidget *owner()
{
    return FrameForm;
}

// Modeless windows come to the front each time they are asked for.
void showModeless(QWidget *w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

void CreateTagChooser() { TagChooser(); }

void CreateSignature() { Signature(); }

void CreateCustomTagForms()
{
    TagCreator(TTagFamilyId::Html);
    CustomTagPicker(TTagFamilyId::Html);
    CustomTagPicker(TTagFamilyId::Xml);
    TagCreator(TTagFamilyId::Xml);
    CustomTagPicker(TTagFamilyId::Asp);
    TagCreator(TTagFamilyId::Asp);
}

assistants::TTagchooser *TagChooser()
{
    if (chooser)
        return chooser;
    chooser = new assistants::TTagchooser(owner());
    chooser->OnRelay = relay;
    chooser->OnOpenDialog = [](const QString &className, bool modeless) { LaunchClass(className, modeless); };
    chooser->OnCreateTags = [] { ShowTagCreator(owner()); };
    chooser->OnLookUpChange = [](const QString &text) {
        if (FrameForm)
            FrameForm->gem->SetText(text);
    };
    if (FrameForm) {
        FrameForm->gem->SetText(chooser->LookUp1->text());
        // The hidden button of the user's own tags: it inserts the chosen item's text.
        auto *knap = FrameForm->findChild<THiddenButton *>(QStringLiteral("Knap_Tag"), Qt::FindDirectChildrenOnly);
        if (!knap)
            knap = new THiddenButton(QStringLiteral("Knap_Tag"), FrameForm);
        knap->OnClick = [](QObject *) {
            if (chooser)
                relay(chooser->SelectedText());
        };
        chooser->OnTagButton = [knap] { knap->click(); };
    }
    return chooser;
}

assistants::TTagCreatorWindow *TagCreator(TTagFamilyId family)
{
    const int i = int(family);
    if (creators[i])
        return creators[i];
    assistants::TTagCreatorWindow *c = nullptr;
    switch (family) {
    case TTagFamilyId::Html:
        c = new assistants::TTagCreator(owner());
        // The chooser's "Custom" category shows the saved tags at once.
        c->OnSaved = [](const QString &path) { TagChooser()->SetCustomFile(path); };
        break;
    case TTagFamilyId::Xml:
        c = new assistants::Txmltagcreator(owner());
        break;
    case TTagFamilyId::Asp:
        c = new assistants::Tasptagcreator(owner());
        break;
    }
    creators[i] = c;
    return c;
}

assistants::TCustomTagPicker *CustomTagPicker(TTagFamilyId family)
{
    const int i = int(family);
    if (pickers[i])
        return pickers[i];
    assistants::TCustomTagPicker *p = nullptr;
    switch (family) {
    case TTagFamilyId::Html:
        p = new assistants::TCustomTags(owner());
        break;
    case TTagFamilyId::Xml:
        p = new assistants::Txmlcustomtags(owner());
        break;
    case TTagFamilyId::Asp:
        p = new assistants::Taspcustomtags(owner());
        break;
    }
    p->OnRelay = relay;
    p->OnCreateTags = [family] { platform::ShowModal(TagCreator(family)); };
    pickers[i] = p;
    return p;
}

assistants::TSignature *Signature()
{
    if (!signature) {
        signature = new assistants::TSignature(owner());
        signature->OnRelay = relay;
    }
    return signature;
}

void ShowTagChooser(QWidget *) { showModeless(TagChooser()); }
void ShowCustomTags(QWidget *) { showModeless(CustomTagPicker(TTagFamilyId::Html)); }
void ShowXmlCustomTags(QWidget *) { showModeless(CustomTagPicker(TTagFamilyId::Xml)); }
void ShowAspCustomTags(QWidget *) { showModeless(CustomTagPicker(TTagFamilyId::Asp)); }
void ShowTagCreator(QWidget *) { platform::ShowModal(TagCreator(TTagFamilyId::Html)); }
void EditSignature(QWidget *) { platform::ShowModal(Signature()); }
void AddSignature(QWidget *) { Signature()->AddSignature(); }

assistants::TClipBook *OpenClipBook(QWidget *parent)
{
    auto *book = new assistants::TClipBook(parent);
    book->setAttribute(Qt::WA_DeleteOnClose);
    book->OnRelay = relay;
    showModeless(book);
    return book;
}

} // namespace app
