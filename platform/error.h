#pragma once
// The project's exception base: every failure our code raises carries a fixed, user-readable text.
#include <QString>
#include <exception>
#include <string>

namespace platform {

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
