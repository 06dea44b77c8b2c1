#include "zelstores.h"

#include "controls/qv/qvinifiles.h"
#include "platform/application.h"
#include "platform/inifile.h"

namespace zel {
namespace {

// Only the current user's and the machine's hives exist here, and the machine's is read-only: the others
// open nothing, and a write to the machine's cannot open its key.
bool selectRoot(qv::RegIniFile &reg, TZELRootKey root, bool forWriting)
{
    switch (root) {
    case hkeyCurrentUser:
        return true; // the same root: the key opened at construction stays open
    case hkeyLocalMachine:
        reg.SetRoot(platform::RootKey::LocalMachine);
        return !forWriting;
    default:
        return false;
    }
}

} // namespace

quint32 RootKeyValue(TZELRootKey root)
{
    switch (root) {
    case hkeyClassesRoot:
        return 0x80000000u;
    case hkeyCurrentUser:
        return 0x80000001u;
    case hkeyLocalMachine:
        return 0x80000002u;
    case hkeyUsers:
        return 0x80000003u;
    case hkeyCurrentConfig:
        return 0x80000005u;
    case hkeyDynData:
        return 0x80000006u;
    }
    return 0;
}

// TZELDataStore

void TZELDataStore::error()
{
    if (OnError)
        OnError(this);
}

bool TZELDataStore::prepare(QString *section)
{
    Registry.Path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!Enabled)
        return false;
    *section = Datatype == sIniFile ? Inifile.Section : Registry.Section;
    if (section->isEmpty()) {
        error();
        return false;
    }
    return true;
}

QString TZELDataStore::readText(const QString &ident, const QString &def, bool createPath, bool *looked)
{
    *looked = false;
    QString section;
    if (!prepare(&section))
        return def;
    if (Datatype == sIniFile) {
        if (Inifile.Filename.isEmpty())
            return def;
        *looked = true;
        const platform::IniFile ini(qv::ProfilePath(Inifile.Filename));
        return ini.ReadString(section, ident, def);
    }
    if (Registry.Path.isEmpty())
        return def;
    *looked = true;
    qv::RegIniFile reg(Registry.Path);
    if (!selectRoot(reg, Registry.Rootkey, false))
        return def;
    // When the path cannot be opened the read looks below the key still open.
    reg.OpenKey(Registry.Path, createPath);
    return reg.ReadString(section, ident, def);
}

void TZELDataStore::writeText(const QString &ident, const QString &text)
{
    QString section;
    if (!prepare(&section))
        return;
    if (Datatype == sIniFile) {
        if (Inifile.Filename.isEmpty())
            return;
        platform::IniFile ini(qv::ProfilePath(Inifile.Filename));
        ini.WriteString(section, ident, text);
        return;
    }
    if (Registry.Path.isEmpty())
        return;
    qv::RegIniFile reg(Registry.Path);
    if (!selectRoot(reg, Registry.Rootkey, true) || !reg.OpenKey(Registry.Path, true))
        return;
    reg.WriteString(section, ident, text);
}

QString TZELDataStore::ReadString(const QString &ident)
{
    bool looked = false;
    const QString result = readText(ident, ErrorStr, false, &looked);
    if (looked && result == ErrorStr)
        error();
    return result;
}

void TZELDataStore::WriteString(const QString &ident, const QString &value)
{
    writeText(ident, value);
}

int TZELDataStore::ReadInteger(const QString &ident)
{
    bool looked = false;
    const QString text = readText(ident, QString(), true, &looked);
    const int result = qv::StrToIntDef(text, ErrorInt);
    if (looked && result == ErrorInt)
        error();
    return result;
}

void TZELDataStore::WriteInteger(const QString &ident, int value)
{
    writeText(ident, QString::number(value));
}

bool TZELDataStore::ReadBool(const QString &ident)
{
    bool looked = false;
    const QString text = readText(ident, QString(), false, &looked);
    return qv::StrToIntDef(text, ErrorBool ? 1 : 0) != 0;
}

void TZELDataStore::WriteBool(const QString &ident, bool value)
{
    writeText(ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TZELDataStore::ReadStored(const QString &ident, QString *text)
{
    // No stored text equals two different defaults.
    const QString first(QChar(1)), second(QChar(2));
    bool looked = false;
    QString got = readText(ident, first, false, &looked);
    if (!looked)
        return false;
    if (got == first) {
        got = readText(ident, second, false, &looked);
        if (got == second)
            return false;
    }
    *text = got;
    return true;
}

// TZELControlStore

TZELControlStore::TZELControlStore(QObject *owner) : TZELSystemsComponent(owner) {}

TZELControlStore::~TZELControlStore()
{
    // Controls of other forms may outlive the store: each writes once more and lets go.
    while (!users_.isEmpty())
        users_.first()->storeRemoved();
}

// TZELStoreAware

void TZELStoreAware::SetStore(TZELControlStore *store)
{
    if (store == store_)
        return;
    if (store_)
        store_->users_.removeAll(this);
    store_ = store;
    if (store_)
        store_->users_.append(this);
}

TZELStoreAware::~TZELStoreAware()
{
    SetStore(nullptr);
}

void TZELStoreAware::storeRemoved()
{
    try {
        QString now;
        // A later value of another control stays; a value taken away meanwhile is written again.
        if (store_ && (!store_->DataStore()->ReadStored(StoreKey, &now) || synced_ == now))
            writeCopy();
    } catch (const std::exception &e) {
        // Called from destructors: report, never throw on.
        platform::Application::HandleException(e);
    }
    SetStore(nullptr);
}

void TZELStoreAware::valueChanged(const std::function<void(QObject *)> &event, QObject *sender,
                                  const std::function<void()> &takeCopy)
{
    if (event)
        event(sender);
    takeCopy();
    if (store_) {
        writeCopy();
        synced_ = copyText();
    }
}

void TZELStoreAware::noteStored()
{
    QString text;
    if (store_ && store_->DataStore()->ReadStored(StoreKey, &text))
        synced_ = text;
    else
        synced_.reset();
}

// TZELStoreEdit

TZELStoreEdit::TZELStoreEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] {
        valueChanged(OnChange, this, [this] { copy_ = text(); });
    });
}

TZELStoreEdit::~TZELStoreEdit()
{
    storeRemoved();
}

void TZELStoreEdit::writeCopy()
{
    Store()->WriteString(StoreKey, copy_);
}

void TZELStoreEdit::Loaded()
{
    if (!Store())
        return;
    const QString value = Store()->ReadString(StoreKey);
    if (value != Store()->DataStore()->ErrorStr) {
        setText(value);
        noteStored(value);
    } else {
        noteStored();
    }
}

// TZELStoreCheckbox

TZELStoreCheckbox::TZELStoreCheckbox(QWidget *parent) : QCheckBox(parent)
{
    connect(this, &QCheckBox::toggled, this, [this] {
        valueChanged(OnClick, this, [this] { copy_ = isChecked(); });
    });
}

TZELStoreCheckbox::TZELStoreCheckbox(const QString &caption, QWidget *parent) : TZELStoreCheckbox(parent)
{
    setText(caption);
}

TZELStoreCheckbox::~TZELStoreCheckbox()
{
    storeRemoved();
}

void TZELStoreCheckbox::writeCopy()
{
    Store()->WriteBool(StoreKey, copy_);
}

void TZELStoreCheckbox::Loaded()
{
    if (!Store())
        return;
    Store()->DataStore()->ErrorBool = isChecked();
    setChecked(Store()->ReadBool(StoreKey));
    noteStored();
}

} // namespace zel
