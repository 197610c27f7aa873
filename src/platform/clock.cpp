#include "platform/clock.h"

QByteArray longTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}
