#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

// A private avahi-daemon inside a network namespace of its own (only its loopback, so no mDNS
// leaves it), reached over a private message bus so that no daemon of the machine is involved.
// Needs root. Everything it starts is stopped, and the namespace deleted, when it goes.
class PrivateAvahi {
public:
    // The host name that the private daemon announces.
    static constexpr const char* kHostName = "cw-ns-host";

    PrivateAvahi();
    ~PrivateAvahi();
    PrivateAvahi(const PrivateAvahi&) = delete;
    PrivateAvahi& operator=(const PrivateAvahi&) = delete;

    // Empty when the daemon runs, else what went wrong.
    const std::string& failure() const { return failure_; }

    // The command prefix that runs a program inside the namespace, and the environment that
    // points it at the private bus.
    QStringList inNamespace() const;
    QProcessEnvironment environment() const;

    // Runs avahi-publish with args inside the namespace and waits until it is established.
    bool publish(const QStringList& args);

private:
    QProcess& startProcess(const QStringList& command);
    bool waitForOutput(QProcess& process, const QByteArray& marker, int timeoutMs);

    QTemporaryDir dir_;
    QString namespace_;
    bool namespaceMade_ = false;
    std::vector<std::unique_ptr<QProcess>> processes_;
    std::string failure_;
};

// Browses for a service type in the environment given (inside the namespace), resolving, in
// avahi-browse's parsable form.
QString browseServices(const QString& type, const QStringList& prefix = {},
                       const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
