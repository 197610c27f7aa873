#pragma once

class QObject;

// Switch the listening server of Form1 and show its state in the tray and the menu.
void StartServer();
void PauseServer();
