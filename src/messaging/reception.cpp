#include "messaging/reception.h"

#include "messaging/socket_components.h"
#include "messaging/socket_win_socket.h"
#include "platform/guard.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {

// A timer may be the one whose timeout is ending its owner: it goes on a later loop turn.
struct StopAndDeleteLater {
    void operator()(QTimer* t) const {
        t->stop();
        t->deleteLater();
    }
};
using Timer = std::unique_ptr<QTimer, StopAndDeleteLater>;

Timer singleShot(int ms) {
    Timer t(new QTimer);
    t->setSingleShot(true);
    t->setInterval(ms);
    return t;
}

} // namespace

struct Reception::Connection {
    QPointer<TServerClientWinSocket> socket;
    quint32 address = 0;
    QByteArray buffer;
    Timer quiet;
    Timer idle;
    QMetaObject::Connection destroyed;
};

struct Reception::Job {
    quint32 address = 0;
    QByteArray text;
    QByteArray name;
    bool resolved = false;
    IResolver::LookupId lookup = 0;
    Timer timeout = singleShot(0);
};

Reception::Reception(Deliver deliver, ReceptionLimits limits, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)), limits_(limits) {}

Reception::~Reception() {
    IResolver* resolver = services().resolver.get();
    for (const auto& job : jobs_)
        if (resolver && !job->resolved)
            resolver->abort(job->lookup);
    for (const auto& [socket, c] : connections_)
        disconnect(c->destroyed);
}

void Reception::attach(TCustomServerSocket& server) {
    server.OnClientConnect = [this](QObject*, TCustomWinSocket* Socket) {
        clientConnected(Socket);
    };
    server.OnClientDisconnect = [this](QObject*, TCustomWinSocket* Socket) {
        clientDisconnected(Socket);
    };
}

Reception::Connection* Reception::track(TServerClientWinSocket* socket) {
    auto c = std::make_unique<Connection>();
    c->socket = socket;
    c->address = socket->RemoteIPv4();
    c->quiet = singleShot(limits_.quietMs);
    c->idle = singleShot(limits_.idleMs);
    Connection* raw = c.get();
    connect(c->quiet.get(), &QTimer::timeout, this,
            [this, raw] { guarded([&] { complete(*raw); }); });
    connect(c->idle.get(), &QTimer::timeout, this,
            [this, socket] { guarded([&] { closeIdle(socket); }); });
    // The server drops its connections without events when it stops: keep what they sent.
    c->destroyed = connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    c->idle->start();
    connections_.emplace(socket, std::move(c));
    return raw;
}

void Reception::clientConnected(TCustomWinSocket* Socket) {
    auto* socket = qobject_cast<TServerClientWinSocket*>(Socket);
    if (!socket || connections_.count(socket))
        return;
    if (openConnections() >= limits_.maxConnections) {
        socket->Close();
        return;
    }
    track(socket);
}

void Reception::clientRead(TCustomWinSocket* Socket) {
    auto* socket = qobject_cast<TServerClientWinSocket*>(Socket);
    if (!socket)
        return;
    auto it = connections_.find(socket);
    // A connection accepted before we watched it is watched from its first bytes on.
    Connection* c = it != connections_.end() ? it->second.get() : nullptr;
    if (!c) {
        if (openConnections() >= limits_.maxConnections) {
            socket->Close();
            return;
        }
        c = track(socket);
    }
    const QByteArray bytes = socket->ReadAvailableText();
    if (bytes.isEmpty())
        return;
    const qsizetype room = limits_.maxMessageBytes - c->buffer.size();
    if (bytes.size() >= room) {
        c->buffer.append(bytes.first(room));
        complete(*c);
        socket->Close(); // the rest is never read
        return;
    }
    c->buffer.append(bytes);
    c->quiet->start();
    c->idle->start();
}

void Reception::finishPending() {
    // Their connections are about to be dropped: the bytes so far are the message.
    for (const auto& [socket, c] : connections_)
        complete(*c);
    // Every lookup ends by its own timeout; the deadline only guards against bytes that keep
    // arriving meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (!jobs_.empty() && waited.elapsed() < limits_.lookupTimeoutMs + 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void Reception::clientDisconnected(TCustomWinSocket* Socket) {
    forget(qobject_cast<TServerClientWinSocket*>(Socket));
}

void Reception::forget(TServerClientWinSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    std::unique_ptr<Connection> c = std::move(it->second);
    connections_.erase(it);
    disconnect(c->destroyed);
    complete(*c);
}

void Reception::closeIdle(TServerClientWinSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    if (QPointer<TServerClientWinSocket> s = it->second->socket)
        s->Close(); // its disconnect event forgets it
    else
        forget(socket);
}

void Reception::complete(Connection& c) {
    c.quiet->stop();
    if (c.buffer.isEmpty())
        return; // a connection that sent nothing makes no message
    auto job = std::make_unique<Job>();
    job->address = c.address;
    job->text = std::exchange(c.buffer, {});
    Job* raw = job.get();
    jobs_.push_back(std::move(job));
    IResolver* resolver = services().resolver.get();
    if (!resolver) {
        resolved(raw, {});
        return;
    }
    connect(raw->timeout.get(), &QTimer::timeout, this, [this, raw] {
        if (IResolver* r = services().resolver.get())
            r->abort(raw->lookup);
        resolved(raw, {});
    });
    raw->timeout->start(limits_.lookupTimeoutMs);
    raw->lookup = resolver->lookupAddress(
        raw->address, [this, raw](const AddressLookup& result) { resolved(raw, result.hostName); });
}

void Reception::resolved(Job* job, const QByteArray& name) {
    if (job->resolved)
        return;
    job->timeout->stop();
    job->resolved = true;
    job->name = name;
    drain();
}

void Reception::drain() {
    // A handler may open a box whose nested loop completes further lookups: those wait here
    // until the message before them has been handled in full.
    if (delivering_)
        return;
    delivering_ = true;
    while (!jobs_.empty() && jobs_.front()->resolved) {
        const std::unique_ptr<Job> job = std::move(jobs_.front());
        jobs_.pop_front();
        guarded([&] { deliver_(job->name, job->text); });
    }
    delivering_ = false;
}
