#include "messaging/sendf.h"

#include "platform/guard.h"

TSendF::TSendF() : TSecondaryForm(QStringLiteral("Отправка сообщения"), WindowSizing::Sizeable, QSize(444, 290)) {
    guarded([this] { FormCreate(); });
}

void TSendF::FormCreate() { setSystemMenuCaptions(); }
