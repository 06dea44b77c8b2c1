#include "textcontrol/htmlrules.h"

#include "textcontrol/contextstate.h"
#include "textcontrol/keylists.h"

namespace textcontrol {

void FillHtmlRules(TKeywordList &keywords, TStartStopKeyList &keys)
{
    keywords.BeginUpdate();
    keywords.Clear();
    TKeyStyle tag;
    tag.style = fsBold;
    tag.context = 1;
    tag.color = RGBColor(0, 64, 128);
    keywords.Add(QStringLiteral("<"), tag);
    keywords.Add(QStringLiteral(">"), tag);
    keywords.EndUpdate();

    keys.Clear();
    const QString none;
    keys.Add(QStringLiteral("\""), QStringLiteral("\""), false, RGBColor(0, 128, 192), 0, 0, 2, fsBold, 0);
    keys.Add(QStringLiteral("<!--"), QStringLiteral("-->"), false, RGBColor(128, 128, 128), 0, 0, 2, 0, 0);
    keys.Add(QStringLiteral("//"), none, true, RGBColor(128, 128, 128), 0, 0, 3, 0, 0);
    keys.Add(QStringLiteral("<STYLE>"), QStringLiteral("</STYLE>"), false, RGBColor(0, 0, 128), 0, 0, 5, fsBold, 0);
    keys.Add(QStringLiteral("<DIV>"), QStringLiteral("</DIV>"), false, RGBColor(255, 128, 0), 0, 0, 6, fsBold, 0);
    keys.Add(QStringLiteral("<SCRIPT>"), QStringLiteral("</SCRIPT>"), false, RGBColor(128, 128, 128), 0, 0, 7, fsBold, 0);
    keys.Add(QStringLiteral("{"), QStringLiteral("}"), false, RGBColor(128, 0, 255), 0, 0, 8, fsBold, 0);
    keys.Add(QStringLiteral(">"), QStringLiteral("<"), true, RGBColor(0, 64, 128), 0, 0, 1, fsBold, 0);
}

} // namespace textcontrol
