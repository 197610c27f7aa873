#include "support/test_env.h"

#include "platform/guard.h"
#include "platform/services.h"
#include "support/doubles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

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
