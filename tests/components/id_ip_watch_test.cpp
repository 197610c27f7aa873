#include "components/id_exceptions.h"
#include "components/id_ip_watch.h"
#include "components/id_stack.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The platform stack with a scripted name service.
class ScriptedStack : public TIdStackWinsock {
public:
    inline static int code = 0;
    inline static QList<quint32> answer;
    inline static int lookups = 0;

protected:
    int GetHostByName(const QByteArray&, QList<quint32>& addresses) override {
        ++lookups;
        addresses = answer;
        return code;
    }
};

class IdentityWithScriptedStack : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedStack::code = 0;
        ScriptedStack::answer.clear();
        ScriptedStack::lookups = 0;
        setSocketStackFactory([] { return std::make_unique<ScriptedStack>(); });
    }
    void TearDown() override { setSocketStackFactory(nullptr); }
    InTempDir dir;
};

// Four bytes in network order as the platform keeps them.
quint32 net(quint8 a, quint8 b, quint8 c, quint8 d) {
    const quint8 bytes[4] = {a, b, c, d};
    quint32 v = 0;
    std::memcpy(&v, bytes, 4);
    return v;
}

} // namespace

TEST(IdStack, SocketErrorTextFollowsTheTable) {
    TIdStackWinsock stack;
    const std::pair<int, const char*> cases[] = {
        {10035, "Socket Error # 10035\r\nOperation would block. "},
        {10066, "Socket Error # 10066\r\nDirectory not empty"},
        {10061, "Socket Error # 10061\r\nConnection refused."},
        {11001, "Socket Error # 11001\r\n"},
        {12345, "Socket Error # 12345\r\n"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(stack.SocketErrorText(code), QString::fromLatin1(text)) << code;
}

TEST(IdStack, HostNameIsThePlatformsOwn) {
    TIdIPWatch watch;
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    EXPECT_EQ(watch.HostName(), QByteArray(name));
}

TEST(IdStack, TheStackLivesWhileAnyComponentDoes) {
    ASSERT_EQ(StackUsers(), 0);
    auto first = std::make_unique<TIdIPWatch>();
    TIdStack* stack = SocketStack();
    ASSERT_NE(stack, nullptr);
    {
        TIdComponent second;
        EXPECT_EQ(StackUsers(), 2);
        EXPECT_EQ(SocketStack(), stack);
    }
    EXPECT_EQ(StackUsers(), 1);
    EXPECT_EQ(SocketStack(), stack);
    first->setHistoryEnabled(false);
    first.reset();
    EXPECT_EQ(StackUsers(), 0);
    EXPECT_EQ(SocketStack(), nullptr);
}

TEST_F(IdentityWithScriptedStack, HostAddressIsTheFirstAnswerResolvedAnewEachTime) {
    TIdIPWatch watch;
    ScriptedStack::answer = {net(127, 0, 1, 1), net(192, 168, 0, 5)};
    EXPECT_EQ(watch.HostAddress(), QByteArray("127.0.1.1"));
    ScriptedStack::answer = {net(10, 0, 0, 7)};
    EXPECT_EQ(watch.HostAddress(), QByteArray("10.0.0.7"));
    EXPECT_EQ(ScriptedStack::lookups, 2);
    EXPECT_FALSE(watch.LookupBusy());
}

TEST_F(IdentityWithScriptedStack, HostAddressFailuresRaiseTheirMessages) {
    TIdIPWatch watch;
    ScriptedStack::code = 11001;
    try {
        watch.HostAddress();
        FAIL() << "no error";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 11001);
        EXPECT_EQ(e.Message(), QStringLiteral("Socket Error # 11001\r\n"));
    }
    EXPECT_FALSE(watch.LookupBusy());
    ScriptedStack::code = 0; // an entry without addresses
    try {
        watch.HostAddress();
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (0)"));
    }
}

TEST_F(IdentityWithScriptedStack, DestructionReplacesTheHistoryFileWithAnEmptyOne) {
    writeFile(dir.path(QStringLiteral("iphist.dat")), "10.0.0.1\r\n10.0.0.2\r\n");
    {
        TIdIPWatch watch;
        EXPECT_EQ(watch.HistoryFilename(), QStringLiteral("iphist.dat"));
        EXPECT_FALSE(watch.Active());
        EXPECT_TRUE(watch.AddressHistory().isEmpty()); // never read from the file
    }
    QFileInfo info(dir.path(QStringLiteral("iphist.dat")));
    EXPECT_TRUE(info.exists());
    EXPECT_EQ(info.size(), 0);
}

TEST_F(IdentityWithScriptedStack, AHistoryThatCannotBeWrittenIsReportedAndDestructionGoesOn) {
    testBoxes().clear();
    {
        TIdIPWatch watch;
        watch.setHistoryFilename(QStringLiteral("no-such-dir/iphist.dat"));
    }
    EXPECT_EQ(testBoxes().errors(),
              QStringList{QStringLiteral("Cannot create file no-such-dir/iphist.dat.")});
    EXPECT_EQ(StackUsers(), 0);
}

// The platform's own lookup, for a name that every hosts file has, so that no query leaves the
// machine whatever this computer is called.
class LocalhostStack : public TIdStackWinsock {
public:
    QByteArray QueryHostName() override { return QByteArrayLiteral("localhost"); }
};

TEST(IdStack, RealLookupResolvesTheHostName) {
    setSocketStackFactory([] { return std::make_unique<LocalhostStack>(); });
    {
        TIdIPWatch watch;
        watch.setHistoryEnabled(false);
        EXPECT_EQ(watch.HostAddress(), QByteArrayLiteral("127.0.0.1"));
    }
    setSocketStackFactory(nullptr);
}
