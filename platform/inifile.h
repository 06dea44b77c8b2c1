#pragma once
// Ini files: section and key names match case-insensitively with surrounding
// blanks ignored, keys keep the order they were written in, one pair of surrounding double quotes is
// removed on read, a missing file reads as empty, integers read as decimal or "0x" hex. Every write goes
// to disk at once, atomically, unless a batch is open (BeginUpdate/EndUpdate); a changed file on disk is
// re-read before use. A write touches only the line of its key (or adds lines): every other line, the
// ones before the first section, comments and lines the class does not understand included, is written
// back byte for byte and stays in the section it was in.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

class IniFile {
public:
    explicit IniFile(const QString &fileName);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    const QString &FileName() const { return fileName_; }

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // The writes raise Error for a name that could not be read back as written (a key that is empty,
    // holds "=" or a line break or begins with ";", a line that would read as a section header, a
    // section name with a line break); nothing is changed then.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);

    QStringList ReadSections() const;
    QStringList ReadSection(const QString &section) const;        // key names, in file order
    QStringList ReadSectionValues(const QString &section) const;  // "key=value" lines
    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    void EraseSection(const QString &section);
    // Removes every line of the key in the section.
    void DeleteKey(const QString &section, const QString &key);
    // Replaces the keys of a section at once, in its place in the file; its other lines stay.
    void WriteSection(const QString &section, const QList<QPair<QString, QString>> &values);

    // Batches writes into one atomic save; nested; the outermost EndUpdate writes.
    void BeginUpdate();
    void EndUpdate();
    // Writes now if anything changed (raises FileError on failure).
    void UpdateFile();

    // The file's text as it would be written (for tests and diagnostics).
    QByteArray Serialize() const;

private:
    enum class Kind { Other, Header, Pair };
    struct Line {
        QByteArray raw; // as read (or as made), without the line end
        QByteArray end; // "\r\n", "\n", or nothing for a last line without one
        Kind kind = Kind::Other;
        QString name;   // section of a header, key of a pair; trimmed
        QString value;  // value of a pair; trimmed
    };
    struct Section {
        QString name;
        std::vector<int> headers; // its header lines, in file order
    };
    static Line parseLine(const QByteArray &raw, bool first);
    Line makePair(const QByteArray &keyPart, const QString &key, const QString &value, int at) const;
    Line makeHeader(const QString &name) const;
    const Section *find(const QString &name) const;
    int blockEnd(int header) const;
    std::vector<int> pairLines(const Section &s) const;
    int firstPair(const Section &s, const QString &key) const;
    int insertionPoint(const Section &s) const;
    void insertLines(int at, std::vector<Line> lines);
    void appendSection(const QString &name, std::vector<Line> pairs);
    QByteArray newline() const;
    void reindex() const;
    void reloadIfChanged() const;
    void parse(const QByteArray &bytes) const;
    void changed();

    QString fileName_;
    mutable std::vector<Line> lines_;
    mutable std::vector<Section> sections_; // an index over lines_
    mutable QHash<QString, int> byName_;     // case-folded name to its place in sections_
    mutable QDateTime stamp_;
    mutable qint64 size_ = -1;
    int batch_ = 0;
    bool dirty_ = false;
};

// Parses an integer the way the ini and registry layers do: decimal, optional sign, or "0x" hex;
// anything else gives def.
int ParseInteger(const QString &text, int def);

} // namespace platform
