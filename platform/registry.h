#pragma once
// The registry calls the program makes, kept in ConfigFolder()/registry.ini: one section per key path
// ("HKEY_CURRENT_USER\Kestrova 5\Kestrova 5\Settings"), values typed as "sz:", "dword:" or "hex:".
// Any value name round-trips: one the ini file could not hold as it is gets its odd characters escaped.
// HKEY_LOCAL_MACHINE is read-only and empty unless a test seeds it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

enum class RootKey { CurrentUser, LocalMachine };
enum class RegDataType { Unknown, String, Integer, Binary };

class Registry {
public:
    explicit Registry(RootKey root = RootKey::CurrentUser);
    ~Registry();

    RootKey Root() const { return root_; }
    void SetRoot(RootKey root);
    // Relative to the open key unless it starts with a backslash. False when it does not exist and
    // canCreate is false (or the root is read-only).
    bool OpenKey(const QString &key, bool canCreate);
    bool OpenKeyReadOnly(const QString &key);
    void CloseKey();
    QString CurrentPath() const { return current_; }
    bool HasCurrentKey() const { return open_; }

    bool CreateKey(const QString &key);
    bool KeyExists(const QString &key) const;
    // Deletes the key and every key below it; false for the root itself (the whole store) and for a key
    // that does not exist.
    bool DeleteKey(const QString &key);
    QStringList GetKeyNames() const;

    bool ValueExists(const QString &name) const;
    bool DeleteValue(const QString &name);
    QStringList GetValueNames() const;
    RegDataType GetDataType(const QString &name) const;

    // A missing string value reads as empty; a missing or mistyped integer, Boolean or binary value
    // raises StreamError "Invalid data type for '<name>'", so a damaged setting is never taken for 0.
    QString ReadString(const QString &name) const;
    int ReadInteger(const QString &name) const;
    bool ReadBool(const QString &name) const;
    QByteArray ReadBinaryData(const QString &name) const;
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value);
    void WriteBinaryData(const QString &name, const QByteArray &value);

    // Batches the writes of several calls into one atomic save of the store: nested; the outermost
    // EndUpdate writes (FileError when that fails, and then the old store is untouched on disk).
    static void BeginUpdate();
    static void EndUpdate();

    // Tests: seed a value under HKEY_LOCAL_MACHINE ("sz:..." style raw text), or clear all seeds.
    static void SeedLocalMachine(const QString &keyPath, const QString &name, const QString &rawValue);
    static void ClearLocalMachine();
    // Drop the cached store (tests that move ConfigFolder()).
    static void ResetStore();

private:
    QString resolve(const QString &key) const;
    void write(const QString &name, const QString &raw);
    QString readRaw(const QString &name, bool *found) const;

    RootKey root_;
    QString current_; // full section name of the open key
    bool open_ = false;
};

} // namespace platform
