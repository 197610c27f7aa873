#include "messaging/socket_error.h"
#include "platform/socket_errors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>

TEST(SocketErrors, ErrnoValuesTakeTheirWindowsSocketsCodes) {
    const std::pair<int, int> cases[] = {
        {EADDRINUSE, 10048},   {ECONNREFUSED, 10061}, {EACCES, 10013},        {EWOULDBLOCK, 10035},
        {EAGAIN, 10035},       {EINPROGRESS, 10036},  {ETIMEDOUT, 10060},     {ECONNRESET, 10054},
        {EHOSTUNREACH, 10065}, {ENETUNREACH, 10051},  {EADDRNOTAVAIL, 10049}, {EPIPE, 10058},
        {EMFILE, 10024},       {ENOTCONN, 10057},
    };
    for (const auto& [e, code] : cases)
        EXPECT_EQ(wsaCodeFromErrno(e), code) << "errno " << e;
}

TEST(SocketErrors, ResolverFailuresTakeTheResolverCodes) {
    EXPECT_EQ(wsaCodeFromAddrInfoError(EAI_NONAME, 0), 11001);
    EXPECT_EQ(wsaCodeFromAddrInfoError(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(wsaCodeFromAddrInfoError(EAI_FAIL, 0), 11003);
    EXPECT_EQ(wsaCodeFromAddrInfoError(EAI_NODATA, 0), 11004);
    EXPECT_EQ(wsaCodeFromAddrInfoError(EAI_SYSTEM, ECONNREFUSED), 10061);
}

TEST(SocketErrors, MessagesCarryThePlatformsEnglishText) {
    EXPECT_EQ(
        socketApiErrorFromErrno(EADDRINUSE, "bind").Message(),
        QStringLiteral("Windows socket error: Address already in use (10048), on API 'bind'"));
    EXPECT_EQ(socketApiError(11001, socketErrorText(11001), "ASync Lookup").Message(),
              QStringLiteral("Windows socket error: Name or service not known (11001), on API "
                             "'ASync Lookup'"));
    EXPECT_EQ(socketErrorText(10061), QStringLiteral("Connection refused"));
    EXPECT_EQ(asyncSocketError(10061).Message(), QStringLiteral("Asynchronous socket error 10061"));
}
