#include "shell/server_control.h"

#include "components/icon_file.h"

// Filled in with the network core.
void StartServer() {}
void PauseServer() {}

void LoadTrayIcon(const QString& bareName) { (void)LoadIconFile(bareName); }
