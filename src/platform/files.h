#pragma once

#include <QString>

// Bare file names ("archive.ini", "Msg.wav", ...) resolve against the current directory.
QString bareFilePath(const QString& name);
