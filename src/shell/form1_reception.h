#pragma once

#include <QByteArray>

class TForm1;

// Binds the server socket ss of the main window for receiving: its read event to
// TForm1::ssClientRead, its connect and disconnect events to the message assembly. Call once,
// right after ss is created.
void bindReception(TForm1& form);

// One whole message from a peer whose reverse name is peerName ("" when none): the ignore
// test, the archive entry, the incoming message window, and the route to that window or to
// the archive.
void ReceiveMessage(const QByteArray& peerName, const QByteArray& text);
