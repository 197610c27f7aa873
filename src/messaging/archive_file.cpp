#include "messaging/archive_file.h"

#include "messaging/archive_text.h"
#include "platform/exceptions.h"
#include "platform/files.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Makes a rename or a new name in the directory itself durable.
void syncDirectory(const QString& dirPath) {
    const int fd =
        ::open(QFile::encodeName(dirPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

ArchiveFile::ArchiveFile(QString bareName) : bareName_(std::move(bareName)) {}

QString ArchiveFile::path() const {
    return bareFilePath(bareName_);
}

QByteArray ArchiveFile::load() {
    inSync_ = false;
    protected_ = false;
    QFile file(path());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        protected_ = true;
        throw EFOpenError(bareName_);
    }
    if (file.size() > kArchiveCapacity) {
        protected_ = true;
        throw EMemoCapacityError();
    }
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        protected_ = true;
        throw EFOpenError(bareName_);
    }
    QByteArray text = cutAtNul(normaliseLineBreaks(raw));
    inSync_ = text == raw;
    return text;
}

ArchiveFile::Appended ArchiveFile::appendToFile(QByteArrayView added) const {
    const int fd = ::open(QFile::encodeName(path()).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return Appended::NotOpened;
    const bool ok = writeAll(fd, added) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return ok && closed ? Appended::Yes : Appended::Failed;
}

void ArchiveFile::append(const QByteArray& text, QByteArrayView added) {
    if (added.isEmpty())
        return;
    if (protected_) {
        // Its old content is not in the archive, so it is never replaced; what arrives now
        // still joins its end, where the next run that can read it finds it.
        if (appendToFile(added) != Appended::Yes)
            throw EFCreateError(bareName_);
        return;
    }
    if (!inSync_) {
        replace(text);
        return;
    }
    switch (appendToFile(added)) {
    case Appended::Yes:
        return;
    case Appended::NotOpened:
        // Gone or replaced behind our back: write the whole text rather than a fragment.
        inSync_ = false;
        replace(text);
        return;
    case Appended::Failed:
        inSync_ = false; // part of the bytes may have landed
        throw EFCreateError(bareName_);
    }
}

void ArchiveFile::replace(const QByteArray& text) {
    if (protected_)
        return;
    static QAtomicInteger<int> counter;
    const QString target = path();
    const QFileInfo info(target);
    // A file the user may not write stays as it is, as it would with a plain overwrite.
    if (info.exists() && !info.isWritable()) {
        inSync_ = false;
        throw EFCreateError(bareName_);
    }
    const QString temp = info.absolutePath() + QStringLiteral("/.%1.%2.%3.tmp")
                                                   .arg(info.fileName())
                                                   .arg(::getpid())
                                                   .arg(counter.fetchAndAddRelaxed(1));
    const QByteArray tempName = QFile::encodeName(temp);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        inSync_ = false;
        throw EFCreateError(bareName_);
    }
    const bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed ||
        ::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(tempName.constData());
        inSync_ = false;
        throw EFCreateError(bareName_);
    }
    syncDirectory(info.absolutePath());
    inSync_ = true;
}
