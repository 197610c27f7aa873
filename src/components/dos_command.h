#pragma once

#include "platform/exceptions.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TNewLineEvent = std::function<void(QObject* Sender, const QByteArray& NewLine)>;
// Not raised by default; lets a caller learn why a run never started.
using TStartFailedEvent = std::function<void(QObject* Sender, const QString& Message)>;

// The child could not be started: "<command line> doesn't exist."
class TCreateProcessError : public Exception {
public:
    explicit TCreateProcessError(const QByteArray& commandLine);
};

class TDosCommand;

namespace dos_detail {
// What a component shares with its workers, so that a worker outlives the component safely.
struct Shared;
} // namespace dos_detail

// One run of one command line, on a thread of its own that starts at construction and ends
// by itself when the child has ended. Events run on that thread.
class TDosThread {
public:
    TDosThread(std::shared_ptr<dos_detail::Shared> owner, QByteArray commandLine,
               TNewLineEvent onNewLine, TNotifyEvent onTerminated, TStartFailedEvent onStartFailed);
    ~TDosThread();
    TDosThread(const TDosThread&) = delete;
    TDosThread& operator=(const TDosThread&) = delete;

    bool Finished() const;
    // Waits up to timeoutMs for the run to end; returns Finished().
    bool WaitFor(int timeoutMs) const;
    // The error that ended the run (a TCreateProcessError when the child could not be
    // started), or null. Valid once Finished().
    std::exception_ptr FatalException() const;
    QString FatalMessage() const;

private:
    struct State;
    static void RunCommand(const std::shared_ptr<State>& state);
    std::shared_ptr<State> state_;
};

// Runs a console command line as a hidden child and collects what it writes to standard
// output and standard error as lines. The command line is split into arguments the way a
// Windows program splits its own and the program is run directly, never through a shell.
class TDosCommand : public QObject {
    Q_OBJECT
public:
    explicit TDosCommand(QObject* AOwner = nullptr);
    // Running workers carry on; they raise no events once the component is gone. Waits for
    // a handler that is running, so handlers must not wait for the thread that destroys it.
    ~TDosCommand() override;

    QByteArray CommandLine;
    // Copied at Run; raised on the worker's thread, one handler of a component at a time.
    TNewLineEvent OnNewLine;
    TNotifyEvent OnTerminated;
    TStartFailedEvent OnStartFailed;

    // Starts a run of CommandLine and returns at once; does nothing when it is empty.
    void Run();

    // A snapshot: workers may be adding to the list at any time.
    QByteArrayList OutputLines() const;
    // The worker of the latest run, or null before the first.
    std::shared_ptr<TDosThread> Worker() const { return Worker_; }

private:
    std::shared_ptr<dos_detail::Shared> shared_;
    std::shared_ptr<TDosThread> Worker_;
};
