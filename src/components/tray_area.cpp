#include "components/tray_area.h"

#include "components/tray_area_qt.h"

namespace {

TrayAreaFactory& factorySlot() {
    static TrayAreaFactory factory = [] { return std::make_unique<QtTrayArea>(); };
    return factory;
}

} // namespace

std::unique_ptr<ITrayArea> makeTrayArea() {
    return factorySlot()();
}

TrayAreaFactory setTrayAreaFactory(TrayAreaFactory factory) {
    return std::exchange(factorySlot(), std::move(factory));
}
