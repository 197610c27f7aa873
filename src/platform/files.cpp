#include "platform/files.h"

#include <QDir>

QString bareFilePath(const QString& name) { return QDir::current().absoluteFilePath(name); }
