#pragma once

// Loopback helpers for the socket tests: raw peers on plain POSIX sockets, so the layer under
// test is only ever on one side of a connection.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sockettest {

// Runs the event loop for a while, so that anything that would arrive does.
inline void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

inline sockaddr_in loopback(quint16 port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(port);
    return sa;
}

// An owned descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        reset(o.release());
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// A bound socket that does not listen: nothing can connect to its port.
inline Fd reservePort(quint16& port) {
    Fd fd(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in sa = loopback(0);
    ::bind(fd.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return fd;
}

// A raw listener on loopback with the given backlog. A receive buffer size, when given, is
// what its accepted connections get, so a large text cannot vanish into the buffers at once.
inline Fd rawListener(quint16& port, int backlog = 5, int receiveBuffer = 0) {
    Fd fd = reservePort(port);
    if (receiveBuffer > 0)
        ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    ::listen(fd.get(), backlog);
    return fd;
}

// The next connection waiting on a raw listener, or none yet: never blocks, so a test can
// poll it while the event loop runs.
inline Fd acceptWaiting(const Fd& listener) {
    pollfd p{listener.get(), POLLIN, 0};
    if (::poll(&p, 1, 0) != 1)
        return Fd();
    return Fd(::accept(listener.get(), nullptr, nullptr));
}

// A raw client connected (blocking) to 127.0.0.1:port; -1 when refused.
inline Fd rawConnect(quint16 port) {
    Fd fd(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in sa = loopback(port);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return Fd();
    return fd;
}

// Sends all of bytes on a blocking socket.
inline bool sendAll(int fd, const QByteArray& bytes) {
    qsizetype off = 0;
    while (off < bytes.size()) {
        const ssize_t r = ::send(fd, bytes.constData() + off,
                                 static_cast<size_t>(bytes.size() - off), MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        off += r;
    }
    return true;
}

// Sends all of bytes without blocking, running the event loop whenever the buffers are
// full, so that the layer under test on the other end can read meanwhile. False when the
// connection fails or nothing moves for a few seconds.
inline bool sendSpinning(int fd, const QByteArray& bytes, int stallMs = 5000) {
    qsizetype off = 0;
    QElapsedTimer stalled;
    stalled.start();
    while (off < bytes.size()) {
        const ssize_t r =
            ::send(fd, bytes.constData() + off, static_cast<size_t>(bytes.size() - off),
                   MSG_NOSIGNAL | MSG_DONTWAIT);
        if (r > 0) {
            off += r;
            stalled.restart();
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (stalled.elapsed() > stallMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Reads what is there without waiting; sets eof when the peer has closed.
inline QByteArray readSome(int fd, bool& eof, size_t max = 65536) {
    QByteArray buf(static_cast<qsizetype>(max), Qt::Uninitialized);
    const ssize_t r = ::recv(fd, buf.data(), max, MSG_DONTWAIT);
    if (r == 0)
        eof = true;
    buf.truncate(r > 0 ? r : 0);
    return buf;
}

// A text with a recognisable pattern, so a lost or repeated chunk shows.
inline QByteArray pattern(qsizetype size) {
    QByteArray text(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    return text;
}

} // namespace sockettest
