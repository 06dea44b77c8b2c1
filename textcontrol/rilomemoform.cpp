// Reading the control's stored form back: what WriteProperties wrote, and what older forms hold besides.
#include "platform/error.h"
#include "platform/formstream.h"
#include "textcontrol/rilomemo.h"
#include "textcontrol/rilostrings.h"

#include <QHash>
#include <optional>

namespace textcontrol {

namespace {

[[noreturn]] void Bad(const QString &name)
{
    throw platform::StreamError(QStringLiteral("Invalid property value (%1)").arg(name));
}

// Each stored value once, the last of a name winning, as a reader over its own bytes.
class StoredValues {
public:
    explicit StoredValues(platform::FormReader &r)
    {
        while (!r.AtEnd()) {
            const QString name = r.ReadString();
            values_.insert(name, r.ReadRawValue());
        }
    }
    bool Has(const QString &name) const { return values_.contains(name); }
    platform::FormReader Reader(const QString &name) const { return platform::FormReader(values_.value(name)); }
    std::optional<qint64> Integer(const char *n, qint64 lo, qint64 hi) const
    {
        const QString name = QString::fromLatin1(n);
        if (!Has(name))
            return std::nullopt;
        platform::FormReader r = Reader(name);
        const qint64 v = r.ReadInteger();
        if (v < lo || v > hi)
            Bad(name);
        return v;
    }
    std::optional<TColor> Color(const char *n) const
    {
        const auto v = Integer(n, std::numeric_limits<qint32>::min(), std::numeric_limits<quint32>::max());
        return v ? std::optional<TColor>(TColor(quint32(*v))) : std::nullopt;
    }
    std::optional<bool> Boolean(const char *n) const
    {
        const QString name = QString::fromLatin1(n);
        if (!Has(name))
            return std::nullopt;
        platform::FormReader r = Reader(name);
        return r.ReadBool();
    }
    std::optional<QString> String(const char *n) const
    {
        const QString name = QString::fromLatin1(n);
        if (!Has(name))
            return std::nullopt;
        platform::FormReader r = Reader(name);
        return r.ReadString();
    }

private:
    QHash<QString, QByteArray> values_;
};

} // namespace

void TRiloMemo::ReadProperties(platform::FormReader &r)
{
    // Everything is read and checked first: a damaged form leaves the control as it was.
    const StoredValues v(r);
    constexpr qint64 kInt = std::numeric_limits<int>::max();
    const auto left = v.Integer("Left", -kInt, kInt), top = v.Integer("Top", -kInt, kInt);
    const auto w = v.Integer("Width", 0, 1 << 20), h = v.Integer("Height", 0, 1 << 20);
    const auto alignment = v.Integer("Alignment", 0, 2);
    const auto border = v.Integer("BorderStyle", 0, 1);
    const auto hideSelection = v.Boolean("HideSelection");
    const auto scrollBars = v.Integer("ScrollBars", 0, 3);
    const auto tabStop = v.Integer("TabStop", 0, 1);
    const auto wantTabs = v.Boolean("WantTabs"), wordWrap = v.Boolean("WordWrap");
    std::optional<QFont> altFont;
    if (const auto s = v.String("AltFont")) {
        QFont f;
        if (!s->isEmpty() && !f.fromString(*s))
            Bad(QStringLiteral("AltFont"));
        altFont = f;
    }
    const auto applyKeyWords = v.Boolean("ApplyKeyWords"), applyStartStop = v.Boolean("ApplyStartStopKeys");
    const auto caretWidth = v.Integer("CaretWidth", 0, 255);
    const auto displayOnly = v.Boolean("DisplayOnly"), enableHotKeys = v.Boolean("EnableHotKeys");
    const auto markColor = v.Color("EndOfTextMark.Color");
    const auto markWidth = v.Integer("EndOfTextMark.Width", 0, 255);
    const auto highlightBackgnd = v.Color("HighlightBackgnd"), highlightColor = v.Color("HighlightColor");
    const auto justified = v.Boolean("Justified");
    const auto leftMargin = v.Integer("LeftMargin", -kInt, kInt), rightMargin = v.Integer("RightMargin", -kInt, kInt);
    const auto lineHeight = v.Integer("LineHeight", -kInt, 1 << 16);
    const auto nullReplacement = v.Integer("NullReplacement", 0, 0xFFFF);
    const auto options = v.Integer("Options", 0, 0xFFFF);
    const auto overwrite = v.Boolean("Overwrite"), passOverCodes = v.Boolean("PassOverCodes");
    const auto readOnly = v.Boolean("ReadOnly"), showEndPar = v.Boolean("ShowEndParSelected");
    const auto separators = v.String("Separators");
    const auto tabStops = v.Integer("TabStops", 1, 1 << 16);
    const auto undoMaxSpace = v.Integer("UndoMaxSpace", 0, kInt);
    const auto undoMaxLevel = v.Integer("UndoMaxLevel", 0, 134217727);
    const auto updateMode = v.Integer("UpdateMode", 0, 2);
    const auto color = v.Color("Color");
    // The lists go through their own readers once on copies, so that a bad one is found here.
    if (v.Has(QStringLiteral("Keywords.Strings"))) {
        platform::FormReader kr = v.Reader(QStringLiteral("Keywords.Strings"));
        TKeywordList check;
        check.ReadData(kr);
    }
    if (v.Has(QStringLiteral("StartStopKeys.Keys"))) {
        platform::FormReader kr = v.Reader(QStringLiteral("StartStopKeys.Keys"));
        TStartStopKeyList check;
        check.ReadData(kr);
    }
    std::optional<QString> text;
    if (v.Has(QStringLiteral("Lines.Strings"))) {
        platform::FormReader lr = v.Reader(QStringLiteral("Lines.Strings"));
        MemoCore scratch;
        scratch.Lines().ReadData(lr);
        text = scratch.Text();
    }

    if (left || top || w || h)
        setGeometry(int(left.value_or(x())), int(top.value_or(y())), int(w.value_or(width())), int(h.value_or(height())));
    if (border)
        SetBorderStyle(TBorderStyle(*border));
    if (hideSelection)
        SetHideSelection(*hideSelection);
    if (scrollBars)
        SetScrollBars(TScrollStyle(*scrollBars));
    if (tabStop)
        setFocusPolicy(*tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    if (wantTabs)
        SetWantTabs(*wantTabs);
    if (altFont)
        SetAltFont(*altFont);
    if (applyKeyWords)
        SetApplyKeyWords(*applyKeyWords);
    if (applyStartStop)
        SetApplyStartStopKeys(*applyStartStop);
    if (caretWidth)
        SetCaretWidth(int(*caretWidth));
    if (displayOnly)
        SetDisplayOnly(*displayOnly);
    if (enableHotKeys)
        SetEnableHotKeys(*enableHotKeys);
    if (markColor)
        SetEndOfTextMarkColor(*markColor);
    if (markWidth) {
        QPen pen = EndOfTextMark();
        pen.setWidth(int(*markWidth));
        SetEndOfTextMark(pen);
    }
    if (highlightBackgnd)
        SetHighlightBackgnd(*highlightBackgnd);
    if (highlightColor)
        SetHighlightColor(*highlightColor);
    if (justified)
        SetJustified(*justified);
    if (v.Has(QStringLiteral("Keywords.Strings"))) {
        platform::FormReader kr = v.Reader(QStringLiteral("Keywords.Strings"));
        Keywords().ReadData(kr);
    }
    if (leftMargin)
        SetLeftMargin(int(*leftMargin));
    if (rightMargin)
        SetRightMargin(int(*rightMargin));
    if (lineHeight)
        SetLineHeight(int(*lineHeight));
    if (nullReplacement)
        SetNullReplacement(QChar(char16_t(*nullReplacement)));
    if (options)
        SetOptions(TRiloMemoOptions(*options));
    if (overwrite)
        SetOverwrite(*overwrite);
    if (passOverCodes)
        SetPassOverCodes(*passOverCodes);
    if (readOnly)
        SetReadOnly(*readOnly);
    if (separators)
        SetSeparators(*separators);
    if (showEndPar)
        SetShowEndParSelected(*showEndPar);
    if (v.Has(QStringLiteral("StartStopKeys.Keys"))) {
        platform::FormReader kr = v.Reader(QStringLiteral("StartStopKeys.Keys"));
        StartStopKeys().ReadData(kr);
    }
    if (tabStops)
        SetTabStops(int(*tabStops));
    if (undoMaxSpace)
        SetUndoMaxSpace(int(*undoMaxSpace));
    if (undoMaxLevel)
        SetUndoMaxLevel(int(*undoMaxLevel));
    if (updateMode)
        SetUpdateMode(TUpdateMode(*updateMode));
    if (color)
        SetColor(*color);
    // Alignment and word wrap last: each reformats what is there.
    if (alignment)
        SetAlignment(TAlignment(*alignment));
    if (wordWrap)
        SetWordWrap(*wordWrap);
    if (text)
        SetTextBuf(*text);
    Loaded();
}

} // namespace textcontrol
