#pragma once

#include <QString>

// Event sound: plays the named wave file asynchronously, else the desktop's message sound,
// else nothing. Never reports an error.
class ISound {
public:
    virtual ~ISound() = default;
    virtual void playAsync(const QString& waveFile) = 0;
};
