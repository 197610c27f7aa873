#include "windows/conff.h"

#include "platform/guard.h"

TConfF::TConfF()
    : TSecondaryForm(QStringLiteral("Настройки"), WindowSizing::Fixed, QSize(337, 264)) {
    guarded([this] { FormCreate(); });
}

void TConfF::FormCreate() {
    setSystemMenuCaptions();
}
