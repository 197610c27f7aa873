#include "components/dos_command.h"

#include "platform/cp1251.h"
#include "platform/process.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace dos_detail {

struct Shared {
    mutable std::mutex linesMutex;
    QByteArrayList lines;
    // Held while an event runs, so that the component cannot go away under a handler.
    std::mutex eventMutex;
    QObject* sender = nullptr;

    void addLine(const QByteArray& line) {
        std::lock_guard lock(linesMutex);
        lines.append(line);
    }
    template <typename Call> void raise(Call&& call) {
        std::lock_guard lock(eventMutex);
        if (sender)
            call(sender);
    }
};

} // namespace dos_detail

namespace {

constexpr int ChunkSize = 1023;

// Bytes 0, 10 and 13 end a line, and so does the end of the chunk; empty lines are dropped.
void splitChunk(const char* bytes, int n, dos_detail::Shared& owner,
                const TNewLineEvent& onNewLine) {
    QByteArray line;
    auto endLine = [&] {
        if (line.isEmpty())
            return;
        owner.addLine(line);
        if (onNewLine)
            owner.raise([&](QObject* sender) { onNewLine(sender, line); });
        line.clear();
    };
    for (int i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\0' || c == '\n' || c == '\r')
            endLine();
        else
            line.append(c);
    }
    endLine();
}

QString messageOf(const std::exception_ptr& error) {
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace

TCreateProcessError::TCreateProcessError(const QByteArray& commandLine)
    : Exception(fromCp1251(commandLine) + QStringLiteral(" doesn't exist.")) {}

struct TDosThread::State {
    std::shared_ptr<dos_detail::Shared> owner;
    QByteArray commandLine;
    TNewLineEvent onNewLine;
    TNotifyEvent onTerminated;
    TStartFailedEvent onStartFailed;

    mutable std::mutex mutex;
    mutable std::condition_variable ended;
    bool finished = false;
    std::exception_ptr error;
};

TDosThread::TDosThread(std::shared_ptr<dos_detail::Shared> owner, QByteArray commandLine,
                       TNewLineEvent onNewLine, TNotifyEvent onTerminated,
                       TStartFailedEvent onStartFailed)
    : state_(std::make_shared<State>()) {
    state_->owner = std::move(owner);
    state_->commandLine = std::move(commandLine);
    state_->onNewLine = std::move(onNewLine);
    state_->onTerminated = std::move(onTerminated);
    state_->onStartFailed = std::move(onStartFailed);
    // The thread shares the state, so it runs on when this object is released.
    std::thread([state = state_] { RunCommand(state); }).detach();
}

TDosThread::~TDosThread() = default;

bool TDosThread::Finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished;
}

bool TDosThread::WaitFor(int timeoutMs) const {
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return state_->finished; });
}

std::exception_ptr TDosThread::FatalException() const {
    std::lock_guard lock(state_->mutex);
    return state_->error;
}

QString TDosThread::FatalMessage() const {
    return messageOf(FatalException());
}

void TDosThread::RunCommand(const std::shared_ptr<State>& state) {
    std::exception_ptr error;
    bool startFailed = false;
    try {
        dos_detail::Shared& owner = *state->owner;
        HiddenChild child(splitCommandLine(state->commandLine));
        if (child.failure() != HiddenChild::Failure::None) {
            startFailed = true;
            if (child.failure() == HiddenChild::Failure::Pipes)
                throw Exception(
                    QStringLiteral("Cannot create pipe: %1").arg(qt_error_string(child.error())));
            throw TCreateProcessError(state->commandLine);
        }

        char buffer[ChunkSize];
        for (;;) {
            child.waitForOutputOrEnd();
            const bool ended = child.hasEnded();
            const int waiting = child.bytesWaiting();
            if (waiting > 0 && waiting <= ChunkSize) {
                splitChunk(buffer, child.read(buffer, ChunkSize), owner, state->onNewLine);
            } else if (waiting > ChunkSize) {
                int n;
                do {
                    n = child.read(buffer, ChunkSize);
                    splitChunk(buffer, n, owner, state->onNewLine);
                } while (n >= ChunkSize);
            }
            // The pass after the child's end collects what it left in the pipe.
            if (ended)
                break;
        }
        child.close();
        if (state->onTerminated)
            owner.raise(state->onTerminated);
    } catch (...) {
        error = std::current_exception();
    }

    if (startFailed && state->onStartFailed) {
        // The start failure stays the run's error; a handler's own error has nowhere to go.
        try {
            const QString message = messageOf(error);
            state->owner->raise([&](QObject* sender) { state->onStartFailed(sender, message); });
        } catch (...) {
        }
    }

    {
        std::lock_guard lock(state->mutex);
        state->error = error;
        state->finished = true;
    }
    state->ended.notify_all();
}

TDosCommand::TDosCommand(QObject* AOwner)
    : QObject(AOwner), shared_(std::make_shared<dos_detail::Shared>()) {
    shared_->sender = this;
}

TDosCommand::~TDosCommand() {
    std::lock_guard lock(shared_->eventMutex);
    shared_->sender = nullptr;
}

void TDosCommand::Run() {
    if (CommandLine.isEmpty())
        return;
    {
        std::lock_guard lock(shared_->linesMutex);
        shared_->lines.clear();
    }
    Worker_ =
        std::make_shared<TDosThread>(shared_, CommandLine, OnNewLine, OnTerminated, OnStartFailed);
}

QByteArrayList TDosCommand::OutputLines() const {
    std::lock_guard lock(shared_->linesMutex);
    return shared_->lines;
}
