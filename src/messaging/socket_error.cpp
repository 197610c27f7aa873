#include "messaging/socket_error.h"

#include "platform/socket_errors.h"

ESocketError socketApiError(int wsaCode, const QString& text, const char* api) {
    return ESocketError(QStringLiteral("Windows socket error: %1 (%2), on API '%3'")
                            .arg(text)
                            .arg(wsaCode)
                            .arg(QLatin1String(api)));
}

ESocketError socketApiErrorFromErrno(int errnoValue, const char* api) {
    return socketApiError(wsaCodeFromErrno(errnoValue), errnoText(errnoValue), api);
}

ESocketError asyncSocketError(int wsaCode) {
    return ESocketError(QStringLiteral("Asynchronous socket error %1").arg(wsaCode));
}
