#pragma once
// String-list views of a memo: Lines (display lines) and Paragraphs.
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace platform {
class FormWriter;
class FormReader;
} // namespace platform

namespace textcontrol {

class MemoCore;

class TRiloMemoStrings {
public:
    explicit TRiloMemoStrings(MemoCore &memo) : memo_(memo) {}
    virtual ~TRiloMemoStrings() = default;
    virtual int Count() const = 0;
    virtual QString Get(int i) const = 0;
    virtual void Put(int i, const QString &s) = 0;
    virtual void Delete(int i) = 0;
    virtual void Insert(int i, const QString &s) = 0;
    void Add(const QString &s);
    QString Text() const;
    void SetText(const QString &text);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    void Assign(const QStringList &source); // lines joined with CR LF, then loaded
    QStringList ToStringList() const;
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    QString operator[](int i) const { return Get(i); }

protected:
    MemoCore &memo_;
};

class TRiloLinesStrings : public TRiloMemoStrings {
public:
    using TRiloMemoStrings::TRiloMemoStrings;
    int Count() const override;
    QString Get(int i) const override;
    void Put(int i, const QString &s) override;
    void Delete(int i) override;
    void Insert(int i, const QString &s) override;
    // Stored form "Strings": each paragraph in pieces of 254 characters marked by the character 5.
    void WriteData(platform::FormWriter &w) const;
    void ReadData(platform::FormReader &r);
};

class TRiloParaStrings : public TRiloMemoStrings {
public:
    using TRiloMemoStrings::TRiloMemoStrings;
    int Count() const override;
    QString Get(int i) const override;
    void Put(int i, const QString &s) override;
    void Delete(int i) override;
    void Insert(int i, const QString &s) override;
};

} // namespace textcontrol
