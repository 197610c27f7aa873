#pragma once

#include <QByteArrayView>

#include "messaging/line_list.h"

// Senders are matched against ignore-list entries as whole names, letter case ignored
// (Latin and Cyrillic alike): "pc-07" matches "PC-07", but not "PC-07.LAN" or "PC-0".
bool sameSenderName(QByteArrayView a, QByteArrayView b);

bool listContainsName(const LineList& entries, QByteArrayView name);

// The file that holds the ignore list.
inline const QString kIgnoreListFile = QStringLiteral("ignorlist.ini");
