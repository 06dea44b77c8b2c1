#pragma once
// Ini files with the system's semantics: section and key names match case-insensitively, keys keep the
// order they were written in, one pair of surrounding double quotes is removed on read, a missing file
// reads as empty, integers read as decimal or "0x" hex. Every write goes to disk at once, atomically,
// unless a batch is open (BeginUpdate/EndUpdate); a changed file on disk is re-read before use.
#include <QDateTime>
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
    void DeleteKey(const QString &section, const QString &key);
    // Replaces a whole section at once (written first, then swapped in), keeping its place in the file.
    void WriteSection(const QString &section, const QList<QPair<QString, QString>> &values);

    // Batches writes into one atomic save; nested; the outermost EndUpdate writes.
    void BeginUpdate();
    void EndUpdate();
    // Writes now if anything changed (raises FileError on failure).
    void UpdateFile();

    // The file's text as it would be written (for tests and diagnostics).
    QByteArray Serialize() const;

private:
    struct Entry {
        QString key;   // empty for a comment or blank line kept verbatim
        QString value; // for a comment line: the whole line
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    Section *find(const QString &name) const;
    Section &findOrAdd(const QString &name);
    void reloadIfChanged() const;
    void parse(const QByteArray &bytes) const;
    void changed();

    QString fileName_;
    mutable std::vector<Section> sections_;
    mutable QDateTime stamp_;
    mutable qint64 size_ = -1;
    int batch_ = 0;
    bool dirty_ = false;
};

// Parses an integer the way the ini and registry layers do: decimal, optional sign, or "0x" hex;
// anything else gives def.
int ParseInteger(const QString &text, int def);

} // namespace platform
