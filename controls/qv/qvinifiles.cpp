#include "qvinifiles.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/form.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace qv {
namespace {

std::function<QString()> defaultIniName;
bool useApplicationTitle = false;
QString companyKey;

bool quoted(const QString &s)
{
    if (s.isEmpty())
        return false;
    return (s.front() == QLatin1Char('"') && s.back() == QLatin1Char('"')) ||
           (s.front() == QLatin1Char('\'') && s.back() == QLatin1Char('\''));
}

QString programBaseName()
{
    const QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return QFileInfo(exe).completeBaseName();
}

} // namespace

QString ProfilePath(const QString &fileName)
{
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')))
        return QDir::fromNativeSeparators(fileName);
    return platform::ConfigFolder() + QLatin1Char('/') + fileName;
}

int StrToIntDef(const QString &text, int def)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('$')))
        return def;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && t.size() <= 2)
        return def;
    return platform::ParseInteger(t, def);
}

// RegIniFile

RegIniFile::RegIniFile(const QString &fileName) : platform::Registry(platform::RootKey::CurrentUser), fileName_(fileName)
{
    OpenKey(fileName, true);
}

QString RegIniFile::ReadString(const QString &section, const QString &ident, const QString &def) const
{
    platform::Registry key(*this);
    if (!key.OpenKey(section, false) || !key.ValueExists(ident))
        return def;
    return key.ReadString(ident);
}

int RegIniFile::ReadInteger(const QString &section, const QString &ident, int def) const
{
    platform::Registry key(*this);
    if (!key.OpenKey(section, false) || !key.ValueExists(ident))
        return def;
    return StrToIntDef(key.ReadString(ident), def);
}

bool RegIniFile::ReadBool(const QString &section, const QString &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void RegIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    platform::Registry key(*this);
    if (!key.OpenKey(section, true))
        throw platform::StreamError(QStringLiteral("Failed to create key %1").arg(section));
    key.WriteString(ident, value);
}

void RegIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void RegIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void RegIniFile::EraseSection(const QString &section)
{
    platform::Registry key(*this);
    key.DeleteKey(section);
}

QStringList RegIniFile::ReadSection(const QString &section) const
{
    platform::Registry key(*this);
    if (!key.OpenKey(section, false))
        return {};
    return key.GetValueNames();
}

// IniObject

int IniObject::ReadInteger(const QString &section, const QString &ident, int def)
{
    return StrToIntDef(ReadString(section, ident, QString()), def);
}

void IniObject::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

IniFileObject::IniFileObject(const QString &fileName) : file_(ProfilePath(fileName)) {}

QString IniFileObject::ReadString(const QString &section, const QString &ident, const QString &def)
{
    return file_.ReadString(section, ident, def);
}

void IniFileObject::WriteString(const QString &section, const QString &ident, const QString &value)
{
    file_.WriteString(section, ident, quoted(value) ? QLatin1Char('"') + value + QLatin1Char('"') : value);
}

void IniFileObject::EraseSection(const QString &section)
{
    file_.EraseSection(section);
}

QStringList IniFileObject::ReadSection(const QString &section)
{
    return file_.ReadSection(section);
}

QString RegIniObject::ReadString(const QString &section, const QString &ident, const QString &def)
{
    return reg_.ReadString(section, ident, def);
}

void RegIniObject::WriteString(const QString &section, const QString &ident, const QString &value)
{
    reg_.WriteString(section, ident, value);
}

void RegIniObject::EraseSection(const QString &section)
{
    reg_.EraseSection(section);
}

QStringList RegIniObject::ReadSection(const QString &section)
{
    return reg_.ReadSection(section);
}

IniUpdate::~IniUpdate()
{
    if (!ini_)
        return;
    try {
        ini_->EndUpdate();
    } catch (const std::exception &) {
        // Leaving by an exception already; the store keeps its old file.
    }
}

// Names

void SetDefaultIniNameFunction(std::function<QString()> f)
{
    defaultIniName = std::move(f);
}

void SetUseApplicationTitle(bool on)
{
    useApplicationTitle = on;
}

void SetRegistryCompanyKey(const QString &company)
{
    companyKey = company;
}

QString DefaultIniFileName()
{
    if (defaultIniName)
        return defaultIniName();
    return programBaseName() + QStringLiteral(".INI");
}

QString DefaultRegistryKey()
{
    QString key = useApplicationTitle && !platform::ApplicationTitle().isEmpty() ? platform::ApplicationTitle()
                                                                                 : programBaseName();
    if (!companyKey.isEmpty())
        key = companyKey + QLatin1Char('\\') + key;
    return QStringLiteral("Software\\") + key;
}

QString DefaultSection(const QObject *component)
{
    if (!component)
        return QString();
    if (const platform::Form *form = platform::Form::FromWidget(component))
        return form->ClassName();
    const platform::Form *form = platform::Form::ParentForm(component->parent());
    if (component->isWidgetType()) {
        if (form)
            return form->ClassName() + component->objectName();
        const QObject *parent = component->parent();
        return (parent ? parent->objectName() : QString()) + component->objectName();
    }
    if (form)
        return QStringLiteral("%1.%2").arg(form->ClassName(), component->objectName());
    return component->objectName();
}

void WriteIntList(IniObject *ini, const QString &section, const QList<int> &values)
{
    if (!ini)
        return;
    for (int i = 0; i < values.size(); ++i)
        ini->WriteInteger(section, QStringLiteral("Item%1").arg(i), values[i]);
}

void ReadIntList(IniObject *ini, const QString &section, QList<int> &values)
{
    if (!ini)
        return;
    for (int i = 0; i < values.size(); ++i)
        values[i] = ini->ReadInteger(section, QStringLiteral("Item%1").arg(i), values[i]);
}

} // namespace qv
