#pragma once

#include <QString>
#include <exception>
#include <string>

// Errors of the program: each carries a message in the program's own words. Handlers never
// return error codes; a failure is one of these, caught at the dispatch point (guard.h).
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// A file that cannot be opened for reading: "Cannot open file %s".
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const QString& fileName);
};

// A file that cannot be created or written: "Cannot create file %s".
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const QString& fileName);
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(int index);
};

// The error box's text: the message, with "." appended when its last character sorts
// after the full stop in code page 1251 (so not after ".", "!", ")" or an apostrophe).
QString errorBoxText(const QString& message);
