#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <sys/types.h>

// Splits a command line into arguments by the rules a Windows program's start-up code uses:
// - the first argument (the program) ends at a space or tab outside double quotes; quotes
//   only group and are dropped, backslashes are literal;
// - later arguments are separated by spaces and tabs; double quotes group;
// - 2n backslashes before a quote give n backslashes and the quote toggles quoting; 2n+1
//   give n backslashes and a literal quote; backslashes not before a quote are literal;
// - inside quotes, "" gives one literal quote and quoting goes on.
// Every other byte (CR and LF included) belongs to an argument.
QByteArrayList splitCommandLine(QByteArrayView commandLine);

// A child process started hidden: in a session of its own with no terminal, standard input
// a pipe that is never written, standard output and standard error one pipe, and no other
// descriptor of ours. The child is never killed from here.
class HiddenChild {
public:
    enum class Failure { None, Pipes, Start };
    enum class Wake { Output, Ended };

    // Runs args[0] (looked up on PATH when it has no slash) with exactly these arguments.
    // On failure nothing is left open and failure() says which step failed.
    explicit HiddenChild(const QByteArrayList& args);
    ~HiddenChild();
    HiddenChild(const HiddenChild&) = delete;
    HiddenChild& operator=(const HiddenChild&) = delete;

    Failure failure() const { return failure_; }
    int error() const { return error_; }

    // Sleeps until output is waiting or the child has ended (no busy waiting).
    void waitForOutputOrEnd();
    // True once the child has ended; reaps it.
    bool hasEnded();
    // Bytes waiting in the output pipe.
    int bytesWaiting() const;
    // Reads up to size bytes of output without blocking; 0 when nothing is waiting.
    int read(char* buffer, int size);
    // Closes the child's process handle, then the output pipe, then the input pipe.
    void close();

private:
    Failure failure_ = Failure::None;
    int error_ = 0;
    pid_t pid_ = -1;
    bool reaped_ = false;
    int pidFd_ = -1;
    int outRead_ = -1;
    int inWrite_ = -1;
    bool outputEnded_ = false;
};
