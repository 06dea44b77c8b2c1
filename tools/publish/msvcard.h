#pragma once
#include "platform/textfile.h"
// One electronic business card in five groups, read and written as vCard text (written as version 2.1;
// the versions 1.2, 2.1 and 3.0 are read).
#include <QObject>
#include <QString>
#include <QStringList>

class QIODevice;

namespace publish {

// A set of enumeration values (the enumerations count from 0).
template <typename E>
class TmsSet {
public:
    TmsSet() = default;
    TmsSet(std::initializer_list<E> members)
    {
        for (E e : members)
            Include(e);
    }
    bool Contains(E e) const { return bits_ & Bit(e); }
    void Include(E e) { bits_ |= Bit(e); }
    void Exclude(E e) { bits_ &= ~Bit(e); }
    bool IsEmpty() const { return bits_ == 0; }
    bool operator==(const TmsSet &) const = default;

private:
    static quint32 Bit(E e) { return quint32(1) << int(e); }
    quint32 bits_ = 0;
};

enum TmsAddressType { msaDomestic, msaInternational, msaPostal, msaParcel, msaHome, msaWork };
enum TmsPhoneType {
    mstPreferred, mstWork, mstHome, mstVoice, mstFax, mstMessaging, mstCellular, mstPager, mstBBS, mstModem, mstCar,
    mstISDN, mstVideo,
};
enum TmsEmailType {
    mseDefault, mseAOL, mseAppleLink, mseATTMail, mseCompuserve, mseeWorld, mseInternet, mseIBM, mseMCI, msePowerShare,
    mseProdigy, mseTelex, mseX400,
};
constexpr int kAddressTypeCount = msaWork + 1;
constexpr int kPhoneTypeCount = mstVideo + 1;
constexpr int kEmailTypeCount = mseX400 + 1;

using TmsAddressTypes = TmsSet<TmsAddressType>;
using TmsPhoneTypes = TmsSet<TmsPhoneType>;

// The words written after ";" for each type, in enumeration order.
extern const char *const AddressTypeTokens[kAddressTypeCount];
extern const char *const PhoneTypeTokens[kPhoneTypeCount];
extern const char *const EmailTypeTokens[kEmailTypeCount];

// Assign copies field by field; Clear empties every text and set and sets the default mail type.
template <typename T>
struct TmsPersistent {
    void Assign(const T &source) { static_cast<T &>(*this) = source; }
    void Clear() { static_cast<T &>(*this) = T(); }
    bool operator==(const TmsPersistent &) const = default;
};

struct TmsNameRec : TmsPersistent<TmsNameRec> {
    QString FamilyName, GivenName, AdditionalNames, Prefix, Suffix;
    bool operator==(const TmsNameRec &) const = default;
};

struct TmsIdentification : TmsPersistent<TmsIdentification> {
    TmsNameRec Name;
    QString FormattedName;
    bool operator==(const TmsIdentification &) const = default;
};

struct TmsAddressRec : TmsPersistent<TmsAddressRec> {
    TmsAddressTypes Attributes;
    QString POAddress, ExtendedAddress, Street, Locality, Region, PostalCode, Country;
    bool operator==(const TmsAddressRec &) const = default;
};

struct TmsDeliveryInfo : TmsPersistent<TmsDeliveryInfo> {
    TmsAddressRec Address1, Address2;
    bool operator==(const TmsDeliveryInfo &) const = default;
};

struct TmsPhoneRec : TmsPersistent<TmsPhoneRec> {
    TmsPhoneTypes Attributes;
    QString Number;
    bool operator==(const TmsPhoneRec &) const = default;
};

struct TmsEmailRec : TmsPersistent<TmsEmailRec> {
    TmsEmailType EmailType = mseDefault;
    QString Address;
    bool operator==(const TmsEmailRec &) const = default;
};

struct TmsTelecomInfo : TmsPersistent<TmsTelecomInfo> {
    TmsPhoneRec Phone1, Phone2, Phone3;
    TmsEmailRec Email1, Email2;
    bool operator==(const TmsTelecomInfo &) const = default;
};

struct TmsCompanyRec : TmsPersistent<TmsCompanyRec> {
    QString Name, AUnit;
    bool operator==(const TmsCompanyRec &) const = default;
};

struct TmsBusinessInfo : TmsPersistent<TmsBusinessInfo> {
    QString Title, Role;
    TmsCompanyRec Company;
    bool operator==(const TmsBusinessInfo &) const = default;
};

struct TmsExplanatoryInfo : TmsPersistent<TmsExplanatoryInfo> {
    QStringList Comment;
    QString URL1, URL2;
    bool operator==(const TmsExplanatoryInfo &) const = default;
};

// Finds one property in the card's lines (also behind a group prefix such as "item1."), joins its
// continuation lines, removes them from the lines and splits it into parameters and values.
class TmsPropertyParser {
public:
    QStringList *Lines = nullptr; // not owned
    QString Name;                 // the property to look for
    QStringList Params;           // the property name first, then its parameters as written
    QStringList Types;            // the type words: bare parameters and each word of TYPE= lists
    QStringList Values;           // the value part decoded and split at unescaped ";", each unescaped
    QString Value;                // the whole value part decoded and unescaped

    int Find() const;
    // Continuation lines start with a blank or TAB, or follow a quoted-printable soft line break ("=").
    void Extract();
    void Split();
    // Extract then Split; false when the property is absent (the lists are then empty).
    bool Parse();
    const QString &Property() const { return buffer_; }

private:
    QString buffer_;
};

class TmsVCard : public QObject {
    Q_OBJECT
public:
    explicit TmsVCard(QObject *owner = nullptr);

    TmsIdentification Identification;
    TmsDeliveryInfo DeliveryInfo;
    TmsTelecomInfo TelecomInfo;
    TmsBusinessInfo BusinessInfo;
    TmsExplanatoryInfo ExplanatoryInfo;

    // Assign copies the other cards and the lines read too; Clear empties the groups and keeps both.
    void Assign(const TmsVCard &source);
    void Clear();
    // Forgets the text around the card read and the card's own lines (a new card is saved alone).
    void DropOtherCards();

    // Raise platform::FileError when the stream or file cannot be written or read.
    void SaveToStream(QIODevice &stream) const;
    void LoadFromStream(QIODevice &stream);
    void SaveToFile(const QString &fileName) const;
    void LoadFromFile(const QString &fileName);

    // The card's text, and reading it back. Only the first card of a text is read; the text before and after
    // it (other cards) is written back around it as it was read. A card read is written back as its lines
    // stood, in its version and with its line ends: a property the groups do not hold (a photo, a birthday,
    // a fourth phone) is kept, and only the lines of what changed are written anew. A new card is written
    // as version 2.1 with CR LF line ends, and so are the fields of a card of an older version.
    QString Text() const;
    void SetText(const QString &text);

private:
    struct ReadLine {
        QString text; // as it stood, its line break included
        int slot;     // the field it holds, or one of the marks below
        // Its logical line with the same line break: a card whose version changes on save reads folds
        // another way, so its folded lines are written whole then.
        QString unfolded;
    };
    bool sameAsRead(int slot) const;
    QString slotLine(int slot, bool modern) const;

    QString before_, after_;
    QList<ReadLine> read_; // the card's lines; empty for a new card
    QString lineEnd_ = QStringLiteral("\r\n");
    bool modern_ = false;  // version 3.0 or later: no quoted-printable, types as TYPE= lists
    // The encoding the card was read in, and so is written back in. New lines of a Windows-1252 card of
    // version 2.1 stay ASCII (quoted-printable UTF-8), so the file never mixes two encodings.
    platform::TextEncoding encoding_ = platform::TextEncoding::Utf8;
    bool bom_ = false;
    QByteArray bytes() const;
    bool upgrade_ = false; // a card of a version before 2.1 (as written here before): its fields are written anew
    int unclosed_ = 0;     // cards (the one read and those nested in it) that the text left open
    TmsIdentification readIdentification_;
    TmsDeliveryInfo readDeliveryInfo_;
    TmsTelecomInfo readTelecomInfo_;
    TmsBusinessInfo readBusinessInfo_;
    TmsExplanatoryInfo readExplanatoryInfo_;
};

} // namespace publish
