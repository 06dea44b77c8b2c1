#include "formstream.h"

#include "error.h"

namespace platform {
namespace {

[[noreturn]] void malformed(const char *what)
{
    throw StreamError(QStringLiteral("Invalid stream format (%1)").arg(QLatin1String(what)));
}

} // namespace

void FormWriter::writeCount(quint64 n)
{
    do {
        uint8_t b = n & 0x7f;
        n >>= 7;
        if (n)
            b |= 0x80;
        data_.append(char(b));
    } while (n);
}

void FormWriter::WriteListBegin() { data_.append(char(ValueType::ListBegin)); }
void FormWriter::WriteListEnd() { data_.append(char(ValueType::ListEnd)); }

void FormWriter::WriteInteger(qint64 value)
{
    data_.append(char(ValueType::Integer));
    writeCount((quint64(value) << 1) ^ quint64(value >> 63)); // zig-zag keeps small negatives short
}

void FormWriter::WriteString(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    data_.append(char(ValueType::String));
    writeCount(quint64(utf8.size()));
    data_.append(utf8);
}

void FormWriter::WriteBool(bool value)
{
    data_.append(char(value ? ValueType::True : ValueType::False));
}

void FormWriter::WriteBinary(const QByteArray &value)
{
    data_.append(char(ValueType::Binary));
    writeCount(quint64(value.size()));
    data_.append(value);
}

uint8_t FormReader::take()
{
    if (pos_ >= data_.size())
        malformed("unexpected end of data");
    return uint8_t(data_[pos_++]);
}

quint64 FormReader::readCount()
{
    quint64 n = 0;
    for (int shift = 0;; shift += 7) {
        if (shift > 63)
            malformed("number too long");
        const uint8_t b = take();
        n |= quint64(b & 0x7f) << shift;
        if (!(b & 0x80))
            return n;
    }
}

ValueType FormReader::NextValue() const
{
    if (pos_ >= data_.size())
        malformed("unexpected end of data");
    const uint8_t t = uint8_t(data_[pos_]);
    if (t > uint8_t(ValueType::Binary))
        malformed("unknown value type");
    return ValueType(t);
}

bool FormReader::EndOfList() const
{
    return NextValue() == ValueType::ListEnd;
}

void FormReader::expect(ValueType t)
{
    if (NextValue() != t)
        malformed("unexpected value type");
    ++pos_;
}

void FormReader::ReadListBegin()
{
    if (depth_ >= 256)
        malformed("lists nested too deeply");
    expect(ValueType::ListBegin);
    ++depth_;
}

void FormReader::ReadListEnd()
{
    if (depth_ == 0)
        malformed("list end outside a list");
    expect(ValueType::ListEnd);
    --depth_;
}

qint64 FormReader::ReadInteger()
{
    expect(ValueType::Integer);
    const quint64 z = readCount();
    return qint64(z >> 1) ^ -qint64(z & 1);
}

QString FormReader::ReadString()
{
    expect(ValueType::String);
    const quint64 n = readCount();
    if (n > quint64(data_.size() - pos_))
        malformed("string runs past the end");
    const QString s = QString::fromUtf8(data_.constData() + pos_, qsizetype(n));
    pos_ += qsizetype(n);
    return s;
}

bool FormReader::ReadBool()
{
    const ValueType t = NextValue();
    if (t != ValueType::True && t != ValueType::False)
        malformed("unexpected value type");
    ++pos_;
    return t == ValueType::True;
}

QByteArray FormReader::ReadBinary()
{
    expect(ValueType::Binary);
    const quint64 n = readCount();
    if (n > quint64(data_.size() - pos_))
        malformed("binary data runs past the end");
    const QByteArray b = data_.mid(pos_, qsizetype(n));
    pos_ += qsizetype(n);
    return b;
}

void FormReader::SkipValue()
{
    switch (NextValue()) {
    case ValueType::ListBegin: {
        ReadListBegin();
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    }
    case ValueType::ListEnd: malformed("unexpected list end");
    case ValueType::Integer: ReadInteger(); break;
    case ValueType::String: ReadString(); break;
    case ValueType::False:
    case ValueType::True: ReadBool(); break;
    case ValueType::Binary: ReadBinary(); break;
    }
}

QByteArray FormReader::ReadRawValue()
{
    const qsizetype start = pos_;
    SkipValue();
    return data_.mid(start, pos_ - start);
}

} // namespace platform
