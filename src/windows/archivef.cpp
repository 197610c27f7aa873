#include "windows/archivef.h"

#include "platform/guard.h"

TArchiveF::TArchiveF() : TSecondaryForm(QStringLiteral("Архив сообщений"), WindowSizing::Sizeable, QSize(411, 312)) {
    guarded([this] { FormCreate(); });
}

void TArchiveF::FormCreate() { setSystemMenuCaptions(); }
