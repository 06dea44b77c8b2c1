#include "treefile.h"

#include "zozezo.h"
#include "zozezonode.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tree {

namespace {

const QByteArray recordMark("\x0D\x54\x4E\x54\x0D", 5);

// Errors already shown in this run: the file's path with a digest of its bytes, so a window that reads the
// same bad file again stays quiet, and a file that goes bad in another way speaks again.
QSet<QString> &reported()
{
    static QSet<QString> set;
    return set;
}

QString reportKey(const QString &path, const QByteArray &bytes)
{
    return path + QLatin1Char('\n') +
           QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

// Keeps the bytes beside the file under the first backup name that is free or already holds them. A file
// of that name is never replaced: it may be the user's own. The copy appears whole or not at all.
QString keepCopy(const QString &path, const QByteArray &bytes)
{
    for (int n = 1; n <= 99; ++n) {
        const QString name = path + (n == 1 ? QStringLiteral(".bak") : QStringLiteral(".bak%1").arg(n));
        const QFileInfo info(name);
        if (info.exists() || info.isSymLink()) {
            try {
                if (info.isFile() && platform::ReadWholeFile(name) == bytes)
                    return name;
            } catch (const platform::Error &) {
            }
            continue;
        }
        QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
        if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush())
            throw platform::FileError(platform::FileErrorText(QStringLiteral("write"), name, temp.errorString()));
        // A link, unlike a rename, fails when the name was taken meanwhile.
        if (::link(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(name).constData()) == 0)
            return name;
        if (errno != EEXIST)
            throw platform::FileError(platform::FileErrorText(QStringLiteral("create"), name, QString::fromLocal8Bit(std::strerror(errno))));
    }
    throw platform::FileError(QStringLiteral("Every backup name beside \"%1\" is taken.").arg(QDir::toNativeSeparators(path)));
}

} // namespace

QString TTreeFile::StorableText(const QString &typed)
{
    QString text = typed;
    text.replace(u'\r', u' ').replace(u'\n', u' ').remove(QChar(0));
    qsizetype lead = 0;
    while (lead < text.size() && (text[lead] == u' ' || text[lead] == u'\t' || text[lead] == QChar(0xFEFF)))
        ++lead;
    return text.mid(lead);
}

void TTreeFile::LoadBytes(TCustomZozeZO *tree, const QByteArray &bytes, const QString &name)
{
    // The text reader stops at the first NUL; the rest of the file would be lost by the next save.
    if (!bytes.startsWith(recordMark))
        platform::DecodeDocument(bytes, name);
    tree->LoadFromBytes(bytes);
}

QByteArray TTreeFile::TextOf(const TCustomZozeZO *tree)
{
    return tree->SaveToBytes(false);
}

void TTreeFile::ForgetReportedErrors()
{
    reported().clear();
}

bool TTreeFile::Load()
{
    failed_ = false;
    error_.clear();
    if (!QFileInfo::exists(path_)) {
        tree_->Items()->Clear();
        snapshot_ = TextOf(tree_);
        return true;
    }
    QByteArray bytes;
    bool read = false;
    try {
        bytes = platform::ReadWholeFile(path_);
        read = true;
        LoadBytes(tree_, bytes, path_);
        snapshot_ = TextOf(tree_);
        return true;
    } catch (const platform::Error &e) {
        error_ = e.message();
    }
    failed_ = true;
    tree_->Items()->Clear();
    snapshot_ = TextOf(tree_);
    const QString key = reportKey(path_, bytes);
    if (reported().contains(key))
        return false;
    reported().insert(key);
    QString kept;
    if (read && !readOnly_) {
        try {
            kept = QStringLiteral("A copy of it is kept as \"%1\". ").arg(keepCopy(path_, bytes));
        } catch (const platform::Error &e) {
            kept = QStringLiteral("No copy of it could be kept: %1 ").arg(e.message());
        }
    }
    const QString rest = readOnly_ ? QStringLiteral("The list is shown empty; the file is left as it is.")
                                   : QStringLiteral("%1The list starts empty, and the file is left as it is unless "
                                                    "you change the list.")
                                         .arg(kept);
    platform::MessageBox(nullptr, QStringLiteral("The list \"%1\" could not be read: %2\n\n%3").arg(path_, error_, rest),
                         platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

bool TTreeFile::Changed() const
{
    return TextOf(tree_) != snapshot_;
}

bool TTreeFile::Save()
{
    const QByteArray text = TextOf(tree_);
    if (readOnly_ || (failed_ && text == snapshot_))
        return false;
    // A node whose text the file could not give back as one line (the windows refuse or mend such text
    // before it gets here) leaves the file as it is.
    for (const TZozeZONode *n = tree_->Items()->GetFirstNode(); n; n = n->GetNext())
        if (n->Text().contains(u'\r') || n->Text().contains(u'\n') || n->Text().contains(QChar(0)))
            throw platform::FileError(QStringLiteral("Cannot write \"%1\": the item \"%2\" holds a line break or a "
                                                     "NUL, which the list cannot keep.")
                                          .arg(QDir::toNativeSeparators(path_), n->Text()));
    platform::WriteFileAtomic(path_, text);
    snapshot_ = text;
    failed_ = false;
    error_.clear();
    return true;
}

} // namespace tree
