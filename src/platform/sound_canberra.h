#pragma once

#include "platform/sound.h"

#include <memory>

// Event sounds through libcanberra, which honours the desktop's sound settings: the wave
// file, else the theme's "message-new-instant", else silence. Requests go to a thread of
// its own, so connecting to the sound server never holds up the caller.
class CanberraSound final : public ISound {
public:
    CanberraSound();
    ~CanberraSound() override;
    void playAsync(const QString& waveFile) override;

private:
    struct Worker;
    std::unique_ptr<Worker> worker_;
};
