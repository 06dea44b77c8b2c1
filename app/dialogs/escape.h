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
// A path of the file system (folders and a file, "/" between them) as the path of an address, so that a
// browser asks for the file by its name: what would end the path or change it ("?", "#", "%", the
// backslash, a colon, which could read as a scheme), what a browser drops or trims (line ends, tabs,
// other control characters, blanks) and what cannot stand in an address ("<", ">", quotes) are
// percent-encoded; so is ";", so that an "&" of the name never reads as a character reference. Letters
// beyond ASCII stay as they are: a browser encodes them as UTF-8.
QString UrlPath(const QString &path);
// The inside of a JavaScript string in single or double quotes: backslashes, quotes and line ends are
// escaped, and "</" cannot end the script element the string sits in.
QString JsString(const QString &value);
// The inside of a VBScript string in double quotes: a quote is doubled, and a line end, which a string
// cannot hold, leaves it for vbCrLf.
QString VbsString(const QString &value);

} // namespace dialogs
