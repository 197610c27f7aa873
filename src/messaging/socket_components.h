#pragma once

#include "messaging/socket_win_socket.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

// Sender: the component (or, for a server's per-connection events, its socket object);
// Socket: the socket object concerned.
using TSocketNotifyEvent = std::function<void(QObject* Sender, TCustomWinSocket* Socket)>;
// A handler that sets ErrorCode to 0 suppresses the exception.
using TSocketErrorEvent = std::function<void(QObject* Sender, TCustomWinSocket* Socket,
                                             TErrorEvent ErrorEvent, int& ErrorCode)>;

// Only the non-blocking modes are built: every notification arrives on the UI thread.
enum class TClientType { ctNonBlocking };
enum class TServerType { stNonBlocking };

// A socket component: Active, Port and, for the client, Host. Port and Host change only while
// Active is off ("Can't change value while socket is active").
class TAbstractSocket : public QObject {
    Q_OBJECT
public:
    explicit TAbstractSocket(QObject* owner);
    ~TAbstractSocket() override;

    bool Active() const { return active_; }
    void setActive(bool value);
    int Port() const { return port_; }
    void setPort(int value);

    // While the owner is being built, Active is only stored; Loaded() applies it.
    void BeginLoading() { loading_ = true; }
    void Loaded();

protected:
    virtual void DoActivate(bool value) = 0;
    void checkInactive() const;

    bool active_ = false;
    int port_ = 0;

private:
    bool loading_ = false;
    bool storedActive_ = false;
};

// The events shared by both components.
class TCustomSocket : public TAbstractSocket {
    Q_OBJECT
public:
    explicit TCustomSocket(QObject* owner);

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnListen;
    TSocketNotifyEvent OnAccept;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketErrorEvent OnError;

protected:
    // Routes a socket object's events and errors to this component's.
    void attach(TCustomWinSocket& socket);
    void Event(TCustomWinSocket* Socket, TSocketEvent SocketEvent);
    void Error(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode);
};

// The connecting client.
class TClientSocket : public TCustomSocket {
    Q_OBJECT
public:
    explicit TClientSocket(QObject* owner = nullptr);
    ~TClientSocket() override;

    TClientWinSocket* Socket() const { return socket_.get(); }
    TClientType ClientType() const { return TClientType::ctNonBlocking; }
    // Host name or dotted address of the peer. Changing it drops an attempt still under way.
    const QByteArray& Host() const { return host_; }
    void setHost(const QByteArray& value);

protected:
    void DoActivate(bool value) override;

private:
    QByteArray host_;
    std::unique_ptr<TClientWinSocket> socket_;
};

// The listening server with its per-connection events.
class TCustomServerSocket : public TCustomSocket {
    Q_OBJECT
public:
    explicit TCustomServerSocket(QObject* owner);
    ~TCustomServerSocket() override;

    TServerWinSocket* Socket() const { return socket_.get(); }
    TServerType ServerType() const { return TServerType::stNonBlocking; }

    TSocketNotifyEvent OnClientConnect;
    TSocketNotifyEvent OnClientDisconnect;
    TSocketNotifyEvent OnClientRead;
    TSocketNotifyEvent OnClientWrite;
    TSocketErrorEvent OnClientError;

protected:
    void DoActivate(bool value) override;

private:
    void ClientEvent(TCustomWinSocket* Socket, TSocketEvent SocketEvent);
    void ClientError(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode);

    std::unique_ptr<TServerWinSocket> socket_;
};

class TServerSocket : public TCustomServerSocket {
    Q_OBJECT
public:
    explicit TServerSocket(QObject* owner = nullptr);
};
