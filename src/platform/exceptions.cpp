#include "platform/exceptions.h"

#include "platform/cp1251.h"

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toUtf8().toStdString()) {}

EFOpenError::EFOpenError(const QString& fileName)
    : Exception(QStringLiteral("Cannot open file %1").arg(fileName)) {}

EFCreateError::EFCreateError(const QString& fileName)
    : Exception(QStringLiteral("Cannot create file %1").arg(fileName)) {}

EListError::EListError(int index)
    : Exception(QStringLiteral("List index out of bounds (%1)").arg(index)) {}

QString errorBoxText(const QString& message) {
    if (message.isEmpty())
        return message;
    const QByteArray last = toCp1251(message.right(1));
    if (!last.isEmpty() && static_cast<unsigned char>(last.back()) > '.')
        return message + QLatin1Char('.');
    return message;
}
