// Settings stores over the registry and ini files, and the store edit and check box.
#include "controls/zel/zelstores.h"
#include "k5test.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/form.h"
#include "platform/registry.h"

#include <QLocale>
#include <QWidget>
#include <memory>

using namespace zel;

namespace {

const QString kSettings = QStringLiteral("Kestrova 5\\Kestrova 5\\Settings");

// A value as the registry holds it: its type and its text.
QString regString(const QString &key, const QString &name)
{
    platform::Registry reg;
    if (!reg.OpenKey(QLatin1Char('\\') + key, false) || !reg.ValueExists(name))
        return QStringLiteral("<missing>");
    if (reg.GetDataType(name) != platform::RegDataType::String)
        return QStringLiteral("<not a string>");
    return reg.ReadString(name);
}

void regPut(const QString &key, const QString &name, const QString &value)
{
    platform::Registry reg;
    QVERIFY(reg.OpenKey(QLatin1Char('\\') + key, true));
    reg.WriteString(name, value);
}

bool keyExists(const QString &key)
{
    platform::Registry reg;
    return reg.KeyExists(QLatin1Char('\\') + key);
}

void settingsStore(TZELDataStore &s)
{
    s.Registry.Path = QStringLiteral("Kestrova 5");
    s.Registry.Section = QStringLiteral("Settings");
}

class SettingsForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    explicit SettingsForm(QWidget *parent = nullptr) : FormOf<QWidget>(parent)
    {
        store = new TZELControlStore(this);
        settingsStore(*store->DataStore());
    }
    TZELControlStore *store;
};

} // namespace

class TestStores : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void defaults()
    {
        TZELDataStore s;
        QCOMPARE(s.Enabled, true);
        QCOMPARE(s.Datatype, sRegistry);
        QCOMPARE(s.Registry.Rootkey, hkeyCurrentUser);
        QCOMPARE(s.Registry.Path, QStringLiteral("Software\\Company\\Product"));
        QCOMPARE(s.Registry.Section, QStringLiteral("MySection"));
        QCOMPARE(s.Inifile.Filename, QStringLiteral("MyFile.ini"));
        QCOMPARE(s.Inifile.Section, QStringLiteral("MySection"));
        QCOMPARE(s.ErrorInt, 0);
        QCOMPARE(s.ErrorStr, QStringLiteral("Error"));
        QCOMPARE(s.ErrorBool, false);
        QCOMPARE(RootKeyValue(hkeyClassesRoot), 0x80000000u);
        QCOMPARE(RootKeyValue(hkeyCurrentUser), 0x80000001u);
        QCOMPARE(RootKeyValue(hkeyCurrentConfig), 0x80000005u);
        QCOMPARE(RootKeyValue(hkeyDynData), 0x80000006u);
    }

    // Values land below the path opened twice, as text: integers in decimal, Booleans "1"/"0".
    void registryLocationAndForms()
    {
        TZELDataStore s;
        settingsStore(s);
        s.WriteString(QStringLiteral("Name"), QStringLiteral("  two words \\ and more "));
        s.WriteInteger(QStringLiteral("Count"), -1234567);
        s.WriteBool(QStringLiteral("On"), true);
        s.WriteBool(QStringLiteral("Off"), false);
        QCOMPARE(regString(kSettings, QStringLiteral("Name")), QStringLiteral("  two words \\ and more "));
        QCOMPARE(regString(kSettings, QStringLiteral("Count")), QStringLiteral("-1234567"));
        QCOMPARE(regString(kSettings, QStringLiteral("On")), QStringLiteral("1"));
        QCOMPARE(regString(kSettings, QStringLiteral("Off")), QStringLiteral("0"));
        QVERIFY(keyExists(QStringLiteral("Kestrova 5")));
        QVERIFY(!keyExists(QStringLiteral("Kestrova 5\\Settings")));

        QCOMPARE(s.ReadString(QStringLiteral("Name")), QStringLiteral("  two words \\ and more "));
        QCOMPARE(s.ReadInteger(QStringLiteral("Count")), -1234567);
        QCOMPARE(s.ReadBool(QStringLiteral("On")), true);
        QCOMPARE(s.ReadBool(QStringLiteral("Off")), false);
    }

    void numbersIgnoreTheLocale()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TZELDataStore s;
        settingsStore(s);
        s.WriteInteger(QStringLiteral("Big"), 1234567);
        QLocale::setDefault(before);
        QCOMPARE(regString(kSettings, QStringLiteral("Big")), QStringLiteral("1234567"));
        QCOMPARE(s.ReadInteger(QStringLiteral("Big")), 1234567);
    }

    // Before anything was written the doubled path is missing: string and Boolean reads look one level up.
    void firstRunFallback()
    {
        regPut(QStringLiteral("Kestrova 5\\Settings"), QStringLiteral("Old"), QStringLiteral("from above"));
        regPut(QStringLiteral("Kestrova 5\\Settings"), QStringLiteral("Flag"), QStringLiteral("1"));
        TZELDataStore s;
        settingsStore(s);
        QCOMPARE(s.ReadString(QStringLiteral("Old")), QStringLiteral("from above"));
        QCOMPARE(s.ReadBool(QStringLiteral("Flag")), true);
        QVERIFY(!keyExists(QStringLiteral("Kestrova 5\\Kestrova 5")));
        // An integer read creates the doubled path; from then on reads look there.
        QCOMPARE(s.ReadInteger(QStringLiteral("Old")), 0);
        QVERIFY(keyExists(QStringLiteral("Kestrova 5\\Kestrova 5")));
        QCOMPARE(s.ReadString(QStringLiteral("Old")), QStringLiteral("Error"));
    }

    void slashesInThePath()
    {
        TZELDataStore s;
        s.Registry.Path = QStringLiteral("Soft/Kestrova");
        s.Registry.Section = QStringLiteral("Sec");
        s.Enabled = false;
        s.ReadString(QStringLiteral("x")); // even a disabled store mends its path
        QCOMPARE(s.Registry.Path, QStringLiteral("Soft\\Kestrova"));
        s.Enabled = true;
        s.WriteString(QStringLiteral("x"), QStringLiteral("y"));
        QCOMPARE(regString(QStringLiteral("Soft\\Kestrova\\Soft\\Kestrova\\Sec"), QStringLiteral("x")),
                 QStringLiteral("y"));
    }

    void integerText()
    {
        regPut(kSettings, QStringLiteral("hex"), QStringLiteral("0x1F"));
        regPut(kSettings, QStringLiteral("upper"), QStringLiteral("0X10"));
        regPut(kSettings, QStringLiteral("bare"), QStringLiteral("0x"));
        regPut(kSettings, QStringLiteral("dollar"), QStringLiteral("$10"));
        regPut(kSettings, QStringLiteral("word"), QStringLiteral("twelve"));
        regPut(kSettings, QStringLiteral("neg"), QStringLiteral("-12"));
        TZELDataStore s;
        settingsStore(s);
        int errors = 0;
        s.OnError = [&](TZELDataStore *sender) {
            QCOMPARE(sender, &s);
            ++errors;
        };
        s.ErrorInt = -99;
        QCOMPARE(s.ReadInteger(QStringLiteral("hex")), 31);
        QCOMPARE(s.ReadInteger(QStringLiteral("upper")), 16);
        QCOMPARE(s.ReadInteger(QStringLiteral("neg")), -12);
        QCOMPARE(errors, 0);
        QCOMPARE(s.ReadInteger(QStringLiteral("bare")), -99);
        QCOMPARE(s.ReadInteger(QStringLiteral("dollar")), -99);
        QCOMPARE(s.ReadInteger(QStringLiteral("word")), -99);
        QCOMPARE(s.ReadInteger(QStringLiteral("missing")), -99);
        QCOMPARE(errors, 4);
        // A Boolean is any integer other than 0; text that is no number gives ErrorBool.
        s.ErrorBool = true;
        QCOMPARE(s.ReadBool(QStringLiteral("neg")), true);
        QCOMPARE(s.ReadBool(QStringLiteral("word")), true);
        QCOMPARE(errors, 4);
    }

    void errorsAndDisabledStore()
    {
        TZELDataStore s;
        settingsStore(s);
        int errors = 0;
        s.OnError = [&](TZELDataStore *) { ++errors; };
        QCOMPARE(s.ReadString(QStringLiteral("missing")), QStringLiteral("Error"));
        QCOMPARE(errors, 1);
        s.WriteString(QStringLiteral("same"), QStringLiteral("Error"));
        QCOMPARE(errors, 1);
        QCOMPARE(s.ReadString(QStringLiteral("same")), QStringLiteral("Error"));
        QCOMPARE(errors, 2);
        QCOMPARE(s.ReadBool(QStringLiteral("missing")), false);
        QCOMPARE(errors, 2);

        // An empty section: every read and write says so.
        s.Registry.Section.clear();
        s.ReadString(QStringLiteral("a"));
        s.ReadInteger(QStringLiteral("a"));
        s.ReadBool(QStringLiteral("a"));
        s.WriteString(QStringLiteral("a"), QStringLiteral("b"));
        s.WriteInteger(QStringLiteral("a"), 1);
        s.WriteBool(QStringLiteral("a"), true);
        QCOMPARE(errors, 8);

        // Disabled, or nowhere to look: error values and silence.
        settingsStore(s);
        s.Enabled = false;
        s.ErrorInt = 7;
        s.ErrorBool = true;
        s.ErrorStr = QStringLiteral("none");
        QCOMPARE(s.ReadString(QStringLiteral("same")), QStringLiteral("none"));
        QCOMPARE(s.ReadInteger(QStringLiteral("same")), 7);
        QCOMPARE(s.ReadBool(QStringLiteral("same")), true);
        s.WriteString(QStringLiteral("disabled"), QStringLiteral("x"));
        QCOMPARE(regString(kSettings, QStringLiteral("disabled")), QStringLiteral("<missing>"));
        s.Enabled = true;
        s.Registry.Path.clear();
        QCOMPARE(s.ReadString(QStringLiteral("same")), QStringLiteral("none"));
        s.Datatype = sIniFile;
        s.Inifile.Filename.clear();
        QCOMPARE(s.ReadInteger(QStringLiteral("same")), 7);
        QCOMPARE(errors, 8);
    }

    void otherRoots()
    {
        platform::Registry::SeedLocalMachine(QStringLiteral("Kestrova 5\\Settings"), QStringLiteral("Machine"),
                                             QStringLiteral("sz:wide"));
        TZELDataStore s;
        settingsStore(s);
        s.Registry.Rootkey = hkeyLocalMachine;
        QCOMPARE(s.ReadString(QStringLiteral("Machine")), QStringLiteral("wide"));
        // The machine's hive is read-only here: the write is skipped, the user's path key still appears.
        s.WriteString(QStringLiteral("Machine"), QStringLiteral("changed"));
        QCOMPARE(s.ReadString(QStringLiteral("Machine")), QStringLiteral("wide"));
        QVERIFY(keyExists(QStringLiteral("Kestrova 5")));
        QCOMPARE(regString(kSettings, QStringLiteral("Machine")), QStringLiteral("<missing>"));

        s.Registry.Rootkey = hkeyUsers;
        QCOMPARE(s.ReadString(QStringLiteral("Machine")), QStringLiteral("Error"));
        s.WriteString(QStringLiteral("Machine"), QStringLiteral("x"));
    }

    void wrongValueType()
    {
        platform::Registry reg;
        QVERIFY(reg.OpenKey(QLatin1Char('\\') + kSettings, true));
        reg.WriteInteger(QStringLiteral("Dword"), 5);
        TZELDataStore s;
        settingsStore(s);
        try {
            s.ReadString(QStringLiteral("Dword"));
            QFAIL("no exception");
        } catch (const platform::StreamError &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid data type for 'Dword'"));
        }
    }

    void iniFile()
    {
        TZELDataStore s;
        s.Datatype = sIniFile;
        s.Inifile.Filename = QStringLiteral("kestrova.ini");
        s.Inifile.Section = QStringLiteral("TagChooser");
        s.Registry.Section.clear(); // only the active section counts
        s.WriteString(QStringLiteral("Text"), QStringLiteral("a=b"));
        s.WriteInteger(QStringLiteral("Number"), 42);
        s.WriteBool(QStringLiteral("Yes"), true);
        const QString path = platform::ConfigFolder() + QStringLiteral("/kestrova.ini");
        const QByteArray text = k5test::ReadFile(path);
        QVERIFY2(text.contains("[TagChooser]\r\nText=a=b\r\nNumber=42\r\nYes=1\r\n"), text.constData());
        QCOMPARE(s.ReadString(QStringLiteral("Text")), QStringLiteral("a=b"));
        QCOMPARE(s.ReadInteger(QStringLiteral("Number")), 42);
        QCOMPARE(s.ReadBool(QStringLiteral("Yes")), true);
        QCOMPARE(s.ReadString(QStringLiteral("Missing")), QStringLiteral("Error"));
        QVERIFY(!keyExists(QStringLiteral("Kestrova 5")));
    }

    void controlStoreForwards()
    {
        TZELControlStore cs;
        settingsStore(*cs.DataStore());
        cs.WriteString(QStringLiteral("S"), QStringLiteral("v"));
        cs.WriteBool(QStringLiteral("B"), true);
        QCOMPARE(cs.ReadString(QStringLiteral("S")), QStringLiteral("v"));
        QCOMPARE(cs.ReadBool(QStringLiteral("B")), true);
        QCOMPARE(regString(kSettings, QStringLiteral("B")), QStringLiteral("1"));
    }

    // The edit loads when its form is built, writes every change, and writes once more when destroyed.
    void storeEdit()
    {
        regPut(kSettings, QStringLiteral("FTP Host Name"), QStringLiteral("ftp.test"));
        auto form = std::make_unique<SettingsForm>();
        auto *host = new TZELStoreEdit(form.get());
        host->setText(QStringLiteral("designed"));
        host->SetStore(form->store);
        host->StoreKey = QStringLiteral("FTP Host Name");
        auto *login = new TZELStoreEdit(form.get());
        login->setText(QStringLiteral("anonymous"));
        login->SetStore(form->store);
        login->StoreKey = QStringLiteral("FTP Login Name");
        QStringList seen;
        host->OnChange = [&](QObject *sender) {
            QCOMPARE(sender, host);
            seen << regString(kSettings, QStringLiteral("FTP Host Name")); // not yet written
        };
        form->FinishLoading();
        QCOMPARE(host->text(), QStringLiteral("ftp.test"));
        QCOMPARE(login->text(), QStringLiteral("anonymous")); // missing: the designed text stays
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Login Name")), QStringLiteral("<missing>"));

        host->setText(QStringLiteral("ftp.other"));
        QCOMPARE(seen.last(), QStringLiteral("ftp.test"));
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Host Name")), QStringLiteral("ftp.other"));
        QTest::keyClicks(host, QStringLiteral("x"));
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Host Name")), QStringLiteral("ftp.otherx"));

        // Written on destruction, creating the missing value.
        form.reset();
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Login Name")), QStringLiteral("anonymous"));
    }

    void storeEditKeepsDesignWhenValueIsErrorStr()
    {
        regPut(kSettings, QStringLiteral("Key"), QStringLiteral("Error"));
        SettingsForm form;
        int errors = 0;
        form.store->DataStore()->OnError = [&](TZELDataStore *) { ++errors; };
        auto *edit = new TZELStoreEdit(&form);
        edit->setText(QStringLiteral("designed"));
        edit->SetStore(form.store);
        edit->StoreKey = QStringLiteral("Key");
        form.FinishLoading();
        QCOMPARE(edit->text(), QStringLiteral("designed"));
        QCOMPARE(errors, 1);
    }

    void storeCheckbox()
    {
        regPut(kSettings, QStringLiteral("Stored"), QStringLiteral("0"));
        auto form = std::make_unique<SettingsForm>();
        auto *stored = new TZELStoreCheckbox(QStringLiteral("Stored"), form.get());
        stored->setChecked(true);
        stored->SetStore(form->store);
        stored->StoreKey = QStringLiteral("Stored");
        auto *fresh = new TZELStoreCheckbox(QStringLiteral("Fresh"), form.get());
        fresh->setChecked(true);
        fresh->SetStore(form->store);
        fresh->StoreKey = QStringLiteral("Fresh");
        int clicks = 0;
        stored->OnClick = [&](QObject *) { ++clicks; };
        form->FinishLoading();
        QCOMPARE(stored->isChecked(), false);
        QCOMPARE(clicks, 1);
        QCOMPARE(fresh->isChecked(), true); // missing: the designed state
        QCOMPARE(form->store->DataStore()->ErrorBool, true);
        QCOMPARE(regString(kSettings, QStringLiteral("Fresh")), QStringLiteral("<missing>"));

        stored->click();
        QCOMPARE(regString(kSettings, QStringLiteral("Stored")), QStringLiteral("1"));
        stored->setChecked(false);
        QCOMPARE(regString(kSettings, QStringLiteral("Stored")), QStringLiteral("0"));
        QCOMPARE(clicks, 3);
        form.reset();
        QCOMPARE(regString(kSettings, QStringLiteral("Fresh")), QStringLiteral("1"));
    }

    // One form open twice, each copy with its own store on the same key: what was typed last is kept,
    // whichever copy goes last, for edits and check boxes alike; a value nobody else wrote is still
    // written as a copy goes.
    void theLatestValueOfTwoCopiesIsKept_data()
    {
        QTest::addColumn<bool>("olderGoesLast");
        QTest::newRow("older copy goes last") << true;
        QTest::newRow("newer copy goes last") << false;
    }
    void theLatestValueOfTwoCopiesIsKept()
    {
        QFETCH(bool, olderGoesLast);
        regPut(kSettings, QStringLiteral("url1"), QStringLiteral("old"));
        regPut(kSettings, QStringLiteral("Flag"), QStringLiteral("0"));
        struct Copy {
            std::unique_ptr<SettingsForm> form = std::make_unique<SettingsForm>();
            TZELStoreEdit *url = new TZELStoreEdit(form.get());
            TZELStoreEdit *own = new TZELStoreEdit(form.get());
            TZELStoreCheckbox *flag = new TZELStoreCheckbox(form.get());
            Copy()
            {
                url->SetStore(form->store);
                url->StoreKey = QStringLiteral("url1");
                own->setText(QStringLiteral("designed"));
                own->SetStore(form->store);
                own->StoreKey = QStringLiteral("untouched");
                flag->SetStore(form->store);
                flag->StoreKey = QStringLiteral("Flag");
                form->FinishLoading();
                form->show();
            }
        };
        Copy older, newer;
        QCOMPARE(older.url->text(), QStringLiteral("old"));
        QCOMPARE(newer.url->text(), QStringLiteral("old"));
        k5test::Type(newer.url, QStringLiteral("new"));
        QTest::mouseClick(newer.flag, Qt::LeftButton);
        QCOMPARE(regString(kSettings, QStringLiteral("url1")), QStringLiteral("new"));
        QCOMPARE(regString(kSettings, QStringLiteral("Flag")), QStringLiteral("1"));
        if (olderGoesLast) {
            newer.form.reset();
            older.form.reset();
        } else {
            older.form.reset();
            newer.form.reset();
        }
        QCOMPARE(regString(kSettings, QStringLiteral("url1")), QStringLiteral("new"));
        QCOMPARE(regString(kSettings, QStringLiteral("Flag")), QStringLiteral("1"));
        QCOMPARE(regString(kSettings, QStringLiteral("untouched")), QStringLiteral("designed"));
    }

    // An edit whose store lives on another form outlives that form safely.
    void storeOnAnotherFormDestroyedFirst()
    {
        auto main = std::make_unique<SettingsForm>();
        auto other = std::make_unique<platform::FormOf<QWidget>>();
        auto *password = new TZELStoreEdit(other.get());
        password->SetStore(main->store);
        password->StoreKey = QStringLiteral("FTP Password");
        auto *box = new TZELStoreCheckbox(other.get());
        box->SetStore(main->store);
        box->StoreKey = QStringLiteral("Box");
        other->FinishLoading();
        password->setText(QStringLiteral("secret"));
        box->setChecked(true);
        platform::Registry reg;
        QVERIFY(reg.OpenKey(QLatin1Char('\\') + kSettings, true));
        QVERIFY(reg.DeleteValue(QStringLiteral("FTP Password")));
        QVERIFY(reg.DeleteValue(QStringLiteral("Box")));

        main.reset();
        // The last word was written as the store went.
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Password")), QStringLiteral("secret"));
        QCOMPARE(regString(kSettings, QStringLiteral("Box")), QStringLiteral("1"));
        QCOMPARE(password->Store(), nullptr);
        QCOMPARE(box->Store(), nullptr);
        password->setText(QStringLiteral("later"));
        box->setChecked(false);
        other.reset();
        QCOMPARE(regString(kSettings, QStringLiteral("FTP Password")), QStringLiteral("secret"));
    }
};

K5_TEST_MAIN(TestStores)
#include "test_stores.moc"
