#pragma once

#include <QString>

// Socket error codes in the Windows Sockets numbering, which the program's messages show
// ("Asynchronous socket error 10061"), and the platform's English text for each.
namespace wsa {
constexpr int WouldBlock = 10035;
constexpr int InProgress = 10036;
constexpr int NotConnected = 10057;
constexpr int ConnectionRefused = 10061;
// The resolver's own codes.
constexpr int HostNotFound = 11001;
constexpr int TryAgain = 11002;
constexpr int NoRecovery = 11003;
constexpr int NoData = 11004;
} // namespace wsa

// The code for an errno value; a value without a counterpart keeps its own number.
int wsaCodeFromErrno(int errnoValue);

// The code for a getaddrinfo() result (savedErrno is errno right after an EAI_SYSTEM result).
int wsaCodeFromAddrInfoError(int gaiError, int savedErrno);

// The platform's text for an errno value, in English whatever the locale.
QString errnoText(int errnoValue);

// The platform's text for a code, in English ("Connection refused", "Name or service not known").
QString socketErrorText(int wsaCode);
