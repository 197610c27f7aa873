#pragma once

class TForm1;

// Builds Form1's tray menu, mainmenu, with its items N1..N16 and binds them to their handlers.
void createMainMenu(TForm1& form);
