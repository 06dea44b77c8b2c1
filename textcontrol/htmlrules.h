#pragma once
// The document window's HTML highlighting: two bold keywords and the start/stop pairs for strings,
// comments, line comments, style, div and script blocks, braces and the text between tags.
namespace textcontrol {

class TKeywordList;
class TStartStopKeyList;

void FillHtmlRules(TKeywordList &keywords, TStartStopKeyList &keys);

} // namespace textcontrol
