#include "unit_samples.h"

#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/textfile.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilomemo.h"

#include <QComboBox>
#include <QLabel>

namespace dialogs {
namespace {

const TSample dhtmlSamples[] = {
    {"Blink Button", "blink_button"},   {"Blink Table", "blink_table"},     {"Bookmark", "bookmark"},
    {"Calculator", "calculator"},       {"Clock 1", "clock01"},             {"Clock 2", "clock02"},
    {"Credit 1", "credit01"},           {"Credit 2", "credit02"},           {"Credit 3", "credit03"},
    {"Glow Text", "glow_text"},         {"Link", "link"},                   {"Menu", "menu"},
    {"Navigation 1", "navigation01"},   {"Navigation 2", "navigation02"},   {"Page Enter 1", "page_enter01"},
    {"Page Enter 2", "page_enter02"},   {"Page Enter 3", "page_enter03"},   {"Page Enter 4", "page_enter04"},
    {"Print", "print"},                 {"Update Scroll", "scroll"},        {"Up Down Text", "up_down_text"},
    {"Zoom 1", "zoom01"},               {"Zoom 2", "zoom02"},
};

const TSample javaScriptSamples[] = {
    {"Agecount", "agecount"},
    {"Browser Detect", "browserdetect"},
    {"Fade Color", "fadecolor"},
    {"Navigator Day", "navigatorday"},
    {"Your Self", "yourself"},
    {"Plugin", "plugin"},
    {"Search", "search"},
    {"Status", "status"},
    {"View Source", "source"},
    {"Casette", "casette"},
    {"T2000", "t2000"},
    {"Day Of Birth", "dayofbirth"},
    {"Past Text", "pasttext"},
    {"Quiz", "quiz"},
    {"Animated Line", "ani_st_text"},
    {"Animated Text", "ani_text"},
    {"Color Change", "color_change"},
    {"Color Selection", "color_selection"},
    {"Background Color", "background_color"},
    {"Bounded Text", "bounded_text"},
    {"Browser Exit", "browser_exit"},
    {"Calculator", "calculator"},
    {"Cool Text", "cool_text"},
    {"Current Date", "current_date"},
    {"Days Left", "days_left"},
    {"Funny Button", "funny_button"},
    {"Information", "information"},
    {"Printing Text", "printing_text"},
    {"Site Navigator", "site_navigator"},
    {"Smart Button", "smart_button"},
    {"Stering Scroll", "stering_scroll"},
    {"Message box", "message_box"},
    {"Box show", "box_show"},
    {"Text window", "text_window"},
    {"Database", "database"},
    {"Simple colors", "simple_colors"},
    {"Advanced colors", "advanced_colors"},
    {"Blink", "blink"},
    {"Color box", "color_box"},
    {"Color cube", "color_cube"},
    {"Sunset", "sunset"},
    {"Random Color", "Random Color"},
    {"Pick a color", "pick_color"},
    {"Bounce", "bounce"},
    {"Faded Text", "faded_text"},
    {"Rotate", "rotate"},
    {"Scroll Text", "scroll_text"},
    {"Statusbar - Point", "point"},
    {"Statusbar - Mouse Over", "mouseover"},
    {"Statusbar - Flash", "flash"},
    {"Statusbar - Scroller", "scoller"},
};

struct VBExample {
    const char *name, *data;
};

const VBExample vbExamples[] = {
    {"Alert", "VBAlert"},
    {"Audio greetings", "VBAudioGreetings"},
    {"Browser detect", "VBBrowserDetect"},
    {"Changing back- and foreground", "VBColours"},
    {"Combo links 1", "VBComboLinks1"},
    {"Combo links 2", "VBComboLinks2"},
    {"Counting to new year", "VBNewYear"},
    {"Creadit card validation", "VBCardCheck"},
    {"Document footer", "VBFooter"},
    {"Email with validation", "VBEmail"},
    {"Fade text1", "VBFadeText1"},
    {"Fade text2", "VBFadeText2"},
    {"Fade1", "VBFade1"},
    {"Letter animation", "VBLetters"},
    {"Link description - alert", "VBLinkAlert"},
    {"Link description in listbox", "VBLinkListbox"},
    {"Link description on label", "VBLinkLabel"},
    {"Listbox links 2", "VBListboxLinks2"},
    {"Mouselink - statusbar", "VBMouseLink"},
    {"New window", "VBNewWindow"},
    {"Quiz", "VBQuiz"},
    {"Random MIDI player", "VBRandomMidi"},
    {"Revel transition", "VBReveal"},
    {"Simple alert  - 3 buttons", "VBAlertButtons"},
    {"Simple alert on onload", "VBOnloadAlert"},
    {"Timed-based greetings", "VBGreetings"},
    {"2D letter animation", "VBLetters2D"},
};

} // namespace

TSampleChooser::TSampleChooser(const TDialogDesc &desc, const QString &folder, std::span<const TSample> samples,
                               QWidget *parent)
    : TEngineDialog(desc, parent, false), folder_(folder), samples_(samples)
{
    Button1->setText(QStringLiteral("&Insert"));
    Button2->setText(QStringLiteral("&Close"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    // Names only: the list offers no free text.
    ComboBox1->setEditable(false);
    for (const TSample &s : samples_)
        ComboBox1->addItem(QString::fromUtf8(s.name));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setMaxVisibleItems(20);
    const int row = grid_->rowCount();
    grid_->addWidget(BuddyLabel(QStringLiteral("&Sample:"), ComboBox1, this), row, 0);
    grid_->addWidget(ComboBox1, row, 1);
    RiloMemo1 = new textcontrol::TRiloMemo(this);
    RiloMemo1->setObjectName(QStringLiteral("RiloMemo1"));
    RiloMemo1->SetReadOnly(true);
    RiloMemo1->setMinimumSize(560, 360);
    textcontrol::FillHtmlRules(RiloMemo1->Keywords(), RiloMemo1->StartStopKeys());
    RiloMemo1->ReApplyKeys();
    grid_->addWidget(RiloMemo1, grid_->rowCount(), 0, 1, 2);
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { Choose(ComboBox1->itemText(index)); });
    FinishLoading();
}

QString TSampleChooser::FileOf(const QString &name) const
{
    for (const TSample &s : samples_)
        if (name == QString::fromUtf8(s.name))
            return platform::ProgramFolder() + QLatin1Char('/') + folder_ + QLatin1Char('/') + QString::fromUtf8(s.file);
    return QString();
}

bool TSampleChooser::Choose(const QString &name)
{
    const QString path = FileOf(name);
    if (path.isEmpty())
        return false;
    try {
        const platform::TextDocument doc = platform::LoadTextDocument(path);
        RiloMemo1->SetReadOnly(false);
        RiloMemo1->SetTextBuf(doc.text);
        RiloMemo1->SetReadOnly(true);
        RiloMemo1->ClearUndo();
        return true;
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
}

QString TSampleChooser::Build() const { return RiloMemo1->Text(); }

TDHTML::TDHTML(const TDialogDesc &desc, QWidget *parent)
    : TSampleChooser(desc, QStringLiteral("DHTML"), Samples(), parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

std::span<const TSample> TDHTML::Samples() { return dhtmlSamples; }

TJavaScriptSamples1::TJavaScriptSamples1(const TDialogDesc &desc, QWidget *parent)
    : TSampleChooser(desc, QStringLiteral("JavaScript"), Samples(), parent)
{
}

std::span<const TSample> TJavaScriptSamples1::Samples() { return javaScriptSamples; }

TVBScript::TVBScript(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    Button1->setText(QStringLiteral("&Insert"));
    Button2->setText(QStringLiteral("&Close"));
    ZozeZO1 = new tree::TZozeZO(this);
    ZozeZO1->setObjectName(QStringLiteral("ZozeZO1"));
    ZozeZO1->setMinimumSize(300, 360);
    for (const QString &name : Names())
        ZozeZO1->Items()->Add(nullptr, name);
    grid_->addWidget(ZozeZO1, grid_->rowCount(), 0, 1, 2);
    FinishLoading();
}

QStringList TVBScript::Names()
{
    QStringList names;
    for (const VBExample &e : vbExamples)
        names << QString::fromUtf8(e.name);
    return names;
}

QStringList TVBScript::DataNames()
{
    QStringList names;
    for (const VBExample &e : vbExamples)
        names << QString::fromUtf8(e.data);
    return names;
}

QString TVBScript::Example(const QString &name)
{
    for (const VBExample &e : vbExamples)
        if (name == QString::fromUtf8(e.name))
            return DataText(QString::fromUtf8(e.data));
    return QString();
}

QString TVBScript::Build() const
{
    const tree::TZozeZONode *node = ZozeZO1->Selected();
    return node ? Example(node->Text()) : QString();
}

} // namespace dialogs
