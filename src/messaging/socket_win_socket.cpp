#include "messaging/socket_win_socket.h"

#include "messaging/socket_error.h"
#include "platform/guard.h"
#include "platform/resolver.h"
#include "platform/services.h"
#include "platform/socket_errors.h"

#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

bool wouldBlock(int e) {
    return e == EAGAIN || e == EWOULDBLOCK || e == EINTR;
}

sockaddr* asSockaddr(sockaddr_in& sa) {
    return reinterpret_cast<sockaddr*>(&sa);
}

sockaddr_in ipv4(quint32 address, quint16 port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

} // namespace

// Marks the handling of one notification: the socket's notifiers are off until it ends, so
// a handler that opens a box (a nested loop) is not entered again for the same socket.
class DispatchScope {
public:
    explicit DispatchScope(TCustomWinSocket& socket) : socket_(socket) {
        ++socket_.dispatchDepth_;
        socket_.updateNotifiers();
    }
    ~DispatchScope() { socket_.leaveDispatch(); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    TCustomWinSocket& socket_;
};

// ---- TCustomWinSocket

TCustomWinSocket::TCustomWinSocket(int handle, QObject* parent) : QObject(parent) {
    if (handle >= 0)
        attachHandle(handle);
}

TCustomWinSocket::~TCustomWinSocket() {
    closeQuietly();
}

void TCustomWinSocket::attachHandle(int handle) {
    handle_ = handle;
    ++generation_;
    asked_ = NoNotifications;
    readDue_ = writeDue_ = connectPending_ = connectOutcomeQueued_ = closeSeen_ = false;
    const quint64 generation = generation_;
    readNotifier_ = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    readNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, [this, generation] {
        if (generation == generation_)
            guarded([this] { readReady(); });
    });
    writeNotifier_ = new QSocketNotifier(handle, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this, generation] {
        if (generation == generation_)
            guarded([this] { writeReady(); });
    });
}

void TCustomWinSocket::AsyncSelect(unsigned notifications) {
    asked_ = notifications;
    readDue_ = (notifications & (ReadNotification | AcceptNotification | CloseNotification)) != 0;
    writeDue_ = connected_ && (notifications & WriteNotification) != 0;
    updateNotifiers();
}

void TCustomWinSocket::markConnected() {
    connected_ = true;
    readDue_ = true;
    writeDue_ = true;
    updateNotifiers();
}

void TCustomWinSocket::setAddress(quint32 address, quint16 port) {
    address_ = address;
    port_ = port;
}

void TCustomWinSocket::expectConnectOutcome(int deferredError) {
    connectPending_ = true;
    if (deferredError != 0) {
        // Known already: kept off the write notifier, which would find no error left to read.
        connectOutcomeQueued_ = true;
        QTimer::singleShot(0, this, [this, deferredError, generation = generation_] {
            if (generation == generation_ && connectPending_)
                guarded([&] {
                    DispatchScope scope(*this);
                    connectNotification(deferredError);
                });
        });
    }
    updateNotifiers();
}

void TCustomWinSocket::updateNotifiers() {
    if (handle_ < 0 || !readNotifier_ || !writeNotifier_)
        return;
    const bool idle = dispatchDepth_ == 0;
    const bool read = idle && readDue_ && !connectPending_ && !closeSeen_ &&
                      (asked_ & (ReadNotification | AcceptNotification | CloseNotification));
    const bool write =
        idle && ((connectPending_ && !connectOutcomeQueued_ && (asked_ & ConnectNotification)) ||
                 (connected_ && writeDue_ && ((asked_ & WriteNotification) || closeAfterWrite_)));
    if (readNotifier_->isEnabled() != read)
        readNotifier_->setEnabled(read);
    if (writeNotifier_->isEnabled() != write)
        writeNotifier_->setEnabled(write);
}

void TCustomWinSocket::dropNotifiers() {
    for (QSocketNotifier** n : {&readNotifier_, &writeNotifier_}) {
        if (!*n)
            continue;
        // Never deleted inside its own signal: it may be the one being handled now.
        (*n)->setEnabled(false);
        (*n)->disconnect(this);
        (*n)->deleteLater();
        *n = nullptr;
    }
}

void TCustomWinSocket::closeHandle(CloseReport report) {
    const int fd = handle_;
    dropNotifiers();
    handle_ = -1;
    ++generation_;
    asked_ = NoNotifications;
    readDue_ = writeDue_ = connectPending_ = connectOutcomeQueued_ = closeSeen_ = false;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR && report == CloseReport::Raise)
        throw socketApiErrorFromErrno(errno, "closesocket");
}

void TCustomWinSocket::closeQuietly() {
    std::lock_guard guard(lock_);
    if (lookupId_ != 0) {
        if (IResolver* resolver = services().resolver.get())
            resolver->abort(lookupId_);
        lookupId_ = 0;
    }
    dropPendingWrite();
    closeHandle(CloseReport::Quiet);
    address_ = 0;
    port_ = 0;
    connected_ = false;
}

void TCustomWinSocket::dispatch(const std::function<void()>& f) {
    DispatchScope scope(*this);
    f();
}

void TCustomWinSocket::afterDispatch(std::function<void()> f) {
    afterDispatch_ = std::move(f);
    runAfterDispatch();
}

void TCustomWinSocket::leaveDispatch() {
    --dispatchDepth_;
    updateNotifiers();
    runAfterDispatch();
}

void TCustomWinSocket::runAfterDispatch() {
    // On a later turn: whatever it does (a release) must not pull this object from under
    // the call that is returning now.
    if (dispatchDepth_ == 0 && afterDispatch_)
        QTimer::singleShot(0, [f = std::exchange(afterDispatch_, nullptr)] { f(); });
}

void TCustomWinSocket::readReady() {
    DispatchScope scope(*this);
    const int fd = handle_;
    if (asked_ & AcceptNotification) {
        Accept(fd);
        return;
    }
    if (!connected_)
        return;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0) {
        readDue_ = false;
        Read(fd);
        return;
    }
    // Nothing waiting yet readable: the peer has closed, gracefully or not.
    char probe = 0;
    const ssize_t r = ::recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r > 0) {
        readDue_ = false;
        Read(fd);
        return;
    }
    const int error = r == 0 ? 0 : errno;
    if (r < 0 && wouldBlock(error))
        return;
    closeSeen_ = true;
    updateNotifiers();
    // A reset while a whole text is still being handed over means the text did not go out:
    // that is the send's failure.
    if (error != 0 && closeAfterWrite_) {
        sendFailure(error);
        return;
    }
    closeNotification(error == 0 ? 0 : wsaCodeFromErrno(error));
}

void TCustomWinSocket::writeReady() {
    DispatchScope scope(*this);
    const int fd = handle_;
    if (connectPending_) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        connectNotification(error != 0 ? wsaCodeFromErrno(error) : 0);
        return;
    }
    if (!connected_)
        return;
    writeDue_ = false;
    if (closeAfterWrite_) {
        flushPendingWrite();
        return;
    }
    Write(fd);
}

void TCustomWinSocket::connectNotification(int error) {
    connectPending_ = connectOutcomeQueued_ = false;
    if (error == 0) {
        Connect(handle_);
        return;
    }
    int code = error;
    Error(this, TErrorEvent::eeConnect, code);
    // No disconnect event: the failed socket is dropped and the next open makes a new one.
    closeQuietly();
    if (code != 0)
        throw asyncSocketError(code);
}

void TCustomWinSocket::closeNotification(int error) {
    if (error == 0) {
        // A whole-text write goes on; the close follows once the text is handed over or the
        // send fails.
        if (closeAfterWrite_)
            return;
        Disconnect(handle_);
        return;
    }
    int code = error;
    Error(this, TErrorEvent::eeDisconnect, code);
    // The connection is gone: close it rather than leave a dead socket that never ends.
    Disconnect(handle_);
    if (code != 0)
        throw asyncSocketError(code);
}

void TCustomWinSocket::Accept(int /*socket*/) {}

void TCustomWinSocket::Connect(int /*socket*/) {}

void TCustomWinSocket::Read(int socket) {
    if (socket != handle_)
        return;
    Event(this, TSocketEvent::seRead);
}

void TCustomWinSocket::Write(int socket) {
    if (socket != handle_)
        return;
    Event(this, TSocketEvent::seWrite);
}

void TCustomWinSocket::Event(TCustomWinSocket* Socket, TSocketEvent SocketEvent) {
    if (OnSocketEvent)
        OnSocketEvent(Socket, SocketEvent);
}

void TCustomWinSocket::Error(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode) {
    if (OnErrorEvent)
        OnErrorEvent(Socket, ErrorEvent, ErrorCode);
}

void TCustomWinSocket::Disconnect(int socket) {
    std::lock_guard guard(lock_);
    if (socket != handle_ || disconnecting_)
        return;
    disconnecting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{disconnecting_};

    if (lookupId_ != 0) {
        if (IResolver* resolver = services().resolver.get())
            resolver->abort(lookupId_);
        lookupId_ = 0;
    }
    dropPendingWrite();
    if (handle_ < 0) {
        address_ = 0;
        port_ = 0;
        connected_ = false;
        return;
    }
    const quint64 generation = generation_;
    auto finish = [&] {
        // A handler of the event may already have opened a new socket: leave that one be.
        if (generation != generation_)
            return;
        address_ = 0;
        port_ = 0;
        connected_ = false;
        closeHandle(CloseReport::Raise);
    };
    try {
        Event(this, TSocketEvent::seDisconnect);
    } catch (...) {
        // A failing handler must not leave a connection that can never be opened again.
        if (generation == generation_) {
            address_ = 0;
            port_ = 0;
            connected_ = false;
            closeHandle(CloseReport::Quiet);
        }
        throw;
    }
    finish();
}

void TCustomWinSocket::Close() {
    Disconnect(handle_);
}

quint16 TCustomWinSocket::LocalPort() const {
    if (handle_ < 0)
        return 0;
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (::getsockname(handle_, asSockaddr(sa), &length) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

QByteArray TCustomWinSocket::ReadAvailableText() {
    std::lock_guard guard(lock_);
    if (!connected_)
        return {};
    int waiting = 0;
    if (::ioctl(handle_, FIONREAD, &waiting) != 0 || waiting < 0)
        waiting = 0;
    QByteArray bytes(waiting, Qt::Uninitialized);
    const ssize_t r = ::recv(handle_, bytes.data(), static_cast<size_t>(waiting), 0);
    const int error = errno;
    // A receive call re-enables the read notification.
    readDue_ = true;
    updateNotifiers();
    if (r < 0) {
        if (!wouldBlock(error))
            receiveFailure(error);
        return {};
    }
    bytes.truncate(r);
    return bytes;
}

void TCustomWinSocket::receiveFailure(int errnoValue) {
    const int code = wsaCodeFromErrno(errnoValue);
    int reported = code;
    Error(this, TErrorEvent::eeReceive, reported);
    Disconnect(handle_);
    if (reported != 0)
        throw socketApiError(code, errnoText(errnoValue), "recv");
}

int TCustomWinSocket::WriteText(const QByteArray& text) {
    std::lock_guard guard(lock_);
    if (!connected_)
        return 0;
    // A whole-text write still under way keeps the connection's byte order.
    if (closeAfterWrite_)
        return -1;
    const ssize_t r =
        ::send(handle_, text.constData(), static_cast<size_t>(text.size()), MSG_NOSIGNAL);
    if (r >= 0)
        return static_cast<int>(r);
    const int error = errno;
    if (wouldBlock(error)) {
        // The platform tells again once it can take more.
        writeDue_ = true;
        updateNotifiers();
        return -1;
    }
    sendFailure(error);
    return 0;
}

void TCustomWinSocket::sendFailure(int errnoValue) {
    dropPendingWrite();
    const int code = wsaCodeFromErrno(errnoValue);
    int reported = code;
    Error(this, TErrorEvent::eeSend, reported);
    Disconnect(handle_);
    if (reported != 0)
        throw socketApiError(code, errnoText(errnoValue), "send");
}

void TCustomWinSocket::WriteTextAndClose(const QByteArray& text, std::function<void()> written) {
    std::lock_guard guard(lock_);
    if (!connected_) {
        int reported = wsa::NotConnected;
        Error(this, TErrorEvent::eeSend, reported);
        Disconnect(handle_);
        if (reported != 0)
            throw socketApiError(wsa::NotConnected, socketErrorText(wsa::NotConnected), "send");
        return;
    }
    if (closeAfterWrite_) {
        pendingWrite_ += text;
        written_ = [first = std::move(written_), second = std::move(written)] {
            if (first)
                first();
            if (second)
                second();
        };
    } else {
        closeAfterWrite_ = true;
        pendingWrite_ = text;
        pendingOffset_ = 0;
        written_ = std::move(written);
    }
    flushPendingWrite();
}

void TCustomWinSocket::flushPendingWrite() {
    bool progressed = false;
    while (pendingOffset_ < pendingWrite_.size()) {
        const ssize_t r =
            ::send(handle_, pendingWrite_.constData() + pendingOffset_,
                   static_cast<size_t>(pendingWrite_.size() - pendingOffset_), MSG_NOSIGNAL);
        if (r >= 0) {
            pendingOffset_ += r;
            progressed = progressed || r > 0;
            continue;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        if (wouldBlock(error)) {
            writeDue_ = true;
            updateNotifiers();
            watchForStall(progressed);
            return;
        }
        sendFailure(error);
        return;
    }
    auto written = std::exchange(written_, nullptr);
    dropPendingWrite();
    Disconnect(handle_);
    if (written)
        written();
}

void TCustomWinSocket::dropPendingWrite() {
    closeAfterWrite_ = false;
    pendingWrite_.clear();
    pendingOffset_ = 0;
    written_ = nullptr;
    if (stallTimer_)
        stallTimer_->stop();
}

void TCustomWinSocket::setWriteStallTimeout(int ms) {
    stallMs_ = ms;
}

void TCustomWinSocket::watchForStall(bool progressed) {
    if (!stallTimer_) {
        stallTimer_ = new QTimer(this);
        stallTimer_->setSingleShot(true);
        connect(stallTimer_, &QTimer::timeout, this, [this] { writeStalled(); });
    }
    if (progressed || !stallTimer_->isActive())
        stallTimer_->start(stallMs_);
}

void TCustomWinSocket::writeStalled() {
    if (!closeAfterWrite_)
        return;
    // A box of this socket's own is up: its handler is not to be entered from here.
    if (dispatching()) {
        stallTimer_->start(stallMs_);
        return;
    }
    guarded([this] {
        DispatchScope scope(*this);
        sendFailure(ETIMEDOUT);
    });
}

QByteArray TCustomWinSocket::PeerHostName() {
    std::lock_guard guard(lock_);
    if (!connected_)
        return {};
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (::getpeername(handle_, asSockaddr(sa), &length) != 0)
        throw socketApiErrorFromErrno(errno, "getpeername");
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(asSockaddr(sa), length, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        return {};
    return QByteArray(host);
}

// ---- TClientWinSocket

TClientWinSocket::TClientWinSocket(QObject* parent) : TCustomWinSocket(-1, parent) {}

TClientWinSocket::~TClientWinSocket() = default;

bool TClientWinSocket::Opening() const {
    return pendingLookup() != 0 || connecting();
}

void TClientWinSocket::Open(const QByteArray& host, int port) {
    std::lock_guard guard(lock_);
    // A restart: the earlier attempt goes without a trace and can never connect.
    closeQuietly();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESocketError(QStringLiteral("Can't create new socket"));
    attachHandle(fd);
    const auto portBits = static_cast<quint16>(port & 0xFFFF);
    try {
        Event(this, TSocketEvent::seLookup);
        if (SocketHandle() != fd)
            return;
        QPointer<TClientWinSocket> self(this);
        const quint64 attempt = generation();
        lookupStarted(services().resolver->lookupHost(
            host, [self, attempt, portBits](const HostLookup& result) {
                TClientWinSocket* socket = self.data();
                if (socket != nullptr && socket->generation() == attempt)
                    guarded([&] { socket->lookupComplete(result, portBits); });
            }));
    } catch (...) {
        Disconnect(fd);
        throw;
    }
}

void TClientWinSocket::lookupComplete(const HostLookup& result, quint16 port) {
    std::lock_guard guard(lock_);
    if (result.id != pendingLookup())
        return;
    lookupFinished();
    dispatch([&] {
        int error = result.error;
        QString text = result.errorText;
        if (error == 0 && result.addresses.isEmpty()) {
            error = wsa::NoData;
            text = socketErrorText(error);
        }
        if (error != 0) {
            int reported = error;
            Error(this, TErrorEvent::eeLookup, reported);
            Disconnect(SocketHandle());
            if (reported != 0)
                throw socketApiError(error, text, "ASync Lookup");
            return;
        }
        const int fd = SocketHandle();
        try {
            setAddress(result.addresses.first(), port);
            AsyncSelect(ConnectionNotifications);
            Event(this, TSocketEvent::seConnecting);
            if (SocketHandle() != fd)
                return;
            // A computer that does not answer is given up after about 15 s, as Windows
            // does after some 20 s, rather than after Linux's two minutes.
            const int synRetries = 3;
            (void)::setsockopt(fd, IPPROTO_TCP, TCP_SYNCNT, &synRetries, sizeof synRetries);
            sockaddr_in sa = ipv4(result.addresses.first(), port);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
                expectConnectOutcome(0);
                return;
            }
            const int e = errno;
            if (e == EINPROGRESS || wouldBlock(e))
                expectConnectOutcome(0);
            else if (e == ECONNREFUSED || e == ETIMEDOUT || e == EHOSTUNREACH)
                // Outcomes of the connection itself arrive as its notification.
                expectConnectOutcome(wsaCodeFromErrno(e));
            else
                throw socketApiErrorFromErrno(e, "connect");
        } catch (...) {
            Disconnect(fd);
            throw;
        }
    });
}

void TClientWinSocket::Connect(int socket) {
    if (socket != SocketHandle())
        return;
    markConnected();
    Event(this, TSocketEvent::seConnect);
}

// ---- TServerClientWinSocket

TServerClientWinSocket::TServerClientWinSocket(int handle, TServerWinSocket* server,
                                               quint32 peerAddress, quint16 peerPort)
    : TCustomWinSocket(handle, server), server_(server), peerAddress_(peerAddress),
      peerPort_(peerPort) {
    setAddress(peerAddress, peerPort);
    markConnected();
}

TServerClientWinSocket::~TServerClientWinSocket() = default;

QByteArray TServerClientWinSocket::RemoteAddress() const {
    return QByteArray::number(peerAddress_ >> 24) + '.' +
           QByteArray::number(peerAddress_ >> 16 & 0xFF) + '.' +
           QByteArray::number(peerAddress_ >> 8 & 0xFF) + '.' +
           QByteArray::number(peerAddress_ & 0xFF);
}

// ---- TServerWinSocket

TServerWinSocket::TServerWinSocket(QObject* parent) : TCustomWinSocket(-1, parent) {}

TServerWinSocket::~TServerWinSocket() {
    destroyConnections();
    closeQuietly();
}

void TServerWinSocket::Listen(int port) {
    std::lock_guard guard(lock_);
    if (SocketHandle() >= 0)
        return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESocketError(QStringLiteral("Can't create new socket"));
    attachHandle(fd);
    try {
        Event(this, TSocketEvent::seLookup);
        const auto portBits = static_cast<quint16>(port & 0xFFFF);
        setAddress(INADDR_ANY, portBits);
        // Connections of an earlier run still in TIME_WAIT must not block a restart; a
        // listener that holds the port still does.
        const int one = 1;
        (void)::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in sa = ipv4(INADDR_ANY, portBits);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
            throw socketApiErrorFromErrno(errno, "bind");
        AsyncSelect(AcceptNotification);
        Event(this, TSocketEvent::seListen);
        if (::listen(fd, 5) != 0)
            throw socketApiErrorFromErrno(errno, "listen");
    } catch (...) {
        Disconnect(fd);
        throw;
    }
}

int TServerWinSocket::ActiveConnections() const {
    std::lock_guard guard(listLock_);
    return static_cast<int>(connections_.size());
}

TServerClientWinSocket* TServerWinSocket::Connections(int index) const {
    std::lock_guard guard(listLock_);
    return index >= 0 && index < connections_.size() ? connections_[index] : nullptr;
}

void TServerWinSocket::Accept(int socket) {
    if (socket != SocketHandle())
        return;
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    const int fd =
        ::accept4(socket, reinterpret_cast<sockaddr*>(&sa), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        // Out of descriptors or memory: the connection waits in the backlog; look again
        // shortly instead of spinning on it.
        if (e == EMFILE || e == ENFILE || e == ENOBUFS || e == ENOMEM)
            pauseAccepting();
        return;
    }
    auto* client =
        new TServerClientWinSocket(fd, this, ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port));
    {
        std::lock_guard guard(listLock_);
        connections_.append(client);
    }
    client->OnSocketEvent = [this](TCustomWinSocket* s, TSocketEvent e) {
        clientEvent(static_cast<TServerClientWinSocket*>(s), e);
    };
    client->OnErrorEvent = [this](TCustomWinSocket* s, TErrorEvent e, int& code) {
        clientError(static_cast<TServerClientWinSocket*>(s), e, code);
    };
    client->AsyncSelect(ConnectionNotifications);
    client->dispatch([&] {
        client->Event(client, TSocketEvent::seConnect);
        Event(client, TSocketEvent::seAccept);
    });
}

void TServerWinSocket::Disconnect(int socket) {
    std::lock_guard guard(lock_);
    if (socket != SocketHandle())
        return;
    destroyConnections();
    TCustomWinSocket::Disconnect(socket);
}

void TServerWinSocket::clientEvent(TServerClientWinSocket* client, TSocketEvent event) {
    if (event == TSocketEvent::seDisconnect)
        scheduleRelease(client);
    if (OnClientSocketEvent)
        OnClientSocketEvent(client, event);
}

void TServerWinSocket::clientError(TServerClientWinSocket* client, TErrorEvent event, int& code) {
    if (OnClientErrorEvent)
        OnClientErrorEvent(client, event, code);
}

void TServerWinSocket::scheduleRelease(TServerClientWinSocket* client) {
    QTimer::singleShot(0, this, [this, p = QPointer<TServerClientWinSocket>(client)] {
        if (p)
            release(p);
    });
}

void TServerWinSocket::release(TServerClientWinSocket* client) {
    if (client->dispatching()) {
        client->afterDispatch([this, self = QPointer<TServerWinSocket>(this),
                               p = QPointer<TServerClientWinSocket>(client)] {
            if (self && p)
                release(p);
        });
        return;
    }
    {
        std::lock_guard guard(listLock_);
        if (!connections_.removeOne(client))
            return;
    }
    delete client;
}

void TServerWinSocket::destroyConnections() {
    QList<TServerClientWinSocket*> connections;
    {
        std::lock_guard guard(listLock_);
        connections.swap(connections_);
    }
    for (TServerClientWinSocket* client : connections) {
        client->OnSocketEvent = nullptr;
        client->OnErrorEvent = nullptr;
        client->closeQuietly();
        if (client->dispatching()) {
            // Its handler is still on the stack (a box is up): it goes once that returns.
            client->setParent(nullptr);
            client->afterDispatch([p = QPointer<TServerClientWinSocket>(client)] { delete p; });
        } else {
            delete client;
        }
    }
}

void TServerWinSocket::pauseAccepting() {
    readDue_ = false;
    updateNotifiers();
    QTimer::singleShot(100, this, [this, generation = generation()] {
        if (generation != this->generation())
            return;
        readDue_ = true;
        updateNotifiers();
    });
}
