#include "messaging/archive_text.h"

#include "platform/cp1251.h"

QByteArray archiveEntry(QByteArrayView time, QByteArrayView sender, QByteArrayView text) {
    QByteArray entry;
    entry.reserve(3 + time.size() + 1 + sender.size() + 2 + 10 + text.size() + 4);
    entry.append(">> ").append(time).append(' ').append(sender).append("\r\n");
    entry.append(10, ' ').append(text).append("\r\n\r\n");
    return entry;
}

QByteArray cutAtNul(QByteArrayView text) {
    const qsizetype nul = text.indexOf('\0');
    return (nul < 0 ? text : text.first(nul)).toByteArray();
}

QByteArray normaliseLineBreaks(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out.append("\r\n");
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out.append("\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray appendedBytes(QByteArrayView archive, QByteArrayView entry) {
    QByteArray added;
    if (archive.isEmpty() || archive.endsWith("\r\n"))
        added.append(entry).append("\r\n");
    else
        added.append("\r\n").append(entry);
    return cutAtNul(added);
}

QString viewText(QByteArrayView text) {
    QString out = fromCp1251(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString readingViewText(QByteArrayView text) {
    const QString lines = viewText(text);
    QString out;
    out.reserve(lines.size() + lines.size() / kViewLineLimit);
    qsizetype start = 0;
    const qsizetype n = lines.size();
    while (start <= n) {
        qsizetype end = lines.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = n;
        qsizetype pos = start;
        while (end - pos > kViewLineLimit) {
            // Only this piece is searched, so a line costs its length, not its square.
            const QStringView piece = QStringView(lines).sliced(pos, kViewLineLimit);
            const qsizetype space = piece.lastIndexOf(QLatin1Char(' '));
            // The space stays at the end of its piece; one near the piece's start (an entry's
            // indentation) would leave a piece of nothing but blanks.
            const qsizetype cut = pos + (space >= kViewLineLimit / 2 ? space + 1 : kViewLineLimit);
            out.append(QStringView(lines).sliced(pos, cut - pos)).append(QLatin1Char('\n'));
            pos = cut;
        }
        out.append(QStringView(lines).sliced(pos, end - pos));
        if (end < n)
            out.append(QLatin1Char('\n'));
        start = end + 1;
    }
    return out;
}

EMemoCapacityError::EMemoCapacityError()
    : Exception(QStringLiteral("Text exceeds memo capacity")) {}
