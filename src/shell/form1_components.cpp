#include "shell/form1_components.h"

#include "shell/form1.h"

// Filled in with the network core.
void createNetworkComponents(TForm1& /*form*/) {}
