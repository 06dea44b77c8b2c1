#pragma once
// Settings stores: a data store that reads and writes named values in the registry or an ini file, the
// control store that forms point their controls at, and the edit and check box that keep their value in
// such a store.
#include "controls/zel/systemscomponent.h"
#include "platform/form.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace zel {

enum TZELRootKey {
    hkeyClassesRoot,
    hkeyCurrentUser,
    hkeyLocalMachine,
    hkeyUsers,
    hkeyCurrentConfig,
    hkeyDynData,
};
// The predefined key each root stands for.
quint32 RootKeyValue(TZELRootKey root);

enum TZELDatatype { sRegistry, sIniFile };

struct TZELRegistry {
    TZELRootKey Rootkey = hkeyCurrentUser;
    QString Path = QStringLiteral("Software\\Company\\Product");
    QString Section = QStringLiteral("MySection");
};

struct TZELIniFile {
    QString Filename = QStringLiteral("MyFile.ini");
    QString Section = QStringLiteral("MySection");
};

// One place for named values. Every call opens and closes the registry or ini file. With the registry a
// value lies at <root>\<Path>\<Path>\<Section> for the current user (the path is opened relative to itself)
// and at <root>\<Path>\<Section> for other roots; values are text: integers in decimal, Booleans "1"/"0".
class TZELDataStore {
public:
    bool Enabled = true;
    TZELDatatype Datatype = sRegistry;
    TZELRegistry Registry;
    TZELIniFile Inifile;
    std::function<void(TZELDataStore *sender)> OnError;
    int ErrorInt = 0;
    QString ErrorStr = QStringLiteral("Error");
    bool ErrorBool = false;

    QString ReadString(const QString &ident);
    void WriteString(const QString &ident, const QString &value);
    int ReadInteger(const QString &ident);
    void WriteInteger(const QString &ident, int value);
    bool ReadBool(const QString &ident);
    void WriteBool(const QString &ident, bool value);
    // The text stored under ident, told apart from none (false then); fires no OnError.
    bool ReadStored(const QString &ident, QString *text);

private:
    // The common steps: the path's separators, Enabled, the section. The active section, or false.
    bool prepare(QString *section);
    // The text of a value, or def; *looked tells whether a registry or ini file was consulted. Integer
    // reads create the path key like writes do.
    QString readText(const QString &ident, const QString &def, bool createPath, bool *looked);
    void writeText(const QString &ident, const QString &text);
    void error();
};

class TZELStoreAware;

// A component without a window that owns a data store for the controls of its form.
class TZELControlStore : public TZELSystemsComponent {
    Q_OBJECT
public:
    explicit TZELControlStore(QObject *owner = nullptr);
    ~TZELControlStore() override;

    TZELDataStore *DataStore() { return &store_; }

    QString ReadString(const QString &ident) { return store_.ReadString(ident); }
    bool ReadBool(const QString &ident) { return store_.ReadBool(ident); }
    void WriteString(const QString &ident, const QString &value) { store_.WriteString(ident, value); }
    void WriteBool(const QString &ident, bool value) { store_.WriteBool(ident, value); }

private:
    friend class TZELStoreAware;
    TZELDataStore store_;
    QList<TZELStoreAware *> users_; // told before the store goes
};

// What the store edit and check box share: the store reference and the key, told when the store goes.
class TZELStoreAware : public platform::Loadable {
public:
    TZELControlStore *Store() const { return store_; }
    void SetStore(TZELControlStore *store);
    QString StoreKey;

protected:
    TZELStoreAware() = default;
    ~TZELStoreAware() override;
    // Writes the remembered value through the store.
    virtual void writeCopy() = 0;
    // The remembered value as the store keeps it.
    virtual QString copyText() const = 0;
    // The store or the control is going: write once more, unless another control of the same key wrote
    // after this one (the same form open twice), and forget the store.
    void storeRemoved();
    // After a load: what the store holds now is what this control last saw.
    void noteStored();
    void noteStored(const QString &text) { synced_ = text; }
    // A change: the control's event first, then the copy is taken and written.
    void valueChanged(const std::function<void(QObject *)> &event, QObject *sender,
                      const std::function<void()> &takeCopy);

private:
    friend class TZELControlStore;
    TZELControlStore *store_ = nullptr;
    // The text the store held when this control last read or wrote it; none when it held nothing.
    std::optional<QString> synced_;
};

class TZELStoreEdit : public QLineEdit, public TZELStoreAware {
    Q_OBJECT
public:
    explicit TZELStoreEdit(QWidget *parent = nullptr);
    ~TZELStoreEdit() override;

    std::function<void(QObject *sender)> OnChange;
    // After the form is built: read StoreKey and show it unless the store says it is missing.
    void Loaded() override;

protected:
    void writeCopy() override;
    QString copyText() const override { return copy_; }

private:
    QString copy_;
};

class TZELStoreCheckbox : public QCheckBox, public TZELStoreAware {
    Q_OBJECT
public:
    explicit TZELStoreCheckbox(QWidget *parent = nullptr);
    explicit TZELStoreCheckbox(const QString &caption, QWidget *parent = nullptr);
    ~TZELStoreCheckbox() override;

    std::function<void(QObject *sender)> OnClick;
    // After the form is built: the designed state becomes the default for a missing value, then the
    // stored state is taken.
    void Loaded() override;

protected:
    void writeCopy() override;
    QString copyText() const override { return copy_ ? QStringLiteral("1") : QStringLiteral("0"); }

private:
    bool copy_ = false;
};

} // namespace zel
