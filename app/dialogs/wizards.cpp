// The three home-page wizards: questions on tabbed pages, and a page that replaces the whole document
// (one undo step). The answers are plain text, shown as typed; an empty field leaves an empty attribute or
// element, but a page of the index left blank writes no row.
#include "engine.h"
#include "platform/textfile.h"

namespace dialogs {
namespace {

using K = TFieldKind;

TFieldDesc field(const QString &page, const QString &name, const char *label, K kind = K::Edit)
{
    TFieldDesc f{name, QString::fromUtf8(label), kind};
    f.page = page;
    return f;
}

// Each line ends with CR LF.
QString lines(std::initializer_list<const char *> ls)
{
    QString out;
    for (const char *l : ls)
        out += QString::fromUtf8(l) + QStringLiteral("\r\n");
    return out;
}

TDialogDesc wizard(const char *cls, const char *caption, std::vector<TFieldDesc> fields, const QString &templ,
                   const char *handOver)
{
    TDialogDesc d;
    d.className = QString::fromLatin1(cls);
    d.caption = QString::fromUtf8(caption);
    d.fields = std::move(fields);
    // The page is the whole document: it says how it is written, or a browser guesses at its letters.
    d.templ = QLatin1String(platform::kUtf8Declaration) + QStringLiteral("\r\n") + templ;
    d.handOver = QString::fromLatin1(handOver);
    d.route = TRoute::ReplaceAll;
    return d;
}

const char *const ordinals[6] = {"1st", "2nd", "3rd", "4th", "5th", "6th"};

TDialogDesc homepageIndex()
{
    std::vector<TFieldDesc> f;
    const QString p1 = QStringLiteral("Page 1");
    f.push_back(field(p1, QStringLiteral("Title"), "&Title:"));
    f.push_back(field(p1, QStringLiteral("Logo"), "&Logo:", K::FileLookup));
    f.push_back(field(p1, QStringLiteral("Heading for introduction"), "&Heading for introduction:"));
    f.push_back(field(p1, QStringLiteral("Introduction"), "&Introduction:", K::Memo));
    QString templ = lines({"<!-- This page was written by the home-page wizard of Kestrova 5 -->",
                           "<!-- Kestrova 5: http://www.kestrova.example/ -->",
                           "<!--Table-->",
                           "<TABLE WIDTH=100%>",
                           "<TR>",
                           "<TD ALIGN=CENTER VALIGN=MIDDLE><IMG SRC=\"{Logo|attr}\" ALT=\"Logo\"></TD>",
                           "<TD VALIGN=MIDDLE><FONT SIZE=6 FACE=\"Tahoma\" COLOR=\"#FF0000\"><B>{Title|text}</B></FONT></TD>",
                           "</TR>",
                           "</TABLE>",
                           "<!-- End Table-->",
                           "<H3 ALIGN=CENTER>{Heading for introduction|text}</H3>",
                           "<P>{Introduction|text}</P>",
                           ""});
    std::vector<std::pair<QString, QStringList>> blankRows;
    for (int i = 0; i < 6; ++i) {
        const QString page = QStringLiteral("Page %1").arg(i + 2), nth = QString::fromLatin1(ordinals[i]);
        const QString image = QStringLiteral("Image/Link to %1 page").arg(nth);
        const QString about = QStringLiteral("Description of %1 page").arg(nth);
        const QString url = QStringLiteral("URL of %1 page").arg(nth);
        const QString link = QStringLiteral("Description of %1 link").arg(nth);
        TFieldDesc img = field(page, image, "", K::FileLookup);
        img.label = QStringLiteral("&Image/Link to %1 page:").arg(nth);
        f.push_back(img);
        f.push_back(field(page, about, "Description of &page:", K::Memo));
        f.push_back(field(page, url, "&URL:"));
        f.push_back(field(page, link, "&Description:"));
        QString row = QStringLiteral("<!--Table-->\r\n");
        row += i == 0 ? QStringLiteral("<TABLE WIDTH=\"100%\" BORDER=\"1\" CELLSPACING=\"2\" CELLPADDING=\"2\" "
                                         "BGCOLOR=\"#48A4FF\" BORDERCOLOR=\"#000000\">\r\n")
                        : QStringLiteral("<TABLE WIDTH=100% BORDER=1 CELLSPACING=2 CELLPADDING=2 BGCOLOR=\"#48A4FF\" "
                                         "BORDERCOLOR=\"#000000\">\r\n");
        row += QStringLiteral("<TR>\r\n");
        row += QStringLiteral("<TD ALIGN=CENTER VALIGN=MIDDLE BGCOLOR=\"#FFFFD0\" BORDERCOLOR=\"#000000\" WIDTH=\"25%\">"
                                "<A HREF=\"{%1|attr}\"><IMG SRC=\"{%2|attr}\"></A></TD>\r\n")
                     .arg(url, image);
        // The page's own description goes under its link (it was asked for, so it is not dropped).
        row += QStringLiteral("<TD VALIGN=MIDDLE BGCOLOR=\"#C5FFE2\" BORDERCOLOR=\"#000000\" WIDTH=\"75%\"><FONT "
                                "COLOR=\"#000000\"><A HREF=\"{%1|attr}\">{%2|text}</A><BR>{%3|text}</FONT></TD>\r\n")
                     .arg(url, link, about);
        row += QStringLiteral("</TR>\r\n</TABLE>\r\n<!-- End Table-->\r\n\r\n");
        // A page the user left blank writes no row.
        blankRows.push_back({row, {image, about, url, link}});
        templ += row;
        if (i == 5)
            templ += QStringLiteral("\r\n");
    }
    const QString p8 = QStringLiteral("Page 8");
    f.push_back(field(p8, QStringLiteral("Heading for afterword"), "&Heading for afterword:"));
    f.push_back(field(p8, QStringLiteral("Afterword"), "&Afterword:", K::Memo));
    f.push_back(field(p8, QStringLiteral("Email"), "&Email:"));
    f.push_back(field(p8, QStringLiteral("Email Description"), "Email &Description:"));
    templ += lines({"<P>", "<HR WIDTH=80% SIZE=2>", "<H3 ALIGN=CENTER>{Heading for afterword|text}</H3>", "<P>{Afterword|text}</P>",
                    "<HR WIDTH=80% SIZE=2>", "<CENTER>Email:", "<A HREF=\"mailto:{Email|attr}\">{Email Description|text}</A></CENTER>",
                    "<HR WIDTH=50% SIZE=2>"});
    TDialogDesc d = wizard("TWizard1", "Wizard - Homepage Index", std::move(f), templ, "Knap_wizard1");
    d.leftOutBlank = std::move(blankRows);
    return d;
}

TDialogDesc personalHomepage()
{
    const QString p1 = QStringLiteral("Page 1"), p2 = QStringLiteral("Page 2"), p3 = QStringLiteral("Page 3"),
                  p4 = QStringLiteral("Page 4"), p5 = QStringLiteral("Page 5");
    std::vector<TFieldDesc> f = {
        field(p1, QStringLiteral("Your name"), "Your &name:"),
        field(p1, QStringLiteral("About you"), "&About you:", K::Memo),
        field(p1, QStringLiteral("Your photo"), "Your &photo:", K::FileLookup),
        field(p2, QStringLiteral("First interest"), "&First interest:"),
        field(p2, QStringLiteral("Description of first interest"), "&Description:", K::Memo),
        field(p2, QStringLiteral("Second interest"), "&Second interest:"),
        field(p2, QStringLiteral("Description of second interest"), "D&escription:", K::Memo),
        field(p3, QStringLiteral("First hobby"), "&First hobby:"),
        field(p3, QStringLiteral("Description of first hobby"), "&Description:", K::Memo),
        field(p3, QStringLiteral("Second hobby"), "&Second hobby:"),
        field(p3, QStringLiteral("Description of second hobby"), "D&escription:", K::Memo),
        field(p4, QStringLiteral("Your address"), "Your &address:", K::Memo),
        field(p4, QStringLiteral("Your Email"), "Your &Email:"),
        field(p4, QStringLiteral("Description of email link"), "Description of email &link:"),
        field(p4, QStringLiteral("Your Homepage"), "Your &Homepage:"),
        field(p4, QStringLiteral("Description of homepage link"), "Description of homepage l&ink:"),
        field(p4, QStringLiteral("Comment"), "&Comment:", K::Memo),
        field(p5, QStringLiteral("Hot link 1"), "Hot link &1:"),
        field(p5, QStringLiteral("Description 1"), "Description:"),
        field(p5, QStringLiteral("Hot link 2"), "Hot link &2:"),
        field(p5, QStringLiteral("Description 2"), "Description:"),
        field(p5, QStringLiteral("Hot link 3"), "Hot link &3:"),
        field(p5, QStringLiteral("Description 3"), "Description:"),
    };
    const char *const back[] = {"<H5><A HREF=\"#contents\">Back to Contents</A></H5>", "<HR>"};
    QString templ = lines({
        "<CENTER><FONT  SIZE=+7 COLOR=#000080><B><h1>{Your name|text} - Personal Home Page</h1></B></FONT></CENTER>",
        "<HR>",
        "<H2><A NAME=\"contents\">Contents</A> </H2>",
        "<UL>",
        "<LI><A HREF=\"#bio\"><STRONG>Personal Details</STRONG></A></LI>",
        "<LI><A HREF=\"#interests\"><STRONG>Interests and Hobbies</STRONG></A></LI>",
        "<LI><A HREF=\"#contact\"><STRONG>How To Contact Me</STRONG></A></LI>",
        "<LI><A HREF=\"#hotlist\"><STRONG>Hot List</STRONG></A></LI>",
        "<LI><A HREF=\"#comments\"><STRONG>E-Mail Me!</STRONG></A></LI>",
        "</UL>",
        "<HR>",
        "<H2><A NAME=\"bio\">Personal Details</A></H2>",
        "<TABLE>",
        "<TR>",
        "<TD>",
        "<STRONG>{About you|text}</STRONG>",
        "</TD>",
        "<TD>",
        "<IMG SRC=\"{Your photo|attr}\" ALT=\"Photo\" ALIGN=RIGHT>",
        "</TD>",
        "</TR>",
        "</TABLE>",
        back[0],
        back[1],
        "<H2><A NAME=\"interests\">Interests and Hobbies</A></H2>",
        "<DL>",
        "<DT><STRONG>{First interest|text}</STRONG></DT>",
        "<DD>{Description of first interest|text}</DD>",
        "<DT><STRONG>{Second interest|text}</STRONG></DT>",
        "<DD>{Description of second interest|text}</DD>",
        "<DT><STRONG>{First hobby|text}</STRONG></DT>",
        "<DD>{Description of first hobby|text}</DD>",
        "<DT><STRONG>{Second hobby|text}</STRONG></DT>",
        "<DD>{Description of second hobby|text}</DD>",
        "</DL>",
        back[0],
        back[1],
        "<BR>",
        "<TABLE BORDER=0 CELLSPACING=5>",
        "<H2><A NAME=\"contact\">How To Contact Me</A></H2>",
        "<TD>",
        "<P><STRONG>{Your address|text}</STRONG><BR>",
        "<BR>",
        "<BR>",
        "<STRONG>Electronic mail address</STRONG><BR>",
        "<A HREF=\"mailto:{Your Email|attr}\">{Description of email link|text}</A><BR>",
        "<BR>",
        "<STRONG>Web address</STRONG><BR>",
        "<A HREF=\"{Your Homepage|attr}\">{Description of homepage link|text}</A><BR>",
        "<BR>",
        "</TD>",
        "</TR>",
        "</TABLE>",
        "{Comment|text}",
        "</P>",
        back[0],
        back[1],
        " <H2><A NAME=\"hotlist\">Hot List</A></H2>",
        "<DL>",
        "<DT>",
        "<DD>",
        "<UL>",
        "<LI><A HREF=\"{Hot link 1|attr}\">{Description 1|text}</A> </LI>",
        "<LI><A HREF=\"{Hot link 2|attr}\">{Description 2|text}</A> </LI>",
        "<LI><A HREF=\"{Hot link 3|attr}\">{Description 3|text}</A> </LI>",
        "</UL>",
        "</DL>",
        back[0],
        back[1],
        "<H2><A NAME=\"comments\">E-Mail Me!</A></H2>",
        "<P>E-Mail me and<A HREF=\"mailto:{Your Email|attr}\"> let me know what you think</A> about my home page!</P>",
        back[0],
        back[1],
    });
    TDialogDesc d = wizard("TWizard2", "Wizard - Personal Homepage", std::move(f), templ, "Knap_wizard2");
    // An interest, a hobby or a hot link left blank writes no entry.
    const QStringList entries[] = {{"First interest", "Description of first interest"},
                                   {"Second interest", "Description of second interest"},
                                   {"First hobby", "Description of first hobby"},
                                   {"Second hobby", "Description of second hobby"}};
    for (const QStringList &e : entries)
        d.leftOutBlank.push_back(
            {QStringLiteral("<DT><STRONG>{%1|text}</STRONG></DT>\r\n<DD>{%2|text}</DD>\r\n").arg(e[0], e[1]), e});
    for (int i = 1; i <= 3; ++i)
        d.leftOutBlank.push_back({QStringLiteral("<LI><A HREF=\"{Hot link %1|attr}\">{Description %1|text}</A> </LI>\r\n").arg(i),
                                  {QStringLiteral("Hot link %1").arg(i), QStringLiteral("Description %1").arg(i)}});
    return d;
}

TDialogDesc companyHomepage()
{
    const QString p1 = QStringLiteral("Page 1"), p2 = QStringLiteral("Page 2"), p3 = QStringLiteral("Page 3");
    std::vector<TFieldDesc> f = {
        field(p1, QStringLiteral("Company name"), "Company &name:"),
        field(p1, QStringLiteral("Logo"), "&Logo:", K::FileLookup),
        field(p1, QStringLiteral("Company description"), "Company &description:", K::Memo),
        field(p2, QStringLiteral("Product name"), "Product &name:"),
        field(p2, QStringLiteral("Price"), "&Price:"),
        field(p2, QStringLiteral("Product code"), "Product &code:"),
        field(p2, QStringLiteral("Description of product"), "&Description of product:", K::Memo),
        field(p2, QStringLiteral("Image of product"), "&Image of product:", K::FileLookup),
        field(p3, QStringLiteral("Company address"), "Company &address:"),
        field(p3, QStringLiteral("Telephone number"), "&Telephone number:"),
        field(p3, QStringLiteral("Fax number"), "&Fax number:"),
        field(p3, QStringLiteral("Email address"), "&Email address:"),
    };
    const QString templ = lines({
        " <CENTER>",
        "<IMG SRC=\"{Logo|attr}\" ALT=\"Logo\">",
        "</CENTER>",
        "<P>",
        "<CENTER><FONT  SIZE=+3 COLOR=#FF0000>{Company name|text}</FONT></FONT>",
        "<P>",
        "<HR WIDTH=100% SIZE=2></CENTER>",
        "<UL TYPE=circle>",
        "<LI><A HREF=\"#Comapny Description\">Company Description</A>",
        "<LI><A HREF=\"#Product Prices\">Product Prices</A>",
        "<LI><A HREF=\"#Product Descriptions\">Product Descriptions</A>",
        "<LI><A HREF=\"#How to contact the company\">How to contact the company</A>",
        "</UL>",
        "<P>",
        "<HR WIDTH=100% SIZE=2></CENTER>",
        "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Comapny Description\"></A>Company Description</FONT></CENTER>",
        "<UL>{Company description|text}</UL>",
        "<HR WIDTH=100% SIZE=1>",
        "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Product Prices\">Product Prices</A></A></FONT></CENTER>",
        "<P>",
        "<CENTER><TABLE BORDER=1>",
        "<TR><TD ALIGN=MIDDLE>ITEM</TD><TD ALIGN=MIDDLE>PRICE</TD><TD ALIGN=MIDDLE>PRODUCT CODE</TD></TR>",
        "<TR><TD ALIGN=MIDDLE><A HREF=\"#Prod1\">{Product name|text}</A></TD><TD ALIGN=MIDDLE>{Price|text}</TD><TD "
        "ALIGN=MIDDLE>{Product code|text}</TD></TR>",
        "</TABLE></CENTER>",
        "<P>",
        "<HR WIDTH=100% SIZE=1>",
        "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Product Descriptions\">{Description of product|text}</A></FONT></CENTER>",
        "<DD>",
        "<IMG SRC=\"{Image of product|attr}\" ALIGN=\"center\">",
        "<P>",
        "<HR WIDTH=100% SIZE=1>",
        "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"How to contact the company\">How to contact the "
        "company</A></FONT></CENTER>",
        "<CENTER><I>{Company address|text}</I></CENTER>",
        "<P>",
        "<CENTER><I>{Telephone number|text}</I></CENTER>",
        "<P>",
        "<CENTER><I>{Fax number|text}</I></CENTER>",
        "<P>",
        "<CENTER><A HREF=\"mailto:{Email address|attr}\"><I>{Email address|text}</I></A></CENTER>",
        "<P>",
        "<HR WIDTH=100% SIZE=1>",
    });
    return wizard("TWizard3", "Wizard - Company", std::move(f), templ, "Knap_wizard3");
}

} // namespace

std::vector<TDialogDesc> WizardDescriptions() { return {homepageIndex(), personalHomepage(), companyHomepage()}; }

} // namespace dialogs
