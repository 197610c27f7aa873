#pragma once

#include "platform/exceptions.h"

// Errors of the local host identity components.
class EIdException : public Exception {
public:
    using Exception::Exception;
};

// A failed socket call; carries the platform's code besides the message.
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int code, const QString& message) : EIdException(message), code_(code) {}
    int LastError() const { return code_; }

private:
    int code_;
};

class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

// "Winsock Initialization Error."
class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed();
};

// "<library> could not be loaded."
class EIdStackCanNotLoadWinsock : public EIdException {
public:
    explicit EIdStackCanNotLoadWinsock(const QString& library);
};
