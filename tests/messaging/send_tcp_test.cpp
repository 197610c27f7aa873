#include "messaging/send_fixture.h"
#include "messaging/send_queue.h"
#include "messaging/socket_components.h"
#include "messaging/socket_error.h"
#include "messaging/socket_win_socket.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

namespace {

const QHostAddress kA(QStringLiteral("127.0.0.1"));
const QHostAddress kB(QStringLiteral("127.0.0.2"));

// Two receiving computers on the client socket's port: PC-A and PC-B. PC-DOWN has an address
// where nothing listens.
class TcpSend : public SendFixture {
protected:
    TcpSend() {
        start();
        resolver.answer("PC-A", {ipv4(127, 0, 0, 1)});
        resolver.answer("PC-B", {ipv4(127, 0, 0, 2)});
        resolver.answer("PC-DOWN", {ipv4(127, 0, 0, 3)});
        EXPECT_TRUE(a.listen(kA, port));
        EXPECT_TRUE(b.listen(kB, port));
    }
    bool allSent() const {
        return waitUntil([&] { return sendf->sendQueue->Idle(); });
    }

    Receiver a;
    Receiver b;
};

TEST_F(TcpSend, DeliversTheTextAndClearsItOnlyOnceWritten) {
    sendf->showAndActivate();
    send("pc-a", "Hello\r\n\xcf\xf0\xe8\xe2\xe5\xf2");
    // The window is gone at once; the text waits in it until written.
    EXPECT_FALSE(sendf->isVisible());
    EXPECT_EQ(sendf->messageText(), QByteArray("Hello\r\n\xcf\xf0\xe8\xe2\xe5\xf2"));
    EXPECT_EQ(sendf->history(), LineList{"PC-A"});
    EXPECT_EQ(resolver.hostQueries(), QList<QByteArray>{"PC-A"});

    ASSERT_TRUE(waitUntil([&] { return a.complete() == 1; }));
    EXPECT_EQ(a.messages[0].bytes, QByteArray("Hello\r\n\xcf\xf0\xe8\xe2\xe5\xf2"));
    ASSERT_TRUE(allSent());
    EXPECT_EQ(sendf->messageText(), QByteArray());
    EXPECT_FALSE(form->cs->Active());
    // The built-in picture, the server's state, the send, the server's state again.
    EXPECT_EQ(trayHistory(), (std::vector<QRgb>{trayHistory().front(), kPausedColour,
                                                kSendingColour, kPausedColour}));
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(TcpSend, HistoryTakesEachAddressOnceWhateverItsCase) {
    writeFile(env.path(kHistoryFile), "pc-b\r\n");
    sendf = std::make_unique<TSendF>();
    SendF = sendf.get();
    for (const char* to : {"PC-A", "pc-a", "Pc-B", "PC-A"}) {
        send(to, "x");
        ASSERT_TRUE(allSent());
    }
    EXPECT_EQ(sendf->history(), (LineList{"PC-B", "PC-A"}));
    EXPECT_EQ(a.complete(), 3u);
    EXPECT_EQ(b.complete(), 1u);
}

TEST_F(TcpSend, TheTextIsTheOneThatStoodThereAtThePress) {
    resolver.answer("PC-A", {ipv4(127, 0, 0, 1)}, 150);
    send("PC-A", "first");
    // The user opens the window again and writes something new before the connection is up.
    sendf->showAndActivate();
    sendf->setMessageText("second thoughts");
    sendf->setAddress("PC-B");
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 1; }));
    ASSERT_TRUE(allSent());
    EXPECT_EQ(a.messages[0].bytes, QByteArray("first"));
    EXPECT_EQ(b.messages.size(), 0u);
    // Sending the first text does not wipe the new one.
    EXPECT_EQ(sendf->messageText(), QByteArray("second thoughts"));
    EXPECT_EQ(sendf->address(), QByteArray("PC-B"));
}

TEST_F(TcpSend, SendsMadeWhileOneIsUnderWayWaitAndGoEachToItsOwnAddress) {
    resolver.answer("PC-A", {ipv4(127, 0, 0, 1)}, 200);
    send("PC-A", "one");
    send("PC-B", "two");
    send("PC-A", "three");
    EXPECT_EQ(sendf->sendQueue->Waiting(), 2);
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 2 && b.complete() == 1; }));
    ASSERT_TRUE(allSent());
    EXPECT_EQ(a.messages[0].bytes, QByteArray("one"));
    EXPECT_EQ(a.messages[1].bytes, QByteArray("three"));
    EXPECT_EQ(b.messages[0].bytes, QByteArray("two"));
    EXPECT_EQ(b.messages[0].to, kB);
    // In order: the second lookup began only after the first text was out.
    EXPECT_EQ(resolver.hostQueries(), (QList<QByteArray>{"PC-A", "PC-B", "PC-A"}));
    EXPECT_EQ(sendf->messageText(), QByteArray());
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(TcpSend, PressWhileAConnectionIsEstablishedDoesNothing) {
    // Hold the client socket connected, as an earlier send does while it writes.
    form->cs->OnConnect = nullptr;
    form->cs->setHost("PC-A");
    form->cs->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return form->cs->Active(); }));
    sendf->showAndActivate();
    send("PC-B", "later");
    EXPECT_TRUE(sendf->isVisible());
    EXPECT_TRUE(sendf->history().isEmpty());
    EXPECT_EQ(sendf->messageText(), QByteArray("later"));
    EXPECT_TRUE(sendf->sendQueue->Idle());
    EXPECT_TRUE(testBoxes().all().empty());
}

TEST_F(TcpSend, TextLargerThanTheSocketBuffersArrivesWhole) {
    QByteArray text;
    for (int line = 0; text.size() < 6 * 1024 * 1024; ++line)
        text +=
            "line " + QByteArray::number(line) + " \xe0\xe1\xe2 " + QByteArray(80, 'x') + "\r\n";
    text.chop(2);
    send("PC-A", text);
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 1; }, 30000));
    EXPECT_EQ(a.messages[0].bytes.size(), text.size());
    EXPECT_TRUE(a.messages[0].bytes == text);
    ASSERT_TRUE(allSent());
    EXPECT_EQ(sendf->messageText(), QByteArray());
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

// A receiver that resets every connection as soon as it comes, mid-way through a large text.
class Resetter {
public:
    explicit Resetter(quint16 port) {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                s->abort();
                s->deleteLater();
            }
        });
        server.listen(QHostAddress(QStringLiteral("127.0.0.4")), port);
    }
    QTcpServer server;
};

TEST_F(TcpSend, AFailedSendReportsRestoresTheTrayAndKeepsTheText) {
    Resetter resetter(port);
    resolver.answer("PC-RESET", {ipv4(127, 0, 0, 4)});
    QByteArray large;
    while (large.size() < 8 * 1024 * 1024)
        large += QByteArray(98, 'z') + "\r\n";
    const struct {
        const char* name;
        QByteArray address;
        QByteArray text;
        const char* error; // part of the error box's text
    } cases[] = {
        {"Refused", "PC-DOWN", "refused text", "10061"},
        {"UnknownName", "NO-SUCH-PC", "lost text", "11001"},
        {"ResetWhileWriting", "PC-RESET", large, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testBoxes().clear();
        area->calls.clear();
        send(c.address, c.text);
        ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }, 20000));
        ASSERT_TRUE(allSent());
        EXPECT_EQ(testBoxes().errors().size(), 1);
        EXPECT_TRUE(testBoxes().errors().value(0).contains(QLatin1String(c.error)))
            << testBoxes().errors().value(0).toStdString();
        EXPECT_EQ(trayColour(), kPausedColour);
        EXPECT_TRUE(sendf->messageText() == c.text);
        EXPECT_EQ(sendf->history().last(), c.address);
        EXPECT_FALSE(form->cs->Active());
    }

    // The icon follows the server: running, it comes back as the active one.
    form->ss->setPort(freePort());
    form->ss->setActive(true);
    send("PC-DOWN", "again");
    ASSERT_TRUE(waitUntil([&] { return testBoxes().errors().size() == 2; }));
    EXPECT_EQ(trayColour(), kActiveColour);
}

TEST_F(TcpSend, AFailedTextComesBackUnlessSomethingNewWasWritten) {
    resolver.answer("PC-DOWN", {ipv4(127, 0, 0, 3)}, 100);
    send("PC-DOWN", "gone");
    sendf->setMessageText(""); // emptied meanwhile
    ASSERT_TRUE(waitUntil([&] { return testBoxes().errors().size() == 1; }));
    EXPECT_EQ(sendf->messageText(), QByteArray("gone"));

    send("PC-DOWN", "old");
    sendf->setMessageText("new");
    ASSERT_TRUE(waitUntil([&] { return testBoxes().errors().size() == 2; }));
    EXPECT_EQ(sendf->messageText(), QByteArray("new"));

    // A send waiting behind a failed one still goes out.
    send("PC-DOWN", "first");
    send("PC-A", "second");
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 1; }));
    EXPECT_EQ(a.messages[0].bytes, QByteArray("second"));
    ASSERT_TRUE(allSent());
    EXPECT_EQ(testBoxes().errors().size(), 3);
}

} // namespace

namespace {

TEST_F(TcpSend, AnActivationThatFailsAtOnceKeepsTheWindowOrLetsTheNextSendGo) {
    // Starting an attempt for PC-B fails inside the activation itself.
    form->cs->OnLookup = [this](QObject*, TCustomWinSocket*) {
        if (form->cs->Host() == "PC-B")
            throw ESocketError(QStringLiteral("Can't create new socket"));
    };
    sendf->showAndActivate();
    send("PC-B", "stays");
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Can't create new socket.")});
    EXPECT_TRUE(sendf->isVisible());
    EXPECT_TRUE(sendf->history().isEmpty());
    EXPECT_EQ(sendf->messageText(), QByteArray("stays"));
    EXPECT_TRUE(sendf->sendQueue->Idle());

    // Waiting behind another send, the failure is reported when its turn comes; the rest go on.
    testBoxes().clear();
    resolver.answer("PC-A", {ipv4(127, 0, 0, 1)}, 150);
    send("PC-A", "one");
    send("PC-B", "two");
    send("PC-A", "three");
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 2; }));
    ASSERT_TRUE(allSent());
    EXPECT_EQ(a.messages[0].bytes, QByteArray("one"));
    EXPECT_EQ(a.messages[1].bytes, QByteArray("three"));
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Can't create new socket.")});
    EXPECT_EQ(sendf->history(), (LineList{"PC-A", "PC-B"}));
    EXPECT_EQ(trayColour(), kPausedColour);
}

} // namespace

TEST_F(TcpSend, TextsStillOnTheirWayAtTheEndOfTheRunGoOut) {
    resolver.answer("PC-A", {ipv4(127, 0, 0, 1)}, 200);
    send("PC-A", "one");
    send("PC-B", "two");
    // The run ends at once; what the user has sent still reaches both computers.
    sendf->sendQueue->finishPending(10000);
    EXPECT_TRUE(sendf->sendQueue->Idle());
    ASSERT_TRUE(waitUntil([&] { return a.complete() == 1 && b.complete() == 1; }));
    EXPECT_EQ(a.messages[0].bytes, QByteArray("one"));
    EXPECT_EQ(b.messages[0].bytes, QByteArray("two"));
}
