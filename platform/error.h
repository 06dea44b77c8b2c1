#pragma once
// The project's exception base: every failure our code raises carries a fixed, user-readable text.
#include <QString>
#include <exception>
#include <string>

namespace platform {

// A sentence of a message with one stop at its end: "." is added unless it ends in ".", "!" or "?".
// Here rather than beside the message boxes, so that readers without windows can word their errors.
inline QString Punctuated(const QString &sentence)
{
    QString s = sentence;
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')) || s.endsWith(QLatin1Char('!')) || s.endsWith(QLatin1Char('?')))
        return s;
    return s + QLatin1Char('.');
}

class Error : public std::exception {
public:
    explicit Error(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// A file could not be read or written.
class FileError : public Error {
public:
    using Error::Error;
};

// Malformed stored data (form stream, registry value of the wrong type, ...).
class StreamError : public Error {
public:
    using Error::Error;
};

// Silent abort: ends the current action; caught by the application object and never reported.
class Abort : public Error {
public:
    Abort() : Error(QStringLiteral("Operation aborted")) {}
};

} // namespace platform
