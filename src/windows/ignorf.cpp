#include "windows/ignorf.h"

#include "platform/guard.h"

TIgnorF::TIgnorF() : TSecondaryForm(QStringLiteral("Игнор-лист"), WindowSizing::Fixed, QSize(414, 338)) {
    guarded([this] { FormCreate(); });
}

void TIgnorF::FormCreate() { setSystemMenuCaptions(); }
