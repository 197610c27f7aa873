#pragma once

class TForm1;

// Builds Form1's tray menu, mainmenu, with its items N1..N16 and binds them to their handlers.
void createMainMenu(TForm1& form);

// Shows the send window in front with the focus, and closes an archive window that is showing
// only because unread messages were routed to it.
void ShowSendWindow();
