#pragma once

#include <QByteArrayView>
#include <QString>

// Bare file names ("archive.ini", "Msg.wav", ...) resolve against the current directory.
QString bareFilePath(const QString& name);

// Writes all of bytes to fd, carrying on after short writes and interruptions; false on error
// (errno tells which).
bool writeAll(int fd, QByteArrayView bytes);
