#include "platform/services.h"

#include "neighbourhood/net_provider.h"
#include "platform/boxes.h"
#include "platform/clock.h"
#include "platform/guard.h"
#include "platform/net_resources.h"
#include "platform/qt_boxes.h"
#include "platform/resolver.h"
#include "platform/shell_open.h"
#include "platform/sound.h"
#include "platform/sound_canberra.h"

void installRealServices() {
    Services& s = services();
    s.boxes = std::make_unique<QtBoxes>();
    s.clock = std::make_unique<SystemClock>();
    s.shell = std::make_unique<DesktopShellOpen>();
    s.sound = std::make_unique<CanberraSound>();
    s.resolver = std::make_unique<QtResolver>();
    s.netResources = chooseNetResources();
    // Further real services are added here as their parts arrive.
    setExceptionHandler([](const QString& message) { showError(message); });
}
