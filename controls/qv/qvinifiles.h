#pragma once
// The ini operations shared by the placement, the speed bar and the grid: plain ini files and the registry
// seen as an ini file, default file and key names, default section names, and integer lists.
#include "platform/inifile.h"
#include "platform/registry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QObject;

namespace qv {

// Where an ini file named without a folder lies (the system's profile folder: our config folder).
QString ProfilePath(const QString &fileName);

// An integer as the ini readers take it: decimal, or hexadecimal after "0x"/"0X"; anything else is def.
int StrToIntDef(const QString &text, int def);

// The registry seen as an ini file: the file name is a key below HKEY_CURRENT_USER, opened (and created)
// at construction; sections are sub-keys of the open key and values are string values.
class RegIniFile : public platform::Registry {
public:
    explicit RegIniFile(const QString &fileName);
    const QString &FileName() const { return fileName_; }

    using platform::Registry::ReadBool;
    using platform::Registry::ReadInteger;
    using platform::Registry::ReadString;
    using platform::Registry::WriteBool;
    using platform::Registry::WriteInteger;
    using platform::Registry::WriteString;

    QString ReadString(const QString &section, const QString &ident, const QString &def) const;
    int ReadInteger(const QString &section, const QString &ident, int def) const;
    bool ReadBool(const QString &section, const QString &ident, bool def) const;
    // Create the section's key; raise StreamError when it cannot be created or the value not set.
    void WriteString(const QString &section, const QString &ident, const QString &value);
    void WriteInteger(const QString &section, const QString &ident, int value);
    void WriteBool(const QString &section, const QString &ident, bool value);
    void EraseSection(const QString &section);
    QStringList ReadSection(const QString &section) const;

private:
    QString fileName_;
};

// Either kind of ini object. Integers are written as decimal text by both.
class IniObject {
public:
    virtual ~IniObject() = default;
    virtual QString FileName() const = 0;
    virtual QString ReadString(const QString &section, const QString &ident, const QString &def) = 0;
    virtual void WriteString(const QString &section, const QString &ident, const QString &value) = 0;
    virtual void EraseSection(const QString &section) = 0;
    virtual QStringList ReadSection(const QString &section) = 0;
    // Several writes saved at once and atomically: a failure leaves the old file or store whole.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    int ReadInteger(const QString &section, const QString &ident, int def);
    void WriteInteger(const QString &section, const QString &ident, int value);
};

class IniFileObject : public IniObject {
public:
    // A name without a folder lies in the profile folder.
    explicit IniFileObject(const QString &fileName);
    QString FileName() const override { return file_.FileName(); }
    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    // A value that begins and ends with a quote gets one more pair of double quotes, which the reader
    // strips again.
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    void EraseSection(const QString &section) override;
    QStringList ReadSection(const QString &section) override;
    void BeginUpdate() override { file_.BeginUpdate(); }
    void EndUpdate() override { file_.EndUpdate(); }
    platform::IniFile &File() { return file_; }

private:
    platform::IniFile file_;
};

class RegIniObject : public IniObject {
public:
    explicit RegIniObject(const QString &keyName) : reg_(keyName) {}
    QString FileName() const override { return reg_.FileName(); }
    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    void EraseSection(const QString &section) override;
    QStringList ReadSection(const QString &section) override;
    void BeginUpdate() override { platform::Registry::BeginUpdate(); }
    void EndUpdate() override { platform::Registry::EndUpdate(); }
    RegIniFile &Registry() { return reg_; }

private:
    RegIniFile reg_;
};

// Keeps a batch open for the life of the object; the outermost end writes (and may raise).
class IniUpdate {
public:
    explicit IniUpdate(IniObject *ini) : ini_(ini)
    {
        if (ini_)
            ini_->BeginUpdate();
    }
    // Ends the batch now, reporting a failed save.
    void Commit()
    {
        IniObject *ini = ini_;
        ini_ = nullptr;
        if (ini)
            ini->EndUpdate();
    }
    ~IniUpdate();
    IniUpdate(const IniUpdate &) = delete;
    IniUpdate &operator=(const IniUpdate &) = delete;

private:
    IniObject *ini_;
};

// Process-wide naming switches.
// When set, its result is the default ini file name.
void SetDefaultIniNameFunction(std::function<QString()> f);
// The default registry key uses the application title (when not empty) instead of the program name.
void SetUseApplicationTitle(bool on);
// A company key put before the product key ("Software\<company>\<product>").
void SetRegistryCompanyKey(const QString &company);

// The program file's name without folder, with ".INI" (or what the default-name function says).
QString DefaultIniFileName();
// "Software\" [company "\"] (title or program name).
QString DefaultRegistryKey();

// Default section of a stored component: a form's class name; for a control on a form the form's class
// name followed by the control's name; for a control without a form its parent's name and its name; for
// another component of a form "%s.%s" of form class and name; empty for none.
QString DefaultSection(const QObject *component);

// A list of integers as "Item%d" keys from 0 (the section is erased first when writing).
void WriteIntList(IniObject *ini, const QString &section, const QList<int> &values);
// Reads "Item%d" for every index of values, each with the current value as default.
void ReadIntList(IniObject *ini, const QString &section, QList<int> &values);

} // namespace qv
