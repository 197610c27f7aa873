#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The file that keeps the archive text across runs. Its content is always the archive text
// itself, byte for byte. Each received entry is appended and flushed to disk at once, so a
// crash loses nothing; whole replacements (clearing, the exit save) go through a temporary
// file and a rename, so no crash leaves it half written.
class ArchiveFile {
public:
    explicit ArchiveFile(QString bareName = QStringLiteral("archive.ini"));

    // Reads the file: its line breaks made CR LF, cut at a NUL. A missing file gives "".
    // Throws EFOpenError, or EMemoCapacityError for a file too large for the view; such a
    // file is then never replaced (its content is not in the archive), only appended to.
    QByteArray load();

    // `text` has just grown by `added` at its end: put the same bytes at the end of the file
    // and flush them to disk. When the file does not hold the text before the growth (it was
    // missing, normalised at load, or a write failed), the whole text replaces it instead,
    // unless load() refused the file. Throws EFCreateError; the next write then replaces the
    // file whole.
    void append(const QByteArray& text, QByteArrayView added);

    // Replaces the file with `text`, atomically and durably. Throws EFCreateError.
    void replace(const QByteArray& text);

    // Whether load() refused the file, so that it may only be appended to.
    bool isProtected() const { return protected_; }

private:
    enum class Appended { Yes, NotOpened, Failed };

    QString path() const;
    Appended appendToFile(QByteArrayView added) const;

    QString bareName_;
    bool inSync_ = false;
    bool protected_ = false;
};
