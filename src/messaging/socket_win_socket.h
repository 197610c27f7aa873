#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <mutex>

class QSocketNotifier;
class QTimer;
struct HostLookup;
class TServerWinSocket;
class TServerClientWinSocket;

// What went wrong, by the kind of work that failed.
enum class TErrorEvent {
    eeGeneral,
    eeSend,
    eeReceive,
    eeConnect,
    eeDisconnect,
    eeAccept,
    eeLookup
};

// What happened on a socket, in the order of a connection's life.
enum class TSocketEvent {
    seLookup,
    seConnecting,
    seConnect,
    seDisconnect,
    seListen,
    seAccept,
    seWrite,
    seRead
};

// One non-blocking IPv4 stream socket and the notifications it asks for. The platform's
// readiness reports arrive on the user-interface thread and become socket events; a report
// comes again only after the call that re-enables it (a receive for read, a send that would
// block for write), and never while a handler for the same socket is still running.
class TCustomWinSocket : public QObject {
    Q_OBJECT
public:
    // Socket: the object the event is about (for a server's accept event, the new connection).
    using SocketEventCallback = std::function<void(TCustomWinSocket* Socket, TSocketEvent)>;
    // Setting ErrorCode to 0 suppresses the exception that would follow.
    using ErrorCallback =
        std::function<void(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode)>;

    ~TCustomWinSocket() override;

    // Every byte waiting now, in one receive call; "" when not connected or nothing waits.
    QByteArray ReadAvailableText();
    // One send call: the number of bytes the platform took, -1 when it would block, 0 when not
    // connected. What the platform did not take is not sent.
    int WriteText(const QByteArray& text);
    // Hands the whole text to the platform, over as many write notifications as it takes,
    // then disconnects (raising the disconnect event) and calls written. A failure is the
    // send error: error event, disconnect, ESocketError "... on API 'send'" (thrown from here
    // when it happens at once, else reported from the notification). A disconnect asked for
    // meanwhile drops the rest and written is not called.
    void WriteTextAndClose(const QByteArray& text, std::function<void()> written = {});
    // The peer's host name by a blocking reverse lookup, or "" when it has none.
    QByteArray PeerHostName();
    // Disconnects: the disconnect event, then a graceful close.
    void Close();

    bool Connected() const { return connected_; }
    // The platform socket, or -1.
    int SocketHandle() const { return handle_; }
    // The socket address (host byte order): the peer's for a connection, the bound one for a
    // listener; 0.0.0.0:0 when closed.
    quint32 Address() const { return address_; }
    quint16 AddressPort() const { return port_; }
    // The port the platform socket is bound to here (0 when none).
    quint16 LocalPort() const;
    // Whether a whole-text write is still handing bytes to the platform.
    bool WritePending() const { return closeAfterWrite_; }
    // A whole-text write that the platform takes nothing of for this long fails as a send
    // that timed out (10060), so a peer that stops reading cannot hold the socket for ever.
    void setWriteStallTimeout(int ms);
    static constexpr int kDefaultWriteStallMs = 30000;

    SocketEventCallback OnSocketEvent;
    ErrorCallback OnErrorEvent;

protected:
    explicit TCustomWinSocket(int handle, QObject* parent);

    // One step per kind of notification, each for the platform socket it concerns.
    virtual void Accept(int socket);
    virtual void Connect(int socket);
    virtual void Disconnect(int socket);
    virtual void Read(int socket);
    virtual void Write(int socket);
    virtual void Event(TCustomWinSocket* Socket, TSocketEvent SocketEvent);
    virtual void Error(TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode);

    // Notification sets.
    enum Notification : unsigned {
        NoNotifications = 0,
        ReadNotification = 1,
        WriteNotification = 2,
        AcceptNotification = 4,
        ConnectNotification = 8,
        CloseNotification = 16,
        ConnectionNotifications =
            ReadNotification | WriteNotification | ConnectNotification | CloseNotification
    };

    // Takes a new platform socket (any old one must be gone).
    void attachHandle(int handle);
    // Asks for a set of notifications on the current socket.
    void AsyncSelect(unsigned notifications);
    // Closes everything at once with no event: pending lookup, socket, queued writes.
    void closeQuietly();
    // Marks a connection established: read and write notifications become due.
    void markConnected();
    void setAddress(quint32 address, quint16 port);
    // The connect outcome is awaited; a failure the platform reported at once is delivered
    // as a notification on a later loop turn, as the platform would have.
    void expectConnectOutcome(int deferredError);
    void lookupStarted(int id) { lookupId_ = id; }
    void lookupFinished() { lookupId_ = 0; }
    int pendingLookup() const { return lookupId_; }
    // Runs f as the handling of a notification: this socket's notifiers stay off meanwhile.
    void dispatch(const std::function<void()>& f);
    bool dispatching() const { return dispatchDepth_ > 0; }
    // Runs f on a later loop turn once no handler of this socket is running any more.
    void afterDispatch(std::function<void()> f);
    bool connecting() const { return connectPending_; }
    quint64 generation() const { return generation_; }

    std::recursive_mutex lock_;

private:
    friend class DispatchScope;
    friend class TServerWinSocket;

    void readReady();
    void writeReady();
    void closeNotification(int error);
    void connectNotification(int error);
    void flushPendingWrite();
    void dropPendingWrite();
    void watchForStall(bool progressed);
    void writeStalled();
    void sendFailure(int errnoValue);
    void receiveFailure(int errnoValue);
    void updateNotifiers();
    void dropNotifiers();
    // Closes the platform socket; a refused close is reported only when asked.
    enum class CloseReport { Quiet, Raise };
    void closeHandle(CloseReport report);
    void leaveDispatch();
    void runAfterDispatch();

    int handle_ = -1;
    bool connected_ = false;
    quint32 address_ = 0;
    quint16 port_ = 0;
    int lookupId_ = 0;
    unsigned asked_ = NoNotifications;
    // Which notifications are due by the re-enabling rule.
    bool readDue_ = false;
    bool writeDue_ = false;
    bool connectPending_ = false;
    bool connectOutcomeQueued_ = false;
    bool closeSeen_ = false;
    bool disconnecting_ = false;
    int dispatchDepth_ = 0;
    // Bumped whenever the platform socket changes, so queued work for an old one is dropped.
    quint64 generation_ = 0;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    bool closeAfterWrite_ = false;
    QByteArray pendingWrite_;
    qsizetype pendingOffset_ = 0;
    std::function<void()> written_;
    QTimer* stallTimer_ = nullptr;
    int stallMs_ = kDefaultWriteStallMs;
    std::function<void()> afterDispatch_;
};

// The client's socket: looks the host up, connects, and reports the connection.
class TClientWinSocket : public TCustomWinSocket {
    Q_OBJECT
public:
    explicit TClientWinSocket(QObject* parent = nullptr);
    ~TClientWinSocket() override;

    // Client open: a new socket, the lookup event, an asynchronous lookup of host; on its
    // completion the connecting event and the connection to the low 16 bits of port. An attempt
    // that is still pending is dropped first without events, so it can never connect.
    void Open(const QByteArray& host, int port);
    // Drops a pending lookup or connection attempt without events.
    void Abandon() { closeQuietly(); }
    // Whether a lookup or connection attempt is under way.
    bool Opening() const;

protected:
    void Connect(int socket) override;

private:
    void lookupComplete(const HostLookup& result, quint16 port);
};

// One accepted connection; it knows its server and the peer's address from the accept.
class TServerClientWinSocket : public TCustomWinSocket {
    Q_OBJECT
public:
    TServerClientWinSocket(int handle, TServerWinSocket* server, quint32 peerAddress,
                           quint16 peerPort);
    ~TServerClientWinSocket() override;

    TServerWinSocket* ServerWinSocket() const { return server_; }
    // The peer's IPv4 address as taken at accept; it stays after the connection closes.
    quint32 RemoteIPv4() const { return peerAddress_; }
    QByteArray RemoteAddress() const;
    quint16 RemotePort() const { return peerPort_; }

private:
    QPointer<TServerWinSocket> server_;
    quint32 peerAddress_;
    quint16 peerPort_;
};

// The listening socket and its accepted connections, in accept order.
class TServerWinSocket : public TCustomWinSocket {
    Q_OBJECT
public:
    explicit TServerWinSocket(QObject* parent = nullptr);
    ~TServerWinSocket() override;

    // Server open on all local interfaces and the low 16 bits of port.
    void Listen(int port);
    int ActiveConnections() const;
    TServerClientWinSocket* Connections(int index) const;

    // Where the connections' events and errors go (Socket: the connection).
    SocketEventCallback OnClientSocketEvent;
    ErrorCallback OnClientErrorEvent;

protected:
    void Accept(int socket) override;
    // Server close: every connection destroyed at once without events, then the listener.
    void Disconnect(int socket) override;

private:
    void clientEvent(TServerClientWinSocket* client, TSocketEvent event);
    void clientError(TServerClientWinSocket* client, TErrorEvent event, int& code);
    void scheduleRelease(TServerClientWinSocket* client);
    void release(TServerClientWinSocket* client);
    void destroyConnections();
    void pauseAccepting();

    QList<TServerClientWinSocket*> connections_;
    mutable std::recursive_mutex listLock_;
};
