// Runs the real program, sends it a message and kills it without warning once the message is
// in: its entry must be in archive.ini, whole, with nothing of it left to an orderly exit.

#include "support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kSystemDir = QStringLiteral(CW_SYSTEM_DIR);
const QString kConfig = QDir(kSystemDir).filePath(QStringLiteral("config.ini"));

// Connects, writes the text and closes, as a sending program does; false when nothing listens.
bool sendMessage(quint16 port, const QByteArray& text) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok =
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::send(fd, text.constData(), static_cast<size_t>(text.size()), MSG_NOSIGNAL) == text.size();
    ::close(fd);
    return ok;
}

bool listening(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace

TEST(ReceptionDurability, MessageShownSurvivesSigkill) {
    // config.ini lives in the directory the program was built for: only a build's own.
    if (!QDir::cleanPath(kSystemDir)
             .startsWith(QDir::cleanPath(QStringLiteral(CW_BINARY_DIR)) + QLatin1Char('/'))) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "configure with -DCHATTERWICK_SYSTEM_DIR=<build>/system";
        GTEST_SKIP() << "config.ini would go to " << kSystemDir.toStdString();
    }
    InTempDir env;
    QDir().mkpath(kSystemDir);
    // As root the program gets a system directory of its own (a private mount over the
    // shared one), so tests that run at the same time cannot change its config.ini.
    const bool privateSystemDir =
        ::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty();
    const QString config =
        privateSystemDir ? env.systemPath(QStringLiteral("config.ini")) : kConfig;
    const bool hadConfig = QFile::exists(kConfig);
    const QByteArray savedConfig = readFile(kConfig);
    const quint16 port = freePort();
    writeFile(config, "[Chatterwick 2]\r\nDefPort=" + QByteArray::number(port) +
                          "\r\nSounds=1\r\nDontActivateServer=0\r\n");
    for (const char* icon : {"Active.ico", "deActive.ico", "Sending.ico", "Msg.wav"})
        QFile::copy(QStringLiteral(CW_SOURCE_DIR "/assets/") + QLatin1String(icon),
                    env.path(QLatin1String(icon)));

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(env.dir());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (privateSystemDir) // unshare and sh exec in place: the process is the program itself
        program.start(QStringLiteral("unshare"),
                      {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                       QStringLiteral("mount --bind \"$1\" \"$2\" && exec \"$3\""),
                       QStringLiteral("sh"), env.systemDir(), kSystemDir,
                       QStringLiteral(CW_PROGRAM)});
    else
        program.start(QStringLiteral(CW_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    QElapsedTimer waited;
    waited.start();
    while (!listening(port) && waited.elapsed() < 20000)
        ::usleep(50 * 1000);
    const QByteArray privet = "\xcf\xf0\xe8\xe2\xe5\xf2"; // "Привет" in code page 1251
    const bool sent = sendMessage(port, privet);
    const QString archive = env.path(QStringLiteral("archive.ini"));
    const QByteArray tail = " LOCALHOST\r\n          " + privet + "\r\n\r\n\r\n";
    waited.restart();
    while (sent && !readFile(archive).endsWith(tail) && waited.elapsed() < 10000)
        ::usleep(20 * 1000);
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    program.waitForFinished(10000);

    if (!privateSystemDir) {
        if (hadConfig)
            writeFile(kConfig, savedConfig);
        else
            QFile::remove(kConfig);
    }

    ASSERT_TRUE(sent) << "the program did not listen on " << port;
    const QByteArray stored = readFile(archive);
    // ">> " hh:mm:ss " LOCALHOST" CR LF, ten spaces, the text, CR LF CR LF, and the append's CR LF.
    ASSERT_EQ(stored.size(), 3 + 8 + tail.size()) << stored.constData();
    EXPECT_TRUE(stored.startsWith(">> "));
    EXPECT_TRUE(stored.endsWith(tail)) << stored.constData();
}
