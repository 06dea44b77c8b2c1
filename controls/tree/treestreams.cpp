// The stored forms of the node collection: the binary record stream and the TAB-indented text.
#include "zozezo.h"

#include "platform/formstream.h"
#include "platform/textfile.h"

#include <QStringDecoder>
#include <algorithm>
#include <QtEndian>
#include <utility>
#include <vector>

namespace tree {

namespace {

constexpr int MinRecord = 88;
constexpr int MaxRecord = 343;
// The least a node block can take: its length and the shortest record.
constexpr int MinBlock = 4 + MinRecord;

[[noreturn]] void badStream(const QString &what)
{
    throw platform::StreamError(QStringLiteral("Invalid tree data: %1").arg(what));
}

void putInt32(char *p, qint32 v)
{
    qToLittleEndian<qint32>(v, p);
}

qint32 getInt32(const char *p)
{
    return qFromLittleEndian<qint32>(p);
}

void appendInt32(QByteArray &out, qint32 v)
{
    char b[4];
    putInt32(b, v);
    out.append(b, 4);
}

// Checks the whole stream from pos: lengths, counts and that nothing is cut off. Iterative, as the
// nesting can be as deep as the data is long.
void validateRecordStream(const QByteArray &data, qsizetype pos)
{
    const qsizetype size = data.size();
    const char *d = data.constData();
    if (size - pos < 5)
        badStream(QStringLiteral("the data ends early"));
    if (quint8(d[pos]) > 3)
        badStream(QStringLiteral("check type %1").arg(quint8(d[pos])));
    ++pos;
    const qint32 top = getInt32(d + pos);
    pos += 4;
    if (top < 0 || top > (size - pos) / MinBlock)
        badStream(QStringLiteral("node count %1").arg(top));
    std::vector<qint32> pending{top};
    while (!pending.empty()) {
        if (pending.back() == 0) {
            pending.pop_back();
            continue;
        }
        --pending.back();
        if (size - pos < 4)
            badStream(QStringLiteral("the data ends early"));
        const qint32 length = getInt32(d + pos);
        pos += 4;
        if (length < MinRecord || length > MaxRecord)
            badStream(QStringLiteral("record length %1").arg(length));
        if (size - pos < length)
            badStream(QStringLiteral("the data ends early"));
        const char *rec = d + pos;
        pos += length;
        if (MinRecord + quint8(rec[87]) > length)
            badStream(QStringLiteral("text longer than its record"));
        const quint8 checkState = quint8(rec[20]);
        if (checkState != 0 && checkState != 1 && checkState != 3)
            badStream(QStringLiteral("check state %1").arg(checkState));
        if (quint8(rec[21]) > 3)
            badStream(QStringLiteral("check type %1").arg(quint8(rec[21])));
        if (rec[38] == 0 && quint8(rec[50]) > 31)
            badStream(QStringLiteral("font name length %1").arg(quint8(rec[50])));
        const qint32 children = getInt32(rec + 29);
        if (children < 0 || children > (size - pos) / MinBlock)
            badStream(QStringLiteral("child count %1").arg(children));
        pending.push_back(children);
    }
}

// The stored font height of a Qt font (negative: character height in pixels at 96 dpi).
qint32 fontHeight(const QFont &font)
{
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    if (font.pointSizeF() > 0)
        return -qRound(font.pointSizeF() * 96.0 / 72.0);
    return 0;
}

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (quint8(c) >= 0x80)
            return false;
    return true;
}

bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = decoder(bytes);
    return !decoder.hasError();
}

// A line is blank when it holds only TABs and spaces.
bool blankLine(QStringView line)
{
    for (QChar c : line)
        if (c != u'\t' && c != u' ')
            return false;
    return true;
}

} // namespace

QByteArray EncodeNodeText(const QString &original, bool *singleByte)
{
    // Half a surrogate pair has no bytes in any encoding: it becomes the replacement character.
    QString text = original;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar(QChar::ReplacementCharacter);
    }
    QByteArray out;
    bool single = platform::ToWindows1252(text, &out);
    // Single bytes that a reader would take for UTF-8 or for a byte order mark are not written.
    if (single && !isAscii(out))
        single = !out.startsWith("\xFF\xFE") && !out.startsWith("\xFE\xFF") && !out.startsWith("\xEF\xBB\xBF") &&
                 !validUtf8(out);
    if (!single)
        out = text.toUtf8();
    if (singleByte)
        *singleByte = single;
    return out;
}

QString DecodeNodeText(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    if (!decoder.hasError())
        return text;
    return platform::FromWindows1252(bytes);
}

namespace {

// A record holds at most 255 bytes of a node's text and 31 of its font's name. A text is cut by
// characters and the shorter text encoded anew: cut bytes of one byte a character could read back as
// UTF-8 once the bytes that made them invalid UTF-8 are gone, and cut UTF-8 would not read back as
// UTF-8 at all, and then the node would come back with other text.
QByteArray EncodeRecordText(const QString &text, qsizetype limit)
{
    QByteArray bytes = EncodeNodeText(text);
    // Every character takes a byte at least.
    qsizetype n = std::min<qsizetype>(text.size(), limit);
    while (bytes.size() > limit) {
        // Never half a surrogate pair.
        if (n > 0 && text[n - 1].isHighSurrogate())
            --n;
        bytes = EncodeNodeText(text.left(n));
        // A character takes four bytes at most: drop no more than the excess needs.
        n = std::min(n - 1, n - (bytes.size() - limit) / 4);
    }
    return bytes;
}

} // namespace

qint32 TTreeRecordReader::ReadInt32()
{
    const qint32 v = getInt32(data_.constData() + pos_);
    pos_ += 4;
    return v;
}

quint8 TTreeRecordReader::ReadByte()
{
    return quint8(data_[pos_++]);
}

QByteArray TTreeRecordReader::ReadBytes(qsizetype n)
{
    const QByteArray b = data_.mid(pos_, n);
    pos_ += n;
    return b;
}

// ---------------------------------------------------------------------------------------------------
// Node records

void TZozeZONode::WriteData(QByteArray &stream) const
{
    const QByteArray text = EncodeRecordText(text_, 255);
    const int length = MinRecord + int(text.size());
    char rec[MaxRecord] = {};
    putInt32(rec + 0, imageIndex_);
    putInt32(rec + 4, selectedIndex_);
    putInt32(rec + 8, stateIndex_);
    putInt32(rec + 12, overlayIndex_);
    putInt32(rec + 16, integralHeight_);
    rec[20] = char(checkState_);
    rec[21] = char(checkType_);
    rec[22] = char(checkEnabled_ ? 1 : 0);
    rec[23] = char(expanded_ ? 1 : 0);
    rec[24] = char(Selected() ? 1 : 0);
    putInt32(rec + 25, qint32(data_));
    putInt32(rec + 29, children_.Count());
    putInt32(rec + 33, color_);
    rec[37] = char(parentColor_ ? 1 : 0);
    rec[38] = char(parentFont_ ? 1 : 0);
    if (!parentFont_ && font_) {
        putInt32(rec + 43, fontHeight(*font_));
        rec[47] = char(font_->fixedPitch() ? 2 : 0);
        rec[48] = char((font_->bold() ? 1 : 0) | (font_->italic() ? 2 : 0) | (font_->underline() ? 4 : 0) |
                       (font_->strikeOut() ? 8 : 0));
        const QByteArray name = EncodeRecordText(font_->family(), 31);
        rec[50] = char(name.size());
        memcpy(rec + 51, name.constData(), size_t(name.size()));
        putInt32(rec + 83, fontColor_);
    }
    rec[87] = char(text.size());
    memcpy(rec + 88, text.constData(), size_t(text.size()));
    appendInt32(stream, length);
    stream.append(rec, length);
}

void TZozeZONode::ReadData(TTreeRecordReader &stream)
{
    const qint32 length = stream.ReadInt32();
    const QByteArray bytes = stream.ReadBytes(length);
    const char *rec = bytes.constData();
    SetText(DecodeNodeText(QByteArray(rec + 88, quint8(rec[87]))));
    SetImageIndex(getInt32(rec + 0));
    SetSelectedIndex(getInt32(rec + 4));
    SetStateIndex(getInt32(rec + 8));
    SetCheckType(quint8(rec[21]));
    SetCheckState(quint8(rec[20]));
    SetCheckEnabled(rec[22] != 0);
    if (rec[24] != 0)
        owner_->SetNodeSelected(this, 0);
    SetOverlayIndex(getInt32(rec + 12));
    SetIntegralHeight(getInt32(rec + 16));
    SetData(getInt32(rec + 25));
    SetParentColor(rec[37] != 0);
    if (rec[37] == 0)
        SetColor(getInt32(rec + 33));
    SetParentFont(rec[38] != 0);
    if (rec[38] == 0) {
        QFont font = TreeView()->font();
        const qint32 height = getInt32(rec + 43);
        if (height != 0)
            font.setPixelSize(qMax(1, qAbs(height)));
        font.setFamily(DecodeNodeText(QByteArray(rec + 51, quint8(rec[50]))));
        const quint8 pitch = quint8(rec[47]);
        if (pitch == 1 || pitch == 2)
            font.setFixedPitch(pitch == 2);
        const quint8 style = quint8(rec[48]);
        font.setBold(style & 1);
        font.setItalic(style & 2);
        font.setUnderline(style & 4);
        font.setStrikeOut(style & 8);
        SetFont(font, getInt32(rec + 83));
    }
    stream.ChildCount = getInt32(rec + 29);
    stream.Expanded = rec[23] != 0;
}

// ---------------------------------------------------------------------------------------------------
// Collection streams

QByteArray TZozeZONodes::WriteData() const
{
    QByteArray out;
    out.reserve(5 + itemCount_ * (4 + MinRecord + 16));
    out.append(char(topLevelCheckType_));
    appendInt32(out, root_->children_.Count());
    for (TZozeZONode *n = GetFirstNode(); n; n = n->GetNext())
        n->WriteData(out);
    return out;
}

void TZozeZONodes::ReadData(const QByteArray &stream)
{
    validateRecordStream(stream, 0);
    Clear();
    BeginUpdate();
    struct End {
        TZozeZONodes *n;
        ~End() { n->EndUpdate(); }
    } end{this};
    TTreeRecordReader reader(stream, 0);
    SetTopLevelCheckType(reader.ReadByte());
    const int top = reader.ReadInt32();
    const bool applyExpanded = !owner_->Options().testFlag(toSingleExpand);
    struct Frame {
        TZozeZONode *node;
        int remaining;
        bool expanded;
    };
    std::vector<Frame> stack{{nullptr, top, false}};
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.remaining == 0) {
            TZozeZONode *done = frame.node;
            const bool expanded = frame.expanded;
            stack.pop_back();
            if (done && applyExpanded)
                done->SetExpanded(expanded);
            continue;
        }
        --frame.remaining;
        TZozeZONode *node = frame.node ? AddChild(frame.node, QString()) : Add(nullptr, QString());
        node->ReadData(reader);
        stack.push_back({node, reader.ChildCount, reader.Expanded});
    }
}

QByteArray TZozeZONodes::WriteText() const
{
    QString text;
    for (TZozeZONode *n = GetFirstNode(); n; n = n->GetNext()) {
        text.append(QString(n->Level(), u'\t'));
        text.append(n->text_);
        text.append(u"\r\n");
    }
    return EncodeNodeText(text);
}

void TZozeZONodes::ReadText(const QByteArray &stream)
{
    // The text ends at the first NUL, as it always has.
    QString text;
    if (stream.startsWith("\xFF\xFE") || stream.startsWith("\xFE\xFF")) {
        text = platform::DecodeText(stream).text;
        const qsizetype nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
    } else {
        const qsizetype nul = stream.indexOf('\0');
        text = platform::DecodeText(nul >= 0 ? stream.left(nul) : stream).text;
    }

    // Lines without blank ones: empty and whitespace-only lines are skipped and not counted.
    struct Line {
        QStringView text;
        int indent;
        int parent; // index of the parent line, -1 for the top level
    };
    std::vector<Line> lines;
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        QStringView line = all.mid(pos, end - pos);
        while (end < all.size() && (all[end] == u'\r' || all[end] == u'\n'))
            ++end;
        pos = end;
        // Byte order marks before the first text are no text.
        while (lines.empty() && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1);
        if (blankLine(line))
            continue;
        if (lines.empty()) {
            // The first line keeps any leading TABs and spaces in its text.
            lines.push_back({line, 0, -1});
            continue;
        }
        int indent = 0;
        while (indent < line.size() && (line[indent] == u'\t' || line[indent] == u' '))
            ++indent;
        lines.push_back({line.mid(indent), indent, -1});
    }

    // Parents as the nested parse gives them: each level is a frame (parent line, level); a line more
    // than one level deeper than the current frame is an error unless the handler lets it pass.
    struct Frame {
        int parent;
        int level;
    };
    std::vector<Frame> frames{{-1, 0}};
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            const int indent = lines[i].indent;
            const Frame current = frames.back();
            if (indent > current.level + 1) {
                bool raise = true;
                if (owner_->OnLoadError)
                    owner_->OnLoadError(owner_, int(i) + 1, raise);
                if (raise)
                    throw EZozeZOError(QStringLiteral("Invalid item level assignment"));
            }
            if (indent > current.level)
                frames.push_back({int(i) - 1, indent});
            else
                while (indent < frames.back().level)
                    frames.pop_back();
        }
        lines[i].parent = frames.back().parent;
    }

    Clear();
    BeginUpdate();
    struct End {
        TZozeZONodes *n;
        ~End() { n->EndUpdate(); }
    } end{this};
    std::vector<TZozeZONode *> made(lines.size(), nullptr);
    for (size_t i = 0; i < lines.size(); ++i) {
        TZozeZONode *parent = lines[i].parent >= 0 ? made[size_t(lines[i].parent)] : nullptr;
        made[i] = AddChild(parent, lines[i].text.toString());
    }
}

// ---------------------------------------------------------------------------------------------------
// Stored property

bool TZozeZONodes::DataStored(const TZozeZONodes *ancestor) const
{
    bool stored;
    if (ancestor && ancestor->Count() == Count()) {
        stored = false;
        for (int i = 0; i < Count() && !stored; ++i)
            stored = !Item(i)->IsEqual(ancestor->Item(i));
    } else {
        stored = Count() > 0;
    }
    return stored || topLevelCheckType_ != 0;
}

void TZozeZONodes::DefineProperties(platform::FormWriter &writer, const TZozeZONodes *ancestor) const
{
    if (!DataStored(ancestor))
        return;
    writer.WriteString(QStringLiteral("Data"));
    writer.WriteBinary(WriteData());
}

bool TZozeZONodes::ReadProperty(const QString &name, platform::FormReader &reader)
{
    if (name != QLatin1String("Data"))
        return false;
    ReadData(reader.ReadBinary());
    return true;
}

} // namespace tree
