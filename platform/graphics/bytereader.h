#pragma once
// Bounds-checked little-endian reading and writing over bytes in memory, for the picture file parsers.
// Reading past the end raises StreamError("Stream read error") and never touches memory beyond the data.
#include "platform/error.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>

namespace platform {

class ByteReader {
public:
    ByteReader(const char *data, qsizetype size) : data_(reinterpret_cast<const uint8_t *>(data)), size_(size) {}
    explicit ByteReader(const QByteArray &bytes) : ByteReader(bytes.constData(), bytes.size()) {}

    qsizetype Position() const { return pos_; }
    qsizetype Size() const { return size_; }
    qsizetype Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    void Seek(qsizetype pos)
    {
        if (pos < 0 || pos > size_)
            fail();
        pos_ = pos;
    }
    void Skip(qsizetype n) { Seek(pos_ + need(n)); }

    uint8_t U8()
    {
        need(1);
        return data_[pos_++];
    }
    uint16_t U16()
    {
        need(2);
        const uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t U32()
    {
        need(4);
        const uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
                           uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    int32_t I32() { return int32_t(U32()); }
    void Read(void *dest, qsizetype n)
    {
        need(n);
        if (n)
            std::memcpy(dest, data_ + pos_, size_t(n));
        pos_ += n;
    }
    QByteArray Bytes(qsizetype n)
    {
        need(n);
        QByteArray out(reinterpret_cast<const char *>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    // The data at the read position (Remaining() bytes).
    const uint8_t *Here() const { return data_ + pos_; }

private:
    qsizetype need(qsizetype n) const
    {
        if (n < 0 || n > size_ - pos_)
            fail();
        return n;
    }
    [[noreturn]] static void fail() { throw StreamError(QStringLiteral("Stream read error")); }

    const uint8_t *data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

// Appends little-endian values to a byte array.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray &out) : out_(out) {}
    void U8(unsigned v) { out_.append(char(v & 0xFF)); }
    void U16(unsigned v)
    {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Bytes(const void *p, qsizetype n) { out_.append(static_cast<const char *>(p), n); }
    void Bytes(const QByteArray &b) { out_.append(b); }

private:
    QByteArray &out_;
};

} // namespace platform
