#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Line-list files ("hist.ini", "ignorlist.ini"): plain code page 1251 text, one entry per
// line, every line ending CR LF. Entries are byte strings; nothing is converted.
using LineList = QList<QByteArray>;

// Splits file content into entries: a line ends at CR, LF or CR LF; an empty line is an empty
// entry; a last line without a break is still an entry; a break at the very end adds none;
// a NUL byte ends the text.
LineList parseLineList(QByteArrayView bytes);

// Every entry followed by CR LF; an empty list gives no bytes at all.
QByteArray formatLineList(const LineList& entries);

// Whether the bare-named file exists in the current directory.
bool lineListExists(const QString& bareName);

// Reads the whole bare-named file. Throws EFOpenError with the bare name when it cannot.
LineList readLineList(const QString& bareName);

// Creates or replaces the bare-named file with the entries. The old content is replaced
// whole or not at all. Throws EFCreateError with the bare name when it cannot.
void writeLineList(const QString& bareName, const LineList& entries);
