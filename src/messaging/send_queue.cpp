#include "messaging/send_queue.h"

#include "messaging/socket_components.h"
#include "platform/guard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <utility>

TSendQueue::TSendQueue(QObject* parent) : QObject(parent) {}

TSendQueue::~TSendQueue() = default;

void TSendQueue::finishPending(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!Idle() && waited.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

bool TSendQueue::Idle() const {
    return phase_ == Phase::Idle && waiting_.empty();
}

void TSendQueue::Send(TClientSocket& cs, OutgoingText message) {
    cs_ = &cs;
    waiting_.push_back(std::move(message));
    // Sends already waiting go first, even when the one before them has just ended.
    if (phase_ == Phase::Idle && !nextScheduled_ && waiting_.size() == 1)
        startNext(Origin::Press);
}

void TSendQueue::startNext(Origin origin) {
    if (phase_ != Phase::Idle || waiting_.empty())
        return;
    if (!cs_) {
        // The socket is gone (program end): nothing can be sent any more.
        while (!waiting_.empty()) {
            current_ = std::move(waiting_.front());
            waiting_.pop_front();
            if (OnFailed)
                OnFailed(current_);
        }
        return;
    }
    current_ = std::move(waiting_.front());
    waiting_.pop_front();
    phase_ = Phase::Opening;
    ++attempt_;
    errorSeen_ = false;
    closedWhileStarting_ = false;
    starting_ = true;
    try {
        cs_->setHost(current_.address);
        cs_->setActive(true);
    } catch (...) {
        starting_ = false;
        phase_ = Phase::Idle;
        if (origin == Origin::Press) {
            // The caller reports it and keeps the text; the send never was.
            scheduleNext();
            throw;
        }
        if (OnFailed)
            OnFailed(current_);
        reportCurrentException();
        scheduleNext();
        return;
    }
    starting_ = false;
    if (closedWhileStarting_)
        finish(Outcome::Failed);
}

void TSendQueue::scheduleNext() {
    if (waiting_.empty() || nextScheduled_)
        return;
    nextScheduled_ = true;
    // A later loop turn: the socket layer is still inside the notification that ended the
    // previous send, and may close the socket once the handler returns.
    QTimer::singleShot(0, this, [this] {
        nextScheduled_ = false;
        startNext(Origin::Queue);
    });
}

void TSendQueue::finish(Outcome outcome) {
    phase_ = Phase::Idle;
    const OutgoingText done = std::exchange(current_, {});
    const auto& report = outcome == Outcome::Sent ? OnSent : OnFailed;
    if (report)
        report(done);
    scheduleNext();
}

void TSendQueue::Connected(TCustomWinSocket* socket) {
    if (phase_ != Phase::Opening || !socket) {
        // Not one of ours: no text belongs to this connection.
        if (socket)
            socket->Close();
        return;
    }
    phase_ = Phase::Writing;
    const quint64 attempt = attempt_;
    QPointer<TSendQueue> self(this);
    socket->WriteTextAndClose(current_.text, [self, attempt] {
        if (!self || self->attempt_ != attempt)
            return;
        if (self->phase_ == Phase::Writing || self->phase_ == Phase::Settling)
            self->finish(Outcome::Sent);
    });
}

void TSendQueue::Disconnected() {
    switch (phase_) {
    case Phase::Idle:
    case Phase::Settling:
        return;
    case Phase::Opening:
        if (starting_) {
            closedWhileStarting_ = true;
            return;
        }
        finish(Outcome::Failed);
        return;
    case Phase::Writing:
        if (errorSeen_) {
            finish(Outcome::Failed);
            return;
        }
        // A whole write that completes disconnects first and confirms right after; a disconnect
        // that no confirmation follows cut the text short.
        phase_ = Phase::Settling;
        QTimer::singleShot(0, this, [this, attempt = attempt_] {
            if (attempt_ == attempt && phase_ == Phase::Settling)
                finish(Outcome::Failed);
        });
        return;
    }
}

void TSendQueue::Error(TErrorEvent event) {
    if (phase_ == Phase::Idle || phase_ == Phase::Settling)
        return;
    errorSeen_ = true;
    // A failed connection attempt is dropped without a disconnect event.
    if (event != TErrorEvent::eeConnect || phase_ != Phase::Opening)
        return;
    if (starting_)
        closedWhileStarting_ = true;
    else
        finish(Outcome::Failed);
}
