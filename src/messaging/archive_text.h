#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "platform/exceptions.h"

// The archive is one code page 1251 text with CR LF breaks; received entries are appended to
// its end. These are its text rules; the window shows the text, it does not own it.

// One entry: ">> " time " " sender CR LF, ten spaces, the text as received, CR LF CR LF.
QByteArray archiveEntry(QByteArrayView time, QByteArrayView sender, QByteArrayView text);

// The text up to its first NUL (the whole text when it holds none).
QByteArray cutAtNul(QByteArrayView text);

// Every CR not followed by LF and every LF not preceded by CR becomes CR LF.
QByteArray normaliseLineBreaks(QByteArrayView text);

// The bytes the append rule adds to `archive` for `entry`: the entry and CR LF when the
// archive is empty or ends with CR LF, else CR LF and the entry; cut at a NUL either way.
QByteArray appendedBytes(QByteArrayView archive, QByteArrayView entry);

// How a byte text is shown in a plain-text view: every CR LF, CR or LF one line break.
QString viewText(QByteArrayView text);

// Lines longer than this are shown in a read-only view in pieces of at most this length: the
// view's word wrap takes time that grows with the square of a line's length, so a single
// 1 MiB line would freeze the window for minutes.
inline constexpr qsizetype kViewLineLimit = 1000;

// As viewText, for read-only views: a longer line is broken after the last space in the second
// half of each piece of kViewLineLimit characters, or at the limit where that half has none.
// The bytes themselves are not changed; only their view.
QString readingViewText(QByteArrayView text);

// The largest archive text the archive view takes (bytes).
inline constexpr qsizetype kArchiveCapacity = qsizetype(256) * 1024 * 1024;

// An archive file too large for the view: "Text exceeds memo capacity".
class EMemoCapacityError : public Exception {
public:
    EMemoCapacityError();
};
