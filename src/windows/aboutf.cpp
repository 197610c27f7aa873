#include "windows/aboutf.h"

#include "platform/guard.h"

TAboutF::TAboutF()
    : TSecondaryForm(QStringLiteral("О программе"), WindowSizing::Fixed, QSize(311, 285)) {
    guarded([this] { FormCreate(); });
}

void TAboutF::FormCreate() {
    setSystemMenuCaptions();
}
