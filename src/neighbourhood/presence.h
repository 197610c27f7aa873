#pragma once

#include <cstdint>

// Announces this program on the local network while its server listens, so that other copies
// list it. A missing daemon is not an error.
void announcePresence(std::uint16_t port);
void withdrawPresence();
