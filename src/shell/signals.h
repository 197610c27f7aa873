#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl-C) into a call on the UI thread, so the
// program can end through its normal exit and save what it holds. The signal handler only
// writes to a pipe; the call comes from the event loop, nested loops of modal boxes included.
// One instance at a time; its destruction restores the previous handlers.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    explicit ExitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~ExitSignals() override;
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

private:
    void drain();

    std::function<void()> onSignal_;
    int readFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
