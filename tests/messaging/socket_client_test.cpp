#include "messaging/socket_components.h"
#include "messaging/socket_error.h"
#include "platform/resolver.h"
#include "platform/services.h"
#include "socket_test_support.h"
#include "support/doubles.h"
#include "support/fake_resolver.h"
#include "support/test_env.h"

#include <QPointer>
#include <gtest/gtest.h>

using namespace sockettest;

namespace {

constexpr quint32 kLoopback = ipv4(127, 0, 0, 1);

// A client with its events logged, a fake resolver, and a server to talk to.
class SocketClient : public ::testing::Test {
protected:
    void SetUp() override {
        resolver = &useFakeResolver();
        cs.OnLookup = [this](QObject*, TCustomWinSocket*) { log << QStringLiteral("lookup"); };
        cs.OnConnecting = [this](QObject* sender, TCustomWinSocket*) {
            EXPECT_EQ(sender, &cs);
            log << QStringLiteral("connecting active=%1").arg(cs.Active());
            if (onConnecting)
                onConnecting();
        };
        cs.OnConnect = [this](QObject*, TCustomWinSocket* s) {
            log << QStringLiteral("connect active=%1").arg(cs.Active());
            connectedTo = s->AddressPort();
            if (onConnect)
                onConnect(s);
        };
        cs.OnDisconnect = [this](QObject*, TCustomWinSocket*) {
            log << QStringLiteral("disconnect active=%1 boxes=%2")
                       .arg(cs.Active())
                       .arg(testBoxes().errors().size());
        };
        cs.OnError = [this](QObject*, TCustomWinSocket*, TErrorEvent e, int& code) {
            log << QStringLiteral("error %1 %2").arg(static_cast<int>(e)).arg(code);
        };
        server.OnClientRead = [this](QObject*, TCustomWinSocket* s) {
            received += s->ReadAvailableText();
        };
        server.OnClientDisconnect = [this](QObject*, TCustomWinSocket*) { ++serverClosed; };
        server.setActive(true);
        serverPort = server.Socket()->LocalPort();
        resolver->answer("pc-b", {kLoopback});
        cs.setPort(serverPort);
    }

    QString connectingLine() const { return QStringLiteral("connecting active=0"); }

    InTempDir dir;
    FakeResolver* resolver = nullptr;
    TServerSocket server;
    TClientSocket cs;
    quint16 serverPort = 0;
    QStringList log;
    QByteArray received;
    int serverClosed = 0;
    quint16 connectedTo = 0;
    std::function<void()> onConnecting;
    std::function<void(TCustomWinSocket*)> onConnect;
};

} // namespace

TEST_F(SocketClient, SendsInTheOrderLookupConnectingConnectDisconnect) {
    // What the send path does: one write on connect, then off.
    onConnect = [this](TCustomWinSocket* s) {
        EXPECT_EQ(s->WriteText("hi there"), 8);
        cs.setActive(false);
        log << QStringLiteral("after off");
    };
    cs.setHost("pc-b");
    cs.setActive(true);
    EXPECT_FALSE(cs.Active());
    ASSERT_TRUE(waitUntil([&] { return serverClosed == 1; }));
    EXPECT_EQ(
        log,
        (QStringList{QStringLiteral("lookup"), connectingLine(), QStringLiteral("connect active=1"),
                     QStringLiteral("disconnect active=0 boxes=0"), QStringLiteral("after off")}));
    EXPECT_EQ(received, QByteArray("hi there"));
    EXPECT_EQ(resolver->hostQueries(), QList<QByteArray>{"pc-b"});
    EXPECT_FALSE(cs.Socket()->Connected());
}

TEST_F(SocketClient, ADottedAddressGoesThroughTheLookupToo) {
    cs.setHost("127.0.0.1");
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    EXPECT_EQ(resolver->hostQueries(), QList<QByteArray>{"127.0.0.1"});
    EXPECT_EQ(connectedTo, serverPort);
}

TEST_F(SocketClient, ARefusedConnectionIsAnAsynchronousErrorWithoutDisconnect) {
    quint16 closedPort = 0;
    Fd reserved = reservePort(closedPort);
    cs.setPort(closedPort);
    cs.setHost("pc-b");
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }));
    spin(50);
    EXPECT_EQ(testBoxes().errors(),
              QStringList{QStringLiteral("Asynchronous socket error 10061.")});
    EXPECT_EQ(log,
              (QStringList{
                  QStringLiteral("lookup"), connectingLine(),
                  QStringLiteral("error %1 10061").arg(static_cast<int>(TErrorEvent::eeConnect))}));
    EXPECT_FALSE(cs.Active());
    // The next open starts afresh and can succeed.
    testBoxes().clear();
    cs.setPort(serverPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    EXPECT_TRUE(testBoxes().errors().isEmpty());
}

TEST_F(SocketClient, AnUnresolvableNameDisconnectsThenShowsTheLookupError) {
    resolver->fail("nowhere", 11001);
    cs.setHost("nowhere");
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }));
    // The box adds no full stop after the closing quote, which sorts before it.
    EXPECT_EQ(testBoxes().errors(),
              QStringList{QStringLiteral("Windows socket error: Name or service not known (11001), "
                                         "on API 'ASync Lookup'")});
    EXPECT_EQ(
        log,
        (QStringList{QStringLiteral("lookup"),
                     QStringLiteral("error %1 11001").arg(static_cast<int>(TErrorEvent::eeLookup)),
                     QStringLiteral("disconnect active=0 boxes=0")}));
    EXPECT_EQ(cs.Socket()->SocketHandle(), -1);
}

TEST_F(SocketClient, OffWhileLookingUpOrConnectingHasNoEffect) {
    resolver->answer("slow", {kLoopback}, 100);
    cs.setHost("slow");
    onConnecting = [this] { cs.setActive(false); };
    cs.setActive(true);
    cs.setActive(false);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    EXPECT_EQ(log, (QStringList{QStringLiteral("lookup"), connectingLine(),
                                QStringLiteral("connect active=1")}));
}

TEST_F(SocketClient, OnAgainWhileLookingUpRestartsWithTheCurrentHost) {
    TServerSocket other;
    int otherAccepts = 0;
    other.OnClientConnect = [&](QObject*, TCustomWinSocket*) { ++otherAccepts; };
    other.setActive(true);
    resolver->answer("pc-a", {kLoopback}, 100);
    cs.setHost("pc-a");
    cs.setPort(other.Socket()->LocalPort());
    cs.setActive(true);
    cs.setHost("pc-b");
    cs.setPort(serverPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    spin(250); // past the first lookup's answer
    EXPECT_EQ(otherAccepts, 0);
    EXPECT_EQ(connectedTo, serverPort);
    EXPECT_EQ(resolver->abortedCount(), 1);
    EXPECT_EQ(log.count(QStringLiteral("connect active=1")), 1);
}

TEST_F(SocketClient, OnAgainWhileConnectingNeverLetsTheOldAttemptConnect) {
    // A listener whose queue is full leaves a connection attempt pending.
    quint16 fullPort = 0;
    Fd full = rawListener(fullPort, 0);
    std::vector<Fd> queued;
    for (int i = 0; i < 2; ++i) {
        Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        sockaddr_in sa = loopback(fullPort);
        ::connect(fd.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        queued.push_back(std::move(fd));
    }
    spin(50);
    resolver->answer("pc-a", {kLoopback});
    cs.setHost("pc-a");
    cs.setPort(fullPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return log.contains(connectingLine()); }));
    spin(100);
    ASSERT_TRUE(cs.Socket()->Opening());
    cs.setActive(true); // the same Host: a clean restart
    cs.setHost("pc-b");
    cs.setPort(serverPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    // Let the old listener's queue drain: the old attempt is gone for good.
    queued.clear();
    spin(300);
    EXPECT_EQ(connectedTo, serverPort);
    EXPECT_EQ(log.count(QStringLiteral("connect active=1")), 1);
    EXPECT_TRUE(testBoxes().errors().isEmpty());
}

TEST_F(SocketClient, AWriteNotificationComesOnceAfterConnectThenOnlyAfterASendWouldBlock) {
    quint16 rawPort = 0;
    Fd listener = rawListener(rawPort, 5, 64 * 1024);
    int writes = 0;
    cs.OnWrite = [&](QObject*, TCustomWinSocket*) { ++writes; };
    cs.setHost("pc-b");
    cs.setPort(rawPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active() && writes == 1; }));
    Fd peer = acceptWaiting(listener);
    ASSERT_GE(peer.get(), 0);
    spin(100);
    EXPECT_EQ(writes, 1); // no storm on an idle connection
    // Fill the buffers until the platform would block.
    const QByteArray chunk = pattern(64 * 1024);
    int r = 0;
    for (int i = 0; i < 1000 && (r = cs.Socket()->WriteText(chunk)) != -1; ++i)
        ;
    ASSERT_EQ(r, -1);
    spin(50);
    EXPECT_EQ(writes, 1);
    // Once the peer drains, the platform tells again, once.
    bool eof = false;
    ASSERT_TRUE(waitUntil([&] {
        readSome(peer.get(), eof);
        return writes == 2;
    }));
    spin(100);
    EXPECT_EQ(writes, 2);
}

TEST_F(SocketClient, HostCannotChangeWhileActive) {
    cs.setHost("pc-b");
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    cs.setHost("pc-b");
    EXPECT_THROW(cs.setHost("pc-c"), ESocketError);
    EXPECT_THROW(cs.setPort(cs.Port() + 1), ESocketError);
    EXPECT_EQ(cs.Host(), QByteArray("pc-b"));
}

TEST_F(SocketClient, AWholeTextLargerThanTheBuffersArrivesWholeThenCloses) {
    // A raw peer with a small window that reads slowly.
    quint16 rawPort = 0;
    Fd listener = rawListener(rawPort, 5, 64 * 1024);
    const QByteArray text = pattern(4 * 1024 * 1024 + 17);
    bool written = false;
    onConnect = [&](TCustomWinSocket* s) {
        s->WriteTextAndClose(text, [&] {
            written = true;
            log << QStringLiteral("written active=%1").arg(cs.Active());
        });
        EXPECT_TRUE(s->WritePending());
    };
    cs.setHost("pc-b");
    cs.setPort(rawPort);
    cs.setActive(true);
    Fd peer;
    ASSERT_TRUE(waitUntil([&] {
        peer = acceptWaiting(listener);
        return peer.get() >= 0;
    }));
    QByteArray got;
    bool eof = false;
    ASSERT_TRUE(waitUntil(
        [&] {
            got += readSome(peer.get(), eof, 16384);
            return eof;
        },
        10000));
    EXPECT_EQ(got.size(), text.size());
    EXPECT_TRUE(got == text);
    EXPECT_TRUE(written);
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{QStringLiteral("disconnect active=0 boxes=0"),
                                                    QStringLiteral("written active=0")}));
    EXPECT_TRUE(testBoxes().errors().isEmpty());
}

TEST_F(SocketClient, AWholeTextThatThePeerRefusesIsTheSendError) {
    quint16 rawPort = 0;
    Fd listener = rawListener(rawPort, 5, 64 * 1024);
    bool written = false;
    onConnect = [&](TCustomWinSocket* s) {
        s->WriteTextAndClose(pattern(8 * 1024 * 1024), [&] { written = true; });
    };
    cs.setHost("pc-b");
    cs.setPort(rawPort);
    cs.setActive(true);
    Fd peer;
    ASSERT_TRUE(waitUntil([&] {
        peer = acceptWaiting(listener);
        return peer.get() >= 0;
    }));
    // The peer reads a little, then resets the connection.
    spin(50);
    bool eof = false;
    readSome(peer.get(), eof);
    const linger hard{1, 0};
    ::setsockopt(peer.get(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    peer.reset();
    ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }));
    EXPECT_FALSE(written);
    EXPECT_FALSE(cs.Active());
    const QString box = testBoxes().errors().first();
    EXPECT_TRUE(box.startsWith(QStringLiteral("Windows socket error: ")) &&
                box.endsWith(QStringLiteral("on API 'send'")))
        << box.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("disconnect active=0 boxes=0")));
}

TEST_F(SocketClient, AWholeTextToAPeerThatStopsReadingFailsOnceItStalls) {
    quint16 rawPort = 0;
    Fd listener = rawListener(rawPort, 5, 64 * 1024);
    bool written = false;
    onConnect = [&](TCustomWinSocket* s) {
        s->setWriteStallTimeout(300);
        s->WriteTextAndClose(pattern(16 * 1024 * 1024), [&] { written = true; });
    };
    cs.setHost("pc-b");
    cs.setPort(rawPort);
    cs.setActive(true);
    Fd peer;
    ASSERT_TRUE(waitUntil([&] {
        peer = acceptWaiting(listener);
        return peer.get() >= 0;
    }));
    // The peer takes a little, then never reads again.
    spin(100);
    bool eof = false;
    readSome(peer.get(), eof);
    ASSERT_TRUE(waitUntil([&] { return !testBoxes().errors().isEmpty(); }));
    EXPECT_EQ(testBoxes().errors(),
              QStringList{QStringLiteral(
                  "Windows socket error: Connection timed out (10060), on API 'send'")});
    EXPECT_FALSE(written);
    EXPECT_FALSE(cs.Active());
    EXPECT_EQ(
        log.mid(log.size() - 2),
        (QStringList{QStringLiteral("error %1 10060").arg(static_cast<int>(TErrorEvent::eeSend)),
                     QStringLiteral("disconnect active=0 boxes=0")}));
    // The socket is free for the next send.
    testBoxes().clear();
    onConnect = nullptr;
    cs.setPort(serverPort);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
}

TEST_F(SocketClient, RealResolverFindsLocalhostAndItsName) {
    services().resolver = std::make_unique<QtResolver>();
    cs.setHost("localhost");
    QByteArray peerName;
    onConnect = [&](TCustomWinSocket* s) { peerName = s->PeerHostName(); };
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return cs.Active(); }));
    EXPECT_EQ(peerName, QByteArray("localhost"));

    QByteArray reverse = "unset";
    services().resolver->lookupAddress(kLoopback,
                                       [&](const AddressLookup& r) { reverse = r.hostName; });
    EXPECT_EQ(reverse, QByteArray("unset")); // never inside the call
    ASSERT_TRUE(waitUntil([&] { return reverse != "unset"; }));
    EXPECT_EQ(reverse, QByteArray("localhost"));

    // A dotted address is its own answer, given on a later turn too.
    QList<quint32> dotted;
    services().resolver->lookupHost("127.0.0.1",
                                    [&](const HostLookup& r) { dotted = r.addresses; });
    EXPECT_TRUE(dotted.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !dotted.isEmpty(); }));
    EXPECT_EQ(dotted, QList<quint32>{kLoopback});

    // An aborted lookup never answers, whichever way it would have been answered.
    int answered = 0;
    for (const char* name : {"localhost", "127.0.0.1"}) {
        const int id =
            services().resolver->lookupHost(name, [&](const HostLookup&) { ++answered; });
        services().resolver->abort(id);
    }
    spin(200);
    EXPECT_EQ(answered, 0);
}
