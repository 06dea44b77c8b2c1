#include "treefile.h"

#include "zozezo.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSet>

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

} // namespace

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
    const QString backup = path_ + QStringLiteral(".bak");
    QString kept;
    if (read) {
        try {
            platform::WriteFileAtomic(backup, bytes);
            kept = QStringLiteral("A copy of it is kept as \"%1\". ").arg(backup);
        } catch (const platform::Error &e) {
            kept = QStringLiteral("No copy of it could be kept: %1 ").arg(e.message());
        }
    }
    platform::MessageBox(nullptr,
                         QStringLiteral("The list \"%1\" could not be read: %2\n\n%3The list starts empty, and the "
                                        "file is left as it is unless you change the list.")
                             .arg(path_, error_, kept),
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
    if (failed_ && text == snapshot_)
        return false;
    platform::WriteFileAtomic(path_, text);
    snapshot_ = text;
    failed_ = false;
    error_.clear();
    return true;
}

} // namespace tree
