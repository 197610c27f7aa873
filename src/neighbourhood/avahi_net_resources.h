#pragma once

#include "platform/net_resources.h"

#include <memory>

struct AvahiQueries;

// The computers of the local network as DNS-SD (Avahi) sees them. The root lists the browse
// domains ("local" on a plain network) as domains; a domain lists one server "\\<host name>"
// per computer that offers the program's own service, a workstation or a file share, however
// many services, addresses or interfaces it has. Without a reachable daemon the root is empty.
// Each open asks the daemon afresh and waits a couple of seconds at most.
class AvahiNetResources final : public ListedNetResources {
public:
    AvahiNetResources();
    ~AvahiNetResources() override;
    void interrupt() override;

protected:
    std::uint32_t list(const NETRESOURCE* container, std::vector<NetEntry>& entries) override;

private:
    std::unique_ptr<AvahiQueries> queries_;
};
