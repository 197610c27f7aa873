#include "shell/server_control.h"

// Filled in with the network core.
void StartServer() {}
void PauseServer() {}
