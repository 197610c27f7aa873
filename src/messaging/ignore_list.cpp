#include "messaging/ignore_list.h"

#include "platform/cp1251.h"

bool sameSenderName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false; // code page 1251 case pairs are one byte each
    return fromCp1251(a).compare(fromCp1251(b), Qt::CaseInsensitive) == 0;
}

bool listContainsName(const LineList& entries, QByteArrayView name) {
    for (const QByteArray& entry : entries)
        if (sameSenderName(entry, name))
            return true;
    return false;
}
