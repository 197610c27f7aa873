#include "messaging/socket_components.h"
#include "platform/boxes.h"
#include "platform/services.h"
#include "shell/form1.h"
#include "shell/server_control.h"

// Starts a paused server at once; pausing asks first. The choice follows the server itself,
// not the item's caption, which a start that failed half-way leaves behind.
void TForm1::N15Click(QObject*) {
    if (!ss->Active()) {
        StartServer();
        return;
    }
    const Answer answer = services().boxes->question(
        this, QStringLiteral("Chatterwick 2"),
        QStringLiteral("Если приостановить сервер Chatterwick, то посланные вам сообщения "
                       "приниматься не будут, кроме тех, которые посланы через службу "
                       "сообщений Windows. Уверены?"));
    if (answer == Answer::Yes)
        PauseServer();
}
