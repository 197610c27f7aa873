#include "messaging/socket_components.h"
#include "messaging/socket_error.h"
#include "platform/boxes.h"
#include "platform/services.h"
#include "socket_test_support.h"
#include "support/doubles.h"
#include "support/fake_resolver.h"
#include "support/test_env.h"

#include <QPointer>
#include <gtest/gtest.h>

using namespace sockettest;

namespace {

// A listening server on an ephemeral port that logs its events.
class SocketServer : public ::testing::Test {
protected:
    void SetUp() override {
        useFakeResolver();
        testBoxes().clear();
        ss.OnLookup = [this](QObject*, TCustomWinSocket*) { log << QStringLiteral("lookup"); };
        ss.OnListen = [this](QObject*, TCustomWinSocket*) {
            log << QStringLiteral("listen active=%1").arg(ss.Active());
        };
        ss.OnDisconnect = [this](QObject*, TCustomWinSocket*) {
            log << QStringLiteral("disconnect active=%1").arg(ss.Active());
        };
        ss.OnAccept = [this](QObject*, TCustomWinSocket* s) {
            log << QStringLiteral("accept");
            last = dynamic_cast<TServerClientWinSocket*>(s);
        };
        ss.OnClientConnect = [this](QObject* sender, TCustomWinSocket*) {
            log << QStringLiteral("client connect");
            EXPECT_EQ(sender, ss.Socket());
        };
        ss.OnClientRead = [this](QObject* sender, TCustomWinSocket* s) {
            EXPECT_EQ(sender, ss.Socket());
            ++reads;
            if (readHandler)
                readHandler(s);
            else
                received += s->ReadAvailableText();
        };
        ss.OnClientDisconnect = [this](QObject*, TCustomWinSocket* s) {
            log << QStringLiteral("client disconnect listed=%1")
                       .arg(ss.Socket()->ActiveConnections());
            EXPECT_EQ(ss.Socket()->Connections(0), s);
            // The handler may call back into the connection: the lock is re-entrant and a
            // second disconnect inside the first one does nothing.
            s->Close();
        };
    }

    void listen() {
        ss.setActive(true);
        port = ss.Socket()->LocalPort();
        ASSERT_NE(port, 0);
    }

    InTempDir dir;
    TServerSocket ss;
    QStringList log;
    QByteArray received;
    int reads = 0;
    std::function<void(TCustomWinSocket*)> readHandler;
    QPointer<TServerClientWinSocket> last;
    quint16 port = 0;
};

} // namespace

TEST_F(SocketServer, AcceptsReadsAndReleasesAClosedConnectionOnALaterTurn) {
    listen();
    EXPECT_TRUE(ss.Active());
    {
        Fd peer = rawConnect(port);
        ASSERT_TRUE(waitUntil([&] { return last; }));
        EXPECT_EQ(last->RemoteAddress(), QByteArray("127.0.0.1"));
        ASSERT_TRUE(sendAll(peer.get(), "hello"));
        ASSERT_TRUE(waitUntil([&] { return received == "hello"; }));
    }
    // The peer has closed: the disconnect event, then the release on a later turn.
    ASSERT_TRUE(waitUntil([&] { return last.isNull(); }));
    EXPECT_EQ(log, (QStringList{QStringLiteral("lookup"), QStringLiteral("listen active=1"),
                                QStringLiteral("client connect"), QStringLiteral("accept"),
                                QStringLiteral("client disconnect listed=1")}));
    EXPECT_EQ(ss.Socket()->ActiveConnections(), 0);
    EXPECT_TRUE(testBoxes().errors().isEmpty());
}

TEST_F(SocketServer, ClosedByTheProgramStaysListedWithoutSocketUntilReleased) {
    listen();
    Fd peer = rawConnect(port);
    ASSERT_TRUE(waitUntil([&] { return last; }));
    last->Close();
    EXPECT_EQ(ss.Socket()->ActiveConnections(), 1);
    EXPECT_FALSE(last->Connected());
    EXPECT_EQ(last->SocketHandle(), -1);
    EXPECT_EQ(last->RemoteAddress(), QByteArray("127.0.0.1"));
    ASSERT_TRUE(waitUntil([&] { return last.isNull(); }));
    EXPECT_EQ(ss.Socket()->ActiveConnections(), 0);
    bool eof = false;
    ASSERT_TRUE(waitUntil([&] { return readSome(peer.get(), eof), eof; }));
}

TEST_F(SocketServer, BytesBeforeThePeersCloseAreReadBeforeTheClose) {
    listen();
    {
        Fd peer = rawConnect(port);
        ASSERT_TRUE(sendAll(peer.get(), "last words"));
    }
    ASSERT_TRUE(
        waitUntil([&] { return log.last().startsWith(QStringLiteral("client disconnect")); }));
    EXPECT_EQ(received, QByteArray("last words"));
}

TEST_F(SocketServer, ALongTextArrivesAsSeveralReadEventsWithNothingLost) {
    listen();
    const QByteArray text = pattern(3 * 1024 * 1024);
    Fd peer = rawConnect(port);
    // Sent in bursts with the loop running in between, as a slow network would.
    for (qsizetype off = 0; off < text.size(); off += 256 * 1024) {
        ASSERT_TRUE(sendSpinning(peer.get(), text.mid(off, 256 * 1024)));
        spin(5);
    }
    peer.reset();
    ASSERT_TRUE(waitUntil([&] { return last.isNull(); }, 15000));
    EXPECT_GT(reads, 1);
    EXPECT_EQ(received.size(), text.size());
    EXPECT_TRUE(received == text);
}

TEST_F(SocketServer, AHandlerThatDoesNotReadGetsNoFurtherReadEventsUntilItReads) {
    listen();
    TCustomWinSocket* conn = nullptr;
    readHandler = [&](TCustomWinSocket* s) { conn = s; };
    Fd peer = rawConnect(port);
    ASSERT_TRUE(sendAll(peer.get(), "abc"));
    ASSERT_TRUE(waitUntil([&] { return reads == 1; }));
    ASSERT_TRUE(sendAll(peer.get(), "def"));
    spin(200);
    EXPECT_EQ(reads, 1);
    // One receive takes everything waiting and re-enables the notification.
    EXPECT_EQ(conn->ReadAvailableText(), QByteArray("abcdef"));
    spin(100);
    EXPECT_EQ(reads, 1);
    ASSERT_TRUE(sendAll(peer.get(), "ghi"));
    ASSERT_TRUE(waitUntil([&] { return reads == 2; }));
}

TEST_F(SocketServer, AHandlerWithABoxUpIsNotEnteredAgainForItsConnection) {
    listen();
    Fd peer = rawConnect(port);
    int depth = 0;
    int deepest = 0;
    readHandler = [&](TCustomWinSocket* s) {
        ++depth;
        deepest = std::max(deepest, depth);
        received += s->ReadAvailableText();
        if (reads == 1) {
            // More bytes and the peer's close arrive while the box is up.
            testBoxes().whileShowing([&] {
                sendAll(peer.get(), "second");
                peer.reset();
                spin(300);
            });
            services().boxes->information(QStringLiteral("box"));
        }
        --depth;
    };
    ASSERT_TRUE(waitUntil([&] { return last; }));
    ASSERT_TRUE(sendAll(peer.get(), "first"));
    ASSERT_TRUE(waitUntil([&] { return last.isNull(); }));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(received, QByteArray("firstsecond"));
    EXPECT_EQ(reads, 2);
}

TEST_F(SocketServer, PausingWhileAConnectionsHandlerHasABoxUpDropsItSafely) {
    listen();
    Fd peer = rawConnect(port);
    readHandler = [&](TCustomWinSocket* s) {
        testBoxes().whileShowing([&] { ss.setActive(false); });
        services().boxes->information(QStringLiteral("box"));
        // The connection is closed, but the object the handler holds is still there.
        EXPECT_FALSE(s->Connected());
        EXPECT_EQ(s->ReadAvailableText(), QByteArray());
    };
    ASSERT_TRUE(sendAll(peer.get(), "x"));
    ASSERT_TRUE(waitUntil([&] { return reads == 1; }));
    EXPECT_FALSE(ss.Active());
    EXPECT_EQ(ss.Socket()->ActiveConnections(), 0);
    ASSERT_TRUE(waitUntil([&] { return last.isNull(); }));
}

TEST_F(SocketServer, ClosingDropsEveryConnectionWithoutEventsThenStopsListening) {
    listen();
    Fd a = rawConnect(port);
    Fd b = rawConnect(port);
    ASSERT_TRUE(waitUntil([&] { return ss.Socket()->ActiveConnections() == 2; }));
    log.clear();
    ss.setActive(false);
    EXPECT_EQ(log, QStringList{QStringLiteral("disconnect active=0")});
    EXPECT_EQ(ss.Socket()->ActiveConnections(), 0);
    bool eof = false;
    ASSERT_TRUE(waitUntil([&] { return readSome(a.get(), eof), eof; }));
    EXPECT_FALSE(rawConnect(port).get() >= 0);
}

TEST_F(SocketServer, PortUsesItsLow16BitsToListenAndToConnect) {
    // 70000 is port 4464; should something else hold 4464 here, another port above 65535
    // shows the same.
    int port32 = 70000;
    {
        Fd probe(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in sa = loopback(4464);
        sa.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(probe.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
            quint16 free = 0;
            reservePort(free);
            port32 = 0x10000 + free;
        }
    }
    const auto expected = static_cast<quint16>(port32 & 0xFFFF);
    ss.setPort(port32);
    ss.setActive(true);
    EXPECT_EQ(ss.Socket()->LocalPort(), expected);

    TClientSocket cs;
    bool connected = false;
    cs.OnConnect = [&](QObject*, TCustomWinSocket* s) {
        connected = true;
        EXPECT_EQ(s->AddressPort(), expected);
    };
    cs.setHost("127.0.0.1");
    cs.setPort(port32);
    EXPECT_EQ(cs.Port(), port32);
    cs.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return connected && ss.Socket()->ActiveConnections() == 1; }));
}

TEST_F(SocketServer, APortInUseFailsTheOpenWithTheBindError) {
    listen();
    TServerSocket other;
    bool disconnected = false;
    other.OnDisconnect = [&](QObject*, TCustomWinSocket*) { disconnected = true; };
    other.setPort(port);
    try {
        other.setActive(true);
        FAIL() << "opened a port in use";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Windows socket error: Address already in use (10048), on API "
                                 "'bind'"));
    }
    EXPECT_FALSE(other.Active());
    EXPECT_TRUE(disconnected);
    EXPECT_EQ(other.Socket()->SocketHandle(), -1);
    // The failed open leaves nothing behind: the port can be tried again.
    ss.setActive(false);
    other.setActive(true);
    EXPECT_TRUE(other.Active());
}

TEST_F(SocketServer, PortCannotChangeWhileActive) {
    listen();
    ss.setPort(ss.Port()); // the same value is no change
    EXPECT_THROW(
        {
            try {
                ss.setPort(ss.Port() + 1);
            } catch (const ESocketError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("Can't change value while socket is active"));
                throw;
            }
        },
        ESocketError);
    ss.setActive(false);
    ss.setPort(1234);
    EXPECT_EQ(ss.Port(), 1234);
}

TEST_F(SocketServer, ActiveSetWhileItsOwnerIsBuiltIsAppliedWhenBuildingEnds) {
    ss.BeginLoading();
    ss.setActive(true);
    EXPECT_FALSE(ss.Active());
    EXPECT_EQ(ss.Socket()->SocketHandle(), -1);
    ss.Loaded();
    EXPECT_TRUE(ss.Active());
    EXPECT_NE(ss.Socket()->LocalPort(), 0);
}
