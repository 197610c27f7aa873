#pragma once

#include <memory>

class INetResources;

// The enumeration service that the program walks its computer lists with. DNS-SD through the
// Avahi daemon; a walk that finds no daemon reachable sees an empty network (the root answers
// "no more items" at once), and a daemon started later is found by the next walk.
std::unique_ptr<INetResources> chooseNetResources();
