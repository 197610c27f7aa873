#include "platform/profile.h"

#include "platform/cp1251.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>
#include <vector>

#ifndef CHATTERWICK_SYSTEM_DIR
#define CHATTERWICK_SYSTEM_DIR "/var/lib/chatterwick2"
#endif

namespace {

QString& systemDirectoryOverride() {
    static QString dir;
    return dir;
}

QString resolve(const QString& fileName) {
    if (fileName.contains(QLatin1Char('/')))
        return fileName;
    return QDir(systemDirectory()).filePath(fileName);
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return fromCp1251(a).compare(fromCp1251(b), Qt::CaseInsensitive) == 0;
}

// One line of the file: its bytes without and with the line break, and what it is.
struct Line {
    QByteArray text;   // without the line break
    QByteArray ending; // "\r\n", "\n" or "" for a last line without one
    enum class Kind { Other, Section, Value } kind = Kind::Other;
    QByteArray name;  // section name or key, trimmed
    QByteArray value; // trimmed
};

std::vector<Line> parse(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype end = nl < 0 ? bytes.size() : nl + 1;
        Line line;
        line.text = bytes.mid(pos, end - pos);
        if (line.text.endsWith("\r\n"))
            line.ending = "\r\n";
        else if (line.text.endsWith('\n'))
            line.ending = "\n";
        line.text.chop(line.ending.size());
        pos = end;

        const QByteArray trimmed = line.text.trimmed();
        if (trimmed.startsWith('[')) {
            line.kind = Line::Kind::Section;
            const qsizetype close = trimmed.indexOf(']');
            line.name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
        } else if (const qsizetype eq = trimmed.indexOf('='); eq > 0) {
            line.kind = Line::Kind::Value;
            line.name = trimmed.left(eq).trimmed();
            line.value = trimmed.mid(eq + 1).trimmed();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// Index of the section line, or none.
std::optional<size_t> findSection(const std::vector<Line>& lines, const QByteArray& section) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Line::Kind::Section && sameName(lines[i].name, section))
            return i;
    return std::nullopt;
}

// The lines of a section run from after its header to the next header.
size_t sectionEnd(const std::vector<Line>& lines, size_t header) {
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Line::Kind::Section)
        ++i;
    return i;
}

std::optional<size_t> findKey(const std::vector<Line>& lines, size_t header,
                              const QByteArray& key) {
    const size_t end = sectionEnd(lines, header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == Line::Kind::Value && sameName(lines[i].name, key))
            return i;
    return std::nullopt;
}

// Reads the whole file; an absent file is empty. False when it exists but cannot be read.
bool readWhole(const QString& path, QByteArray& out, mode_t* mode = nullptr) {
    out.clear();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && mode)
        *mode = st.st_mode & 0777;
    char buffer[8192];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

QByteArray withValue(const QByteArray& original, const QByteArray& section, const QByteArray& key,
                     const QByteArray& value) {
    std::vector<Line> lines = parse(original);
    const QByteArray valueLine = key + '=' + value;
    const auto header = findSection(lines, section);
    if (header) {
        if (const auto at = findKey(lines, *header, key)) {
            lines[*at].text = valueLine;
        } else {
            // After the section's last non-blank line, so blank separators stay below it.
            size_t insertAt = sectionEnd(lines, *header);
            while (insertAt > *header + 1 && lines[insertAt - 1].text.trimmed().isEmpty())
                --insertAt;
            if (lines[insertAt - 1].ending.isEmpty())
                lines[insertAt - 1].ending = "\r\n";
            Line line;
            line.text = valueLine;
            line.ending = "\r\n";
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
        }
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = "\r\n";
        Line head;
        head.text = '[' + section + ']';
        head.ending = "\r\n";
        Line line;
        line.text = valueLine;
        line.ending = "\r\n";
        lines.push_back(head);
        lines.push_back(line);
    }
    QByteArray out;
    out.reserve(original.size() + valueLine.size() + section.size() + 8);
    for (const Line& l : lines)
        out += l.text + l.ending;
    return out;
}

} // namespace

EIniFileException::EIniFileException(const QString& fileName)
    : Exception(QStringLiteral("Unable to write to %1").arg(fileName)) {}

QString systemDirectory() {
    const QString& dir = systemDirectoryOverride();
    return dir.isEmpty() ? QString::fromUtf8(CHATTERWICK_SYSTEM_DIR) : dir;
}

void setSystemDirectory(const QString& dir) {
    systemDirectoryOverride() = dir;
}

ScopedSystemDirectory::ScopedSystemDirectory(const QString& dir)
    : previous_(systemDirectoryOverride()) {
    setSystemDirectory(dir);
}

ScopedSystemDirectory::~ScopedSystemDirectory() {
    setSystemDirectory(previous_);
}

QByteArray readProfileString(const QByteArray& section, const QByteArray& key,
                             const QByteArray& defaultValue, int bufferSize,
                             const QString& fileName) {
    const qsizetype room = bufferSize > 0 ? bufferSize - 1 : 0;
    QByteArray bytes;
    if (!readWhole(resolve(fileName), bytes))
        return defaultValue.left(room);
    const std::vector<Line> lines = parse(bytes);
    if (const auto header = findSection(lines, section))
        if (const auto at = findKey(lines, *header, key))
            return lines[*at].value.left(room);
    return defaultValue.left(room);
}

void writeProfileString(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                        const QString& fileName) {
    const QString path = resolve(fileName);
    const QString dir = QFileInfo(path).absolutePath();
    // A line break in a value would make lines of its own; a read gives back the first line
    // only, so that is all that is stored.
    QByteArray oneLine = value;
    if (const qsizetype br = oneLine.indexOf('\n'); br >= 0)
        oneLine.truncate(br);
    if (const qsizetype br = oneLine.indexOf('\r'); br >= 0)
        oneLine.truncate(br);

    QDir().mkpath(dir); // the directory may not exist yet; failing here fails below
    FileDescriptor dirFd(
        ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0)
        throw EIniFileException(fileName);
    // Serialises writers of every copy of the program on this computer.
    ::flock(dirFd.get(), LOCK_EX);

    QByteArray original;
    mode_t mode = 0644;
    if (!readWhole(path, original, &mode))
        throw EIniFileException(fileName); // rewriting a file we cannot read would lose it
    const QByteArray updated = withValue(original, section, key, oneLine);

    QByteArray tempName =
        QFile::encodeName(QDir(dir).filePath(QLatin1Char('.') + QFileInfo(path).fileName())) +
        ".XXXXXX";
    FileDescriptor tmp(::mkostemp(tempName.data(), O_CLOEXEC));
    if (tmp.get() < 0)
        throw EIniFileException(fileName);
    const bool written = ::fchmod(tmp.get(), mode) == 0 && writeAll(tmp.get(), updated) &&
                         ::fsync(tmp.get()) == 0 && ::close(tmp.release()) == 0 &&
                         ::rename(tempName.constData(), QFile::encodeName(path).constData()) == 0;
    if (!written) {
        ::unlink(tempName.constData());
        throw EIniFileException(fileName);
    }
    ::fsync(dirFd.get()); // the rename itself survives a crash
}
