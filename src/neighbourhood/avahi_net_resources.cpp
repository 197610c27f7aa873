#include "neighbourhood/avahi_net_resources.h"

#include "platform/cp1251.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <QString>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;
// A browse is complete when the daemon says so; these caps bound a slow or silent network.
constexpr auto kDomainListTimeout = std::chrono::milliseconds(1500);
constexpr auto kComputerListTimeout = std::chrono::milliseconds(3000);

// Hosts offering any of these are computers: our own program, a workstation, a file share.
constexpr const char* kServiceTypes[] = {"_chatterwick._tcp", "_workstation._tcp", "_smb._tcp"};

// A name as the rest of the program holds it, or nothing when code page 1251 cannot carry it
// (a name that cannot be written back could not be looked up either).
std::optional<QByteArray> singleByteName(const char* utf8) {
    const QString name = QString::fromUtf8(utf8);
    QByteArray bytes = toCp1251(name);
    if (name.isEmpty() || fromCp1251(bytes) != name)
        return std::nullopt;
    return bytes;
}

// Names in the order they were first seen, each once, case ignored (DNS names ignore case).
class NameSet {
public:
    void add(const char* utf8) {
        const QString folded = QString::fromUtf8(utf8).toCaseFolded();
        if (seen_.insert(folded).second)
            names_.emplace_back(utf8);
    }
    const std::vector<std::string>& names() const { return names_; }

private:
    std::set<QString> seen_;
    std::vector<std::string> names_;
};

} // namespace

// The polls of the queries under way, so that interrupt() can wake them.
struct AvahiQueries {
    std::mutex mutex;
    bool interrupted = false;
    std::set<AvahiSimplePoll*> polls;
};

namespace {

// One conversation with the daemon, run on the calling thread: its own poll and client.
class Query {
public:
    explicit Query(AvahiQueries& queries) : queries_(queries) {
        poll_ = avahi_simple_poll_new();
        const std::lock_guard lock(queries_.mutex);
        if (poll_)
            queries_.polls.insert(poll_);
    }
    ~Query() {
        if (client_)
            avahi_client_free(client_); // frees its browsers and resolvers too
        {
            const std::lock_guard lock(queries_.mutex);
            queries_.polls.erase(poll_);
        }
        if (poll_)
            avahi_simple_poll_free(poll_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // False when no daemon answers (or the program is ending).
    bool connect() {
        if (!poll_ || interrupted())
            return false;
        int error = 0;
        client_ = avahi_client_new(avahi_simple_poll_get(poll_), AvahiClientFlags(0),
                                   &Query::clientChanged, this, &error);
        return client_ != nullptr;
    }

    AvahiClient* client() const { return client_; }
    bool lost() const { return lost_; }

    // Runs the poll until done() holds or the time is up; false when interrupted.
    template <typename Done> bool run(Clock::duration cap, Done done) {
        const auto deadline = Clock::now() + cap;
        while (!done() && !lost_) {
            if (interrupted())
                return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            if (avahi_simple_poll_iterate(poll_, int(left.count()) + 1) != 0)
                break;
        }
        return !interrupted();
    }

private:
    bool interrupted() const {
        const std::lock_guard lock(queries_.mutex);
        return queries_.interrupted;
    }
    static void clientChanged(AvahiClient* /*client*/, AvahiClientState state, void* self) {
        if (state == AVAHI_CLIENT_FAILURE)
            static_cast<Query*>(self)->lost_ = true;
    }

    AvahiQueries& queries_;
    AvahiSimplePoll* poll_ = nullptr;
    AvahiClient* client_ = nullptr;
    bool lost_ = false;
};

// The browse domains: the daemon's own domain first, then any it finds announced.
struct DomainBrowse {
    NameSet domains;
    bool done = false;

    static void changed(AvahiDomainBrowser* /*b*/, AvahiIfIndex /*interface*/,
                        AvahiProtocol /*protocol*/, AvahiBrowserEvent event, const char* domain,
                        AvahiLookupResultFlags /*flags*/, void* self) {
        auto& browse = *static_cast<DomainBrowse*>(self);
        if (event == AVAHI_BROWSER_NEW && domain)
            browse.domains.add(domain);
        else if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE)
            browse.done = true;
    }
};

// The hosts behind the services of the listed types in one domain.
struct HostBrowse {
    AvahiClient* client = nullptr;
    NameSet hosts;
    std::set<std::pair<std::string, std::string>> services; // (name, type) already resolving
    int browsing = 0;
    int resolving = 0;

    bool done() const { return browsing == 0 && resolving == 0; }

    static void browsed(AvahiServiceBrowser* /*b*/, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char* name, const char* type,
                        const char* domain, AvahiLookupResultFlags /*flags*/, void* self) {
        auto& browse = *static_cast<HostBrowse*>(self);
        switch (event) {
        case AVAHI_BROWSER_NEW:
            // A service seen on several interfaces or protocols is resolved once.
            if (name && type && browse.services.emplace(name, type).second) {
                if (avahi_service_resolver_new(
                        browse.client, interface, protocol, name, type, domain, AVAHI_PROTO_UNSPEC,
                        AvahiLookupFlags(AVAHI_LOOKUP_NO_TXT | AVAHI_LOOKUP_NO_ADDRESS),
                        &HostBrowse::resolved, self))
                    ++browse.resolving;
            }
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
        case AVAHI_BROWSER_FAILURE:
            --browse.browsing;
            break;
        default:
            break;
        }
    }

    static void resolved(AvahiServiceResolver* resolver, AvahiIfIndex /*interface*/,
                         AvahiProtocol /*protocol*/, AvahiResolverEvent event, const char* /*name*/,
                         const char* /*type*/, const char* /*domain*/, const char* hostName,
                         const AvahiAddress* /*address*/, std::uint16_t /*port*/,
                         AvahiStringList* /*txt*/, AvahiLookupResultFlags /*flags*/, void* self) {
        auto& browse = *static_cast<HostBrowse*>(self);
        if (event == AVAHI_RESOLVER_FOUND && hostName)
            browse.hosts.add(hostName);
        --browse.resolving;
        avahi_service_resolver_free(resolver);
    }
};

std::uint32_t listDomains(Query& query, std::vector<NetEntry>& entries) {
    DomainBrowse browse;
    if (const char* own = avahi_client_get_domain_name(query.client()))
        browse.domains.add(own);
    AvahiDomainBrowser* browser = avahi_domain_browser_new(
        query.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, nullptr, AVAHI_DOMAIN_BROWSER_BROWSE,
        AvahiLookupFlags(0), &DomainBrowse::changed, &browse);
    if (browser && !query.run(kDomainListTimeout, [&] { return browse.done; }))
        return ERROR_OPERATION_ABORTED;
    for (const std::string& domain : browse.domains.names())
        if (auto name = singleByteName(domain.c_str()))
            entries.push_back({RESOURCEDISPLAYTYPE_DOMAIN, std::move(name), 0});
    return NO_ERROR;
}

std::uint32_t listComputers(Query& query, const char* domain, std::vector<NetEntry>& entries) {
    HostBrowse browse;
    browse.client = query.client();
    for (const char* type : kServiceTypes) {
        if (avahi_service_browser_new(query.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type,
                                      domain, AvahiLookupFlags(0), &HostBrowse::browsed, &browse))
            ++browse.browsing;
    }
    if (!query.run(kComputerListTimeout, [&] { return browse.done(); }))
        return ERROR_OPERATION_ABORTED;

    std::vector<QByteArray> names;
    for (const std::string& host : browse.hosts.names())
        if (auto name = singleByteName(host.c_str()))
            names.push_back("\\\\" + *name);
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return fromCp1251(a).compare(fromCp1251(b), Qt::CaseInsensitive) < 0;
    });
    for (QByteArray& name : names)
        entries.push_back({RESOURCEDISPLAYTYPE_SERVER, std::move(name), 0});
    return NO_ERROR;
}

} // namespace

AvahiNetResources::AvahiNetResources() : queries_(std::make_unique<AvahiQueries>()) {}

AvahiNetResources::~AvahiNetResources() = default;

void AvahiNetResources::interrupt() {
    const std::lock_guard lock(queries_->mutex);
    queries_->interrupted = true;
    for (AvahiSimplePoll* poll : queries_->polls)
        avahi_simple_poll_wakeup(poll);
}

std::uint32_t AvahiNetResources::list(const NETRESOURCE* container,
                                      std::vector<NetEntry>& entries) {
    entries.clear();
    Query query(*queries_);
    if (!container) {
        // No daemon: the network is empty rather than unreachable.
        if (!query.connect())
            return NO_ERROR;
        return listDomains(query, entries);
    }
    if (container->dwDisplayType != RESOURCEDISPLAYTYPE_DOMAIN || !container->lpRemoteName)
        return ERROR_NO_NETWORK;
    const QByteArray domain = fromCp1251(container->lpRemoteName).toUtf8();
    if (!query.connect())
        return ERROR_NO_NETWORK;
    return listComputers(query, domain.constData(), entries);
}
