#include "support/fake_sound.h"

#include "platform/services.h"

FakeSound& installFakeSound() {
    auto sound = std::make_unique<FakeSound>();
    FakeSound& ref = *sound;
    services().sound = std::move(sound);
    return ref;
}
