#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

// What the socket library reported when it started.
class TIdStackVersion {
public:
    virtual ~TIdStackVersion() = default;
    virtual QString Name() const = 0;
};

class TIdStackVersionWinsock : public TIdStackVersion {
public:
    QString Name() const override { return QStringLiteral("Winsock stack"); }
};

// The socket stack shared by every component of the identity family: this computer's name
// and addresses, and the error texts.
class TIdStack {
public:
    TIdStack();
    virtual ~TIdStack();
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;

    // Refills HostAddresses with the addresses of this computer's name, in resolver order;
    // raises EIdSocketError when the name cannot be resolved.
    virtual void ListHostAddresses() = 0;
    // The first entry of a freshly listed HostAddresses; "List index out of bounds (0)" when
    // there is none.
    virtual QByteArray FirstHostAddress();
    virtual const QList<QByteArray>& HostAddresses();
    // This computer's name as the platform reports it.
    virtual QByteArray QueryHostName() = 0;
    // "Socket Error # <code>" CR LF and the code's text (empty for codes without one).
    virtual QString SocketErrorText(int code);
    virtual int LastSocketError() = 0;
    // Four bytes in network order as a dotted address (192.168.0.5).
    virtual QByteArray AddressText(const quint8 (&bytes)[4]);

    // Raises EIdSocketError with LastSocketError() when result is the failure value -1.
    void FailOnSocketError(int result);

    const TIdStackVersion* LibraryVersion() const { return libraryVersion_.get(); }

protected:
    std::unique_ptr<TIdStackVersion> libraryVersion_;
    std::unique_ptr<QList<QByteArray>> hostAddresses_;
};

// The stack on the platform's sockets. The library needs no loading or start-up here.
class TIdStackWinsock : public TIdStack {
public:
    TIdStackWinsock();
    ~TIdStackWinsock() override;

    void ListHostAddresses() override;
    QByteArray QueryHostName() override;
    int LastSocketError() override { return lastError_; }

protected:
    // Resolves a name to IPv4 addresses (network byte order), like gethostbyname: 0 on
    // success, else the resolver's code (11001 ...).
    virtual int GetHostByName(const QByteArray& name, QList<quint32>& addresses);

private:
    int lastError_ = 0;
};

// The module state: the one shared stack (or none) and the number of live components.
TIdStack* SocketStack();
int StackUsers();

// Makes the stack when the first component is created; the platform's by default.
using SocketStackFactory = std::function<std::unique_ptr<TIdStack>()>;
void setSocketStackFactory(SocketStackFactory factory);
