#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>

// Installs the test doubles for the whole run and routes escaping errors to the error box
// double, as the program routes them to the real one.
class TestServicesEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

// A fresh current directory for a test (bare file names resolve against it), and a fresh
// system directory for config.ini. Both are removed afterwards.
class InTempDir {
public:
    InTempDir();
    ~InTempDir();
    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    QString systemPath(const QString& name) const { return QDir(system_.path()).filePath(name); }
    QString dir() const { return dir_.path(); }
    QString systemDir() const { return system_.path(); }

private:
    QTemporaryDir dir_;
    QTemporaryDir system_;
    QString previous_;
};

// Whole-file helpers for fixtures.
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// Spins the event loop until pred() holds or the timeout passes; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// A TCP port that nothing on loopback listens on right now.
quint16 freePort();
