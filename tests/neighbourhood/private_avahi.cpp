#include "private_avahi.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

bool runQuietly(const QStringList& command) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void writeText(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
}

} // namespace

PrivateAvahi::PrivateAvahi()
    : namespace_(QStringLiteral("cwneigh%1").arg(QCoreApplication::applicationPid())) {
    if (!dir_.isValid()) {
        failure_ = "no temporary directory";
        return;
    }
    const QString bus = dir_.filePath(QStringLiteral("bus"));
    writeText(
        dir_.filePath(QStringLiteral("bus.conf")),
        QStringLiteral(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>\n"
            "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
            "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>\n"
            "</busconfig>\n")
            .arg(bus));
    writeText(dir_.filePath(QStringLiteral("avahi.conf")),
              QStringLiteral("[server]\nhost-name=%1\nuse-ipv4=yes\nuse-ipv6=no\nenable-dbus=yes\n"
                             "[wide-area]\nenable-wide-area=no\n"
                             "[publish]\npublish-hinfo=no\npublish-workstation=no\n")
                  .arg(QLatin1String(kHostName)));

    const QString ns = namespace_;
    if (!runQuietly({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("add"), ns})) {
        failure_ = "cannot make network namespace " + ns.toStdString();
        return;
    }
    namespaceMade_ = true;
    // Avahi needs a multicast interface; the namespace has only its loopback.
    if (!runQuietly({QStringLiteral("ip"), QStringLiteral("-n"), ns, QStringLiteral("link"),
                     QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}) ||
        !runQuietly({QStringLiteral("ip"), QStringLiteral("-n"), ns, QStringLiteral("link"),
                     QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("multicast"),
                     QStringLiteral("on")})) {
        failure_ = "cannot bring up the namespace's loopback";
        return;
    }

    startProcess({QStringLiteral("dbus-daemon"),
                  QStringLiteral("--config-file=") + dir_.filePath(QStringLiteral("bus.conf")),
                  QStringLiteral("--nofork")});
    const QDeadlineTimer busDeadline(5000);
    while (!QFileInfo::exists(bus) && !busDeadline.hasExpired())
        QThread::msleep(20);
    if (!QFileInfo::exists(bus)) {
        failure_ = "the private bus did not start";
        return;
    }

    // The namespace's own mount namespace gets an empty run directory, so that a daemon of the
    // machine (its pid file, its socket) is not in the way.
    QStringList daemon = inNamespace();
    daemon << QStringLiteral("sh") << QStringLiteral("-c")
           << QStringLiteral("mkdir -p /run/avahi-daemon && mount -t tmpfs none /run/avahi-daemon "
                             "&& exec avahi-daemon -f '%1' --no-drop-root --no-rlimits --no-chroot")
                  .arg(dir_.filePath(QStringLiteral("avahi.conf")));
    QProcess& avahi = startProcess(daemon);
    if (!waitForOutput(avahi, "Server startup complete", 10000))
        failure_ = "avahi-daemon did not start: " + avahi.readAll().toStdString();
}

PrivateAvahi::~PrivateAvahi() {
    // Publishers first, the daemon, then the bus.
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        QProcess& p = **it;
        if (p.state() == QProcess::NotRunning)
            continue;
        p.terminate();
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(3000);
        }
    }
    if (namespaceMade_)
        runQuietly(
            {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("delete"), namespace_});
}

QStringList PrivateAvahi::inNamespace() const {
    return {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), namespace_};
}

QProcessEnvironment PrivateAvahi::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir_.filePath(QStringLiteral("bus")));
    return env;
}

bool PrivateAvahi::publish(const QStringList& args) {
    QStringList command = inNamespace();
    command << QStringLiteral("avahi-publish") << args;
    return waitForOutput(startProcess(command), "Established", 10000);
}

QProcess& PrivateAvahi::startProcess(const QStringList& command) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(command.first(), command.mid(1));
    process->waitForStarted(5000);
    processes_.push_back(std::move(process));
    return *processes_.back();
}

bool PrivateAvahi::waitForOutput(QProcess& process, const QByteArray& marker, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // Unread output accumulates; peeking leaves it for an error message.
        if (process.peek(process.bytesAvailable()).contains(marker))
            return true;
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
    }
}

QString browseServices(const QString& type, const QStringList& prefix,
                       const QProcessEnvironment& env) {
    QStringList command = prefix;
    command << QStringLiteral("avahi-browse") << QStringLiteral("-t") << QStringLiteral("-r")
            << QStringLiteral("-p") << QStringLiteral("-k") << type;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(command.first(), command.mid(1));
    p.waitForFinished(15000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
