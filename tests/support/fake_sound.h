#pragma once

#include "platform/sound.h"

#include <QStringList>

// Records the sounds asked for instead of playing them.
class FakeSound final : public ISound {
public:
    void playAsync(const QString& waveFile) override { played << waveFile; }
    QStringList played;
};

// Installs a fresh FakeSound as the sound service and returns it.
FakeSound& installFakeSound();
