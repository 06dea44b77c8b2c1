# Reads a JSON list of HTML texts on stdin and writes, for each, its shape as an HTML parser reads it: the
# start and end tags with their attributes and the text between them, character references resolved. A
# query in an address is percent-decoded, so that a value is compared as the server gets it (a "%" that
# starts no escape makes it "(stray %)"). Script and
# style contents and event attributes are left as "(script)": they are checked by the script tests.
import html.parser
import json
import re
import sys
import urllib.parse


class Shape(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.items = []
        self.raw = False

    def attributes(self, attrs):
        out = []
        for name, value in attrs:
            value = "" if value is None else value
            if name.startswith("on") or value.lower().startswith("javascript:"):
                value = "(script)"
            elif "?" in value:
                address, query = value.split("?", 1)
                if re.search("%(?![0-9A-Fa-f]{2})", query):
                    value = address + "?(stray %)"
                else:
                    value = address + "?" + urllib.parse.unquote(query)
            out.append([name, value])
        return out

    def handle_starttag(self, tag, attrs):
        self.items.append(["start", tag, self.attributes(attrs)])
        self.raw = tag in ("script", "style")

    def handle_startendtag(self, tag, attrs):
        self.items.append(["start", tag, self.attributes(attrs)])

    def handle_endtag(self, tag):
        self.items.append(["end", tag])
        self.raw = False

    def handle_data(self, data):
        if self.raw:
            data = "(script)"
        if self.items and self.items[-1][0] == "text":
            if not self.raw:
                self.items[-1][1] += data
        else:
            self.items.append(["text", data])

    def handle_comment(self, data):
        self.items.append(["comment", data])

    def handle_decl(self, decl):
        self.items.append(["decl", decl])

    def handle_pi(self, data):
        self.items.append(["pi", data])


shapes = []
for text in json.load(sys.stdin):
    p = Shape()
    p.feed(text)
    p.close()
    shapes.append(p.items)
json.dump(shapes, sys.stdout)
