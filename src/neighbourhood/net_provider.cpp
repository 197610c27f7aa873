#include "neighbourhood/net_provider.h"

#include "neighbourhood/avahi_net_resources.h"

std::unique_ptr<INetResources> chooseNetResources() {
    return std::make_unique<AvahiNetResources>();
}
