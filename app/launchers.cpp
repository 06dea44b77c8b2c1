#include "launchers.h"

#include "app/assistantforms.h"
#include "app/assistants/unit_tempstart.h"
#include "app/assistants/unit_theme.h"
#include "app/dialogs/engine.h"
#include "app/dialogs/unit_about.h"
#include "app/editform.h"
#include "app/frameform.h"
#include "app/productlinks.h"
#include "app/scripteditor.h"
#include "app/workflow.h"
#include "platform/dialogs.h"
#include "tools/media/gifanimator.h"
#include "tools/media/gifconverters.h"
#include "tools/media/hdrecorder.h"
#include "tools/publish/compressorform.h"
#include "tools/publish/fileoperatorform.h"
#include "tools/publish/ftpsettings.h"
#include "tools/publish/ftpupload.h"
#include "tools/publish/ie2url.h"
#include "tools/publish/mailform.h"
#include "tools/publish/vcmain.h"

#include <QPointer>
#include <QLineEdit>
#include <QPushButton>

namespace app {
namespace {

// The text a tool window hands over goes where every dialog's finished text goes.
void relay(const QString &text)
{
    if (FrameForm)
        FrameForm->Memo1->SetText(text);
}

// A relay of the main window by name; Memo1 when none is named.
std::function<void(const QString &)> relayNamed(const QString &name)
{
    if (name.isEmpty())
        return relay;
    return [name](const QString &text) {
        if (!FrameForm)
            return;
        if (auto *r = FrameForm->findChild<TRelay *>(name, Qt::FindDirectChildrenOnly))
            r->SetText(text);
    };
}

// Runs a window modally and lets it go when it closes, however it closed.
void runModal(QDialog *w)
{
    QPointer<QDialog> guard(w);
    w->setAttribute(Qt::WA_DeleteOnClose);
    platform::ShowModal(w);
    if (guard)
        guard->deleteLater();
}

// A tool window whose text goes to the relay.
template <class Window>
void runRelaying(QWidget *owner)
{
    auto *w = new Window(owner);
    w->OnInsertText = relay;
    runModal(w);
}

QPointer<publish::TvCardForm> vCardForm;
// A page for new documents: this New and every further one starts from it until the shared border or
// theme is closed.
void startPage(const QString &page)
{
    if (!FrameForm)
        return;
    FrameForm->Memo_Project1->SetText(page);
    FrameForm->Start_Edit->SetText(QStringLiteral("1"));
    FrameForm->New1->trigger();
}


const TLauncher launchers[] = {
    // Insert.
    {"HTMLStart2", "ThtmlStart"},
    {"HyperLink1", "TLink"},
    {"Picture2", "TPicture"},
    {"Sound4", "TSound"},
    {"BGSound2", "TBGSound"},
    {"Email2", "TEmail"},
    {"Font2", "TSkrift"},
    {"BaseFont2", "TBase"},
    {"Embed2", "TEmbed"},
    {"Bookmark2", "TBookmark"},
    {"Color2", "TFarve1"},
    {"Comment2", "TKommentar"},
    {"File4", "Tinsert"},
    {"Marquee2", "TMarquee"},
    {"Movie2", "TMovie"},
    {"ImageMap2", "TMap"},
    {"Meta2", "TMeta"},
    {"AdvancedAttributes2", "TAttributes"},
    {"IE45VisualFilters2", "TFilter"},
    {"ExtendedCharacters1", "TExCharacters"},
    {"StyleSheet2", "TStyle"},
    {"Tabeleditor2", "Ttable"},
    {"Listeditor2", "TList"},
    {"IFrame1", "TIFrame"},
    {"Frameset1", "TFrameset"},
    {"Frame2", "TFrame"},
    {"NOFrames1", "TNOFRAMES"},
    {"BaseTarget1", "TBaseTarget"},
    {"Form2", "TForm0"},
    {"Text2", "TFormText"},
    {"Textarea2", "TFormTextArea"},
    {"Radio2", "TRadio"},
    {"Checkbox2", "TCheckbox"},
    {"Password3", "TPassword"},
    {"Image2", "TFormImage"},
    {"Submit2", "TSubMit"},
    {"Reset2", "TFormReset"},
    {"Button7", "TFormButton"},
    {"File5", "TFormFile"},
    {"Hidden2", "TFormHidden"},
    {"Combobox2", "TFormCombobox"},
    // Script and Advanced.
    {"Applet2", "Tapplet"},
    {"JavaScriptEditor2", "TJavaScript",
     [](QWidget *owner) {
         auto *w = new TJavaScript(owner);
         w->OnInsertScript = [](const QString &script) {
             if (FrameForm)
                 FrameForm->InsertIntoActive(script);
         };
         runModal(w);
     }},
    {"JavaScriptSamplesMenu", "TJavaScriptSamples1"},
    {"VBScript1", "TVBScript"},
    {"VBScriptEditor1", "TVBScriptEditor",
     [](QWidget *owner) {
         auto *w = new TVBScriptEditor(owner);
         w->OnInsertScript = relay;
         runModal(w);
     }},
    {"ASPServerVariables2", "TASP"},
    // Tools.
    {"SearchEngine3", "TSearch"},
    {"LinkCombobox1", "TLinkCombobox"},
    {"SearchFiles1", "TSearchFile", [](QWidget *owner) { ShowSearchFile(owner); }},
    // File.
    {"ProjectManager1", "TProjectStart", [](QWidget *owner) { ShowProjectManager(owner); }},
    // Settings and the editor's pop-up menu.
    {"EditFilelist1", "TFilelist", [](QWidget *owner) { ShowFilelist(owner); }},
    {"EditFilelist2", "TFilelist", [](QWidget *owner) { ShowFilelist(owner); }},
    // DHTML.
    {"DHTMLAnimation1", "TAnimation"},
    {"DHTMLSamples11", "TDHTML"},
    {"Bookmark1", "TDHTML_Bookmark"},
    {"ColorButton1", "TDHTML_Button"},
    {"Marquee1", "TDHTML_Marquee"},
    {"MenuBuilder1", "TDHTML_Menu"},
    {"FadedDropDownMenu1", "TDHTML_DropdownMenu"},
    {"ToolTip1", "TDHTML_Tooltip"},
    {"SlideInMenu1", "TSlidebar"},
    {"DragInMenuBar1", "TDragbar"},
    {"KeybordInMenuBar1", "TKeyboardBar"},
    {"NoRightClick1", "TNoClick"},
    {"PrintButton1", "TPrintButton"},
    {"PopupImage1", "TPopUpImage"},
    {"TextType1", "TTextType"},
    {"FadingTickerTape1", "TFadeTape"},
    {"FullScreenWindowOpener1", "TFullScreen"},
    {"FullChannelOpener1", "TFullWindowChannel"},
    {"BlinkingTable1", "TDHTML_BlinkTable"},
    {"Calculator1", "TDHTM_Calculator"},
    {"Clock1", "Tdhtml_clock"},
    {"Clock21", "Tdhtml_clock1"},
    {"Credit1", "Tdhtml_credit"},
    {"PopupMenuCreator1", "TPopupMenuCreator"},
    {"Channel1", "TChannel"},
    // Tag chooser, custom tags, signature, clip book, clip art and XML text.
    {"TagChooser1", "TTagchooser", ShowTagChooser},
    {"TagChooser2", "TTagchooser", ShowTagChooser},
    {"CustomTags1", "TCustomTags", ShowCustomTags},
    {"CustomTags2", "TCustomTags", ShowCustomTags},
    {"XMLCustomTags1", "Txmlcustomtags", ShowXmlCustomTags},
    {"ASPCustomTags1", "Taspcustomtags", ShowAspCustomTags},
    {"Tag1", "TTagCreator", ShowTagCreator},
    {"CustomTagsCreator1", "TTagCreator", ShowTagCreator},
    {"Signature1", "TSignature", EditSignature},
    {"EditSignature1", "TSignature", EditSignature},
    {"Signature2", "TSignature", AddSignature},
    {"ClipBook1", "TClipBook", [](QWidget *owner) { OpenClipBook(owner); }},
    {"Clipart1", "TClipart"},
    {"Text1", "Txmltext"},
    // File.
    {"Project1", "TTempStart",
     [](QWidget *owner) {
         auto *w = new assistants::TTempStart(owner);
         w->OnStartPage = startPage;
         runModal(w);
     }},
    {"Themes1", "TTheme",
     [](QWidget *owner) {
         auto *w = new assistants::TTheme(owner);
         w->OnStartPage = startPage;
         runModal(w);
     }},
    // The home-page wizards (each writes its page into the document it was chosen in).
    {"HomepageIndex1", "TWizard1"},
    {"PersonalHomepage1", "TWizard2"},
    {"CompanyHomepage1", "TWizard3"},
    // Help.
    {"AboutKestrova1", "TAboutBox", [](QWidget *owner) { runModal(new dialogs::TAboutBox(owner)); }},
    {"HTMLCompressor1", "TCompressor", [](QWidget *owner) { runModal(new publish::TCompressor(owner)); }},
    {"FileOperator1", "TFileOperatorForm", [](QWidget *owner) { runModal(new publish::TFileOperatorForm(owner)); }},
    {"QuickEmail1", "TfrmMail", [](QWidget *owner) { runModal(new publish::TfrmMail(owner)); }},
    // Modeless: the user writes about the program while using it.
    {"Comments1", "TfrmMail",
     [](QWidget *owner) {
         auto *w = new publish::TfrmMail(owner);
         w->setAttribute(Qt::WA_DeleteOnClose);
         w->show();
         w->txtRecipient->setText(QLatin1String(ProductSupportAddress)); // showing empties the fields
         w->raise();
         w->activateWindow();
         w->txtSubject->setFocus();
     }},
    {"FavoriteURLsToHTML1", "Tfavorit", runRelaying<publish::Tfavorit>},
    {"IEHistoryURL1", "TIETOURL", runRelaying<publish::TIETOURL>},
    // A service form: the card stays as it was left from one showing to the next.
    {"VCard1", "TvCardForm", [](QWidget *) { platform::ShowModal(VCardForm()); }},
    {"BMPToGIF1", "Tbmptogif", [](QWidget *owner) { runModal(new media::Tbmptogif(owner)); }},
    {"GIFToBMP1", "Tgiftobmp", [](QWidget *owner) { runModal(new media::Tgiftobmp(owner)); }},
    {"GIFDeanimation1", "Tdeanimation", [](QWidget *owner) { runModal(new media::Tdeanimation(owner)); }},
    {"GifAnimator1", "TAnimatorForm", [](QWidget *owner) { runModal(new media::TAnimatorForm(owner)); }},
    {"FTP1", "TFtpUpload", [](QWidget *owner) { runModal(new publish::TFtpUpload(owner)); }},
    // A service form: shown, and kept when it closes.
    {"FTP2", "TFTPSettings", [](QWidget *) { platform::ShowModal(FtpSettingsWindow()); }},
    {"HDSoundRecorder1", "THDRecorder",
     [](QWidget *owner) {
         // Shown without waiting: the user records while editing.
         static QPointer<media::THDRecorder> recorder;
         if (!recorder) {
             recorder = new media::THDRecorder(owner);
             recorder->setAttribute(Qt::WA_DeleteOnClose);
         }
         recorder->show();
         recorder->raise();
         recorder->activateWindow();
     }},
};

const TLauncher *find(const QString &item)
{
    for (const TLauncher &l : launchers)
        if (item == QLatin1String(l.item))
            return &l;
    return nullptr;
}

} // namespace

std::span<const TLauncher> Launchers() { return launchers; }

publish::TFTPSettings *FtpSettingsWindow()
{
    if (!publish::FTPSettings)
        new publish::TFTPSettings(FrameForm);
    return publish::FTPSettings;
}

bool CanLaunch(const QString &item)
{
    const TLauncher *l = find(item);
    return l && (l->open || dialogs::HasDialog(QString::fromLatin1(l->className)));
}

namespace {

// Makes an engine dialog and shows it: modal unless its description or the caller says otherwise.
bool openDialog(const QString &className, bool modeless)
{
    const dialogs::TDialogDesc *desc = dialogs::FindDescription(className);
    if (!desc)
        return false;
    dialogs::TTagDialog *dialog = dialogs::CreateDialog(className, FrameForm);
    // Closed means gone: OK reads the values before the dialog closes.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QString handOver = desc->handOver;
    if (!handOver.isEmpty())
        dialog->OnOk = [handOver, className, dialog] {
            if (!FrameForm)
                return;
            // The main window reads the dialog of the class: the one whose OK this is, also when the menu
            // opened another of its kind since.
            dialogs::SetInstance(className, dialog);
            if (auto *button = FrameForm->findChild<QPushButton *>(handOver))
                button->click();
        };
    dialog->OnRelay = relayNamed(desc->relay);
    dialog->DocumentFile = ActiveDocumentFile;
    if (modeless || desc->modeless) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    } else {
        runModal(dialog);
    }
    return true;
}

} // namespace

bool Launch(const QString &item)
{
    const TLauncher *l = find(item);
    if (!l || !FrameForm)
        return false;
    if (l->open) {
        l->open(FrameForm);
        return true;
    }
    return openDialog(QString::fromLatin1(l->className), false);
}

bool LaunchClass(const QString &className, bool modeless)
{
    if (!FrameForm)
        return false;
    if (!modeless)
        for (const TLauncher &l : launchers)
            if (l.open && className == QLatin1String(l.className)) {
                l.open(FrameForm);
                return true;
            }
    return openDialog(className, modeless);
}

QString ActiveDocumentFile()
{
    TEditForm *doc = FrameForm ? FrameForm->ActiveEditForm() : nullptr;
    return doc && doc->FileName != QLatin1String("Untitled") ? doc->FileName : QString();
}

bool CanLaunchClass(const QString &className)
{
    for (const TLauncher &l : launchers)
        if (l.open && className == QLatin1String(l.className))
            return true;
    return dialogs::HasDialog(className);
}

publish::TvCardForm *VCardForm()
{
    if (!vCardForm) {
        vCardForm = new publish::TvCardForm(FrameForm);
        vCardForm->OnInsertText = relay;
        vCardForm->LinkAddressOf = [](const QString &file) { return dialogs::LinkAddress(file, ActiveDocumentFile()); };
    }
    return vCardForm;
}

} // namespace app
