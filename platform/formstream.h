#pragma once
// Stored property values of components ("Strings", "Keys", "Data", picture data): typed value lists in
// our own compact byte format. The reader rejects malformed input with StreamError and never reads past
// the end.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace platform {

enum class ValueType : uint8_t { ListEnd = 0, ListBegin = 1, Integer = 2, String = 3, False = 4, True = 5, Binary = 6 };

class FormWriter {
public:
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(qint64 value);
    void WriteString(const QString &value);
    void WriteBool(bool value);
    void WriteBinary(const QByteArray &value);
    const QByteArray &Data() const { return data_; }

private:
    void writeCount(quint64 n);
    QByteArray data_;
};

class FormReader {
public:
    explicit FormReader(const QByteArray &data) : data_(data) {}
    ValueType NextValue() const;       // raises at the end of data
    bool EndOfList() const;            // the next value is a list end
    bool AtEnd() const { return pos_ >= data_.size(); }
    void ReadListBegin();
    void ReadListEnd();
    qint64 ReadInteger();
    QString ReadString();
    bool ReadBool();
    QByteArray ReadBinary();
    void SkipValue();
    // The bytes of the next value as they stand: a reader over them reads that value again.
    QByteArray ReadRawValue();

private:
    uint8_t take();
    quint64 readCount();
    void expect(ValueType t);
    QByteArray data_;
    qsizetype pos_ = 0;
    int depth_ = 0;
};

} // namespace platform
