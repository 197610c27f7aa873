#pragma once

class TForm1;

// Creates Form1's network and tray components in their order (ss, IPWatch, cs, tri, mainmenu)
// and binds their events to Form1's handlers.
void createNetworkComponents(TForm1& form);
