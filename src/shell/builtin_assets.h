#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures compiled into the program: the splash (298 x 102, magenta where it is
// see-through) and the tray's own icon (16 x 16 and 32 x 32).
QPixmap builtInSplashPicture();
QIcon builtInTrayIcon();

// The colour key of the splash.
inline constexpr QRgb kSplashColourKey = 0xFFFF00FF;
