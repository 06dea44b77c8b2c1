#include "fileops.h"

#include "platform/dialogs.h"
#include "platform/fileio.h"
#include "platform/filenames.h"
#include "platform/shell/masks.h"
#include "platform/shell/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QSaveFile>
#include <algorithm>
#include <filesystem>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

QStringList SplitNulList(const QString &list)
{
    QStringList out;
    for (const QString &part : list.split(QChar(0))) {
        if (part.isEmpty())
            break;
        out << part;
    }
    return out;
}

namespace {

// By the name's bytes, so that a name that is no text is found too.
bool present(const QString &path)
{
    return StatName(path, true).exists;
}

bool isRealDir(const QFileInfo &fi)
{
    return StatName(fi.filePath(), true).folder;
}

fs::path nativePath(const QString &path)
{
    return fs::path(EncodeName(path).toStdString());
}

QString absolute(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// The path with its folder part resolved, so that two spellings of one place compare equal.
QString resolved(const QString &path)
{
    const QFileInfo fi(path);
    const QString dir = CanonicalName(fi.absolutePath());
    return dir.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : QDir::cleanPath(dir + QLatin1Char('/') + fi.fileName());
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(ShownName(path));
}

QFileInfoList entriesOf(const QString &dir)
{
    QFileInfoList list = QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                 QDir::NoSort);
    std::sort(list.begin(), list.end(), [](const QFileInfo &a, const QFileInfo &b) { return NameLess(a.fileName(), b.fileName()); });
    return list;
}

int countItems(const QString &path)
{
    const QFileInfo fi(path);
    int n = 1;
    if (isRealDir(fi))
        for (const QFileInfo &e : entriesOf(path))
            n += countItems(e.filePath());
    return n;
}

QList<QByteArray> allEntries(const QByteArray &dir, bool *readable)
{
    QList<QByteArray> out;
    DIR *d = ::opendir(dir.constData());
    *readable = d != nullptr;
    if (!d)
        return out;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            out << name;
    }
    ::closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

// The entries of a folder whose names are no text in the file system's encoding: Qt leaves them out of
// its listings (a decoded name would not find them again), so they are taken by their bytes.
QList<QByteArray> undecodableEntries(const QByteArray &dir)
{
    bool readable = false;
    QList<QByteArray> out = allEntries(dir, &readable);
    out.removeIf([](const QByteArray &name) { return QFile::encodeName(QFile::decodeName(name)) == name; });
    return out;
}

QString shownBytes(const QByteArray &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

class Engine {
public:
    explicit Engine(FileOperation &op) : op_(op) {}

    int run()
    {
        const QStringList from = SplitNulList(op_.from);
        const QStringList to = SplitNulList(op_.to);
        if (from.isEmpty())
            return FileOpFailed;
        switch (op_.func) {
        case FO_COPY: transferAll(from, to, false); break;
        case FO_MOVE: transferAll(from, to, true); break;
        case FO_DELETE: deleteAll(from); break;
        case FO_RENAME: renameAll(from, to); break;
        default: return FileOpFailed;
        }
        progress_.reset();
        if (aborted_) {
            op_.anyOperationsAborted = true;
            return FileOpCancelled;
        }
        return failed_ ? FileOpFailed : FileOpOk;
    }

private:
    QString verb() const
    {
        switch (op_.func) {
        case FO_MOVE: return QStringLiteral("move");
        case FO_DELETE: return QStringLiteral("delete");
        case FO_RENAME: return QStringLiteral("rename");
        default: return QStringLiteral("copy");
        }
    }

    void error(const QString &text)
    {
        failed_ = true;
        const QString caption = QStringLiteral("Error %1ing File or Folder")
                                    .arg(op_.func == FO_COPY ? QStringLiteral("Copy") : op_.func == FO_MOVE ? QStringLiteral("Mov")
                                         : op_.func == FO_DELETE ? QStringLiteral("Delet") : QStringLiteral("Renam"));
        MessageBox(op_.owner, text, caption, MB_OK | MB_ICONERROR);
    }

    void cannot(const QString &path, const QString &why)
    {
        error(QStringLiteral("Cannot %1 \"%2\": %3").arg(verb(), shown(path), why));
    }

    // Yes goes on; No skips the item (the operation then fails); Cancel stops everything.
    bool confirm(const QString &text, const QString &caption, unsigned buttons = MB_YESNOCANCEL)
    {
        if (op_.flags & FOF_NOCONFIRMATION)
            return true;
        const int answer = MessageBox(op_.owner, text, caption, buttons | MB_ICONQUESTION);
        if (answer == IDYES)
            return true;
        failed_ = true;
        if (answer == IDCANCEL || buttons == MB_YESNO)
            aborted_ = true;
        return false;
    }

    void startProgress(int total)
    {
        if (op_.flags & FOF_SILENT)
            return;
        progress_ = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0, std::max(total, 1), op_.owner);
        progress_->setWindowTitle(op_.progressTitle);
        // It shows file names, which are no markup.
        auto *label = new QLabel;
        label->setTextFormat(Qt::PlainText);
        progress_->setLabel(label);
        progress_->setMinimumDuration(500);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setValue(0);
    }

    // Counts work done; false once the user has cancelled.
    bool tick(const QString &path, int items = 1)
    {
        done_ += items;
        if (progress_) {
            if (!(op_.flags & FOF_SIMPLEPROGRESS))
                progress_->setLabelText(ShownName(QFileInfo(path).fileName()));
            progress_->setValue(std::min(done_, progress_->maximum()));
            if (progress_->isVisible())
                QCoreApplication::processEvents();
            if (progress_->wasCanceled())
                aborted_ = failed_ = true;
        }
        return !aborted_;
    }

    // A source entry as the list of paths it stands for. A name that is there is that one file, whatever
    // it holds ("a*b?.htm" is a name too); otherwise wildcards in its last part are expanded, and a name
    // that only differs in case from the one file there is taken as that file.
    QStringList expand(const QString &entry)
    {
        const QString path = absolute(entry);
        const QFileInfo fi(path);
        const QString name = fi.fileName();
        if (present(path))
            return {path};
        if (!HasWildcards(name)) {
            QStringList same;
            for (const QFileInfo &e : entriesOf(fi.absolutePath()))
                if (e.fileName().compare(name, Qt::CaseInsensitive) == 0)
                    same << e.filePath();
            if (same.size() == 1)
                return same;
            error(QStringLiteral("Cannot find \"%1\".").arg(shown(path)));
            return {};
        }
        QStringList out;
        for (const QFileInfo &e : entriesOf(fi.absolutePath()))
            if (MatchesMask(e.fileName(), name) && !((op_.flags & FOF_FILESONLY) && isRealDir(e)))
                out << e.filePath();
        if (out.isEmpty())
            error(QStringLiteral("Cannot find \"%1\".").arg(shown(path)));
        return out;
    }

    bool makeFolder(const QString &dir)
    {
        if (QFileInfo(dir).isDir())
            return true;
        if (present(dir)) {
            cannot(dir, QStringLiteral("a file of that name is in the way of the folder."));
            return false;
        }
        if (!(op_.flags & FOF_NOCONFIRMMKDIR)
            && !confirm(QStringLiteral("The folder \"%1\" does not exist.\n\nDo you want to create it?").arg(shown(dir)),
                        QStringLiteral("Confirm Folder Create"), MB_YESNO))
            return false;
        if (!QDir().mkpath(dir)) {
            cannot(dir, QStringLiteral("the folder could not be created."));
            return false;
        }
        return true;
    }

    void transferAll(const QStringList &from, const QStringList &to, bool move)
    {
        QList<QPair<QString, QString>> pairs;
        if (op_.flags & FOF_MULTIDESTFILES) {
            if (to.size() != from.size()) {
                error(QStringLiteral("Cannot %1: the number of destinations does not match the number of sources.").arg(verb()));
                return;
            }
            for (int i = 0; i < from.size(); ++i) {
                const QStringList src = expand(from[i]);
                if (src.size() == 1)
                    pairs << qMakePair(src.first(), absolute(to[i]));
                else if (src.size() > 1)
                    cannot(from[i], QStringLiteral("a name with wildcards needs a folder as its destination."));
            }
            for (const auto &p : pairs)
                if (!makeFolder(QFileInfo(p.second).absolutePath()))
                    return;
        } else {
            if (to.isEmpty()) {
                error(QStringLiteral("Cannot %1: no destination was given.").arg(verb()));
                return;
            }
            const QString target = absolute(to.first());
            QStringList sources;
            for (const QString &f : from)
                sources << expand(f);
            if (sources.isEmpty() || !makeFolder(target))
                return;
            for (const QString &s : sources)
                pairs << qMakePair(s, target + QLatin1Char('/') + QFileInfo(s).fileName());
        }
        int total = 0;
        for (const auto &p : pairs)
            total += countItems(p.first);
        startProgress(total);
        for (const auto &p : pairs) {
            if (aborted_)
                return;
            transfer(p.first, p.second, move);
        }
    }

    bool transfer(const QString &src, QString dst, bool move)
    {
        if (aborted_)
            return false;
        const QFileInfo si(src);
        if (!present(src)) {
            cannot(src, QStringLiteral("it does not exist."));
            return false;
        }
        const QString realSrc = resolved(src);
        const QString realDst = resolved(dst);
        if (isRealDir(si) && realDst.startsWith(realSrc + QLatin1Char('/'))) {
            cannot(src, QStringLiteral("the destination folder is inside the source folder."));
            return false;
        }
        if (realSrc == realDst && (move || !(op_.flags & FOF_RENAMEONCOLLISION))) {
            cannot(src, QStringLiteral("the source and the destination are the same."));
            return false;
        }
        // A name that is no text goes across by its bytes, under the same rules.
        if (!IsTextName(src) || !IsTextName(dst))
            return transferBytes(EncodeName(src), EncodeName(dst), move);
        bool replace = false;
        if (realSrc == realDst) {
            dst = renamed(dst);
        } else if (present(dst)) {
            if (op_.flags & FOF_RENAMEONCOLLISION) {
                dst = renamed(dst);
            } else {
                const QFileInfo di(dst);
                if (isRealDir(si) && isRealDir(di))
                    return merge(src, dst, move);
                if (isRealDir(si) != isRealDir(di)) {
                    cannot(src, QStringLiteral("\"%1\" is already there and is a %2.")
                                    .arg(shown(dst), isRealDir(di) ? QStringLiteral("folder") : QStringLiteral("file")));
                    return false;
                }
                if (!confirm(QStringLiteral("This folder already contains a file named \"%1\".\n\nDo you want to replace the existing file?")
                                 .arg(di.fileName()),
                             QStringLiteral("Confirm File Replace")))
                    return false;
                replace = true;
            }
        }
        return move ? moveItem(src, dst, replace) : copyItem(src, dst, replace);
    }

    QString renamed(const QString &dst)
    {
        const QString free = NameOnCollision(dst);
        if (op_.flags & FOF_WANTMAPPINGHANDLE)
            op_.nameMappings << qMakePair(dst, free);
        return free;
    }

    // A folder onto a folder of the same name: what is inside goes across item by item.
    bool merge(const QString &src, const QString &dst, bool move)
    {
        tick(src);
        bool ok = true;
        for (const QFileInfo &e : entriesOf(src)) {
            if (aborted_)
                return false;
            ok = transfer(e.filePath(), dst + QLatin1Char('/') + e.fileName(), move) && ok;
        }
        ok = transferUndecodable(src, dst, move) && ok;
        if (ok && move && !QDir().rmdir(src)) {
            cannot(src, QStringLiteral("the emptied folder could not be removed."));
            return false;
        }
        return ok;
    }

    bool copyItem(const QString &src, const QString &dst, bool replace)
    {
        const QFileInfo si(src);
        std::error_code ec;
        if (si.isSymLink()) {
            // The link itself is copied: following it could lead round a loop.
            if (replace)
                QFile::remove(dst);
            fs::copy_symlink(nativePath(src), nativePath(dst), ec);
            if (ec) {
                cannot(src, QString::fromStdString(ec.message()));
                return false;
            }
            return tick(src);
        }
        if (si.isDir()) {
            if (!QDir().mkdir(dst)) {
                cannot(src, QStringLiteral("the folder \"%1\" could not be created.").arg(shown(dst)));
                return false;
            }
            QFile::setPermissions(dst, QFile::permissions(src));
            tick(src);
            bool ok = true;
            for (const QFileInfo &e : entriesOf(src)) {
                if (aborted_)
                    return false;
                ok = transfer(e.filePath(), dst + QLatin1Char('/') + e.fileName(), false) && ok;
            }
            return transferUndecodable(src, dst, false) && ok;
        }
        return copyFile(src, dst);
    }

    // The entries of src that Qt cannot name go across by their bytes, under the same rules as the others.
    bool transferUndecodable(const QString &src, const QString &dst, bool move)
    {
        const QByteArray from = QFile::encodeName(src), to = QFile::encodeName(dst);
        bool ok = true;
        for (const QByteArray &name : undecodableEntries(from)) {
            if (aborted_)
                return false;
            ok = transferBytes(from + '/' + name, to + '/' + name, move) && ok;
        }
        return ok;
    }

    bool transferBytes(const QByteArray &src, QByteArray dst, bool move)
    {
        struct stat ss {}, ds {};
        if (::lstat(src.constData(), &ss) != 0) {
            cannotBytes(src, lastError());
            return false;
        }
        bool replace = false;
        if (::lstat(dst.constData(), &ds) == 0) {
            const bool srcDir = S_ISDIR(ss.st_mode), dstDir = S_ISDIR(ds.st_mode);
            if (op_.flags & FOF_RENAMEONCOLLISION) {
                dst = freeName(dst, srcDir);
            } else if (srcDir && dstDir) {
                tick(QFile::decodeName(src));
                bool readable = false, ok = true;
                for (const QByteArray &name : allEntries(src, &readable)) {
                    if (aborted_)
                        return false;
                    ok = transferBytes(src + '/' + name, dst + '/' + name, move) && ok;
                }
                if (!readable) {
                    cannotBytes(src, lastError());
                    return false;
                }
                if (ok && move && ::rmdir(src.constData()) != 0) {
                    cannotBytes(src, QStringLiteral("the emptied folder could not be removed."));
                    return false;
                }
                return ok;
            } else if (srcDir != dstDir) {
                cannotBytes(src, QStringLiteral("\"%1\" is already there and is a %2.")
                                     .arg(shownBytes(dst), dstDir ? QStringLiteral("folder") : QStringLiteral("file")));
                return false;
            } else {
                const QString name = QFile::decodeName(dst.mid(dst.lastIndexOf('/') + 1));
                if (!confirm(QStringLiteral("This folder already contains a file named \"%1\".\n\nDo you want to replace the "
                                            "existing file?").arg(name),
                             QStringLiteral("Confirm File Replace")))
                    return false;
                replace = true;
            }
        }
        if (move) {
            if (::rename(src.constData(), dst.constData()) == 0)
                return tick(QFile::decodeName(src));
            if (errno != EXDEV) {
                cannotBytes(src, lastError());
                return false;
            }
        }
        // Copied; a move to another file system removes the source once all of it arrived.
        const bool wasFailed = failed_;
        failed_ = false;
        const bool copied = copyBytes(src, dst, replace) && !failed_;
        failed_ = failed_ || wasFailed;
        return copied && (!move || removeBytes(src));
    }

    // "name (2).ext", "name (3).ext", ... beside a name given by its bytes.
    static QByteArray freeName(const QByteArray &path, bool folder)
    {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray name = path.mid(slash + 1);
        const qsizetype dot = folder ? -1 : name.lastIndexOf('.');
        const QByteArray base = dot > 0 ? name.left(dot) : name, ext = dot > 0 ? name.mid(dot) : QByteArray();
        for (int n = 2;; ++n) {
            const QByteArray candidate = path.left(slash + 1) + base + " (" + QByteArray::number(n) + ")" + ext;
            struct stat st {};
            if (::lstat(candidate.constData(), &st) != 0)
                return candidate;
        }
    }

    void cannotBytes(const QByteArray &path, const QString &why)
    {
        cannot(QFile::decodeName(path), why);
    }

    // Copies a file, a link or a folder named by bytes to a name that is free, or over the file or link
    // there when replace is set.
    bool copyBytes(const QByteArray &src, const QByteArray &dst, bool replace = false)
    {
        struct stat st {};
        if (::lstat(src.constData(), &st) != 0) {
            cannotBytes(src, lastError());
            return false;
        }
        if (S_ISLNK(st.st_mode)) {
            QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, Qt::Uninitialized);
            const ssize_t n = ::readlink(src.constData(), target.data(), size_t(target.size()));
            if (replace)
                ::unlink(dst.constData());
            if (n < 0 || n >= target.size() || ::symlink(target.left(n).constData(), dst.constData()) != 0) {
                cannotBytes(src, lastError());
                return false;
            }
            return tick(QFile::decodeName(src));
        }
        if (S_ISDIR(st.st_mode)) {
            if (::mkdir(dst.constData(), st.st_mode & 07777) != 0) {
                const QString why = lastError();
                cannotBytes(src, QStringLiteral("the folder \"%1\" could not be created: %2").arg(shownBytes(dst), why));
                return false;
            }
            tick(QFile::decodeName(src));
            bool readable = false;
            bool ok = true;
            for (const QByteArray &name : allEntries(src, &readable)) {
                if (aborted_)
                    return false;
                ok = copyBytes(src + '/' + name, dst + '/' + name) && ok;
            }
            if (!readable) {
                cannotBytes(src, lastError());
                return false;
            }
            return ok;
        }
        if (!S_ISREG(st.st_mode)) {
            // A pipe or a device is not opened at all: opening may hang or act on it.
            cannotBytes(src, QStringLiteral("it is not a plain file."));
            return false;
        }
        return copyFileBytes(src, dst, replace);
    }

    // Written under a temporary name beside the target, then renamed over the file it replaces, or linked
    // to a free name (which fails rather than replace anything that came meanwhile).
    bool copyFileBytes(const QByteArray &src, const QByteArray &dst, bool replace)
    {
        const int in = ::open(src.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        struct stat st {};
        if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
            const QString why = in < 0 ? lastError() : QStringLiteral("it is not a plain file.");
            if (in >= 0)
                ::close(in);
            cannotBytes(src, why);
            return false;
        }
        const qsizetype slash = dst.lastIndexOf('/');
        QByteArray temp = dst.left(slash + 1) + ".k5copy-XXXXXX";
        const int out = ::mkostemp(temp.data(), O_CLOEXEC);
        if (out < 0) {
            ::close(in);
            cannotBytes(src, lastError());
            return false;
        }
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        QString why;
        while (why.isEmpty()) {
            const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
            if (n == 0)
                break;
            if (n < 0) {
                if (errno != EINTR)
                    why = lastError();
                continue;
            }
            for (ssize_t done = 0; why.isEmpty() && done < n;) {
                const ssize_t w = ::write(out, buffer.constData() + done, size_t(n - done));
                if (w > 0)
                    done += w;
                else if (w == 0 || errno != EINTR)
                    why = w == 0 ? QStringLiteral("nothing more could be written.") : lastError();
            }
        }
        if (why.isEmpty() && ::fsync(out) != 0)
            why = lastError();
        ::fchmod(out, st.st_mode & 07777);
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        if (::close(out) != 0 && why.isEmpty())
            why = lastError();
        ::close(in);
        if (why.isEmpty() && replace && ::rename(temp.constData(), dst.constData()) != 0)
            why = lastError();
        else if (why.isEmpty() && !replace && ::link(temp.constData(), dst.constData()) != 0)
            why = lastError();
        ::unlink(temp.constData());
        if (!why.isEmpty()) {
            cannotBytes(src, why);
            return false;
        }
        return tick(QFile::decodeName(src));
    }

    bool removeBytes(const QByteArray &path)
    {
        const bool ok = erase(path);
        if (!ok)
            cannotBytes(path, QStringLiteral("it could not be removed."));
        return ok;
    }

    // Removes a file, a link or a folder with all it holds, whatever their names (no link is followed).
    static bool erase(const QByteArray &path)
    {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            return false;
        if (!S_ISDIR(st.st_mode))
            return ::unlink(path.constData()) == 0;
        bool readable = false, ok = true;
        for (const QByteArray &name : allEntries(path, &readable))
            ok = erase(path + '/' + name) && ok;
        return readable && ok && ::rmdir(path.constData()) == 0;
    }

    bool copyFile(const QString &src, const QString &dst)
    {
        // Links were dealt with before: one put in the file's place meanwhile is refused, not followed.
        QFile in;
        QString why;
        if (!TryOpenForReading(in, src, &why, Links::Refuse)) {
            cannot(src, why);
            return false;
        }
        // Written beside the target and renamed over it, so a failed copy leaves an old file whole.
        QSaveFile out(dst);
        out.setDirectWriteFallback(false);
        if (!out.open(QIODevice::WriteOnly)) {
            cannot(src, out.errorString());
            return false;
        }
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 n = in.read(buffer.data(), buffer.size());
            if (n < 0 || (n > 0 && out.write(buffer.constData(), n) != n)) {
                const QString why = n < 0 ? in.errorString() : out.errorString();
                out.cancelWriting();
                cannot(src, why);
                return false;
            }
            if (n == 0)
                break;
            if (progress_ && !tick(src, 0)) {
                out.cancelWriting();
                return false;
            }
        }
        if (!out.commit()) {
            cannot(src, out.errorString());
            return false;
        }
        std::error_code ec;
        fs::last_write_time(nativePath(dst), fs::last_write_time(nativePath(src), ec), ec);
        QFile::setPermissions(dst, QFile::permissions(src));
        return tick(src);
    }

    bool removePermanently(const QString &path)
    {
        const QFileInfo fi(path);
        const bool ok = isRealDir(fi) || !IsTextName(path) ? erase(EncodeName(path)) : QFile::remove(path);
        if (!ok)
            cannot(path, QStringLiteral("it could not be removed."));
        return ok;
    }

    bool moveItem(const QString &src, const QString &dst, bool replace)
    {
        const int items = countItems(src);
        std::error_code ec;
        fs::rename(nativePath(src), nativePath(dst), ec);
        if (!ec)
            return tick(src, items);
        if (ec != std::errc::cross_device_link) {
            cannot(src, QString::fromStdString(ec.message()));
            return false;
        }
        // Another file system: copy, and remove the source only when all of it arrived.
        const bool wasFailed = failed_;
        failed_ = false;
        const bool ok = copyItem(src, dst, replace) && !failed_;
        failed_ = failed_ || wasFailed;
        return ok && removePermanently(src);
    }

    void deleteAll(const QStringList &from)
    {
        QStringList sources;
        for (const QString &f : from)
            sources << expand(f);
        if (sources.isEmpty())
            return;
        const bool trash = op_.flags & FOF_ALLOWUNDO;
        const QString what = sources.size() == 1 ? QStringLiteral("\"%1\"").arg(shown(sources.first()))
                                                 : QStringLiteral("these %1 items").arg(sources.size());
        const QString text = trash ? QStringLiteral("Are you sure you want to move %1 to the trash?").arg(what)
                                   : QStringLiteral("Are you sure you want to permanently delete %1?").arg(what);
        if (!confirm(text, QStringLiteral("Confirm File Delete"), MB_YESNO))
            return;
        startProgress(sources.size());
        for (const QString &s : sources) {
            if (aborted_)
                return;
            if (trash && !MoveToTrash(s)) {
                if (op_.flags & FOF_NOCONFIRMATION) {
                    cannot(s, QStringLiteral("it could not be moved to the trash."));
                    continue;
                }
                if (!confirm(QStringLiteral("\"%1\" cannot be moved to the trash.\n\nDo you want to delete it permanently?").arg(shown(s)),
                             QStringLiteral("Confirm File Delete")))
                    continue;
                removePermanently(s);
            } else if (!trash) {
                removePermanently(s);
            }
            tick(s);
        }
    }

    void renameAll(const QStringList &from, const QStringList &to)
    {
        if (to.size() != from.size()) {
            error(QStringLiteral("Cannot rename: each name needs one new name."));
            return;
        }
        for (int i = 0; i < from.size(); ++i) {
            const QString src = absolute(from[i]);
            const QString dst = absolute(to[i]);
            if (!present(src)) {
                cannot(src, QStringLiteral("it does not exist."));
                continue;
            }
            if (resolved(src) == resolved(dst))
                continue;
            // A name that differs only in case may find the file itself on a case-blind file system.
            if (present(dst) && CanonicalName(dst) != CanonicalName(src)) {
                cannot(src, QStringLiteral("\"%1\" already exists.").arg(shown(dst)));
                continue;
            }
            std::error_code ec;
            fs::rename(nativePath(src), nativePath(dst), ec);
            if (ec)
                cannot(src, QString::fromStdString(ec.message()));
        }
    }

    FileOperation &op_;
    bool failed_ = false;
    bool aborted_ = false;
    std::unique_ptr<QProgressDialog> progress_;
    int done_ = 0;
};

} // namespace

QString NameOnCollision(const QString &path)
{
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    QString base = name, ext;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (!isRealDir(fi) && dot > 0) {
        base = name.left(dot);
        ext = name.mid(dot);
    }
    for (int n = 2;; ++n) {
        const QString candidate = fi.absolutePath() + QLatin1Char('/') + base + QStringLiteral(" (%1)").arg(n) + ext;
        if (!present(candidate))
            return candidate;
    }
}

int ShellFileOperation(FileOperation &op)
{
    op.anyOperationsAborted = false;
    return Engine(op).run();
}

} // namespace platform
