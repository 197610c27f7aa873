#pragma once

#include <QString>

// Switch the listening server of Form1 and show its state in the tray and the menu.
void StartServer();
void PauseServer();

// Loads the tray icon from an icon file by bare name; throws EFOpenError when it cannot.
void LoadTrayIcon(const QString& bareName);
