#include "components/dos_command.h"
#include "messaging/send_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>

namespace {

// The messenger service's command: PATH leads to a directory the test fills, holding a "net"
// that records its arguments, or nothing at all.
class NetSend : public SendFixture {
protected:
    NetSend() : previousPath(qgetenv("PATH")) {
        QDir(env.dir()).mkdir(QStringLiteral("bin"));
        qputenv("PATH", QFile::encodeName(env.path(QStringLiteral("bin"))));
        start();
        sendf->showAndActivate();
        sendf->NSCheck->setChecked(true);
    }
    ~NetSend() override { qputenv("PATH", previousPath); }

    void installNet() {
        const QString script = env.path(QStringLiteral("bin/net"));
        // Only shell built-ins: PATH holds nothing else.
        writeFile(script,
                  "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + QFile::encodeName(args()) + "'\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString args() const { return env.path(QStringLiteral("net.args")); }

    QByteArray previousPath;
};

TEST_F(NetSend, RunsTheCommandLineUnchangedAndClearsTheTextAtOnce) {
    installNet();
    send("pc-a", "two \"quoted\"\r\nlines");
    EXPECT_EQ(sendf->DosCmd->CommandLine, QByteArray("net send PC-A two \"quoted\"\r\nlines"));
    EXPECT_EQ(sendf->messageText(), QByteArray());
    EXPECT_FALSE(sendf->isVisible());
    EXPECT_EQ(sendf->history(), LineList{"PC-A"});
    EXPECT_TRUE(resolver.hostQueries().isEmpty()) << "nothing goes over TCP";

    // The runner splits the line as a Windows program does: quotes group, CR LF stays.
    const QByteArray expected =
        QByteArrayList({"send", "PC-A", "two", "quoted\r\nlines"}).join('\0') + '\0';
    EXPECT_TRUE(waitUntil([&] { return readFile(args()) == expected; }))
        << readFile(args()).toStdString();
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(NetSend, ACommandThatCannotStartIsReportedAndItsTextKept) {
    send("PC-A", "hello");
    EXPECT_EQ(sendf->messageText(), QByteArray());
    ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }));
    EXPECT_EQ(testBoxes().errors(),
              QStringList{QStringLiteral("net send PC-A hello doesn't exist.")});
    EXPECT_EQ(sendf->messageText(), QByteArray("hello"));
}

} // namespace
