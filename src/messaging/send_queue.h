#pragma once

#include "messaging/socket_win_socket.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>

class TClientSocket;

// One text on its way to one address, both as they stood when the user sent it.
struct OutgoingText {
    QByteArray address;
    QByteArray text;
};

// The TCP sends of the send window. They go out one after the other on the client socket, in
// the order they were made, each to its own address: a send made while an earlier one is
// still being looked up or connected waits for it instead of replacing it.
//
// The owner of the socket feeds its events in (Connected, Disconnected, Error); the queue
// tells how each send ended through OnSent and OnFailed. Failures themselves are reported by
// the socket layer; the queue only keeps the books.
class TSendQueue : public QObject {
    Q_OBJECT
public:
    explicit TSendQueue(QObject* parent = nullptr);
    ~TSendQueue() override;

    // The whole text has been handed over and the connection closed.
    std::function<void(const OutgoingText&)> OnSent;
    // The send ended without the whole text handed over.
    std::function<void(const OutgoingText&)> OnFailed;

    // Queues a send on cs. A send that starts at once and whose activation fails there and then
    // throws that error and is not kept; a send that starts later reports such an error itself.
    void Send(TClientSocket& cs, OutgoingText message);

    // The client socket's events while a send is under way.
    void Connected(TCustomWinSocket* socket);
    void Disconnected();
    void Error(TErrorEvent event);

    // At the end of the run: lets the sends under way and waiting go out, for at most
    // timeoutMs, so that a text the user has sent is not dropped by the exit.
    void finishPending(int timeoutMs);

    // No send is under way or waiting.
    bool Idle() const;
    // Sends waiting behind the one under way.
    int Waiting() const { return static_cast<int>(waiting_.size()); }

private:
    enum class Phase { Idle, Opening, Writing, Settling };
    enum class Outcome { Sent, Failed };
    enum class Origin { Press, Queue };

    void startNext(Origin origin);
    void scheduleNext();
    void finish(Outcome outcome);

    QPointer<TClientSocket> cs_;
    std::deque<OutgoingText> waiting_;
    OutgoingText current_;
    Phase phase_ = Phase::Idle;
    // Bumped for every send started, so late callbacks of an earlier one are dropped.
    quint64 attempt_ = 0;
    bool errorSeen_ = false;
    bool starting_ = false;
    bool closedWhileStarting_ = false;
    bool nextScheduled_ = false;
};
