#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

namespace {

constexpr char16_t KeptByte = 0xDC00;

// The length of the well-formed UTF-8 sequence at `at`, 0 when the byte there starts none.
qsizetype sequenceAt(const QByteArray &b, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < b.size() ? uchar(b[i]) : 0u; };
    const uint c = byte(at);
    if (c < 0x80)
        return 1;
    const auto cont = [&](qsizetype i, uint lo = 0x80, uint hi = 0xBF) { return byte(i) >= lo && byte(i) <= hi; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(at + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        // No overlong forms and no surrogates (ED A0..BF), which are the escapes.
        const uint lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        return cont(at + 1, lo, hi) && cont(at + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const uint lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        return cont(at + 1, lo, hi) && cont(at + 2) && cont(at + 3) ? 4 : 0;
    }
    return 0;
}

bool keptByte(const QString &s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    return c >= KeptByte + 0x80 && c <= KeptByte + 0xFF && (i == 0 || !s[i - 1].isHighSurrogate());
}

} // namespace

QString DecodeName(const QByteArray &bytes)
{
    QString out;
    qsizetype run = 0; // where the text not yet decoded starts
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = sequenceAt(bytes, i);
        if (n > 0) {
            i += n;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + run, i - run);
        out += QChar(char16_t(KeptByte + uchar(bytes[i])));
        run = ++i;
    }
    if (run == 0)
        return QString::fromUtf8(bytes);
    return out + QString::fromUtf8(bytes.constData() + run, bytes.size() - run);
}

QByteArray EncodeName(const QString &name)
{
    QByteArray out;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!keptByte(name, i))
            continue;
        out += name.mid(run, i - run).toUtf8();
        out += char(name[i].unicode() - KeptByte);
        run = i + 1;
    }
    if (run == 0)
        return name.toUtf8();
    return out + name.mid(run).toUtf8();
}

bool IsTextName(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i)
        if (keptByte(name, i))
            return false;
    return true;
}

QString ShownName(const QString &name)
{
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (keptByte(name, i))
            out[i] = QChar::ReplacementCharacter;
    return out;
}

QString NotTextMessage(const QString &path, const QString &what)
{
    return QStringLiteral("The name of the file \"%1\" is not valid text, so it cannot be %2.")
        .arg(QDir::toNativeSeparators(ShownName(path)), what);
}

QList<FolderEntry> ReadFolder(const QString &folder)
{
    QList<FolderEntry> out;
    QByteArray dir = EncodeName(folder);
    if (!dir.endsWith('/'))
        dir += '/';
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return out;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        FolderEntry entry;
        entry.bytes = name;
        entry.name = DecodeName(name);
        entry.hidden = name.startsWith('.');
        entry.folder = e->d_type == DT_DIR;
        entry.file = e->d_type == DT_REG;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            const QByteArray full = dir + name;
            if (::lstat(full.constData(), &st) != 0)
                continue; // gone meanwhile
            entry.link = S_ISLNK(st.st_mode);
            if (entry.link && ::stat(full.constData(), &st) != 0)
                st.st_mode = 0; // a link that leads nowhere
            entry.folder = S_ISDIR(st.st_mode);
            entry.file = S_ISREG(st.st_mode);
        }
        out << entry;
    }
    ::closedir(d);
    return out;
}

NameStat StatName(const QString &path, bool lstat)
{
    const QByteArray bytes = EncodeName(path);
    struct stat st {};
    if ((lstat ? ::lstat(bytes.constData(), &st) : ::stat(bytes.constData(), &st)) != 0)
        return {};
    NameStat out;
    out.exists = true;
    out.folder = S_ISDIR(st.st_mode);
    out.file = S_ISREG(st.st_mode);
    out.link = S_ISLNK(st.st_mode);
    out.size = st.st_size;
    return out;
}

QString PathOfUrl(const QUrl &url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.contains(QChar::ReplacementCharacter))
        return path;
    // Bytes that are no UTF-8 stay percent-encoded in the address.
    return DecodeName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString LocalFileName(const QUrl &url)
{
    return url.isLocalFile() && url.host().isEmpty() ? PathOfUrl(url) : url.toLocalFile();
}

QUrl FileUrlOf(const QString &path)
{
    if (IsTextName(path))
        return QUrl::fromLocalFile(path);
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(EncodeName(path).toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

QString CanonicalName(const QString &path)
{
    char *real = ::realpath(EncodeName(path).constData(), nullptr);
    if (!real)
        return QString();
    const QString out = DecodeName(QByteArray(real));
    ::free(real);
    return out;
}

} // namespace platform
