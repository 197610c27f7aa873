#pragma once

#include <QIcon>
#include <QString>

// Loads an icon file by bare name from the current directory, every size it holds.
// Throws EFOpenError ("Cannot open file <name>") when it cannot be opened or read.
QIcon LoadIconFile(const QString& bareName);
