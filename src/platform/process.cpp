#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Keeps a pipe end off 0, 1 and 2, so that the child's dup2 onto them always copies (a dup2
// of a descriptor onto itself would leave its close-on-exec flag set).
bool liftAboveStandard(int& fd) {
    if (fd > 2)
        return true;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    closeFd(fd);
    fd = moved;
    return moved >= 0;
}

bool makePipe(int& readEnd, int& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd = fds[0];
    writeEnd = fds[1];
    if (liftAboveStandard(readEnd) && liftAboveStandard(writeEnd))
        return true;
    const int saved = errno;
    closeFd(readEnd);
    closeFd(writeEnd);
    errno = saved;
    return false;
}

} // namespace

QByteArrayList splitCommandLine(QByteArrayView line) {
    QByteArrayList args;
    const qsizetype n = line.size();
    qsizetype i = 0;
    // Leading blanks before the program are skipped rather than making it empty.
    while (i < n && isBlank(line[i]))
        ++i;
    if (i == n)
        return args;

    QByteArray program;
    bool inQuotes = false;
    for (; i < n; ++i) {
        const char c = line[i];
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && isBlank(c))
            break;
        else
            program.append(c);
    }
    args.append(program);

    for (;;) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i == n)
            break;
        QByteArray arg;
        inQuotes = false;
        while (i < n) {
            const char c = line[i];
            if (!inQuotes && isBlank(c))
                break;
            if (c == '\\') {
                qsizetype slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(QByteArray(slashes / 2, '\\'));
                    if (slashes % 2 == 1) {
                        arg.append('"');
                        ++i;
                    }
                } else {
                    arg.append(QByteArray(slashes, '\\'));
                }
            } else if (c == '"') {
                if (inQuotes && i + 1 < n && line[i + 1] == '"') {
                    arg.append('"');
                    i += 2;
                } else {
                    inQuotes = !inQuotes;
                    ++i;
                }
            } else {
                arg.append(c);
                ++i;
            }
        }
        args.append(arg);
    }
    return args;
}

HiddenChild::HiddenChild(const QByteArrayList& args) {
    // A byte 0 cannot reach the child: refuse rather than run a shortened command.
    if (args.isEmpty() || args.front().isEmpty()) {
        failure_ = Failure::Start;
        error_ = ENOENT;
        return;
    }
    for (const QByteArray& arg : args) {
        if (arg.contains('\0')) {
            failure_ = Failure::Start;
            error_ = EINVAL;
            return;
        }
    }

    int inRead = -1;
    int outWrite = -1;
    if (!makePipe(inRead, inWrite_)) {
        failure_ = Failure::Pipes;
        error_ = errno;
        return;
    }
    if (!makePipe(outRead_, outWrite)) {
        failure_ = Failure::Pipes;
        error_ = errno;
        closeFd(inRead);
        closeFd(inWrite_);
        return;
    }
    // Only our end: the child's standard output stays blocking.
    fcntl(outRead_, F_SETFL, fcntl(outRead_, F_GETFL) | O_NONBLOCK);

    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outWrite, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outWrite, STDERR_FILENO);
    // Also catches descriptors that other code opened without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const int rc = posix_spawnp(&pid_, argv.front(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);

    // The child's ends are the child's alone: once it and its heirs close them, our read
    // end reports the end of the output instead of waiting for ever.
    closeFd(inRead);
    closeFd(outWrite);

    if (rc != 0) {
        failure_ = Failure::Start;
        error_ = rc;
        pid_ = -1;
        closeFd(outRead_);
        closeFd(inWrite_);
        return;
    }
    // Without a pidfd (old kernels) the wait falls back to short timed sleeps.
    pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
}

HiddenChild::~HiddenChild() {
    close();
}

void HiddenChild::waitForOutputOrEnd() {
    pollfd fds[2];
    nfds_t count = 0;
    if (outRead_ >= 0 && !outputEnded_)
        fds[count++] = {outRead_, POLLIN, 0};
    if (pidFd_ >= 0)
        fds[count++] = {pidFd_, POLLIN, 0};
    const int timeoutMs = pidFd_ >= 0 ? -1 : 50;
    int rc;
    do {
        rc = poll(count ? fds : nullptr, count, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    // A pipe whose writers have all gone reports HUP for ever; once drained, stop
    // watching it so that a child that closed its output is not waited for in a spin.
    if (count > 0 && fds[0].fd == outRead_ && (fds[0].revents & (POLLHUP | POLLERR)) &&
        bytesWaiting() == 0)
        outputEnded_ = true;
}

bool HiddenChild::hasEnded() {
    if (reaped_ || pid_ < 0)
        return true;
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(pid_, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    // ECHILD: someone else reaped it (SIGCHLD ignored); either way it is gone.
    if (rc == pid_ || (rc < 0 && errno == ECHILD))
        reaped_ = true;
    return reaped_;
}

int HiddenChild::bytesWaiting() const {
    int waiting = 0;
    if (outRead_ < 0 || ioctl(outRead_, FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

int HiddenChild::read(char* buffer, int size) {
    if (outRead_ < 0 || size <= 0)
        return 0;
    ssize_t n;
    do {
        n = ::read(outRead_, buffer, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
    if (n == 0)
        outputEnded_ = true;
    return n > 0 ? static_cast<int>(n) : 0;
}

void HiddenChild::close() {
    if (pid_ >= 0 && !reaped_)
        hasEnded();
    closeFd(pidFd_);
    closeFd(outRead_);
    closeFd(inWrite_);
}
