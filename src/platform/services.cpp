#include "platform/services.h"

#include "platform/boxes.h"
#include "platform/clock.h"
#include "platform/net_resources.h"
#include "platform/resolver.h"
#include "platform/shell_open.h"
#include "platform/sound.h"

Services::Services() = default;
Services::~Services() = default;

Services& services() {
    static Services instance;
    return instance;
}
