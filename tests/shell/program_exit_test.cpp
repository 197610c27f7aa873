// Runs the real program and ends it as logging out or `kill` does.

#include "platform/profile.h"
#include "support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString kSystemDir = QStringLiteral(CW_SYSTEM_DIR);
const QString kConfig = QDir(kSystemDir).filePath(QStringLiteral("config.ini"));

QByteArray stored(const char* section, const char* key) {
    return readProfileString(section, key, "(none)", 2048, kConfig);
}

// True once the process catches SIGTERM (its handler is installed).
bool catchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// The program keeps config.ini in the one directory it was built for: only a build's own
// directory may be used by a test.
bool systemDirIsTheBuilds() {
    return QDir::cleanPath(kSystemDir)
        .startsWith(QDir::cleanPath(QStringLiteral(CW_BINARY_DIR)) + QLatin1Char('/'));
}

class RealProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!systemDirIsTheBuilds()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "configure with -DCHATTERWICK_SYSTEM_DIR=<build>/system";
            GTEST_SKIP() << "config.ini would go to " << kSystemDir.toStdString()
                         << "; configure with -DCHATTERWICK_SYSTEM_DIR=<build>/system";
        }
        QDir().mkpath(kSystemDir);
        saved_ = readFile(kConfig);
        hadConfig_ = QFile::exists(kConfig);
    }
    void TearDown() override {
        if (hadConfig_)
            writeFile(kConfig, saved_);
        else
            QFile::remove(kConfig);
    }

    // Starts the program in the test's directory, sends SIGTERM once it handles it, and
    // returns whether it then ended normally.
    bool runAndTerminate() {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(env.dir());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(CW_PROGRAM), {});
        if (!program.waitForStarted(10000)) {
            ADD_FAILURE() << "the program did not start";
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        while (!catchesSigterm(program.processId()) && waited.elapsed() < 20000)
            QThread::msleep(20);
        QThread::msleep(500); // into its start-up proper
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        if (!program.waitForFinished(30000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "the program did not end on SIGTERM";
            return false;
        }
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        return program.exitStatus() == QProcess::NormalExit;
    }

    void copyIcons() {
        for (const char* icon : {"Active.ico", "deActive.ico", "Sending.ico"})
            QFile::copy(QStringLiteral(CW_SOURCE_DIR "/assets/") + QLatin1String(icon),
                        env.path(QLatin1String(icon)));
    }

    InTempDir env;
    QByteArray saved_;
    bool hadConfig_ = false;
};

} // namespace

TEST_F(RealProgram, SigtermSavesTheSettingsAsANormalExitDoes) {
    copyIcons();
    // Paused, so no port is opened; odd values come back in their written form.
    writeFile(kConfig, "[Other]\r\nA=1\r\n\r\n[Chatterwick 2]\r\nAlphaSPLASH=word\r\n"
                       "DontActivateServer=1\r\nDefPort=0x1BB\r\n");
    ASSERT_TRUE(runAndTerminate());
    const struct {
        const char* key;
        const char* value;
    } expected[] = {{"SkinName", "Chatterwick 2"}, {"AlphaSPLASH", "1"},   {"Sounds", "1"},
                    {"DontActivateServer", "1"},   {"AlwaysNetSend", "0"}, {"DefPort", "443"}};
    for (const auto& e : expected)
        EXPECT_EQ(stored("Chatterwick 2", e.key), QByteArray(e.value)) << e.key;
    EXPECT_EQ(stored("Other", "A"), "1");
}

TEST_F(RealProgram, SigtermEndsTheRunWhileAnErrorBoxIsOpen) {
    // Without its icon file start-up stops at an error box and reads no settings; those
    // stored must then survive the exit unchanged.
    writeFile(kConfig, "[Chatterwick 2]\r\nAlphaSPLASH=0\r\nDontActivateServer=1\r\n"
                       "DefPort=5000\r\nSkinName=Mine\r\n");
    ASSERT_TRUE(runAndTerminate());
    EXPECT_EQ(stored("Chatterwick 2", "AlphaSPLASH"), "0");
    EXPECT_EQ(stored("Chatterwick 2", "DefPort"), "5000");
    EXPECT_EQ(stored("Chatterwick 2", "SkinName"), "Mine");
    EXPECT_EQ(stored("Chatterwick 2", "Sounds"), "(none)");
}
