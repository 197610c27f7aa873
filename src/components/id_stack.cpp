#include "components/id_stack.h"

#include "components/id_exceptions.h"
#include "platform/socket_errors.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::array<std::pair<int, const char*>, 38> kErrorTexts{{
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
}};

std::unique_ptr<TIdStack> gSocketStack;
int gStackUsers = 0;
SocketStackFactory gFactory;

} // namespace

TIdStack::TIdStack() = default;
TIdStack::~TIdStack() = default;

const QList<QByteArray>& TIdStack::HostAddresses() {
    if (!hostAddresses_)
        hostAddresses_ = std::make_unique<QList<QByteArray>>();
    ListHostAddresses();
    return *hostAddresses_;
}

QByteArray TIdStack::FirstHostAddress() {
    const QList<QByteArray>& addresses = HostAddresses();
    if (addresses.isEmpty())
        throw EListError(0);
    return addresses.first();
}

QString TIdStack::SocketErrorText(int code) {
    QString text;
    for (const auto& [c, t] : kErrorTexts)
        if (c == code)
            text = QLatin1String(t);
    return QStringLiteral("Socket Error # %1\r\n%2").arg(code).arg(text);
}

QByteArray TIdStack::AddressText(const quint8 (&bytes)[4]) {
    QByteArray text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            text += '.';
        text += QByteArray::number(bytes[i]);
    }
    return text;
}

void TIdStack::FailOnSocketError(int result) {
    if (result != -1)
        return;
    const int code = LastSocketError();
    throw EIdSocketError(code, SocketErrorText(code));
}

TIdStackWinsock::TIdStackWinsock() {
    // No library to load or start on this platform; what it reports is fixed.
    libraryVersion_ = std::make_unique<TIdStackVersionWinsock>();
}

TIdStackWinsock::~TIdStackWinsock() = default;

QByteArray TIdStackWinsock::QueryHostName() {
    // The result of the call is not examined: a failure leaves the name empty.
    std::array<char, 251> buffer{};
    (void)::gethostname(buffer.data(), 250);
    return QByteArray(buffer.data());
}

void TIdStackWinsock::ListHostAddresses() {
    if (!hostAddresses_)
        hostAddresses_ = std::make_unique<QList<QByteArray>>();
    hostAddresses_->clear();
    QList<quint32> addresses;
    lastError_ = GetHostByName(QueryHostName(), addresses);
    FailOnSocketError(lastError_ != 0 ? -1 : 0);
    for (const quint32 a : addresses) {
        const quint8 bytes[4] = {static_cast<quint8>(a & 0xFF), static_cast<quint8>(a >> 8 & 0xFF),
                                 static_cast<quint8>(a >> 16 & 0xFF),
                                 static_cast<quint8>(a >> 24 & 0xFF)};
        hostAddresses_->append(AddressText(bytes));
    }
}

int TIdStackWinsock::GetHostByName(const QByteArray& name, QList<quint32>& addresses) {
    // A host entry keeps the resolver's order; getaddrinfo() would sort the addresses.
    hostent entry{};
    hostent* found = nullptr;
    int herr = 0;
    std::vector<char> buffer(1024);
    int rc = 0;
    while ((rc = ::gethostbyname2_r(name.constData(), AF_INET, &entry, buffer.data(), buffer.size(),
                                    &found, &herr)) == ERANGE &&
           buffer.size() < 1024 * 1024)
        buffer.resize(buffer.size() * 2);
    if (rc != 0 || found == nullptr) {
        switch (herr) {
        case HOST_NOT_FOUND:
            return wsa::HostNotFound;
        case TRY_AGAIN:
            return wsa::TryAgain;
        case NO_DATA:
            return wsa::NoData;
        default:
            return rc != 0 && rc != ERANGE ? wsaCodeFromErrno(rc) : wsa::NoRecovery;
        }
    }
    for (char** a = found->h_addr_list; a && *a; ++a) {
        quint32 networkOrder = 0;
        std::memcpy(&networkOrder, *a, sizeof networkOrder);
        addresses.append(networkOrder);
    }
    return 0;
}

TIdStack* SocketStack() {
    return gSocketStack.get();
}
int StackUsers() {
    return gStackUsers;
}
void setSocketStackFactory(SocketStackFactory factory) {
    gFactory = std::move(factory);
}

// The component family's use of the shared stack (see id_component.cpp).
void acquireSocketStack() {
    if (!gSocketStack)
        gSocketStack = gFactory ? gFactory() : std::make_unique<TIdStackWinsock>();
    ++gStackUsers;
}

void releaseSocketStack() {
    if (--gStackUsers == 0)
        gSocketStack.reset();
}
