#pragma once

#include "platform/exceptions.h"

// A failure of the socket layer.
class ESocketError : public Exception {
public:
    using Exception::Exception;
};

// "Windows socket error: <text> (<code>), on API '<api>'".
ESocketError socketApiError(int wsaCode, const QString& text, const char* api);
// The same for a failed call that left errno set.
ESocketError socketApiErrorFromErrno(int errnoValue, const char* api);
// "Asynchronous socket error <code>".
ESocketError asyncSocketError(int wsaCode);
