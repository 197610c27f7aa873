#include "platform/resolver.h"

#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/socket_errors.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <optional>
#include <unordered_map>
#include <variant>

// Qt may already have queued a result when a lookup is aborted, so every completion goes
// through this table: an id that is no longer in it is dropped.
struct QtResolver::Pending {
    QObject context;
    std::unordered_map<int, std::variant<HostDone, AddressDone>> callbacks;

    template <typename Done> std::optional<Done> take(int id) {
        const auto it = callbacks.find(id);
        if (it == callbacks.end())
            return std::nullopt;
        Done done = std::get<Done>(std::move(it->second));
        callbacks.erase(it);
        return done;
    }
};

namespace {

HostLookup hostResult(const QHostInfo& info) {
    HostLookup result;
    result.id = info.lookupId();
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            result.addresses.append(a.toIPv4Address());
    if (info.error() == QHostInfo::HostNotFound)
        result.error = wsa::HostNotFound;
    else if (info.error() != QHostInfo::NoError)
        result.error = wsa::TryAgain;
    else if (result.addresses.isEmpty())
        result.error = wsa::NoData;
    if (result.error != 0) {
        result.addresses.clear();
        result.errorText = socketErrorText(result.error);
    }
    return result;
}

} // namespace

QtResolver::QtResolver() : pending_(std::make_unique<Pending>()) {}

QtResolver::~QtResolver() = default;

IResolver::LookupId QtResolver::lookupHost(const QByteArray& name, HostDone done) {
    Pending* pending = pending_.get();
    const int id = QHostInfo::lookupHost(fromCp1251(name), &pending->context,
                                         [pending](const QHostInfo& info) {
                                             if (auto cb = pending->take<HostDone>(info.lookupId()))
                                                 guarded([&] { (*cb)(hostResult(info)); });
                                         });
    pending->callbacks.emplace(id, std::move(done));
    return id;
}

IResolver::LookupId QtResolver::lookupAddress(quint32 address, AddressDone done) {
    Pending* pending = pending_.get();
    const QString dotted = QHostAddress(address).toString();
    // A dotted address is looked up in reverse; without a name, Qt gives the address back.
    const int id =
        QHostInfo::lookupHost(dotted, &pending->context, [pending, dotted](const QHostInfo& info) {
            auto cb = pending->take<AddressDone>(info.lookupId());
            if (!cb)
                return;
            AddressLookup result;
            result.id = info.lookupId();
            if (info.error() == QHostInfo::NoError && !info.hostName().isEmpty() &&
                info.hostName() != dotted)
                result.hostName = toCp1251(info.hostName());
            guarded([&] { (*cb)(result); });
        });
    pending->callbacks.emplace(id, std::move(done));
    return id;
}

void QtResolver::abort(LookupId id) {
    if (pending_->callbacks.erase(id) != 0)
        QHostInfo::abortHostLookup(id);
}
