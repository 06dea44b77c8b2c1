// The edit primitive: every change of the text goes through ReplaceRange.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include "platform/error.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

QString EndsAsLoaded(QStringView text) { return EndsAreCrLf(text) ? text.toString() : EndsAsCrLf(text); }

// ---- edit primitive -------------------------------------------------------------------------------------

int TextDocument::ReplaceRange(int lower, int upper, QStringView textIn, bool keepCodes)
{
    return ReplaceRange(lower, upper, textIn, keepCodes, nullptr);
}

int TextDocument::ReplaceRange(int lower, int upper, QStringView textIn, bool keepCodes, const QString *knownRemoved)
{
    // Places outside the text are its ends.
    lower = std::clamp(lower, 0, CharCount());
    upper = std::clamp(upper, 0, CharCount());
    if (upper < lower)
        std::swap(lower, upper);
    int p0 = text_.ParagraphAt(lower), p1 = text_.ParagraphAt(upper);
    int i0 = lower - text_.Start(p0), i1 = upper - text_.Start(p1);
    // A range never splits a paragraph end: an end between CR and LF takes in the whole of it, and a
    // caret there stands before the CR.
    const bool collapsed = lower == upper;
    if (i0 > text_.Length(p0)) {
        i0 = text_.Length(p0);
        --lower;
        if (collapsed) {
            upper = lower;
            p1 = p0;
            i1 = i0;
        }
    }
    if (!collapsed && i1 > text_.Length(p1) && p1 + 1 < ParagraphCount()) {
        ++p1;
        i1 = 0;
        ++upper;
    }
    i0 = std::min(i0, text_.Length(p0));
    i1 = std::min(i1, text_.Length(p1));
    const bool hadSelection = upper > lower;
    if (!hadSelection && textIn.isEmpty())
        return -1;

    // The text is copied only when something in it must change. A CR ends a paragraph (with the LF right
    // after it); a LF alone is a character of its paragraph.
    QString owned;
    QStringView t = textIn;
    if (HasLoneCr(t)) {
        owned = LoneCrAsCrLf(t);
        t = owned;
    }
    quint8 toggle = 0;
    auto toggleIn = [&toggle](const auto *s, qsizetype a, qsizetype e) { toggle = CodesToggled(toggle, s, a, e); };
    if (t.contains(QChar(5))) {
        if (owned.isEmpty())
            owned = t.toString();
        owned.replace(QChar(5), QChar(165));
        t = owned;
    }
    toggleIn(t.utf16(), 0, t.size());
    const bool keepText = KeepsForUndo(upper - lower);
    QString removed;
    if (keepText) {
        removed = knownRemoved && knownRemoved->size() == upper - lower ? *knownRemoved : text_.Copy(lower, upper);
        toggleIn(removed.utf16(), 0, removed.size());
    } else {
        for (int p = p0; p <= p1; ++p) {
            const ParaText pt = text_.Text(p);
            const int a = p == p0 ? i0 : 0, e = p == p1 ? i1 : pt.length;
            if (pt.narrow)
                toggleIn(pt.narrow, a, e);
            else
                toggleIn(pt.wide, a, e);
        }
    }
    if (!keepCodes && toggle) {
        if (owned.isEmpty() || t.data() != owned.constData())
            owned = t.toString();
        CloseStyleCodes(owned, toggle);
        t = owned;
    }
    if (qint64(CharCount()) - (upper - lower) + t.size() > maxLength_)
        throw platform::Error(QString::fromLatin1(kTextTooLong));
    const int inserted = int(t.size());

    const quint8 oldFlags = text_.Flags(p0);
    const int oldCount = p1 - p0 + 1;
    const int pieces = text_.Replace(p0, i0, p1, i1, t);
    if (pieces == 0)
        return -1; // refused: nothing changed, so nothing to undo
    modified_ = true;
    ++editSerial_;
    ++textSerial_;
    if (keepText)
        RecordUndo(lower, upper, inserted, removed);
    else if (!undoing_)
        ClearUndo(); // such an edit could never be undone whole
    forceNewRecord_ = false;
    const int delta = inserted - (upper - lower);
    AdjustNavigators(lower, upper, delta);
    ctxMark_ = std::min(ctxMark_, p0 - 1);
    Unhighlighted(p0);
    const TextChange change{lower, upper, inserted, p0, oldCount, pieces, i0, i1};
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->TextReplaced(change);

    const int last = p0 + pieces - 1;
    const bool incremental = pieces == 1 && oldCount == 1 && !highlighter_ && text_.Length(p0) > kIncrementalLength;
    if (incremental && (oldFlags & pfContexts)) {
        int rebuilt = 0;
        const int settled = ResumeStartStop(p0, i0, i0 + inserted, rebuilt);
        if (applyKeyWords_ && (oldFlags & pfKeywords))
            KeywordPass(p0, rebuilt, settled);
        else
            text_.SetFlags(p0, text_.Flags(p0) & quint8(~pfKeywords));
        for (size_t i = 0; i < observers_.size(); ++i)
            observers_[i]->EditHighlighted(change, settled);
    } else if (oldFlags & pfContexts) {
        const int now = std::min(last, p0 + kEditAtOnce - 1);
        for (int p = p0; p <= now; ++p) {
            if (highlighter_) {
                TRiloNavigator a(this), b(this);
                a.offset_ = text_.Start(p);
                b.offset_ = text_.Start(p) + text_.Length(p);
                HighlightRange(a, b);
            } else {
                StartStopPass(p, 0, false);
            }
        }
        if (applyKeyWords_ && (oldFlags & pfKeywords))
            for (int p = p0; p <= now; ++p)
                KeywordPass(p, 0, text_.Length(p));
    }
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->Parsed(lower, lower + inserted);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->EditDone();
    return lower + inserted;
}

} // namespace textcontrol
