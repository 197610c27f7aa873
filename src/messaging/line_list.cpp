#include "messaging/line_list.h"

#include "platform/exceptions.h"
#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

LineList parseLineList(QByteArrayView bytes) {
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes = bytes.first(nul);
    LineList entries;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        entries.append(bytes.sliced(start, end - start).toByteArray());
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return entries;
}

QByteArray formatLineList(const LineList& entries) {
    QByteArray out;
    for (const QByteArray& entry : entries) {
        out += entry;
        out += "\r\n";
    }
    return out;
}

bool lineListExists(const QString& bareName) {
    return QFileInfo::exists(bareFilePath(bareName));
}

LineList readLineList(const QString& bareName) {
    QFile file(bareFilePath(bareName));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(bareName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFOpenError(bareName);
    return parseLineList(bytes);
}

void writeLineList(const QString& bareName, const LineList& entries) {
    // Written beside the old file and renamed over it, so a crash never leaves half a list.
    QSaveFile file(bareFilePath(bareName));
    file.setDirectWriteFallback(true);
    const QByteArray bytes = formatLineList(entries);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EFCreateError(bareName);
}
