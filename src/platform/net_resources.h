#pragma once

// The network-resource enumeration service. Filled in with the computer list.
class INetResources {
public:
    virtual ~INetResources() = default;
};
