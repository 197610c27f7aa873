#include "windows/msgf.h"

#include "platform/guard.h"

TMsgf::TMsgf() : TSecondaryForm(QStringLiteral("Входящее сообщение"), WindowSizing::Sizeable, QSize(411, 250)) {
    guarded([this] { FormCreate(); });
}

void TMsgf::FormCreate() { setSystemMenuCaptions(); }
