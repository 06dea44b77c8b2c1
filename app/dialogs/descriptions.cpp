// The table of the engine's dialogs: fields, template and hand-over of each. Values go into the text as
// typed, nothing trimmed, but escaped for the quotes they stand in ("{name|attr}", "{name|js}"); an empty
// field still writes its attribute, unless the attribute would then hide or disable the element.
#include "engine.h"

namespace dialogs {
namespace {

using K = TFieldKind;

TFieldDesc edit(const char *name, const char *label) { return {QString::fromUtf8(name), QString::fromUtf8(label), K::Edit}; }
TFieldDesc memo(const char *name, const char *label) { return {QString::fromUtf8(name), QString::fromUtf8(label), K::Memo}; }
TFieldDesc spin(const char *name, const char *label, int min = 0, int max = 0)
{
    TFieldDesc f{QString::fromUtf8(name), QString::fromUtf8(label), K::Spin};
    f.min = min;
    f.max = max;
    return f;
}
TFieldDesc combo(const char *name, const char *label, QStringList items, K kind = K::Combo)
{
    return {QString::fromUtf8(name), QString::fromUtf8(label), kind, std::move(items)};
}
TFieldDesc file(const char *name, const char *label, const char *filter = nullptr)
{
    TFieldDesc f{QString::fromUtf8(name), QString::fromUtf8(label), K::FileLookup};
    if (filter)
        f.filter = QString::fromUtf8(filter);
    return f;
}
TFieldDesc color(const char *name, const char *label) { return {QString::fromUtf8(name), QString::fromUtf8(label), K::ColorLookup}; }
TFieldDesc font(const char *name, const char *label) { return {QString::fromUtf8(name), QString::fromUtf8(label), K::FontCombo}; }

TDialogDesc dialog(const char *cls, const char *caption, const char *banner, std::vector<TFieldDesc> fields,
                   const char *templ, const char *handOver)
{
    TDialogDesc d;
    d.className = QString::fromUtf8(cls);
    d.caption = QString::fromUtf8(caption);
    d.banner = QString::fromUtf8(banner);
    d.fields = std::move(fields);
    d.templ = QString::fromUtf8(templ);
    d.handOver = QString::fromUtf8(handOver);
    return d;
}

// An edit that starts with the scheme of most addresses.
TFieldDesc url(const char *name, const char *label)
{
    TFieldDesc f{QString::fromUtf8(name), QString::fromUtf8(label), K::Edit};
    f.initial = QStringLiteral("http://");
    return f;
}
TFieldDesc hidden(const char *name, const char *text)
{
    TFieldDesc f{QString::fromUtf8(name), QString(), K::Hidden};
    f.initial = QString::fromUtf8(text);
    return f;
}
// The scheme half of an address whose other half is an edit of its own.
TFieldDesc protocol()
{
    TFieldDesc f{QStringLiteral("Protocol"), QStringLiteral("&Protocol:"), K::Combo,
                 {"Http://", "File://", "Ftp://", "Gopher://", "Https://", "News:", "Telnet:", "Wais:"}};
    f.initial = QStringLiteral("Http://");
    return f;
}
TFieldDesc startAt(TFieldDesc f, const char *initial)
{
    f.initial = QString::fromUtf8(initial);
    return f;
}

// A size of 0 hides the element (or lets nothing be typed into a field): left at 0, it is not written.
void leaveOutAtZero(TDialogDesc &d, std::initializer_list<const char *> fields)
{
    for (const char *f : fields)
        d.leftOutAt.insert(QString::fromUtf8(f), QStringLiteral("0"));
}

const QStringList fieldAlign{"TOP", "MIDDLE", "RIGHT", "LEFT", "TEXTTOP", "BASELINE", "ABSMIDDLE", "ABSBOTTOM"};
const QStringList colorNames; // colour lookups start empty

std::vector<TDialogDesc> build()
{
    std::vector<TDialogDesc> t;
    // Tags.
    t.push_back(dialog("TLink", "Link", "",
                       {combo("URL", "&URL:", {"Http://", "File://", "Ftp://", "Gopher://", "Https://", "News:", "Telnet:", "Wais:"}),
                        combo("Target", "&Target:", {"_blank", "_self", "_parent", "_top"}), edit("Name", "&Name:"),
                        memo("Description", "&Description:")},
                       R"(<A HREF="{URL|attr}" TARGET="{Target|attr}" NAME="{Name|attr}">{Description}</A>)", "Knap_Link"));
    t.push_back(dialog("TBookmark", "Bookmark", "", {edit("Bookmark name", "&Bookmark name:")},
                       R"(<A NAME="{Bookmark name|attr}">)", "Knap_Bookmark"));
    t.push_back(dialog("TEmail", "Email", "",
                       {edit("Email", "&Email:"), edit("Subject", "&Subject:"), memo("Description", "&Description:")},
                       R"(<A HREF="mailto:{Email|attr}?subject={Subject|query|attr}">{Description}</A>)", "Knap_Email"));
    t.push_back(dialog("TPicture", "Picture", "",
                       {file("URL", "&URL:", "Gif Files|*.gif|All Files|*.*"), edit("Alt. Text", "&Alt. Text:"),
                        edit("Use Map", "Use &Map:"), spin("Width", "&Width:"), spin("Height", "&Height:"),
                        spin("HSpace", "H&Space:"), spin("VSpace", "&VSpace:"),
                        combo("Align", "A&lign:", {"left", "right", "top", "middle", "bottom"})},
                       R"(<IMG SRC="{URL|attr}" ALT="{Alt. Text|attr}" USEMAP="#{Use Map|attr}" WIDTH="{Width|attr}" HEIGHT="{Height|attr}" HSPACE="{HSpace|attr}" VSPACE="{VSpace|attr}" ALIGN="{Align|attr}">)",
                       "Knap_Picture"));
    leaveOutAtZero(t.back(), {"Width", "Height"});
    t.back().leftOutAt.insert(QStringLiteral("Use Map"), QString()); // "#" alone names no map
    {
        TFieldDesc delay = spin("Delay", "&Delay:");
        delay.note = QStringLiteral("(Delay in seconds before the sound plays)");
        t.push_back(dialog("TSound", "Sound", "",
                           {file("Source", "&Source:", "All Files|*.*"), combo("Loop", "&Loop:", {"INFINITE"}), delay},
                           R"(<SOUND SRC="{Source|attr}" LOOP="{Loop|attr}" DELAY="{Delay|attr}">)", "Knap_Sound"));
    }
    t.push_back(dialog("TBGSound", "BG Sound", "",
                       {file("Source", "&Source:", "Wave Files|*.wav"), combo("Loop", "&Loop:", {"INFINITE"})},
                       R"(<BGSOUND SRC="{Source|attr}" LOOP="{Loop|attr}">)", "Knap_BgSound"));
    t.push_back(dialog("TMovie", "Movie", "", {file("URL", "&URL:", "AVI Files|*.avi")},
                       R"(<IMG DYNSRC="{URL|attr}" LOOP="infinite" START="fileopen">)", "Knap_Movie"));
    t.push_back(dialog("TEmbed", "Embed", "",
                       {file("Source", "&Source:"), spin("Width", "&Width:"), spin("Height", "&Height:"),
                        combo("Hidden", "H&idden:", {"True", "False"})},
                       R"(<EMBED SRC="{Source|attr}" WIDTH="{Width|attr}" HEIGHT="{Height|attr}" HIDDEN="{Hidden|attr}">)", "Knap_Embed"));
    leaveOutAtZero(t.back(), {"Width", "Height"});
    t.push_back(dialog("Tapplet", "Applet", "",
                       {file("Applet URL", "Applet &URL:"), spin("Width", "&Width:", 0, 10000),
                        spin("Height", "&Height:", 0, 10000), spin("HSpace", "H&Space:", 0, 10000),
                        spin("VSpace", "&VSpace:", 0, 10000),
                        combo("Align", "A&lign:", {"LEFT", "RIGHT", "TOP", "TEXTTOP", "MIDLE", "ABSMIDLE", "BASELINE", "BOTTOM", "ABSBOTTOM"}),
                        memo("Applet Attributes", "Applet A&ttributes:"),
                        edit("Message", "&Message to Browser that dosn't support Java:")},
                       R"(<APPLET CODE="{Applet URL|attr}" WIDTH="{Width|attr}%" HEIGHT="{Height|attr}%"  VSPACE="{VSpace|attr}" HSPACE="{HSpace|attr}" ALIGN="{Align|attr}">{Applet Attributes}{Message}</APPLET>)",
                       "Knap_applet"));
    leaveOutAtZero(t.back(), {"Width", "Height"});
    t.push_back(dialog("TMarquee", "Marquee", "",
                       {color("Color", "&Color:"), edit("Scrolling Text", "Scrolling &Text:"), spin("Width", "&Width:"),
                        spin("Height", "&Height:"), combo("Align", "&Align:", {"TOP", "MIDDLE", "BOTTOM"}),
                        combo("Behavior", "&Behavior:", {"SCROLL", "SLIDE", "ALTERNATE"}),
                        combo("Direction", "&Direction:", {"LEFT", "RIGHT"}), spin("Scroll Amount", "Scroll A&mount:"),
                        spin("Scroll Delay", "Scroll D&elay:"), spin("HSpace", "H&Space:"), spin("VSpace", "&VSpace:")},
                       R"(<MARQUEE BGCOLOR="{Color|attr}" WIDTH="{Width|attr}" HEIGHT="{Height|attr}" VSPACE="{VSpace|attr}" HSPACE="{HSpace|attr}" ALIGN="{Align|attr}" DIRECTION="{Direction|attr}" SCROLLAMOUNT="{Scroll Amount|attr}" SCROLLDELAY="{Scroll Delay|attr}" BEHAVIOR="{Behavior|attr}">{Scrolling Text}</MARQUEE>)",
                       "Knap_Marquee"));
    leaveOutAtZero(t.back(), {"Width", "Height", "Scroll Amount"});
    {
        const QStringList metaItems{"Description", "Expires", "Reply-to", "Keywords", "PICS-Label", "Refresh"};
        t.push_back(dialog("TMeta", "Meta", "",
                           {combo("HTTP-EQUIV", "&HTTP-EQUIV:", metaItems, K::AutoCombo),
                            combo("Name", "&Name:", metaItems, K::AutoCombo), memo("Content", "&Content:")},
                           R"(<META HTTP-EQUIV="{HTTP-EQUIV|attr}" NAME="{Name|attr}" CONTENT="{Content|attr}">)", "Knap_Meta"));
    }
    t.push_back(dialog("TBase", "Base Font", "", {spin("Size", "&Size:"), font("Font Face", "&Font Face:")},
                       R"(<BASEFONT SIZE="{Size|attr}" FACE="{Font Face|attr}">)", "Knap_Base"));
    {
        TDialogDesc d = dialog("TSkrift", "Font", "",
                               {font("Font", "&Font:"),
                                combo("Size", "&Size:", {"+4", "+3", "+2", "+1", "-1", "-2", "-3", "-4", "1", "2", "3", "4", "5", "6", "7"}, K::AutoCombo),
                                color("Color", "&Color:"), memo("Text", "&Text:")},
                               R"(<FONT FACE="{Font|attr}" SIZE="{Size|attr}" COLOR="{Color|attr}">{Text}</FONT>)", "Knap_Font");
        d.okName = QStringLiteral("Button2");
        t.push_back(d);
    }
    t.push_back(dialog("TKommentar", "Comment", "", {memo("Memo1", "&Comment:")}, "<!--{Memo1}-->", "Comment"));
    t.push_back(dialog("TMap", "Map", "", {edit("Map Name", "&Map Name:")}, R"(<MAP NAME="{Map Name|attr}">)", "Knap_Map"));
    t.push_back(dialog("TAttributes", "Advanced Attributes", "",
                       {combo("Choose a attributes", "&Choose a attributes:", {"TITLE", "STYLE", "CLASS", "ID", "ACCESSKEY", "LANG"}),
                        edit("Value", "&Value:")},
                       R"({Choose a attributes}="{Value|attr}")", "Knap_Attributes"));
    t.push_back(dialog("TASP", "ASP Server Variables", "",
                       {combo("Server Variable", "&Server Variable:",
                              {"ALL_HTTP", "AUTH_PASS", "AUTH_TYPE", "CONTENT_LENGTH", "CONTENT_TYPE", "GATEWAY_INTERFACE",
                               "PATH_INFO", "PATH_TRANSLATED", "QUERY_STRING", "REMOTE_ADDR", "REMOTE_HOST", "REMOTE_IDENT",
                               "REMOTE_USER", "REQUEST_BODY", "REQUEST_METHOD", "SCRIPT_NAME", "SERVER_PORT",
                               "SERVER_PROTOCOL", "SERVER_SOFTWARE"})},
                       R"(<%= Request.ServerVariables("{Server Variable|vbs}") %>)", "Knap_ASP"));
    {
        TDialogDesc d = dialog(
            "ThtmlStart", "HTML Start", "",
            {combo("Document Type", "&Document Type:",
                   {R"(<!DOCTYPE html public "-//W3C//DTD HTML 4.0 Transitional//EN">)",
                    R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">)",
                    R"(<!DOCTYPE HTML PUBLIC  "-//IETF//DTD HTML 2.0//EN">)",
                    R"(<!DOCTYPE HTML PUBLIC  "-//IETF//DTD HTML Level 1//EN">)",
                    R"(<!DOCTYPE HTML PUBLIC  "-//Microsoft/DTD Microsoft Internet Explorer 3.01 HTML//EN">)"}),
             edit("Title", "&Title:"), file("Background image", "Background &image:"),
             color("Background Color", "&Background Color:"), color("Text Color", "Te&xt Color:"),
             color("Link Color", "&Link Color:"), color("Visited Link Color", "&Visited Link Color:"),
             color("Active Link Color", "&Active Link Color:")},
            "{Document Type}\r\n<HTML>\r\n\r\n<HEAD> \r\n <TITLE>{Title|text}</TITLE> \r\n"
            R"( <META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=utf-8"> )" "\r\n</HEAD>\r\n"
            R"(<BODY BACKGROUND="{Background image|attr}" BGCOLOR="{Background Color|attr}" TEXT="{Text Color|attr}")"
            R"( LINK="{Link Color|attr}" VLINK="{Visited Link Color|attr}" ALINK="{Active Link Color|attr}">)"
            "\r\n\r\n\r\n\r\n\r\n</BODY>\r\n</HTML>",
            "Knap_Start");
        d.okName = QStringLiteral("Button6");
        d.route = TRoute::ReplaceAll;
        t.push_back(d);
    }

    // Frames.
    {
        auto start = [](TFieldDesc f, const char *value) {
            f.initial = QString::fromLatin1(value);
            return f;
        };
        t.push_back(dialog("TIFrame", "IFrame", "Insert a IFrame - IE Only",
                           {edit("Name", "&Name:"), file("URL", "&URL:"), start(spin("Width", "&Width (%):"), "20"),
                            start(spin("Height", "&Height (%):"), "20")},
                           R"(<IFRAME NAME="{Name|attr}" WIDTH="{Width|attr}%" HEIGHT="{Height|attr}%" SRC="{URL|attr}"></IFRAME>)", "Knap_IFrame"));
        leaveOutAtZero(t.back(), {"Width", "Height"});
        t.push_back(dialog("TFrame", "Frame", "Insert a Frame",
                           {edit("Name", "&Name:"), file("URL", "&URL:"), combo("Scrolling", "&Scrolling:", {"YES", "NO", "AUTO"}),
                            start(spin("Border", "&Border:"), "1"), start(spin("Margin Width", "Margin &Width (%):"), "100"),
                            start(spin("Margin Height", "Margin &Height (%):"), "100")},
                           R"(<FRAME NAME="{Name|attr}" SRC="{URL|attr}" MARGINWIDTH="{Margin Width|attr}%" MARGINHEIGHT="{Margin Height|attr}%" FRAMEBORDER="{Border|attr}" SCROLLING="{Scrolling|attr}">)",
                           "Knap_Frame"));
        t.push_back(dialog("TNOFRAMES", "No Frames", "Insert No Frames Tag", {memo("Memo1", "&Text:")},
                           "<NOFRAMES>{Memo1}</NOFRAMES>", "Knap_NoFrames"));
        t.push_back(dialog("TBaseTarget", "Base Target", "Insert a base target - use with frames",
                           {combo("Base Target", "&Base Target:", {"_blank", "_self", "_parent", "_top"})},
                           R"(<BASE TARGET="{Base Target|attr}">)", "Knap_BaseTarget"));
        // Builds its own text: with neither Rows nor Cols chosen there is nothing to build.
        t.push_back(dialog("TFrameset", "Frameset", "Insert a Frameset", {}, "", "Knap_Frameset"));
    }
    // Tables and lists: the cells come from a grid, so each builds its own text.
    {
        auto count = [](const char *name, const char *label) {
            TFieldDesc f = spin(name, label, 1, 10000);
            f.initial = QStringLiteral("1");
            return f;
        };
        TFieldDesc width = spin("Width", "&Width (%):", 0, 10000);
        width.initial = QStringLiteral("100");
        t.push_back(dialog("Ttable", "Table", "Insert a Table",
                           {count("How many cols ?", "How many &cols ?"), count("How many rows ?", "How many &rows ?"),
                            spin("Border", "&Border:"), width, spin("Cellpadding", "Cell&padding:"),
                            spin("Cellspacing", "Cell&spacing:"),
                            combo("Align", "&Align:", {"TOP", "MIDDLE", "RIGHT", "LEFT", "TEXT", "TOPBASELINE", "ABSMIDDLE", "ABSBOTTOM"}),
                            color("Color", "C&olor:")},
                           "", "Knap_Table"));
        t.push_back(dialog("TList", "List", "Insert a List",
                           {count("How many Items do you want ?", "How many &Items do you want ?"),
                            combo("Numbering", "&Numbering:", {"1", "a", "A", "i", "I"}),
                            combo("Bullet", "&Bullet:", {"disc", "square", "circle"})},
                           "", "Knap_List"));
    }
    // Style sheet: one rule, every declaration on a line of its own (the dialog leaves out the empty ones).
    {
        const QStringList sizes{"xx-large", "x-large", "large", "larger", "medium", "small", "smaller", "x-small", "xx-small"};
        const QStringList units{"pt", "cm", "pt", "ex", "pt", "in", "mm", "pc", "px"};
        const QStringList borders{"dotted", "dashed", "solid", "double", "groove", "ridge", "inset", "outset"};
        std::vector<TFieldDesc> f;
        QString body = QStringLiteral("<STYLE>{Element / Target} {\r\n");
        auto line = [&body](const char *property, const QString &value) {
            body += QStringLiteral("      ") + QLatin1String(property) + QStringLiteral(": ") + value + QStringLiteral("\r\n");
        };
        auto plain = [&](const char *property, TFieldDesc field) {
            line(property, QLatin1Char('{') + field.name + QLatin1Char('}'));
            f.push_back(std::move(field));
        };
        // A length: its value and, directly after it, its unit.
        auto length = [&](const char *property, TFieldDesc value) {
            const QString unit = value.name + QStringLiteral(" unit");
            line(property, QLatin1Char('{') + value.name + QStringLiteral("}{") + unit + QLatin1Char('}'));
            f.push_back(combo(unit.toUtf8().constData(), "", units));
            f.insert(f.end() - 1, std::move(value));
        };
        f.push_back(combo("Element / Target", "&Element / Target:",
                          {"A", "A:LINK", "A:VISITED", "ADDRESS", "B", "BIG", "BLOCKQUOTE", "BODY", "CITE", "CODE", "COMMENT",
                           "DFN", "DIV", "EM", "H1", "H2", "H3", "H4", "H5", "H6", "HR", "I", "KBD", "LI", "LISTING", "MULTICOL",
                           "OL", "P", "PRE", "SAMP", "SMALL", "SPAN", "STRIKE", "STRONG", "SUB", "SUP", "TABLE", "TD", "TR",
                           "TT", "U", "UL", "VAR"}));
        plain("font-family", font("Font Family", "Font &Family:"));
        length("font-size", combo("Size", "&Size:", sizes));
        plain("font-weight", combo("Font Weight", "Font &Weight:", {"light", "medium", "bold"}));
        plain("font-style", combo("Font Style", "Font St&yle:", {"italic", "none", "normal", "oblique", "small-caps"}));
        plain("cursor", combo("Cursor", "&Cursor:",
                              {"auto", "crosshair", "default", "hand", "move", "e-resize", "ne-resize", "nw-resize",
                               "n-resize", "se-resize", "sw-resize", "w-resize", "text", "wait"}));
        plain("color", color("Text Color", "&Text Color:"));
        plain("background", color("Background Color", "&Background Color:"));
        plain("text-transform", combo("Transform", "T&ransform:", {"capitalize", "uppercase", "lowercase", "none"}));
        plain("text-decoration", combo("Text Decoration", "Text &Decoration:", {"none", "underline", "line-through "}));
        plain("text-align", combo("Text Align", "Text &Align:", {"left", "center", "right", "justify"}));
        length("text-indent", combo("Text Indent", "Text &Indent:", sizes));
        length("line-height", combo("Line Height", "&Line Height:", sizes));
        length("margin-top", combo("Margin Top", "Margin &Top:", sizes));
        length("margin-bottom", combo("Margin Bottom", "Margin &Bottom:", sizes));
        length("margin-left", combo("Margin Left", "Margin &Left:", sizes));
        length("margin-right", combo("Margin Right", "Margin &Right:", sizes));
        length("padding", combo("Padding", "&Padding:", sizes));
        plain("border-top", combo("Border Top", "Border T&op:", borders));
        plain("border-bottom", combo("Border Bottom", "Border Bo&ttom:", borders));
        plain("border-left", combo("Border Left", "Border L&eft:", borders));
        plain("border-right", combo("Border Right", "Border R&ight:", borders));
        plain("position", combo("Position Type", "Position &Type:", {"relative", "absolute", "static"}));
        length("left", edit("Left", "&Left:"));
        length("top", edit("Top", "&Top:"));
        length("width", edit("Width", "&Width:"));
        length("height", edit("Height", "&Height:"));
        plain("z-order", edit("Z-Order", "&Z-Order:"));
        plain("overflow", combo("Overflow", "O&verflow:", {"visible", "hidden", "scroll", "auto"}));
        body += QStringLiteral("}  </STYLE>\r\n");
        t.push_back(dialog("TStyle", "Style Sheet", "Insert a Style Sheet", std::move(f), body.toUtf8().constData(), "Knap_Style"));
    }

    // Builders of the JavaScript editor: their text goes to the editor's caret, never to the document.
    {
        t.push_back(dialog("TGetCookie", "Calling - Get Cookie", "Insert Get Cookie Function",
                           {edit("Name of Cookie", "&Name of Cookie:")}, R"(var newCookie = GetCookie("{Name of Cookie|js}");)",
                           "Knap_GetCookie"));
        t.push_back(dialog("TDeleteCookie", "Calling - Delete Cookie", "Delete a Cookie...",
                           {edit("Name of Cookie", "&Name of Cookie:")}, R"(DeleteCookie("{Name of Cookie|js}");)",
                           "Knap_DeleteCookie"));
        t.push_back(dialog("TSetCookie", "Set Cookie", "Insert a Set Cookie Function",
                           {edit("Cookie Name", "Cookie &Name:"), edit("Cookie Value", "Cookie &Value:"),
                            spin("Cookie Days", "Cookie &Days:", 0, 10000)},
                           "var expDate = new Date()\r\n"
                           "expDate.setTime(expDate.getTime() + ({Cookie Days}*24*60*60*1000))\r\n"
                           R"(SetCookie ("{Cookie Name|js}","{Cookie Value|js}",expDate))",
                           "Knap_SetCookie"));
        TFieldDesc w = spin("Width", "&Width:", 0, 10000), h = spin("Height", "&Height:", 0, 10000);
        w.initial = h.initial = QStringLiteral("100");
        // The features come from the check boxes the dialog adds.
        t.push_back(dialog("TWindowOpen", "Window.Open()", "Add a window.open()...Function",
                           {edit("URL", "&URL:"), edit("Window Title", "Window &Title:"), w, h}, "", "Knap_WindowOpen"));
    }

    // Dialogs with widgets of their own (bespoke.cpp): the fields here are the ones they share with the rest.
    t.push_back(dialog("TFarve1", "Color", "Insert a Color Value", {edit("HTML Value", "&HTML Value:")}, "{HTML Value}",
                       "Knap_Farve"));
    {
        TDialogDesc d = dialog("TExCharacters", "Extended Characters", "", {edit("Edit1", "&Text:")}, "{Edit1}",
                               "Knap_ExCharaters");
        d.closesOnOk = false;
        d.modeless = true;
        t.push_back(d);
    }
    {
        TDialogDesc d = dialog("Tinsert", "Insert File", "", {}, "", "Knap_File");
        d.okName = QStringLiteral("Button2");
        t.push_back(d);
    }
    {
        // The sample choosers show a file and hand it over whole; the DHTML one and the VBScript list stay open.
        TDialogDesc d = dialog("TDHTML", "DHTML Sample", "Insert a DHTML Samples", {}, "", "Knap_DHTML");
        d.closesOnOk = false;
        d.modeless = true;
        t.push_back(d);
        t.push_back(dialog("TJavaScriptSamples1", "JavaScript Sample", "Insert a JavaScript Sample", {}, "", "Knap_Samp"));
        d = dialog("TVBScript", "VB Script", "", {}, "", "Knap_VB");
        d.closesOnOk = false;
        d.modeless = true;
        t.push_back(d);
    }
    t.push_back(dialog("TFilter", "IE Filter Effect", "", {edit("Text", "&Text:")}, "", "Knap_Filter"));
    t.push_back(dialog("TSearch", "Search Engine", "Insert a JavaScript Search Engine",
                       {edit("Description", "&Description:"), edit("Keywords", "&Keywords:"), edit("URL", "&URL:")}, "",
                       "Knap_Search"));
    {
        TDialogDesc d = dialog("TLinkCombobox", "Link Combobox", "Insert a Link Combobox",
                               {edit("URL", "&URL:"), edit("Description", "&Description:")}, "", "Knap_linkcombobox");
        d.okName = QStringLiteral("Button2");
        t.push_back(d);
    }

    // Form fields.
    t.push_back(dialog("TForm0", "Form", "Insert a Form Defination",
                       {edit("Action", "&Action:"), combo("Method", "&Method:", {"POST", "GET"}), edit("Target", "&Target:"),
                        combo("EncType", "&EncType:", {"application/x-www-form-urlencoded", "multipart/form-data"})},
                       R"(<FORM ACTION="{Action|attr}" METHOD="{Method|attr}" TARGET="{Target|attr}" ENCTYPE="{EncType|attr}"></FORM>)", "Knap_Form"));
    auto textField = [&t](const char *cls, const char *caption, const char *banner, const char *type, const char *button) {
        t.push_back(dialog(cls, caption, banner,
                           {edit("Name", "&Name:"), edit("Value", "&Value:"), combo("Align", "&Align:", fieldAlign),
                            spin("Size", "&Size:"), spin("Max Length", "Max &Length:")},
                           (QStringLiteral("<INPUT TYPE=\"") + QLatin1String(type) +
                            QStringLiteral(R"(" NAME="{Name|attr}" VALUE="{Value|attr}" ALIGN="{Align|attr}" Size="{Size|attr}" MAXLENGTH="{Max Length|attr}">)"))
                               .toUtf8()
                               .constData(),
                           button));
        leaveOutAtZero(t.back(), {"Size", "Max Length"});
    };
    textField("TFormText", "Form Text", "Insert a Form Text Field", "TEXT", "Knap_FormText");
    textField("TPassword", "Password", "Insert a Form Password Field", "PASSWORD", "Knap_Password");
    t.push_back(dialog(
        "TFormFile", "File", "Insert a Form File",
        {edit("Name", "&Name:"), edit("Value", "&Value:"), combo("Align", "&Align:", fieldAlign), spin("Size", "&Size:"),
         spin("Max Length", "Max &Length:"),
         combo("Accept", "A&ccept:",
               {"text/html", "text/plain", "application/msword", "application/msexcel", "application/poscript",
                "application/x-zip-compressed", "application/pdf", "application/rtf", "video/x-msvideo", "video/quicktime",
                "video/x-mpeg2", "audio/x-pn/realaudio", "audio/x-mpeg", "audio/x-waw", "audio/x-aiff", "audio/basic",
                "image/tiff", "image/jpeg", "image/gif ", "image/x-png", "image/x-photo-cd", "image/x-MS-bmp",
                "image/x-rgb", "image/x-portable-pixmap ", "image/x-portable-greymap", "image/x-portablebitmap"})},
        R"(<INPUT TYPE="FILE" NAME="{Name|attr}" VALUE="{Value|attr}" ALIGN="{Align|attr}" Size="{Size|attr}" MAXLENGTH="{Max Length|attr}" ACCEPT="{Accept|attr}">)",
        "Knap_Formfile"));
    leaveOutAtZero(t.back(), {"Size", "Max Length"});
    t.push_back(dialog("TFormTextArea", "Text Area", "Insert a Form Text Area",
                       {edit("Name", "&Name:"), spin("Cols", "&Cols:"), spin("Rows", "&Rows:"),
                        combo("Wrap", "&Wrap:", {"OFF", "VIRTUAL", "PHYSICAL"}), memo("Content", "C&ontent:")},
                       R"(<TEXTAREA NAME="{Name|attr}" COLS="{Cols|attr}" ROWS="{Rows|attr}" WRAP="{Wrap|attr}">{Content|text}</TEXTAREA>)",
                       "Knap_TextArea"));
    auto simpleInput = [&t](const char *cls, const char *caption, const char *banner, const char *type, const char *button) {
        t.push_back(dialog(cls, caption, banner,
                           {edit("Name", "&Name:"), edit("Value", "&Value:"), combo("Align", "&Align:", fieldAlign)},
                           (QStringLiteral("<INPUT TYPE=\"") + QLatin1String(type) +
                            QStringLiteral(R"(" NAME="{Name|attr}" VALUE="{Value|attr}" ALIGN="{Align|attr}">)"))
                               .toUtf8()
                               .constData(),
                           button));
    };
    simpleInput("TRadio", "Radio", "Insert a Form Radio", "RADIO", "Knap_Radio");
    simpleInput("TCheckbox", "Checkbox", "Insert a Checkbox use with a Form", "CHECKBOX", "Knap_Check");
    simpleInput("TSubMit", "Submit", "Insert a Form Submit Button", "SUBMIT", "Knap_Submit");
    simpleInput("TFormReset", "Reset", "Insert a Form Reset Button", "RESET", "Knap_Reset");
    simpleInput("TFormButton", "Button", "Insert a Form Button", "BUTTON", "Knap_Button");
    t.push_back(dialog("TFormHidden", "Hidden", "Insert Hidden Form", {edit("Name", "&Name:"), edit("Value", "&Value:")},
                       R"(<INPUT TYPE="HIDDEN" NAME="{Name|attr}" VALUE="{Value|attr}">)", "Form_Hidden"));
    t.push_back(dialog("TFormImage", "Form Image", "Insert a Form Image",
                       {edit("Name", "&Name:"), file("URL", "&URL:"), combo("Align", "&Align:", fieldAlign),
                        spin("Border", "&Border:"), spin("Width", "&Width:"), spin("Height", "&Height:")},
                       R"(<INPUT TYPE="IMAGE" NAME="{Name|attr}" SRC="{URL|attr}" ALIGN="{Align|attr}" BORDER="{Border|attr}" WIDTH="{Width|attr}" HEIGHT="{Height|attr}">)",
                       "Form_Image"));
    leaveOutAtZero(t.back(), {"Width", "Height"});
    t.push_back(dialog("TFormCombobox", "Combobox", "Insert a Form Combobox",
                       {edit("Name", "&Name:"), spin("Size", "&Size:"), memo("Option", "&Option:")},
                       R"(<SELECT NAME="{Name|attr}" SIZE="{Size|attr}">{Option}</SELECT>)", "Knap_Combobox"));

    // DHTML effects: their scripts and styles are data texts ({@Name}); the lines here carry the values.
    auto dhtml = [&t](const char *cls, const char *caption, const char *banner, std::vector<TFieldDesc> fields,
                      const char *templ, const char *relay) -> TDialogDesc & {
        t.push_back(dialog(cls, caption, banner, std::move(fields), templ, ""));
        t.back().relay = QString::fromLatin1(relay);
        return t.back();
    };
    auto items = [](TDialogDesc &d, const char *itemTemplate, const char *addName, const char *addCaption) {
        d.itemTemplate = QString::fromUtf8(itemTemplate);
        d.itemList = QStringLiteral("Editor Area");
        d.addName = QString::fromLatin1(addName);
        d.addCaption = QString::fromLatin1(addCaption);
    };
    const char *const clickText = "The text the user will click on to activate this script";
    dhtml("TDHTML_Bookmark", "Bookmark", "Insert a Bookmark Script - Works only with IE",
          {protocol(), edit("Bookmark URL", "Bookmark &URL:"), edit("Bookmark Title", "Bookmark &Title:"),
           edit(clickText, "T&he text the user will click on to activate this script:")},
          "<script language=\"JavaScript1.2\">\r\n"
          "// Made with Kestrova 5 - http://www.kestrova.example/\r\n"
          "var bookmarkurl=\"{Protocol|js}{Bookmark URL|js}\"\r\n"
          "var bookmarktitle=\"{Bookmark Title|js}\"\r\n"
          "{@DhtmlBookmark}\r\n"
          "<A HREF=\"javascript:addbookmark()\">{The text the user will click on to activate this script}</A>\r\n",
          "DHTML_Memo");
    dhtml("TDHTML_Button", "Color Button", "Insert a Color Button - Works only with IE",
          {color("Button Start Color", "Button &Start Color:"), color("OnMouseover Color", "On&Mouseover Color:"),
           color("OnMouseout Color", "OnMouse&out Color:"), protocol(), edit("Button URL", "Button &URL:"),
           edit("Button Caption", "Button &Caption:")},
          "<style>\r\n<!--\r\n.initial2{font-weight:bold;background-color:{Button Start Color}}\r\n{@DhtmlButton}"
          "<form onMouseover=\"change('{OnMouseover Color|js|attr}')\" onMouseout=\"change('{OnMouseout Color|js|attr}')\">\r\n\r\n"
          "<input type=\"button\" value=\"{Button Caption|attr}\" class=\"initial2\" onClick=\"jumpto2('{Protocol|js|attr}{Button URL|js|attr}')\">\r\n"
          "</form>\r\n",
          "DHTML_Memo");
    dhtml("TDHTML_Marquee", "Marquee", "Insert a Marquee Script",
          {edit("Marquee's contents", "&Marquee's contents:"), startAt(spin("Scroll speed", "&Scroll speed:", 0, 100000), "6"),
           startAt(spin("Width", "&Width:", 0, 100000), "300"), startAt(spin("Height", "&Height:", 0, 100000), "20")},
          "<script language=\"JavaScript1.2\">\r\nvar marqueewidth={Width}\r\nvar marqueeheight={Height}\r\n"
          "var speed={Scroll speed}\r\n"
          "var marqueecontents='<font face=\"verdana\"><b>{Marquee's contents|js}</b></font>'\r\n{@DhtmlMarquee}",
          "DHTML_Memo");
    items(dhtml("TDHTML_Menu", "Menu Builder", "Insert a Menu Script",
                {file("Image", "&Image:", "Gif Files|*.gif|JPEG Files|*.jpg;*.jpeg|All Files|*.*"), url("URL", "&URL:"),
                 edit("Description", "&Description:"), memo("Editor Area", "&Editor Area:")},
                "{@DhtmlMenu}<p><img src=\"{Image|attr}\" border=\"0\"></a></p>\r\n<div id=\"Menu01\">\r\n"
                "<table border=\"0\" bgcolor=\"White\"><tr><td><font face=\"Verdana\" size=\"2\">\r\n"
                "{Editor Area}</tr></table></div></font>\r\n",
                "DHTML_Memo"),
          "<A HREF=\"{URL|attr}\">{Description}</A><br>\r\n", "Add Item", "Add &Item");
    items(dhtml("TDHTML_DropdownMenu", "Faded DropDown Menu", "Insert a Faded DropDown Menu",
                {edit("Text", "&Text:"), url("URL", "&URL:"), edit("Description", "&Description:"),
                 memo("Editor Area", "&Editor Area:")},
                "{@DhtmlDropdownStyle}<p>{Text}</a></b></font> </span></span></layer> </ilayer> "
                "<script language=\"JavaScript1.2\">\r\nvar enableeffect=true\r\nvar selection=new Array()\r\n"
                "{Editor Area}{@DhtmlDropdownScript}",
                "DHTML_Memo"),
          "selection[{n}]='<A HREF=\"{URL|attr|js}\">{Description|js}</A><br>'\r\n", "Add Item", "Add &Item");
    dhtml("TDHTML_Tooltip", "Tool Tip", "Insert a Tool Tip Script",
          {url("URL", "&URL:"), edit("Description", "&Description:"), edit("Tool Tip", "T&ool Tip:")},
          "{@DhtmlTooltip}<A HREF=\"{URL|attr}\" onMouseover=\"showtip2(this,event,'{Tool Tip|js|attr}')\" "
          "onMouseout=\"hidetip2()\">{Description}</A>\r\n",
          "DHTML_Memo");
    auto menuBar = [&](const char *cls, const char *caption, const char *banner, const char *templ) {
        items(dhtml(cls, caption, banner,
                    {edit("Item Caption", "Item &Caption:"), url("Item URL", "Item &URL:"),
                     memo("Editor Area", "&Editor Area:")},
                    templ, "Memo1"),
              "sitems[{n}]=\"{Item Caption|js}\"\r\nsitemlinks[{n}]=\"{Item URL|js}\"\r\n", "Add", "&Add");
    };
    menuBar("TSlidebar", "Slide-In Menu Bar ", "Insert a left Slide-In Menu Bar - Works with IE and Netscape",
            "{@SlidebarStyle}{@SlidebarOpen}{Editor Area}{@SlidebarClose}");
    menuBar("TDragbar", "Drag-In Menu Bar", "Insert a left Drag-In Menu Bar: drag its edge to pull it in",
            "{@DragbarStyle}{@DragbarOpen}{Editor Area}{@DragbarClose}");
    menuBar("TKeyboardBar", "Keybord-In Menu Bar...", "Insert a Keybord-In Menu Bar: \"x\" opens the menu, \"z\" closes it",
            "{@KeyboardBarStyle}{@KeyboardBarOpen}{Editor Area}{@KeyboardBarClose}");
    items(dhtml("TFadeTape", "Fading Ticker Tape ", "Insert a Fading Ticker Tape  - Works only with IE",
                {edit("Item Caption", "Item &Caption:"), url("Item URL", "Item &URL:"), memo("Editor Area", "&Editor Area:")},
                "{@FadeTapeOpen}{Editor Area}{@FadeTapeScript}", "Memo1"),
          "news[{n}]=\"<A HREF=\\\"{Item URL|attr|js}\\\">{Item Caption|js}</A>\"\r\n", "Add", "&Add");
    {
        TDialogDesc &d = dhtml("TPopupMenuCreator", "Pop-up Menu Creator", "Insert a Pop-up Menu for the right mouse button",
                               {url("URL", "&URL:"), edit("Description", "&Description:"), memo("Editor Area", "&Editor Area:")},
                               "{@PopupMenuCreator}{Editor Area}document.writeln('</Div>')\r\ndocument.writeln('</Div>')\r\n"
                               "document.close();\r\n}\r\n// Done Hiding-->\r\n</Script>\r\n",
                               "Memo1");
        items(d,
              "document.writeln('<Div id=\"mainmenuitem{n}\" class=\"menuItem\" onmouseout=\"udspl(this.id)\" "
              "onmouseover=\"cdspl(this.id,false)\" onclick=\"gomenu(\\'{URL|js|attr|js}\\')\">"
              "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;{Description|js}</Div>')\r\n",
              "Add", "&Add");
        d.firstItem = 1;
    }
    dhtml("TNoClick", "No right mouse click", "Insert a Script that Disables the Right Mouse Button",
          {startAt(edit("Message", "&Message:"), "The right mouse button has been disabled")},
          "<script language=\"JavaScript1.2\">\r\nif (document.all)\r\n"
          "document.body.onmousedown=new Function(\"if (event.button==2)alert('{Message|js|js}')\")\r\n</script>",
          "Memo1");
    dhtml("TPrintButton", "Print Button", "Insert a Print Button",
          {startAt(edit("Caption for the Print Button", "&Caption for the Print Button:"), "Print This Page")},
          "{@PrintButton}    document.write('<form><input type=button value=\"{Caption for the Print Button|attr|js}\" "
          "name=\"Print\" onClick=\"printit()\"></form>'); \r\n}</Script>\r\n",
          "Memo1");
    dhtml("TPopUpImage", "Pop-up Image", "Insert a Picture that Pops up under the Mouse",
          {file("Image URL", "&Image URL:", "Gif Files|*.gif|JPEG Files|*.jpg;*.jpeg|All Files|*.*")},
          "{@PopUpImage}<IMG SRC=\"{Image URL|attr}\" class=\"popshadow\">\r\n", "Memo1");
    // The span's style holds a script entity whose braces must come through the substitution.
    dhtml("TTextType", "Typing Text ", "Insert a Text that Types Itself", {edit("Text", "&Text:"), hidden("Entity", "&amp;{head};")},
          "{@TextType}<span id=\"typing\" style=\"visiblity:hidden;height:2px\" style=\"{Entity}\">{Text}</span>\r\n", "Memo1");
    dhtml("TFullScreen", "Full Screen Window Opener", "Insert a Link that Opens a Full Screen Window",
          {url("URL", "&URL:"), edit("Description", "&Description:")},
          "<script>\r\n<!--\r\nfunction fullwin(){\r\nwindow.open(\"{URL|js}\",\"\",\"fullscreen,scrollbars\")\r\n}\r\n"
          "//-->\r\n</script>\r\n<a HREF=\"javascript:fullwin()\">{Description}</a>\r\n",
          "Memo1");
    dhtml("TFullWindowChannel", "Channel Mode Window Opener", "Insert a Link that Opens a Channel Mode Window",
          {url("URL", "&URL:"), edit("Description", "&Description:")},
          "<script>\r\n<!--\r\nfunction channel(){\r\nwindow.open(\"{URL|js}\",\"\",\"channelmode,scrollbars\")\r\n}\r\n"
          "//-->\r\n</script>\r\n<a HREF=\"javascript:channel()\">{Description}</a>\r\n",
          "Memo1");
    dhtml("TDHTML_BlinkTable", "Blink Table", "Insert a Table whose Border Blinks",
          {memo("Blink Table Text", "&Blink Table Text:")}, "{@BlinkTableOpen}{Blink Table Text}\r\n{@BlinkTableClose}",
          "Memo1");
    dhtml("TDHTM_Calculator", "Calculator", "Insert a Calculator", {}, "{@Calculator}", "Memo1");
    dhtml("Tdhtml_clock", "Clock 1", "Insert a Clock", {}, "{@Clock1}", "Memo1");
    dhtml("Tdhtml_clock1", "Clock 2", "Insert a Clock with the Date", {}, "{@Clock2}", "Memo1");
    // The text is closed in its box: what follows it in the page stays out of the scroller.
    dhtml("Tdhtml_credit", "Credit", "Insert a Scrolling Credit", {memo("Text to scroll", "&Text to scroll:")},
          "{@CreditOpen}{Text to scroll}\r\n{@CreditClose}", "Memo1");
    {
        TDialogDesc &d = dhtml("TAnimation", "DHTML Animation", "Insert a text animation - works only with IE...",
                               {edit("Text to animate", "&Text to animate:"),
                                combo("Choose Animation", "&Choose Animation:",
                                      {"flyBottom", "flyLeft", "flyRight", "flyTop", "flyBottomLeft", "flyBottomRight",
                                       "flyTopLeft", "flyTopRightWord", "flyBottomRightWord", "dropWord", "spiral",
                                       "zoomIn", "zoomOut"})},
                               "<p dynamicanimation=\"{Choose Animation|attr}\" style=\"position: relative !important; "
                               "left: 10000px !important\">{Text to animate}</p>\r\n",
                               "Memo1");
        d.modeless = true;
    }

    // The channel file: the template is the file's text; OK then links the file through knap_channel.
    t.push_back(dialog("TChannel", "Channel", "Insert a Channel Definition File",
                       {edit("Title", "&Title:"), memo("Abstract", "&Abstract:"), edit("Introduction Page", "&Introduction Page:"),
                        file("Logo Image", "&Logo Image:", "Gif Files|*.gif|JPEG Files|*.jpg;*.jpeg|All Files|*.*"),
                        file("Icon Image", "I&con Image:", "Gif Files|*.gif|Icon Files|*.ico|All Files|*.*"),
                        edit("Base", "&Base:")},
                       "<?XML Version=\"1.0\" Encoding=\"iso-8859-1\" ?><Channel HREF=\"{Introduction Page|attr}\" "
                       "BASE=\"{Base|attr}\" SELF=\"qv_channel.cdf\">\r\n\r\n"
                       "<A HREF=\"{Introduction Page|attr}\"></A>\r\n<A HREF=\"{Introduction Page|attr}\"></A>\r\n"
                       "<Title>{Title|text}</Title>\r\n\r\n<Abstract>{Abstract|text}</Abstract>\r\n\r\n"
                       "<Logo HREF=\"{Logo Image|attr}\" Style=\"Image\" /> <Logo HREF=\"{Icon Image|attr}\" Style=\"Icon\" />\r\n"
                       "<LogTarget HREF=\"{Introduction Page|attr}\" Method=\"Post\" Scope=\"Offline\"></LogTarget></Channel>\r\n\r\n",
                       "knap_channel"));

    // Text for an XML document, and a picture of the clip art: both go straight to the text relay.
    t.push_back(dialog("Txmltext", "XML Text", "Insert a Text", {memo("Memo1", "&Text:")}, "{Memo1}", ""));
    t.back().relay = QStringLiteral("Memo1");
    t.push_back(dialog("TClipart", "Clipart", "Insert a Clip-Art Picture...", {hidden("Edit1", "")},
                       R"(<IMG SRC="{Edit1|attr}">)", ""));
    t.back().relay = QStringLiteral("Memo1");
    for (TDialogDesc &d : WizardDescriptions())
        t.push_back(std::move(d));
    return t;
}

} // namespace

std::span<const TDialogDesc> Descriptions()
{
    static const std::vector<TDialogDesc> table = build();
    return table;
}

} // namespace dialogs
