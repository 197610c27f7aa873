#pragma once

#include <memory>

class IBoxes;
class IClock;
class ISound;
class IShellOpen;
class IResolver;
class INetResources;

// The platform services that the program's parts call. The program installs the real ones
// once at start (installRealServices); tests install doubles. Nothing else chooses.
struct Services {
    Services();
    ~Services();
    std::unique_ptr<IBoxes> boxes;
    std::unique_ptr<IClock> clock;
    std::unique_ptr<ISound> sound;
    std::unique_ptr<IShellOpen> shell;
    std::unique_ptr<IResolver> resolver;
    std::unique_ptr<INetResources> netResources;
};

Services& services();

// The real Linux services; called by the program entry only.
void installRealServices();
