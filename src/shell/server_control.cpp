#include "shell/server_control.h"

#include "components/icon_file.h"
#include "components/id_ip_watch.h"
#include "components/tray_icon.h"
#include "messaging/socket_components.h"
#include "messaging/socket_win_socket.h"
#include "neighbourhood/presence.h"
#include "platform/cp1251.h"
#include "shell/form1.h"

#include <QAction>

namespace {

QByteArray tipText(const QString& secondLine) {
    return QByteArrayLiteral("Chatterwick 2\r\n") + toCp1251(secondLine);
}

// The port the server really listens on: the setting's low 16 bits, as the socket binds it.
std::uint16_t listeningPort(const TServerSocket& ss) {
    if (const TServerWinSocket* socket = ss.Socket(); socket && socket->LocalPort() != 0)
        return socket->LocalPort();
    return static_cast<std::uint16_t>(ss.Port() & 0xFFFF);
}

} // namespace

void StartServer() {
    TForm1& form = *Form1;
    form.ss->setActive(true);
    announcePresence(listeningPort(*form.ss));
    LoadTrayIcon(QStringLiteral("Active.ico"));
    const QByteArray hostName = form.IPWatch->HostName();
    const QByteArray address = form.IPWatch->HostAddress();
    form.tri->setTip(tipText(QStringLiteral("Ваш компьютер: ")) + hostName + " (" + address + ")");
    form.N15->setText(QStringLiteral("Приостановить сервер"));
}

void PauseServer() {
    TForm1& form = *Form1;
    form.ss->setActive(false);
    withdrawPresence();
    LoadTrayIcon(QStringLiteral("deActive.ico"));
    form.tri->setTip(tipText(QStringLiteral("Сервер приостановлен")));
    form.N15->setText(QStringLiteral("Запустить сервер"));
}

void LoadTrayIcon(const QString& bareName) {
    if (Form1 && Form1->tri)
        Form1->tri->Icon().LoadFromFile(bareName);
    else
        (void)LoadIconFile(bareName);
}
