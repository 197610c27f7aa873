#include "support/fake_resolver.h"

#include "platform/guard.h"
#include "platform/services.h"
#include "platform/socket_errors.h"

#include <QHostAddress>
#include <QTimer>

void FakeResolver::answer(const QByteArray& name, QList<quint32> addresses, int delayMs) {
    Script s;
    s.addresses = std::move(addresses);
    s.delayMs = delayMs;
    hosts_[name] = s;
}

void FakeResolver::fail(const QByteArray& name, int code, int delayMs) {
    Script s;
    s.kind = Script::Kind::Fail;
    s.code = code;
    s.delayMs = delayMs;
    hosts_[name] = s;
}

void FakeResolver::silence(const QByteArray& name) {
    Script s;
    s.kind = Script::Kind::Silent;
    hosts_[name] = s;
}

void FakeResolver::answerAddress(quint32 address, const QByteArray& hostName, int delayMs) {
    Script s;
    s.hostName = hostName;
    s.delayMs = delayMs;
    addresses_[address] = s;
}

void FakeResolver::silenceAddress(quint32 address) {
    Script s;
    s.kind = Script::Kind::Silent;
    addresses_[address] = s;
}

void FakeResolver::deliverLater(LookupId id, int delayMs, std::function<void()> deliver) {
    QTimer::singleShot(delayMs, &context_, [this, id, deliver = std::move(deliver)] {
        if (pending_.erase(id) != 0)
            guarded(deliver);
    });
}

IResolver::LookupId FakeResolver::lookupHost(const QByteArray& name, HostDone done) {
    hostQueries_.append(name);
    const LookupId id = next_++;
    pending_.insert(id);
    Script s;
    if (hosts_.contains(name)) {
        s = hosts_.value(name);
    } else if (QHostAddress a; a.setAddress(QString::fromLatin1(name)) &&
                               a.protocol() == QAbstractSocket::IPv4Protocol) {
        s.addresses = {a.toIPv4Address()};
    } else {
        s.kind = Script::Kind::Fail;
        s.code = wsa::HostNotFound;
    }
    if (s.kind == Script::Kind::Silent)
        return id;
    HostLookup result;
    result.id = id;
    if (s.kind == Script::Kind::Fail) {
        result.error = s.code;
        result.errorText = socketErrorText(s.code);
    } else {
        result.addresses = s.addresses;
    }
    deliverLater(id, s.delayMs, [done = std::move(done), result] { done(result); });
    return id;
}

IResolver::LookupId FakeResolver::lookupAddress(quint32 address, AddressDone done) {
    addressQueries_.append(address);
    const LookupId id = next_++;
    pending_.insert(id);
    const Script s = addresses_.value(address);
    if (s.kind == Script::Kind::Silent)
        return id;
    AddressLookup result;
    result.id = id;
    result.hostName = s.hostName;
    deliverLater(id, s.delayMs, [done = std::move(done), result] { done(result); });
    return id;
}

void FakeResolver::abort(LookupId id) {
    if (pending_.erase(id) != 0)
        ++aborted_;
}

FakeResolver& useFakeResolver() {
    auto resolver = std::make_unique<FakeResolver>();
    FakeResolver& ref = *resolver;
    services().resolver = std::move(resolver);
    return ref;
}
