#pragma once

#include "platform/resolver.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class QTimer;
class TCustomServerSocket;
class TCustomWinSocket;
class TServerClientWinSocket;

// Bounds that keep a hostile peer from exhausting the program.
struct ReceptionLimits {
    // A connection quiet this long has sent its message; later bytes start a new one.
    int quietMs = 500;
    // A message is cut here and its connection closed.
    qsizetype maxMessageBytes = qsizetype(1) << 20;
    // Further connections are closed at once.
    int maxConnections = 64;
    // A connection that sends nothing for this long is closed.
    int idleMs = 30000;
    // A reverse lookup that has not answered by then counts as finding no name.
    int lookupTimeoutMs = 3000;
};

// Turns what the server's connections carry into whole messages and hands them on one at a
// time, each with the reverse name of its peer's address (as the name service gives it, ""
// when there is none). A message is everything a connection carries until the peer closes it
// or falls quiet. Names are looked up off the user-interface thread; messages are handed on
// in the order they were completed, a later one never while an earlier one is being handled.
class Reception : public QObject {
    Q_OBJECT
public:
    using Deliver = std::function<void(const QByteArray& peerName, const QByteArray& text)>;

    explicit Reception(Deliver deliver, ReceptionLimits limits = {}, QObject* parent = nullptr);
    ~Reception() override;

    // Binds the server's connect and disconnect events; its read event must reach
    // clientRead (the program routes it through TForm1::ssClientRead).
    void attach(TCustomServerSocket& server);

    void clientConnected(TCustomWinSocket* Socket);
    void clientRead(TCustomWinSocket* Socket);
    void clientDisconnected(TCustomWinSocket* Socket);

    // For the end of the run, while the windows are still there: what open connections hold
    // counts as their message, and every message is handed on once its name has come or its
    // lookup has timed out. Runs the event loop until then.
    void finishPending();

    // Connections being watched now.
    int openConnections() const { return static_cast<int>(connections_.size()); }
    // Messages completed but not yet handed on (waiting for their names or their turn).
    int pendingMessages() const { return static_cast<int>(jobs_.size()); }

private:
    struct Connection;
    struct Job;

    Connection* track(TServerClientWinSocket* socket);
    void complete(Connection& c);
    void forget(TServerClientWinSocket* socket);
    void closeIdle(TServerClientWinSocket* socket);
    void resolved(Job* job, const QByteArray& name);
    void drain();

    Deliver deliver_;
    ReceptionLimits limits_;
    std::map<TServerClientWinSocket*, std::unique_ptr<Connection>> connections_;
    std::deque<std::unique_ptr<Job>> jobs_;
    bool delivering_ = false;
};
