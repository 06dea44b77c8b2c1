// The speed bar's stored form: its properties, its sections and their items, in the form stream.
#include "speedbar.h"

#include "platform/formstream.h"

#include <QHash>
#include <climits>
#include <optional>

namespace speedbar {

namespace {

const QString kSection = QStringLiteral("TSpeedbarSection");
const QString kItem = QStringLiteral("TSpeedItem");

// A stored property as read: its name, its kind and its value as a form of its own, so that the
// property readers can read it again once the whole form is known to be sound.
struct Property {
    QString name;
    platform::ValueType type;
    QByteArray value;
};

// What a form holds, read whole before anything changes.
struct Stored {
    struct Child {
        QString className, name;
        QList<Property> properties;
    };
    QList<Property> properties;
    QList<Child> children;
};

// One value copied into a form of its own, so that it can be read again by the property readers.
QByteArray copyValue(platform::FormReader &r)
{
    platform::FormWriter w;
    switch (r.NextValue()) {
    case platform::ValueType::Integer:
        w.WriteInteger(r.ReadInteger());
        break;
    case platform::ValueType::String:
        w.WriteString(r.ReadString());
        break;
    case platform::ValueType::False:
    case platform::ValueType::True:
        w.WriteBool(r.ReadBool());
        break;
    case platform::ValueType::Binary:
        w.WriteBinary(r.ReadBinary());
        break;
    case platform::ValueType::ListBegin:
        r.ReadListBegin();
        w.WriteListBegin();
        while (!r.EndOfList())
            w.WriteString(r.ReadString()); // lists hold strings ("Sections")
        r.ReadListEnd();
        w.WriteListEnd();
        break;
    case platform::ValueType::ListEnd:
        throw platform::StreamError(QStringLiteral("A stored property has no value."));
    }
    return w.Data();
}

int toInt(qint64 v)
{
    if (v < INT_MIN || v > INT_MAX)
        throw platform::StreamError(QStringLiteral("A stored number is out of range."));
    return int(v);
}

// The kind each known property must have; unknown names are passed over.
std::optional<platform::ValueType> expected(const QString &className, const QString &name)
{
    using T = platform::ValueType;
    static const QHash<QString, T> bar = {{QStringLiteral("Align"), T::Integer},     {QStringLiteral("Position"), T::Integer},
                                          {QStringLiteral("Options"), T::Integer},   {QStringLiteral("BtnWidth"), T::Integer},
                                          {QStringLiteral("BtnHeight"), T::Integer}, {QStringLiteral("Version"), T::Integer},
                                          {QStringLiteral("InternalVer"), T::Integer}, {QStringLiteral("Sections"), T::ListBegin},
                                          {QStringLiteral("NewStyle"), T::True},     {QStringLiteral("AllowDrag"), T::True}};
    static const QHash<QString, T> section = {{QStringLiteral("Caption"), T::String}};
    static const QHash<QString, T> item = {{QStringLiteral("Caption"), T::String},    {QStringLiteral("Hint"), T::String},
                                           {QStringLiteral("SectionName"), T::String}, {QStringLiteral("Left"), T::Integer},
                                           {QStringLiteral("Top"), T::Integer},        {QStringLiteral("Tag"), T::Integer},
                                           {QStringLiteral("Section"), T::Integer},    {QStringLiteral("Visible"), T::True},
                                           {QStringLiteral("Stored"), T::True},        {QStringLiteral("Enabled"), T::True}};
    const QHash<QString, T> &table = className.isEmpty() ? bar : className == kSection ? section : item;
    const auto it = table.find(name);
    if (it == table.end())
        return std::nullopt;
    return *it;
}

QList<Property> readProperties(platform::FormReader &r, const QString &className)
{
    QList<Property> out;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        Property p;
        p.name = r.ReadString();
        const std::optional<platform::ValueType> want = expected(className, p.name);
        if (!want) {
            r.SkipValue();
            continue;
        }
        p.type = r.NextValue() == platform::ValueType::False ? platform::ValueType::True : r.NextValue();
        if (p.type != *want)
            throw platform::StreamError(QStringLiteral("The stored value of \"%1\" is of the wrong kind.").arg(p.name));
        p.value = copyValue(r);
        if (p.type == platform::ValueType::Integer)
            toInt(platform::FormReader(p.value).ReadInteger());
        out.append(p);
    }
    r.ReadListEnd();
    return out;
}

Stored readStored(const QByteArray &form)
{
    platform::FormReader r(form);
    Stored s;
    s.properties = readProperties(r, QString());
    r.ReadListBegin();
    while (!r.EndOfList()) {
        Stored::Child c;
        c.className = r.ReadString();
        if (c.className != kSection && c.className != kItem)
            throw platform::StreamError(QStringLiteral("A speed bar cannot hold a \"%1\".").arg(c.className));
        c.name = r.ReadString();
        c.properties = readProperties(r, c.className);
        s.children.append(c);
    }
    r.ReadListEnd();
    if (!r.AtEnd())
        throw platform::StreamError(QStringLiteral("The stored speed bar has data after its end."));
    return s;
}

void writeNamed(platform::FormWriter &w, const char *name, qint64 value)
{
    w.WriteString(QString::fromLatin1(name));
    w.WriteInteger(value);
}

void writeNamed(platform::FormWriter &w, const char *name, bool value)
{
    w.WriteString(QString::fromLatin1(name));
    w.WriteBool(value);
}

void writeNamed(platform::FormWriter &w, const char *name, const QString &value)
{
    w.WriteString(QString::fromLatin1(name));
    w.WriteString(value);
}

} // namespace

// Items

void TSpeedItem::DefineProperties(platform::FormWriter &w, const TSpeedItem *ancestor) const
{
    if (!ancestor || ancestor->SectionName() != SectionName())
        writeNamed(w, "SectionName", SectionName());
}

bool TSpeedItem::ReadProperty(const QString &name, platform::FormReader &r)
{
    if (name == QLatin1String("Section")) {
        const int index = toInt(r.ReadInteger());
        if (!sectionNameRead_)
            sectionIndex_ = index; // an old form's index, kept unless a name is read
        return true;
    }
    if (name == QLatin1String("SectionName")) {
        sectionName_ = r.ReadString();
        sectionNameRead_ = true;
        return true;
    }
    return false;
}

void TSpeedItem::JoinAfterReading(TSpeedBar *bar)
{
    if (!bar)
        return;
    const int index = sectionNameRead_ ? bar->SearchSection(sectionName_) : sectionIndex_;
    sectionNameRead_ = false;
    bar->AddItem(std::max(index, 0), this);
}

// The bar

void TSpeedBar::DefineProperties(platform::FormWriter &w, const TSpeedBar *ancestor) const
{
    if (!ancestor)
        writeNamed(w, "InternalVer", qint64(1));
}

bool TSpeedBar::ReadProperty(const QString &name, platform::FormReader &r, bool hasAncestor)
{
    if (name == QLatin1String("Sections")) {
        QStringList captions;
        r.ReadListBegin();
        while (!r.EndOfList())
            captions << r.ReadString();
        r.ReadListEnd();
        if (!(hasAncestor && captions.isEmpty()))
            ReadSections(captions);
        return true;
    }
    if (name == QLatin1String("NewStyle")) {
        newStyle_ = r.ReadBool();
        return true;
    }
    if (name == QLatin1String("InternalVer")) {
        internalVer_ = toInt(r.ReadInteger());
        return true;
    }
    if (name == QLatin1String("AllowDrag")) {
        if (r.ReadBool())
            options_ |= sbAllowDrag;
        return true;
    }
    return false;
}

void TSpeedBar::WriteForm(platform::FormWriter &w, const TSpeedBar *ancestor) const
{
    w.WriteListBegin();
    writeNamed(w, "Align", qint64(align_));
    writeNamed(w, "Position", qint64(position_));
    writeNamed(w, "Options", qint64(options_));
    writeNamed(w, "BtnWidth", qint64(btnWidth_));
    writeNamed(w, "BtnHeight", qint64(btnHeight_));
    writeNamed(w, "Version", qint64(version_));
    DefineProperties(w, ancestor);
    w.WriteListEnd();

    // Sections first, then the items, so that every item finds its section when it is read.
    w.WriteListBegin();
    for (const TSpeedbarSection *section : sections_) {
        w.WriteString(kSection);
        w.WriteString(section->objectName());
        w.WriteListBegin();
        writeNamed(w, "Caption", section->Caption());
        w.WriteListEnd();
    }
    for (const TSpeedbarSection *section : sections_)
        for (const TSpeedItem *item : section->items_) {
            if (item->parent() == this)
                continue;
            const TSpeedItem *before = ancestor ? ancestor->FindItemByName(item->objectName()) : nullptr;
            w.WriteString(kItem);
            w.WriteString(item->objectName());
            w.WriteListBegin();
            writeNamed(w, "Caption", item->Caption());
            writeNamed(w, "Hint", item->Hint());
            writeNamed(w, "Left", qint64(item->Left()));
            writeNamed(w, "Top", qint64(item->Top()));
            writeNamed(w, "Visible", item->Visible());
            writeNamed(w, "Stored", item->Stored());
            writeNamed(w, "Enabled", item->Enabled());
            writeNamed(w, "Tag", qint64(item->Tag()));
            item->DefineProperties(w, before);
            w.WriteListEnd();
        }
    w.WriteListEnd();
}

void TSpeedBar::ReadForm(const QByteArray &form, QObject *itemOwner)
{
    // The whole form is read and checked before the bar changes.
    const Stored stored = readStored(form);
    SetLoading(true);
    internalVer_ = 0;
    for (const Property &p : stored.properties) {
        const QString &name = p.name;
        platform::FormReader r(p.value);
        if (ReadProperty(name, r))
            continue;
        if (name == QLatin1String("Align"))
            setAlignValue(toInt(r.ReadInteger()));
        else if (name == QLatin1String("Position"))
            position_ = r.ReadInteger() == bpCustom ? bpCustom : bpAuto;
        else if (name == QLatin1String("Options"))
            options_ = TSpeedbarOptions(toInt(r.ReadInteger())) & 63u;
        else if (name == QLatin1String("BtnWidth"))
            btnWidth_ = std::max(1, toInt(r.ReadInteger()));
        else if (name == QLatin1String("BtnHeight"))
            btnHeight_ = std::max(1, toInt(r.ReadInteger()));
        else if (name == QLatin1String("Version"))
            version_ = toInt(r.ReadInteger());
    }
    QList<TSpeedItem *> items;
    for (const Stored::Child &c : stored.children) {
        if (c.className == kSection) {
            QString caption;
            for (const Property &p : c.properties)
                if (p.name == QLatin1String("Caption"))
                    caption = platform::FormReader(p.value).ReadString();
            // A section named in an old form's "Sections" is the same section.
            if (SearchSection(caption) >= 0)
                continue;
            auto *section = new TSpeedbarSection(this);
            section->setObjectName(c.name);
            section->caption_ = caption;
            AddSection(section);
            continue;
        }
        auto *item = new TSpeedItem(itemOwner);
        item->setObjectName(c.name);
        for (const Property &p : c.properties) {
            const QString &name = p.name;
            platform::FormReader r(p.value);
            if (item->ReadProperty(name, r))
                continue;
            if (name == QLatin1String("Caption"))
                item->SetCaption(r.ReadString());
            else if (name == QLatin1String("Hint"))
                item->SetHint(r.ReadString());
            else if (name == QLatin1String("Left"))
                item->SetLeft(toInt(r.ReadInteger()));
            else if (name == QLatin1String("Top"))
                item->SetTop(toInt(r.ReadInteger()));
            else if (name == QLatin1String("Visible"))
                item->visible_ = r.ReadBool(); // applied when loading ends
            else if (name == QLatin1String("Stored"))
                item->SetStored(r.ReadBool());
            else if (name == QLatin1String("Enabled"))
                item->SetEnabled(r.ReadBool());
            else if (name == QLatin1String("Tag"))
                item->SetTag(toInt(r.ReadInteger()));
        }
        items << item;
    }
    // Items join once every section is there.
    for (TSpeedItem *item : std::as_const(items))
        item->JoinAfterReading(this);
    Loaded();
}

} // namespace speedbar
