#include "messaging/send_queue.h"
#include "messaging/sendf.h"
#include "messaging/socket_components.h"
#include "platform/guard.h"
#include "shell/form1.h"
#include "shell/server_control.h"

namespace {

// The tray shows the server's state again once no connection of a send is being made.
void showServerState(const TForm1& form) {
    LoadTrayIcon(form.ss && form.ss->Active() ? QStringLiteral("Active.ico")
                                              : QStringLiteral("deActive.ico"));
}

} // namespace

void TForm1::csConnecting(QObject*, TCustomWinSocket*) {
    LoadTrayIcon(QStringLiteral("Sending.ico"));
}

void TForm1::csConnect(QObject*, TCustomWinSocket* Socket) {
    if (!SendF) {
        Socket->Close();
        return;
    }
    // The text that was sent, whole; the queue clears the text box once it is out.
    SendF->sendQueue->Connected(Socket);
}

void TForm1::csDisconnect(QObject*, TCustomWinSocket*) {
    // The next send may start from here: its books are kept before anything can fail.
    if (SendF)
        SendF->sendQueue->Disconnected();
    showServerState(*this);
}

void TForm1::csError(QObject*, TCustomWinSocket*, TErrorEvent ErrorEvent, int&) {
    if (SendF)
        SendF->sendQueue->Error(ErrorEvent);
    // A failed connection ends without a disconnect event; the tray must not go on showing
    // a send. The error itself follows in its own box.
    if (ErrorEvent == TErrorEvent::eeConnect)
        guarded([this] { showServerState(*this); });
}
