#include "shell/form1_components.h"

#include "components/id_ip_watch.h"
#include "components/popup_menu.h"
#include "components/tray_icon.h"
#include "messaging/socket_components.h"
#include "shell/builtin_assets.h"
#include "shell/form1.h"
#include "shell/form1_reception.h"
#include "shell/tray_menu.h"

void createNetworkComponents(TForm1& form) {
    form.ss = new TServerSocket(&form);
    form.ss->setPort(243);
    bindReception(form);

    form.IPWatch = new TIdIPWatch(&form);
    form.IPWatch->setHistoryFilename(QStringLiteral("iphist.dat"));

    form.cs = new TClientSocket(&form);
    form.cs->setPort(243);
    form.cs->OnConnecting = [&form](QObject* Sender, TCustomWinSocket* Socket) {
        form.csConnecting(Sender, Socket);
    };
    form.cs->OnConnect = [&form](QObject* Sender, TCustomWinSocket* Socket) {
        form.csConnect(Sender, Socket);
    };
    form.cs->OnDisconnect = [&form](QObject* Sender, TCustomWinSocket* Socket) {
        form.csDisconnect(Sender, Socket);
    };
    form.cs->OnError = [&form](QObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent,
                               int& ErrorCode) {
        form.csError(Sender, Socket, ErrorEvent, ErrorCode);
    };

    form.tri = new TTrayIcon(&form);
    createMainMenu(form);

    // The tray icon's stored settings, in their order; the visibility ones come last.
    TTrayIcon& tri = *form.tri;
    tri.setTip(QByteArrayLiteral("Chatterwick 2"));
    tri.setIcon(builtInTrayIcon());
    tri.setPopupMenu(form.mainmenu);
    tri.OnClick = [&form](QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                          int X, int Y) { form.triClick(Sender, Button, Shift, X, Y); };
    tri.setIconVisible(true);
    tri.setFormVisible(true);
    tri.setAppVisible(false);
    tri.AfterLoad();
}
