#include "platform/socket_errors.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <utility>

namespace {

// errno values and their Windows Sockets codes; the first entry for a code gives its text.
constexpr std::array<std::pair<int, int>, 46> kErrnoCodes{{
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},        {ESHUTDOWN, 10058},
    {EPIPE, 10058},        {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    {EUSERS, 10068},       {EDQUOT, 10069},          {ESTALE, 10070},
    {EREMOTE, 10071},
}};

} // namespace

int wsaCodeFromErrno(int errnoValue) {
    if (errnoValue == EAGAIN)
        return wsa::WouldBlock;
    for (const auto& [e, code] : kErrnoCodes)
        if (e == errnoValue)
            return code;
    return errnoValue;
}

int wsaCodeFromAddrInfoError(int gaiError, int savedErrno) {
    switch (gaiError) {
    case 0:
        return 0;
    case EAI_NONAME:
        return wsa::HostNotFound;
    case EAI_AGAIN:
        return wsa::TryAgain;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return wsa::NoData;
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return savedErrno != 0 ? wsaCodeFromErrno(savedErrno) : wsa::NoRecovery;
    default:
        return wsa::NoRecovery;
    }
}

QString errnoText(int errnoValue) {
    // strerrordesc_np gives the untranslated text, whatever the locale.
    if (const char* text = strerrordesc_np(errnoValue))
        return QString::fromLatin1(text);
    return QStringLiteral("Unknown error %1").arg(errnoValue);
}

QString socketErrorText(int wsaCode) {
    switch (wsaCode) {
    case wsa::HostNotFound:
        return QStringLiteral("Name or service not known");
    case wsa::TryAgain:
        return QStringLiteral("Temporary failure in name resolution");
    case wsa::NoRecovery:
        return QStringLiteral("Non-recoverable failure in name resolution");
    case wsa::NoData:
        return QStringLiteral("No address associated with hostname");
    case wsa::WouldBlock:
        return errnoText(EWOULDBLOCK);
    default:
        break;
    }
    for (const auto& [e, code] : kErrnoCodes)
        if (code == wsaCode)
            return errnoText(e);
    return errnoText(wsaCode);
}
