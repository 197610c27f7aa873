#include "messaging/reception.h"

#include "messaging/socket_components.h"
#include "support/fake_resolver.h"
#include "support/test_env.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The sending side, as a peer program would do it: a plain blocking socket.
class Peer {
public:
    explicit Peer(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Peer() { close(); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool connected() const { return connected_; }
    void send(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.constData() + done,
                                     static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += n;
        }
    }
    void close() {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }
    // Whether the receiver has closed the connection (drains what it might have sent).
    bool closedByReceiver() {
        char buf[256];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }

private:
    int fd_;
    bool connected_ = false;
};

void settle(int ms) {
    waitUntil([] { return false; }, ms);
}

struct Message {
    QByteArray name, text;
    bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Message& m) {
    return os << '{' << m.name.constData() << ", " << m.text.toHex().constData() << '}';
}

} // namespace

// A real server on loopback; reception hands whole messages to `received`.
class ReceptionTest : public ::testing::Test {
protected:
    void start(ReceptionLimits limits = {}) {
        reception = std::make_unique<Reception>(
            [this](const QByteArray& name, const QByteArray& text) {
                received.push_back({name, text});
                if (onDeliver)
                    onDeliver();
            },
            limits);
        reception->attach(ss);
        ss.OnClientRead = [this](QObject*, TCustomWinSocket* Socket) {
            reception->clientRead(Socket);
        };
        port = freePort();
        ss.setPort(port);
        ss.setActive(true);
        ASSERT_TRUE(ss.Active());
    }
    void TearDown() override {
        ss.setActive(false);
        reception.reset();
        settle(10);
    }
    bool receivedCount(size_t n, int ms = 5000) {
        return waitUntil([&] { return received.size() >= n; }, ms);
    }

    InTempDir dir;
    FakeResolver& resolver = useFakeResolver();
    TServerSocket ss;
    std::unique_ptr<Reception> reception;
    std::vector<Message> received;
    std::function<void()> onDeliver;
    quint16 port = 0;
};

TEST_F(ReceptionTest, TextInTwoBurstsIsOneMessage) {
    resolver.answerAddress(ipv4(127, 0, 0, 1), "localhost");
    start();
    Peer peer(port);
    ASSERT_TRUE(peer.connected());
    peer.send("\xcf\xf0\xe8");
    settle(150); // the first burst is read on its own
    peer.send("\xe2\xe5\xf2");
    peer.close();
    ASSERT_TRUE(receivedCount(1));
    settle(700);
    EXPECT_EQ(received, (std::vector<Message>{{"localhost", "\xcf\xf0\xe8\xe2\xe5\xf2"}}));
    EXPECT_EQ(reception->openConnections(), 0);
}

TEST_F(ReceptionTest, ConnectionWithoutBytesMakesNoMessage) {
    start();
    {
        Peer peer(port);
        ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 1; }));
    }
    ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 0; }));
    settle(700);
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(resolver.addressQueries().isEmpty());
}

TEST_F(ReceptionTest, QuietConnectionEndsItsMessageAndIdleOneIsClosed) {
    ReceptionLimits limits;
    limits.quietMs = 200;
    limits.idleMs = 1200;
    start(limits);
    Peer peer(port); // never closes by itself
    peer.send("one");
    ASSERT_TRUE(receivedCount(1));
    EXPECT_EQ(received.back().text, QByteArray("one"));
    peer.send("two");
    ASSERT_TRUE(receivedCount(2));
    EXPECT_EQ(received.back().text, QByteArray("two"));
    EXPECT_FALSE(peer.closedByReceiver());
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(waitUntil([&] { return peer.closedByReceiver(); }, 5000));
    EXPECT_GE(t.elapsed(), 700); // idle counts from the last bytes
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(ReceptionTest, OversizedMessageIsCutAndItsConnectionClosed) {
    ReceptionLimits limits;
    limits.maxMessageBytes = 1000;
    start(limits);
    Peer peer(port);
    peer.send(QByteArray(5000, 'x'));
    ASSERT_TRUE(receivedCount(1));
    EXPECT_EQ(received[0].text, QByteArray(1000, 'x'));
    EXPECT_TRUE(waitUntil([&] { return peer.closedByReceiver(); }));
    settle(700);
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(ReceptionTest, ConnectionsBeyondTheCapAreClosedAtOnce) {
    ReceptionLimits limits;
    limits.maxConnections = 3;
    start(limits);
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < 3; ++i)
        peers.push_back(std::make_unique<Peer>(port));
    ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 3; }));
    Peer extra(port);
    extra.send("dropped");
    EXPECT_TRUE(waitUntil([&] { return extra.closedByReceiver(); }));
    for (auto& p : peers)
        EXPECT_FALSE(p->closedByReceiver());
    // Once one closes, a new connection is taken again.
    peers[0]->close();
    ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 2; }));
    Peer next(port);
    next.send("taken");
    next.close();
    ASSERT_TRUE(receivedCount(1));
    settle(700);
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].text, QByteArray("taken"));
}

TEST_F(ReceptionTest, MessagesGoOnInCompletionOrderEachInFull) {
    // The first sender's name comes late, the second's at once, the third's never.
    resolver.answerAddress(ipv4(127, 0, 0, 1), "slow", 400);
    ReceptionLimits limits;
    limits.lookupTimeoutMs = 800;
    start(limits);
    Peer first(port);
    first.send("1");
    first.close();
    ASSERT_TRUE(waitUntil([&] { return reception->pendingMessages() == 1; }));
    resolver.answerAddress(ipv4(127, 0, 0, 1), "fast");
    Peer second(port);
    second.send("2");
    second.close();
    ASSERT_TRUE(waitUntil([&] { return reception->pendingMessages() == 2; }));
    resolver.silenceAddress(ipv4(127, 0, 0, 1));
    Peer third(port);
    third.send("3");
    third.close();

    // A handler that opens a box: its nested loop runs while the next names arrive.
    bool inside = false;
    bool overlapped = false;
    onDeliver = [&] {
        if (inside)
            overlapped = true;
        inside = true;
        settle(300);
        inside = false;
    };
    ASSERT_TRUE(receivedCount(3, 6000));
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(received, (std::vector<Message>{{"slow", "1"}, {"fast", "2"}, {"", "3"}}));
}

TEST_F(ReceptionTest, BytesHeldWhenTheServerStopsAreStillAMessage) {
    start();
    Peer peer(port);
    peer.send("before pause");
    ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 1; }));
    settle(100);
    ss.setActive(false); // drops the connections without events
    ASSERT_TRUE(receivedCount(1));
    EXPECT_EQ(received[0].text, QByteArray("before pause"));
    EXPECT_EQ(reception->openConnections(), 0);
}

TEST_F(ReceptionTest, AtTheEndWhatHasArrivedIsHandedOn) {
    resolver.answerAddress(ipv4(127, 0, 0, 1), "slow", 400);
    ReceptionLimits limits;
    limits.quietMs = 60000; // the open connection's bytes would wait for this
    start(limits);
    Peer closed(port);
    closed.send("sent and closed");
    closed.close();
    ASSERT_TRUE(waitUntil([&] { return reception->pendingMessages() == 1; }));
    Peer open(port);
    open.send("still open");
    ASSERT_TRUE(waitUntil([&] { return reception->openConnections() == 1; }));
    settle(100);
    ASSERT_TRUE(received.empty());
    reception->finishPending();
    EXPECT_EQ(received,
              (std::vector<Message>{{"slow", "sent and closed"}, {"slow", "still open"}}));
    EXPECT_EQ(reception->pendingMessages(), 0);
}
