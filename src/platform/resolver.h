#pragma once

// Name lookups (forward and reverse). Filled in with the socket layer.
class IResolver {
public:
    virtual ~IResolver() = default;
};
