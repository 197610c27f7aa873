#pragma once

#include "platform/exceptions.h"

#include <QByteArray>
#include <QString>

// The profile-string service: INI files of section lines ("[name]") and value lines
// ("key=value") in code page 1251. Every read and every write is one call that goes straight to
// the file; nothing is cached. Section and key names match without regard to case, and
// whitespace around names and values is ignored. A bare file name resolves against the system
// directory (systemDirectory()), never against the current directory.

// A write the service refused: "Unable to write to <file name as given>".
class EIniFileException : public Exception {
public:
    explicit EIniFileException(const QString& fileName);
};

// The value of key in section, or defaultValue when the file, the section or the key is
// missing or unreadable. At most bufferSize - 1 bytes come back, as from a fixed buffer.
QByteArray readProfileString(const QByteArray& section, const QByteArray& key,
                             const QByteArray& defaultValue, int bufferSize,
                             const QString& fileName);

// Sets key in section to value, creating the file, the section or the key as needed and
// keeping every other section, key and line as it was. The file is replaced atomically, so a
// crash leaves either the old or the new file. Throws EIniFileException when it cannot write.
void writeProfileString(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                        const QString& fileName);

// The one fixed directory per computer that holds the profile files. Defaults to the
// directory the program was built for; tests point it elsewhere.
QString systemDirectory();
// An empty dir restores the built-in directory.
void setSystemDirectory(const QString& dir);

// Points the system directory somewhere else for the lifetime of the object.
class ScopedSystemDirectory {
public:
    explicit ScopedSystemDirectory(const QString& dir);
    ~ScopedSystemDirectory();
    ScopedSystemDirectory(const ScopedSystemDirectory&) = delete;
    ScopedSystemDirectory& operator=(const ScopedSystemDirectory&) = delete;

private:
    QString previous_;
};
