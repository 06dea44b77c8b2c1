#pragma once
// Text from outside (typed values, file names, titles) made safe for the place it goes. Each helper
// escapes for one place only: a value that goes into a script string inside an attribute goes through
// both, innermost first.
#include <QString>

namespace dialogs {

// The value of an attribute in double quotes: quotes and bare ampersands become references; a character
// reference the user typed (&amp; &#233; &copy;) stays as it is.
QString HtmlAttribute(const QString &value);
// Text between tags shown as it reads: angle brackets and ampersands become references.
QString HtmlText(const QString &text);
// A value in the query of an address: the characters that would end it or start the next value ("&", "#")
// and the percent sign, which would start an escape, are percent-encoded; the rest stays as typed.
QString UrlQueryValue(const QString &value);
// The inside of a JavaScript string in single or double quotes: backslashes, quotes and line ends are
// escaped, and "</" cannot end the script element the string sits in.
QString JsString(const QString &value);
// The inside of a VBScript string in double quotes: a quote is doubled, and a line end, which a string
// cannot hold, leaves it for vbCrLf.
QString VbsString(const QString &value);

} // namespace dialogs
