#include "support/test_env.h"

#include "platform/guard.h"
#include "platform/services.h"
#include "support/doubles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

void TestServicesEnvironment::SetUp() {
    Services& s = services();
    s.boxes = std::make_unique<ScriptedBoxes>();
    s.clock = std::make_unique<FixedClock>();
    setExceptionHandler([](const QString& message) { showError(message); });
}

InTempDir::InTempDir() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
    testBoxes().clear();
}

InTempDir::~InTempDir() {
    QDir::setCurrent(previous_);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write fixture " + path.toStdString());
    f.write(bytes);
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

quint16 freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}
