#include "platform/resolver.h"

#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/socket_errors.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QTimer>
#include <arpa/inet.h>
#include <optional>
#include <unordered_map>
#include <variant>

// Qt may already have queued a result when a lookup is aborted, so every completion goes
// through this table: an id that is no longer in it is dropped. The ids are this resolver's
// own, so that answers it gives without Qt cannot collide with Qt's.
struct QtResolver::Pending {
    struct Entry {
        std::variant<HostDone, AddressDone> done;
        int qtId = -1;
    };
    QObject context;
    std::unordered_map<int, Entry> entries;
    int next = 1;

    int add(std::variant<HostDone, AddressDone> done) {
        const int id = next++;
        entries.emplace(id, Entry{std::move(done), -1});
        return id;
    }

    // Remembers Qt's id for an abort, unless the lookup has already answered.
    void started(int id, int qtId) {
        if (const auto it = entries.find(id); it != entries.end())
            it->second.qtId = qtId;
    }

    template <typename Done> std::optional<Done> take(int id) {
        const auto it = entries.find(id);
        if (it == entries.end())
            return std::nullopt;
        Done done = std::get<Done>(std::move(it->second.done));
        entries.erase(it);
        return done;
    }
};

namespace {

HostLookup hostResult(const QHostInfo& info) {
    HostLookup result;
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
    const int id = pending->add(std::move(done));
    in_addr dotted{};
    if (!name.contains('\0') && ::inet_pton(AF_INET, name.constData(), &dotted) == 1) {
        // A dotted address is its own answer. Qt would look its name up in reverse first,
        // which can keep a send waiting on an unreachable name server.
        HostLookup result;
        result.id = id;
        result.addresses.append(ntohl(dotted.s_addr));
        QTimer::singleShot(0, &pending->context, [pending, result] {
            if (auto cb = pending->take<HostDone>(result.id))
                guarded([&] { (*cb)(result); });
        });
        return id;
    }
    const int qtId = QHostInfo::lookupHost(fromCp1251(name), &pending->context,
                                           [pending, id](const QHostInfo& info) {
                                               if (auto cb = pending->take<HostDone>(id)) {
                                                   HostLookup result = hostResult(info);
                                                   result.id = id;
                                                   guarded([&] { (*cb)(result); });
                                               }
                                           });
    pending->started(id, qtId);
    return id;
}

IResolver::LookupId QtResolver::lookupAddress(quint32 address, AddressDone done) {
    Pending* pending = pending_.get();
    const int id = pending->add(std::move(done));
    const QString dotted = QHostAddress(address).toString();
    // A dotted address is looked up in reverse; without a name, Qt gives the address back.
    const int qtId = QHostInfo::lookupHost(
        dotted, &pending->context, [pending, id, dotted](const QHostInfo& info) {
            auto cb = pending->take<AddressDone>(id);
            if (!cb)
                return;
            AddressLookup result;
            result.id = id;
            if (info.error() == QHostInfo::NoError && !info.hostName().isEmpty() &&
                info.hostName() != dotted)
                result.hostName = toCp1251(info.hostName());
            guarded([&] { (*cb)(result); });
        });
    pending->started(id, qtId);
    return id;
}

void QtResolver::abort(LookupId id) {
    const auto it = pending_->entries.find(id);
    if (it == pending_->entries.end())
        return;
    const int qtId = it->second.qtId;
    pending_->entries.erase(it);
    if (qtId >= 0)
        QHostInfo::abortHostLookup(qtId);
}
