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
    // TODO(sending): form.cs->OnConnecting/OnConnect/OnDisconnect = csConnecting/csConnect/
    // csDisconnect.

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
