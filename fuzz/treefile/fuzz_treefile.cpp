// Reads any bytes as a list file (custom tags, projects) does: either the read is refused with an error
// and the tree keeps what it held, or every line of text that is not blank became a node, and the text
// the list would be saved as reads back to the same text. Names kept as the lists keep typed ones read
// back as shown.
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/error.h"
#include "platform/textfile.h"

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <algorithm>

namespace {

tree::TZozeZO *theTree = nullptr;

bool blank(QStringView line)
{
    for (QChar c : line)
        if (c != u'\t' && c != u' ')
            return false;
    return true;
}

// The lines a text list holds: those with more than blanks (byte order marks before the first one are none).
int textLines(const QByteArray &bytes)
{
    const QString text = platform::DecodeText(bytes).text;
    int count = 0;
    qsizetype pos = 0;
    while (pos <= text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        QStringView line = QStringView(text).mid(pos, end - pos);
        while (count == 0 && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1);
        if (!blank(line))
            ++count;
        pos = end + 1;
    }
    return count;
}

// Names as the lists keep what a user typed (one a line of the input, the first byte giving the level)
// read back as they were shown, each at its level.
void namesReadBack(const QByteArray &bytes)
{
    tree::TZozeZO &t = *theTree;
    t.Items()->Clear();
    QStringList made;
    std::vector<tree::TZozeZONode *> path;
    for (const QByteArray &piece : bytes.split('\n')) {
        if (piece.isEmpty())
            continue;
        const size_t level = std::min(size_t(quint8(piece[0]) % 3), path.size());
        const QString name = tree::TTreeFile::StorableText(QString::fromUtf8(piece.mid(1)));
        if (name.isEmpty())
            continue;
        path.resize(level);
        path.push_back(t.Items()->AddChild(level > 0 ? path[level - 1] : nullptr, name));
        made << QString(qsizetype(level), u'.') + name;
    }
    try {
        tree::TTreeFile::LoadBytes(&t, tree::TTreeFile::TextOf(&t));
    } catch (const platform::Error &) {
        std::abort();
    }
    QStringList read;
    for (tree::TZozeZONode *n = t.Items()->GetFirstNode(); n; n = n->GetNext())
        read << QString(n->Level(), u'.') + n->Text();
    if (read != made)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    theTree = new tree::TZozeZO;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tree::TZozeZO &t = *theTree;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    namesReadBack(bytes);
    t.Items()->Clear();
    t.Items()->Add(nullptr, QStringLiteral("before"));
    const QByteArray before = tree::TTreeFile::TextOf(&t);
    try {
        tree::TTreeFile::LoadBytes(&t, bytes);
    } catch (const platform::Error &) {
        if (tree::TTreeFile::TextOf(&t) != before)
            std::abort();
        return 0;
    }
    // The record stream may hold texts the text form cannot (line breaks, NULs): only text is compared.
    if (bytes.startsWith(QByteArray("\x0D\x54\x4E\x54\x0D", 5)))
        return 0;
    if (t.Items()->Count() != textLines(bytes))
        std::abort();
    const QByteArray text = tree::TTreeFile::TextOf(&t);
    tree::TTreeFile::LoadBytes(&t, text);
    if (tree::TTreeFile::TextOf(&t) != text)
        std::abort();
    return 0;
}
