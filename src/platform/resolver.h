#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

// The outcome of a forward lookup: the IPv4 addresses (host byte order) in the resolver's
// order, or a resolver code (wsa::HostNotFound, ...) with its text.
struct HostLookup {
    int id = 0;
    int error = 0;
    QString errorText;
    QList<quint32> addresses;
};

// The outcome of a reverse lookup: the host name, or "" when the address has none.
struct AddressLookup {
    int id = 0;
    QByteArray hostName;
};

// Name lookups in both directions, never waiting on the calling thread. A completion runs
// later on the user-interface thread (never inside the call that started it), at most once,
// and never after abort(). Ids are positive.
class IResolver {
public:
    using LookupId = int;
    using HostDone = std::function<void(const HostLookup&)>;
    using AddressDone = std::function<void(const AddressLookup&)>;

    virtual ~IResolver() = default;
    // A host name or a dotted address (code page 1251 bytes) to its IPv4 addresses.
    virtual LookupId lookupHost(const QByteArray& name, HostDone done) = 0;
    // An IPv4 address (host byte order) to its host name.
    virtual LookupId lookupAddress(quint32 address, AddressDone done) = 0;
    // Drops a pending lookup; an unknown or finished id is ignored.
    virtual void abort(LookupId id) = 0;
};

// The real resolver: the system's name service on Qt's lookup threads.
class QtResolver final : public IResolver {
public:
    QtResolver();
    ~QtResolver() override;
    LookupId lookupHost(const QByteArray& name, HostDone done) override;
    LookupId lookupAddress(quint32 address, AddressDone done) override;
    void abort(LookupId id) override;

private:
    struct Pending;
    std::unique_ptr<Pending> pending_;
};
