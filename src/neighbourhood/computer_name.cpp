#include "neighbourhood/computer_list.h"

namespace {
constexpr qsizetype kPrefixLength = 2;
constexpr qsizetype kMaxNameLength = 99;
} // namespace

QString ComputerName(const QString& nodeText) {
    if (!nodeText.startsWith(QLatin1String("\\\\")))
        return nodeText;
    return nodeText.mid(kPrefixLength, kMaxNameLength);
}

QByteArray ComputerName(const QByteArray& nodeText) {
    if (!nodeText.startsWith("\\\\"))
        return nodeText;
    return nodeText.mid(kPrefixLength, kMaxNameLength);
}
