#include "shell/form1_reception.h"

#include "messaging/archive_text.h"
#include "messaging/reception.h"
#include "messaging/socket_components.h"
#include "platform/clock.h"
#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "shell/form1.h"
#include "windows/archivef.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<Reception> assembly;
}

void bindReception(TForm1& form) {
    if (!form.ss)
        return;
    // Owned by the server component, so it goes when the server goes.
    assembly = new Reception(&ReceiveMessage, ReceptionLimits{}, form.ss);
    assembly->attach(*form.ss);
    // At the end of the run the windows are still there: what has arrived goes to the archive.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, assembly, [] {
        guarded([] {
            if (assembly)
                assembly->finishPending();
        });
    });
    form.ss->OnClientRead = [&form](QObject* Sender, TCustomWinSocket* Socket) {
        form.ssClientRead(Sender, Socket);
    };
}

void TForm1::ssClientRead(QObject* /*Sender*/, TCustomWinSocket* Socket) {
    // The bytes join their connection's message; whole messages come back to ReceiveMessage.
    if (assembly)
        assembly->clientRead(Socket);
}

void ReceiveMessage(const QByteArray& peerName, const QByteArray& text) {
    if (!IgnorF || !ArchiveF || !Msgf)
        return; // the program is ending
    const QByteArray name = asciiUpper(peerName);
    if (IgnorF->Contains(name))
        return;
    const QByteArray time = longTimeText(services().clock->timeOfDay());
    ArchiveF->appendEntry(archiveEntry(time, name, text));
    Msgf->setMessage(name, time, text);
    if (Msgf->Showing() || (ArchiveF->Showing() && ArchiveF->unreadCount() > 0)) {
        Msgf->close();
        ArchiveF->setUnreadCount(ArchiveF->unreadCount() + 1);
        ArchiveF->showAndActivate();
    } else {
        Msgf->showAndActivate();
    }
}
