#pragma once
// A tree kept in a file of its own (the custom tags, the projects): read when its window opens, written in
// the text form (one node a line, one TAB a level, CR LF) when it closes. A file that does not read is never
// written over by a tree the user left as it was: it is kept beside as "<name>.bak" (or "<name>.bak2" and on
// when that name holds something else: a backup never replaces a file), and what was wrong is shown once in
// a run, however often a window reads the file again.
#include <QByteArray>
#include <QString>

namespace tree {

class TCustomZozeZO;

class TTreeFile {
public:
    TTreeFile(TCustomZozeZO *tree, const QString &path) : tree_(tree), path_(path) {}

    const QString &Path() const { return path_; }
    void SetPath(const QString &path) { path_ = path; }
    // A file only shown, never written (one the user named): Save writes nothing, and a file that does not
    // read is not copied, as nothing can write over it.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // Reads the file into the tree; a missing file gives an empty tree. False when the file is there but
    // does not read: the tree is then empty, the file is copied beside it and the error reported (once in
    // a run for the same bytes).
    bool Load();
    // Whether the last Load failed (until a later save or load succeeds).
    bool LoadFailed() const { return failed_; }
    // Whether the tree differs from what the last Load or Save left.
    bool Changed() const;
    // Writes the tree unless the last load failed and the tree is as that load left it (then the bad file
    // stays as it is); true when written. Raises platform::FileError when the file cannot be written, or
    // when a node's text holds a line break or a NUL, which the file could not give back (nothing is
    // written then).
    bool Save();
    // What the last failed load reported; empty after a good one.
    const QString &LoadError() const { return error_; }

    // Reads the bytes of a tree file into the tree, raising platform::Error (the tree left as it was) for
    // bytes that a save would not give back whole: a text form holding NUL characters, levels that skip,
    // a damaged record stream.
    static void LoadBytes(TCustomZozeZO *tree, const QByteArray &bytes, const QString &nameForMessages = QString());
    // The text a node is given so that the text form reads it back as shown: blanks that lead it would
    // read as levels of the tree, a byte order mark as none of the text; a line break (pasted) would end
    // the line, so it becomes a blank, and a NUL would end the file, so it goes.
    static QString StorableText(const QString &text);
    // The text form of the tree, as Save writes it.
    static QByteArray TextOf(const TCustomZozeZO *tree);

    // Test seam: forget which errors were shown in this run.
    static void ForgetReportedErrors();

private:
    TCustomZozeZO *tree_;
    QString path_;
    QByteArray snapshot_;
    bool failed_ = false;
    bool readOnly_ = false;
    QString error_;
};

} // namespace tree
