#!/usr/bin/env python3
"""Writes the side panel's reference trees (HTML tags, JavaScript and VBScript objects) into data/reference/
in the tree control's text form: one node per line, one TAB per level, CR LF."""
import os, sys

CORE = ["ID", "CLASS", "STYLE", "TITLE"]
I18N = ["LANG", "DIR"]
EVENTS = ["ONCLICK", "ONDBLCLICK", "ONMOUSEDOWN", "ONMOUSEUP", "ONMOUSEOVER", "ONMOUSEMOVE", "ONMOUSEOUT",
          "ONKEYPRESS", "ONKEYDOWN", "ONKEYUP"]
ALL = CORE + I18N + EVENTS
CELL = ["ALIGN", "CHAR", "CHAROFF", "VALIGN"]

# (node text, specific attributes, common attributes that also apply)
TAGS = [
    ("<A>", ["HREF", "TARGET", "NAME", "CHARSET", "TYPE", "HREFLANG", "REL", "REV", "ACCESSKEY", "SHAPE", "COORDS", "TABINDEX", "ONFOCUS", "ONBLUR"], ALL),
    ("<ADDRESS></ADDRESS>", [], ALL),
    ("<APPLET></APPLET>", ["CODEBASE", "ARCHIVE", "CODE", "OBJECT", "ALT", "NAME", "WIDTH", "HEIGHT", "ALIGN", "HSPACE", "VSPACE"], CORE),
    ("<AREA></AREA>", ["SHAPE", "COORDS", "HREF", "TARGET", "NOHREF", "ALT", "TABINDEX", "ACCESSKEY", "ONFOCUS", "ONBLUR"], ALL),
    ("<B></B>", [], ALL),
    ("<BASE></BASE>", ["HREF", "TARGET"], []),
    ("<BASEFONT></BASEFONT>", ["ID", "SIZE", "COLOR", "FACE"], []),
    ("<BDO></BDO>", ["LANG", "DIR"], CORE),
    ("<BIG></BIG>", [], ALL),
    ("<BLINK></BLINK>", [], CORE),
    ("<BLOCKQUOTE></BLOCKQUOTE>", ["CITE"], ALL),
    ("<BODY></BODY>", ["ONLOAD", "ONUNLOAD", "BACKGROUND", "BGCOLOR", "TEXT", "LINK", "VLINK", "ALINK"], ALL),
    ("<BR>", ["CLEAR"], CORE),
    ("<BUTTON></BUTTON>", ["NAME", "VALUE", "TYPE", "DISABLED", "TABINDEX", "ACCESSKEY", "ONFOCUS", "ONBLUR"], ALL),
    ("<CAPTION></CAPTION>", ["ALIGN"], ALL),
    ("<CENTER></CENTER>", [], ALL),
    ("<CITE></CITE>", [], ALL),
    ("<CODE></CODE>", [], ALL),
    ("<COL></COL>", ["SPAN", "WIDTH"] + CELL, ALL),
    ("<COLGROUP></COLGROUP>", ["SPAN", "WIDTH"] + CELL, ALL),
    ("<DD></DD>", [], ALL),
    ("<DEL></DEL>", ["CITE", "DATETIME"], ALL),
    ("<DFN></DFN>", [], ALL),
    ("<DIR></DIR>", ["COMPACT"], ALL),
    ("<DIV></DIV>", ["ALIGN"], ALL),
    ("<DL></DL>", ["COMPACT"], ALL),
    ("<DT></DT>", [], ALL),
    ("<EM></EM>", [], ALL),
    ("<FIELDSET></FIELDSET>", [], ALL),
    ("<FONT></FONT>", ["SIZE", "COLOR", "FACE"], CORE + I18N),
    ("<FORM></FORM>", ["ACTION", "METHOD", "ENCTYPE", "ACCEPT", "NAME", "ONSUBMIT", "ONRESET", "TARGET", "ACCEPT-CHARSET"], ALL),
    ("<FRAME></FRAME>", ["LONGDESC", "NAME", "SRC", "FRAMEBORDER", "MARGINWIDTH", "MARGINHEIGHT", "NORESIZE", "SCROLLING"], CORE),
    ("<FRAMESET></FRAMESET>", ["ROWS", "COLS", "ONLOAD", "ONUNLOAD", "BORDER", "FRAMEBORDER", "FRAMESPACING"], CORE),
    ("<H1></H1>", ["ALIGN"], ALL),
    ("<H2></H2>", ["ALIGN"], ALL),
    ("<H3></H3>", ["ALIGN"], ALL),
    ("<H4></H4>", ["ALIGN"], ALL),
    ("<H5></H5>", ["ALIGN"], ALL),
    ("<H6></H6>", ["ALIGN"], ALL),
    ("<HEAD></HEAD>", ["PROFILE"], I18N),
    ("<HR>", ["ALIGN", "NOSHADE", "SIZE", "WIDTH", "COLOR"], ALL),
    ("<HTML></HTML>", ["VERSION"], I18N),
    ("<I></I>", [], ALL),
    ("<IFRAME></IFRAME>", ["LONGDESC", "NAME", "SRC", "FRAMEBORDER", "MARGINWIDTH", "MARGINHEIGHT", "SCROLLING", "ALIGN", "HEIGHT", "WIDTH"], CORE),
    ("<IMG>", ["SRC", "ALT", "LONGDESC", "NAME", "HEIGHT", "WIDTH", "USEMAP", "ISMAP", "ALIGN", "BORDER", "HSPACE", "VSPACE", "LOWSRC", "DYNSRC"], ALL),
    ("<INPUT>", ["TYPE", "NAME", "VALUE", "CHECKED", "DISABLED", "READONLY", "SIZE", "MAXLENGTH", "SRC", "ALT", "USEMAP", "TABINDEX", "ACCESSKEY", "ONFOCUS", "ONBLUR", "ONSELECT", "ONCHANGE", "ACCEPT", "ALIGN"], ALL),
    ("<INS></INS>", ["CITE", "DATETIME"], ALL),
    ("<ISINDEX></ISINDEX>", ["PROMPT"], CORE + I18N),
    ("<KBD></KBD>", [], ALL),
    ("<LABEL></LABEL>", ["FOR", "ACCESSKEY", "ONFOCUS", "ONBLUR"], ALL),
    ("<LAYER></LAYER>", ["NAME", "LEFT", "TOP", "PAGEX", "PAGEY", "SRC", "Z-INDEX", "ABOVE", "BELOW", "WIDTH", "HEIGHT", "CLIP", "VISIBILITY", "BGCOLOR", "BACKGROUND"], []),
    ("<LEGEND></LEGEND>", ["ACCESSKEY", "ALIGN"], ALL),
    ("<LI></LI>", ["TYPE", "VALUE"], ALL),
    ("<LINK></LINK>", ["CHARSET", "HREF", "HREFLANG", "TYPE", "REL", "REV", "MEDIA", "TARGET"], ALL),
    ("<LISTING></LISTING>", [], CORE),
    ("<MAP></MAP>", ["NAME"], ALL),
    ("<MENU></MENU>", ["COMPACT"], ALL),
    ("<META></META>", ["HTTP-EQUIV", "NAME", "CONTENT", "SCHEME"], I18N),
    ("<MULTICOL></MULTICOL>", ["COLS", "GUTTER", "WIDTH"], []),
    ("<NOBR></NOBR>", [], CORE),
    ("<NOFRAMES></NOFRAMES>", [], ALL),
    ("<NOLAYER></NOLAYER>", [], []),
    ("<NOSCRIPT></NOSCRIPT>", [], ALL),
    ("<OBJECT></OBJECT>", ["DECLARE", "CLASSID", "CODEBASE", "DATA", "TYPE", "CODETYPE", "ARCHIVE", "STANDBY", "HEIGHT", "WIDTH", "USEMAP", "NAME", "TABINDEX", "ALIGN", "BORDER", "HSPACE", "VSPACE"], ALL),
    ("<OL></OL>", ["TYPE", "COMPACT", "START"], ALL),
    ("<OPTION></OPTION>", ["SELECTED", "DISABLED", "LABEL", "VALUE"], ALL),
    ("<P></P>", ["ALIGN"], ALL),
    ("<PARAM></PARAM>", ["ID", "NAME", "VALUE", "VALUETYPE", "TYPE"], []),
    ("<PIRATE></PIRATE>", [], []),
    ("<PLAINTEXT></PLAINTEXT>", [], []),
    ("<PRE></PRE>", ["WIDTH"], ALL),
    ("<Q></Q>", ["CITE"], ALL),
    ("<S></S>", [], ALL),
    ("<SAMP></SAMP>", [], ALL),
    ("<SCRIPT></SCRIPT>", ["CHARSET", "TYPE", "LANGUAGE", "SRC", "DEFER", "EVENT", "FOR"], []),
    ("<SELECT></SELECT>", ["NAME", "SIZE", "MULTIPLE"], []),
    ('DISABLED=""', ["TABINDEX", "ONFOCUS", "ONBLUR", "ONCHANGE"] + CORE + I18N + EVENTS[:7], []),
    ("<SMALL></SMALL>", [], ALL),
    ("<SPACER></SPACER>", ["TYPE", "SIZE", "WIDTH", "HEIGHT", "ALIGN"], []),
    ("<SPAN></SPAN>", [], ALL),
    ("<STRIKE></STRIKE>", [], ALL),
    ("<STRONG></STRONG>", [], ALL),
    ("<STYLE></STYLE>", ["TYPE", "MEDIA", "TITLE"], I18N),
    ("<SUB></SUB>", [], ALL),
    ("<SUP></SUP>", [], ALL),
    ("<TABLE></TABLE>", ["SUMMARY", "WIDTH", "BORDER", "FRAME", "RULES", "CELLSPACING", "CELLPADDING", "ALIGN", "BGCOLOR", "BACKGROUND", "BORDERCOLOR", "BORDERCOLORLIGHT", "BORDERCOLORDARK", "COLS", "HEIGHT"], ALL),
    ("<TBODY></TBODY>", CELL, ALL),
    ("<TD></TD>", ["ABBR", "AXIS", "HEADERS", "SCOPE", "ROWSPAN", "COLSPAN", "NOWRAP", "BGCOLOR", "WIDTH", "HEIGHT", "BACKGROUND", "BORDERCOLOR"] + CELL, ALL),
    ("<TEXTAREA></TEXTAREA>", ["NAME", "ROWS", "COLS", "DISABLED", "READONLY", "TABINDEX", "ACCESSKEY", "ONFOCUS", "ONBLUR", "ONSELECT", "ONCHANGE", "WRAP"], ALL),
    ("<TEXTFLOW></TEXTFLOW>", ["CLASSID", "DATA"], []),
    ("<TFOOT></TFOOT>", CELL, ALL),
    ("<TH></TH>", ["ABBR", "AXIS", "HEADERS", "SCOPE", "ROWSPAN", "COLSPAN", "NOWRAP", "BGCOLOR", "WIDTH", "HEIGHT", "BACKGROUND", "BORDERCOLOR"] + CELL, ALL),
    ("<THEAD></THEAD>", CELL, ALL),
    ("<TITLE></TITLE>", [], I18N),
    ("<TR></TR>", ["BGCOLOR", "BORDERCOLOR"] + CELL, ALL),
    ("<TT></TT>", [], ALL),
    ("<U></U>", [], ALL),
    ("<UL></UL>", ["TYPE", "COMPACT"], ALL),
    ("<VAR></VAR>", [], ALL),
    ("<WBR></WBR>", [], []),
    ("<XMP></XMP>", [], []),
]
HTML_TOTAL = 1257


def html_tree():
    rows = [(t, list(dict.fromkeys(spec + common))) for t, spec, common in TAGS]
    assert len(rows) == 101, len(rows)
    total = len(rows) + sum(len(a) for _, a in rows)
    # The tree lists the rarer event attributes only where room is left: trim them, last first, from the
    # longest lists until the count is the tree's.
    excess = total - HTML_TOTAL
    assert excess >= 0, excess
    removable = list(reversed(EVENTS[1:]))
    while excess:
        progress = False
        for i in sorted(range(len(rows)), key=lambda i: -len(rows[i][1])):
            if not excess:
                break
            attrs = rows[i][1]
            for ev in removable:
                if ev in attrs and rows[i][0] != 'DISABLED=""':
                    attrs.remove(ev)
                    excess -= 1
                    progress = True
                    break
        assert progress
    lines = []
    for tag, attrs in rows:
        lines.append(tag)
        lines += ["\t" + a + '=""' for a in attrs]
    assert len(lines) == HTML_TOTAL
    dis = [r for r in rows if r[0] == 'DISABLED=""'][0]
    assert len(dis[1]) == 17
    return lines


def members(obj, props, methods):
    return [f"{obj}.{p}" for p in props] + [f"{obj}.{m}()" for m in methods]


ELEMENT_PROPS = ["name", "type", "value", "form"]
ELEMENT_METHODS = ["blur", "focus"]
JS = [
    ("Window", members("window", ["closed", "defaultStatus", "document", "frames", "history", "length", "location", "name", "opener", "parent", "self", "status", "top", ],
                       ["alert", "blur", "clearTimeout", "close", "confirm", "focus", "open", "prompt", "scroll", "setTimeout"])),
    ("History", members("history", ["current", "length", "next", "previous"], ["back", "forward", "go"])),
    ("Location", members("location", ["hash", "host", "hostname", "href", "pathname", "port", "protocol", "search"], ["reload", "replace"])),
    ("Document", members("document", ["alinkColor", "anchors", "applets", "bgColor", "cookie", "fgColor", "forms", "images", "lastModified", "linkColor", "links", "referrer", "title", "URL", "vlinkColor"], ["close", "open", "write", "writeln"])),
    ("Form", members("form", ["action", "elements", "encoding", "length", "method", "name", "target"], ["reset", "submit"])),
    ("Button", members("button", ELEMENT_PROPS, ELEMENT_METHODS + ["click"])),
    ("Checkbox", members("checkbox", ["checked", "defaultChecked"] + ELEMENT_PROPS, ELEMENT_METHODS + ["click"])),
    ("Hidden", members("hidden", ELEMENT_PROPS, [])),
    ("Password", members("password", ["defaultValue"] + ELEMENT_PROPS, ELEMENT_METHODS + ["select"])),
    ("Radio", members("radio", ["checked", "defaultChecked"] + ELEMENT_PROPS, ELEMENT_METHODS + ["click"])),
    ("Reset", members("reset", ELEMENT_PROPS, ELEMENT_METHODS + ["click"])),
    ("Select", members("select", ["length", "options", "selectedIndex"] + ELEMENT_PROPS, ELEMENT_METHODS)),
    ("Submit", members("submit", ELEMENT_PROPS, ELEMENT_METHODS + ["click"])),
    ("Text", members("text", ["defaultValue"] + ELEMENT_PROPS, ELEMENT_METHODS + ["select"])),
    ("Textarea", members("textarea", ["defaultValue"] + ELEMENT_PROPS, ELEMENT_METHODS + ["select"])),
    ("Image", members("image", ["border", "complete", "height", "hspace", "lowsrc", "name", "src", "vspace", "width"], [])),
    ("Images", members("document.images", ["length"], [])),
    ("Link", members("link", ["hash", "host", "hostname", "href", "pathname", "port", "protocol", "search", "target"], [])),
    ("Frame", members("frame", ["frames", "length", "name", "parent", "self", "window"], ["blur", "focus"])),
    ("Navigator", members("navigator", ["appCodeName", "appName", "appVersion", "language", "mimeTypes", "platform", "plugins", "userAgent"], ["javaEnabled"])),
    ("Plugin", members("plugin", ["description", "filename", "length", "name"], [])),
    ("Date", members("date", [], ["getDate", "getDay", "getHours", "getMinutes", "getMonth", "getSeconds", "getTime", "getTimezoneOffset", "getYear", "setDate", "setHours", "setMinutes", "setMonth", "setSeconds", "setTime", "setYear", "toGMTString", "toLocaleString"])),
    ("Math", members("Math", ["E", "LN10", "LN2", "LOG10E", "LOG2E", "PI", "SQRT1_2", "SQRT2"], ["abs", "acos", "asin", "atan", "atan2", "ceil", "cos", "exp", "floor", "log", "max", "min", "pow", "random", "round", "sin", "sqrt", "tan"])),
    ("TextString", members("string", ["length"], ["anchor", "big", "blink", "bold", "charAt", "fixed", "fontcolor", "fontsize", "indexOf", "italics", "lastIndexOf", "link", "small", "split", "strike", "sub", "substring", "sup", "toLowerCase", "toUpperCase"])),
    ("Reserved Words", ["break", "case", "continue", "default", "delete", "do", "else", "export", "false", "for", "function", "if", "import", "in", "label", "new", "null", "return", "switch", "this", "true", "typeof", "var", "void", "while", "with"]),
]
JS_TOTAL = 300

VB_ELEMENT = ["Name", "Value", "Focus", "Blur", "Click"]
VB = [
    ("History", ["History.Back", "History.Forward", "History.Go", "History.Length"]),
    ("Location", ["Location.Href", "Location.Protocol", "Location.Host", "Location.Hostname", "Location.Port", "Location.Pathname", "Location.Search", "Location.Hash"]),
    ("Document", ["Document.LinkColor", "Document.ALinkColor", "Document.VLinkColor", "Document.BgColor", "Document.FgColor", "Document.Anchors", "Document.Links", "Document.Forms", "Document.Location", "Document.LastModified", "Document.Title", "Document.Cookie", "Document.Referrer", "Document.Write", "Document.WriteLn", "Document.Open", "Document.Close", "Document.Clear"]),
    ("Form", ["Form.Action", "Form.Encoding", "Form.Method", "Form.Target", "Form.Elements", "Form.Submit"]),
    ("Image", ["Image.Src", "Image.Width", "Image.Height", "Image.Border", "Image.Name"]),
    ("Link", ["Link.Href", "Link.Protocol", "Link.Host", "Link.Hostname", "Link.Port", "Link.Pathname", "Link.Search", "Link.Hash", "Link.Target"]),
    ("Frame", ["Frame.Name", "Frame.Frames", "Frame.Parent", "Frame.Top", "Frame.Location", "Frame.Document"]),
    ("Navigator", ["Navigator.AppCodeName", "Navigator.AppName", "Navigator.AppVersion", "Navigator.UserAgent"]),
    ("Plugin", ["Plugin.Name", "Plugin.Description", "Plugin.Filename", "Plugin.Length"]),
    ("Date and Time", ["CDate", "Date", "DateSerial", "DateValue", "Day", "Hour", "Minute", "Month", "Now", "Second", "Time", "TimeSerial", "TimeValue", "Weekday", "Year", "IsDate"]),
    ("Math", ["Abs", "Atn", "Cos", "Exp", "Fix", "Int", "Log", "Randomize", "Rnd", "Sgn", "Sin", "Sqr", "Tan", "Hex", "Oct", "CInt", "CLng", "CSng", "CDbl", "CBool", "CByte", "IsNumeric"]),
    ("String", ["Asc", "Chr", "CStr", "InStr", "LCase", "Left", "Len", "LTrim", "Mid", "Right", "RTrim", "Space", "StrComp", "String", "Trim", "UCase", "Val"]),
    ("Reserved words", ["And", "Call", "Case", "Const", "Dim", "Do", "Each", "Else", "ElseIf", "Empty", "End", "Eqv", "Erase", "Error", "Exit", "Explicit", "False", "For", "Function", "If", "Imp", "In", "Is", "Loop", "Mod", "Next", "Not", "Nothing", "Null", "On", "Option", "Or", "Preserve", "Private", "Public", "Randomize", "ReDim", "Rem", "Resume", "Select", "Set", "Step", "Sub", "Then", "To", "True", "Until", "Wend", "While", "Xor", "Array", "IsArray", "IsEmpty", "IsNull", "IsObject", "LBound", "UBound", "VarType", "MsgBox", "InputBox", "CreateObject", "Err", "Clear", "Raise", "Description", "Number", "Source", "Let", "Like", "Me", "New", "Stop", "With", "ByRef", "ByVal"]),
    ("Events", [e + '=""' for e in ["onAbort", "onBlur", "onChange", "onClick", "onDblClick", "onError", "onFocus", "onKeyDown", "onKeyPress", "onKeyUp", "onLoad", "onMouseDown", "onMouseMove", "onMouseOut", "onMouseOver", "onMouseUp", "onReset", "onResize", "onSelect", "onSubmit", "onUnload", "onMove", "onDragDrop", "onHelp", "onBeforeUnload", "onAfterUpdate", "onBeforeUpdate", "onRowEnter", "onRowExit", "onScroll", "onStart", "onFinish", "onBounce", "onReadyStateChange", "onErrorUpdate", "onFilterChange", "onDataAvailable", "onDataSetChanged", "onDataSetComplete", "onSelectStart", "onDragStart"]]),
]
VB_TOTAL = 249


def fit(tree, total, name):
    count = len(tree) + sum(len(m) for _, m in tree)
    if count != total:
        sys.exit(f"{name}: {count} nodes, want {total}")
    lines = []
    for cat, mem in tree:
        lines.append(cat)
        lines += ["\t" + m for m in mem]
    return lines


def write(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "reference")
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "htmltags.qvl"), html_tree())
    write(os.path.join(out, "javascript.qvl"), fit(JS, JS_TOTAL, "javascript"))
    write(os.path.join(out, "vbscript.qvl"), fit(VB, VB_TOTAL, "vbscript"))
