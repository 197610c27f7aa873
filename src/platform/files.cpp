#include "platform/files.h"

#include <QDir>

#include <cerrno>
#include <unistd.h>

QString bareFilePath(const QString& name) {
    return QDir::current().absoluteFilePath(name);
}

bool writeAll(int fd, QByteArrayView bytes) {
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}
