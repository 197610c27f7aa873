#include "messaging/socket_win_socket.h"

// Interim bodies so that callers compile; the implementation follows.
TCustomWinSocket::TCustomWinSocket(int handle, QObject* parent) : QObject(parent) {
    handle_ = handle;
}
TCustomWinSocket::~TCustomWinSocket() = default;
QByteArray TCustomWinSocket::ReadAvailableText() {
    return {};
}
int TCustomWinSocket::WriteText(const QByteArray&) {
    return 0;
}
void TCustomWinSocket::WriteTextAndClose(const QByteArray&, std::function<void()>) {}
QByteArray TCustomWinSocket::PeerHostName() {
    return {};
}
void TCustomWinSocket::Close() {}
quint16 TCustomWinSocket::LocalPort() const {
    return 0;
}
void TCustomWinSocket::Accept(int) {}
void TCustomWinSocket::Connect(int) {}
void TCustomWinSocket::Disconnect(int) {}
void TCustomWinSocket::Read(int) {}
void TCustomWinSocket::Write(int) {}
void TCustomWinSocket::Event(TCustomWinSocket*, TSocketEvent) {}
void TCustomWinSocket::Error(TCustomWinSocket*, TErrorEvent, int&) {}
void TCustomWinSocket::attachHandle(int) {}
void TCustomWinSocket::AsyncSelect(unsigned) {}
void TCustomWinSocket::closeQuietly() {}
void TCustomWinSocket::markConnected() {}
void TCustomWinSocket::setAddress(quint32, quint16) {}
void TCustomWinSocket::expectConnectOutcome(int) {}
void TCustomWinSocket::lookupStarted(int) {}
void TCustomWinSocket::releaseWhenIdle(std::function<void()>) {}

TClientWinSocket::TClientWinSocket(QObject* parent) : TCustomWinSocket(-1, parent) {}
TClientWinSocket::~TClientWinSocket() = default;
void TClientWinSocket::Open(const QByteArray&, int) {}
bool TClientWinSocket::Opening() const {
    return false;
}
void TClientWinSocket::Connect(int) {}

TServerClientWinSocket::TServerClientWinSocket(int handle, TServerWinSocket* server,
                                               quint32 peerAddress, quint16 peerPort)
    : TCustomWinSocket(handle, nullptr), server_(server), peerAddress_(peerAddress),
      peerPort_(peerPort) {}
TServerClientWinSocket::~TServerClientWinSocket() = default;
QByteArray TServerClientWinSocket::RemoteAddress() const {
    return {};
}

TServerWinSocket::TServerWinSocket(QObject* parent) : TCustomWinSocket(-1, parent) {}
TServerWinSocket::~TServerWinSocket() = default;
void TServerWinSocket::Listen(int) {}
int TServerWinSocket::ActiveConnections() const {
    return 0;
}
TServerClientWinSocket* TServerWinSocket::Connections(int) const {
    return nullptr;
}
void TServerWinSocket::Accept(int) {}
void TServerWinSocket::Disconnect(int) {}
