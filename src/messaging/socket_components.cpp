#include "messaging/socket_components.h"

#include "messaging/socket_error.h"

TAbstractSocket::TAbstractSocket(QObject* owner) : QObject(owner) {}

TAbstractSocket::~TAbstractSocket() = default;

void TAbstractSocket::setActive(bool value) {
    if (loading_) {
        storedActive_ = value;
        return;
    }
    if (value != active_)
        DoActivate(value);
}

void TAbstractSocket::Loaded() {
    loading_ = false;
    if (storedActive_ != active_)
        DoActivate(storedActive_);
}

void TAbstractSocket::checkInactive() const {
    if (active_)
        throw ESocketError(QStringLiteral("Can't change value while socket is active"));
}

void TAbstractSocket::setPort(int value) {
    if (value == port_)
        return;
    checkInactive();
    port_ = value;
}

TCustomSocket::TCustomSocket(QObject* owner) : TAbstractSocket(owner) {}

void TCustomSocket::attach(TCustomWinSocket& socket) {
    socket.OnSocketEvent = [this](TCustomWinSocket* s, TSocketEvent e) { Event(s, e); };
    socket.OnErrorEvent = [this](TCustomWinSocket* s, TErrorEvent e, int& code) {
        Error(s, e, code);
    };
}

namespace {
void fire(const TSocketNotifyEvent& handler, QObject* sender, TCustomWinSocket* socket) {
    if (handler)
        handler(sender, socket);
}
} // namespace

void TCustomSocket::Event(TCustomWinSocket* Socket, TSocketEvent SocketEvent) {
    switch (SocketEvent) {
    case TSocketEvent::seLookup:
        fire(OnLookup, this, Socket);
        break;
    case TSocketEvent::seConnecting:
        fire(OnConnecting, this, Socket);
        break;
    case TSocketEvent::seConnect:
        active_ = true;
        fire(OnConnect, this, Socket);
        break;
    case TSocketEvent::seDisconnect:
        active_ = false;
        fire(OnDisconnect, this, Socket);
        break;
    case TSocketEvent::seListen:
        active_ = true;
        fire(OnListen, this, Socket);
        break;
    case TSocketEvent::seAccept:
        fire(OnAccept, this, Socket);
        break;
    case TSocketEvent::seWrite:
        fire(OnWrite, this, Socket);
        break;
    case TSocketEvent::seRead:
        fire(OnRead, this, Socket);
        break;
    }
}

void TCustomSocket::Error(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode) {
    if (OnError)
        OnError(this, Socket, ErrorEvent, ErrorCode);
}

TClientSocket::TClientSocket(QObject* owner)
    : TCustomSocket(owner), socket_(std::make_unique<TClientWinSocket>()) {
    attach(*socket_);
}

TClientSocket::~TClientSocket() {
    // Closing at the end raises no events into an owner that is going away.
    socket_->OnSocketEvent = nullptr;
    socket_->OnErrorEvent = nullptr;
    socket_.reset();
}

void TClientSocket::setHost(const QByteArray& value) {
    if (value == host_)
        return;
    checkInactive();
    host_ = value;
    // An attempt under way for the former host must never connect.
    if (socket_->Opening())
        socket_->Abandon();
}

void TClientSocket::DoActivate(bool value) {
    if (value) {
        if (!socket_->Connected())
            socket_->Open(host_, port_);
    } else if (socket_->Connected()) {
        socket_->Close();
    }
}

TCustomServerSocket::TCustomServerSocket(QObject* owner)
    : TCustomSocket(owner), socket_(std::make_unique<TServerWinSocket>()) {
    attach(*socket_);
    socket_->OnClientSocketEvent = [this](TCustomWinSocket* s, TSocketEvent e) {
        ClientEvent(s, e);
    };
    socket_->OnClientErrorEvent = [this](TCustomWinSocket* s, TErrorEvent e, int& code) {
        ClientError(s, e, code);
    };
}

TCustomServerSocket::~TCustomServerSocket() {
    socket_->OnSocketEvent = nullptr;
    socket_->OnErrorEvent = nullptr;
    socket_->OnClientSocketEvent = nullptr;
    socket_->OnClientErrorEvent = nullptr;
    socket_.reset();
}

void TCustomServerSocket::DoActivate(bool value) {
    if (value)
        socket_->Listen(port_);
    else
        socket_->Close();
}

void TCustomServerSocket::ClientEvent(TCustomWinSocket* Socket, TSocketEvent SocketEvent) {
    // Per-connection events name the server's socket object as their sender.
    QObject* sender = socket_.get();
    switch (SocketEvent) {
    case TSocketEvent::seConnect:
        fire(OnClientConnect, sender, Socket);
        break;
    case TSocketEvent::seDisconnect:
        fire(OnClientDisconnect, sender, Socket);
        break;
    case TSocketEvent::seRead:
        fire(OnClientRead, sender, Socket);
        break;
    case TSocketEvent::seWrite:
        fire(OnClientWrite, sender, Socket);
        break;
    default:
        break;
    }
}

void TCustomServerSocket::ClientError(TCustomWinSocket* Socket, TErrorEvent ErrorEvent,
                                      int& ErrorCode) {
    if (OnClientError)
        OnClientError(socket_.get(), Socket, ErrorEvent, ErrorCode);
}

TServerSocket::TServerSocket(QObject* owner) : TCustomServerSocket(owner) {}
