#include "components/id_exceptions.h"

EIdStackInitializationFailed::EIdStackInitializationFailed()
    : EIdStackError(QStringLiteral("Winsock Initialization Error.")) {}

EIdStackCanNotLoadWinsock::EIdStackCanNotLoadWinsock(const QString& library)
    : EIdException(QStringLiteral("%1 could not be loaded.").arg(library)) {}
