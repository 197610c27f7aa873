#include "child_process.h"
#include "neighbourhood/avahi_net_resources.h"
#include "neighbourhood/presence.h"
#include "private_avahi.h"
#include "walk_fixture.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Walks into a fresh tree with the real provider; the tree as text, "?" when it did not finish.
std::string walkTheNetwork() {
    QTreeWidget tree;
    QPushButton refreshb;
    refreshb.setEnabled(false);
    startNetEnum({&tree, &refreshb});
    if (!waitUntil([&] { return refreshb.isEnabled(); }, 20000))
        return "?";
    return render(tree);
}

bool announced(const char* port) {
    const QString found = browseServices(QStringLiteral("_chatterwick._tcp"));
    return found.contains(
               QStringLiteral(";cw-ns-host;_chatterwick._tcp;local;cw-ns-host.local;")) &&
           found.contains(QLatin1Char(';') + QLatin1String(port) + QLatin1Char(';'));
}

bool anyAnnounced(const QStringList& prefix = {},
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    return browseServices(QStringLiteral("_chatterwick._tcp"), prefix, env)
        .contains(QLatin1String("_chatterwick._tcp"));
}

void expectCleanChild(const ChildRun& run) {
    EXPECT_TRUE(run.finished) << run.output;
    EXPECT_FALSE(run.crashed) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

} // namespace

TEST(AvahiNetwork, ListsEachComputerOnceBelowItsDomain) {
    if (childRole() == QLatin1String("avahi")) {
        services().netResources = std::make_unique<AvahiNetResources>();
        announcePresence(4243); // another copy of the program, as the server announces it
        const std::string expected = "local(\\\\cw-ns-host.local \\\\nas-2.local \\\\pc-07.local)";
        std::string tree;
        QElapsedTimer waited;
        waited.start();
        // The announcement registers within a moment; walk again until it shows.
        do
            tree = walkTheNetwork();
        while (tree != expected && waited.elapsed() < 15000);
        EXPECT_EQ(tree, expected);
        std::printf("listed after %lld ms\n", static_cast<long long>(waited.elapsed()));
        services().netResources.reset();
        return;
    }
    REQUIRE_ROOT();
    PrivateAvahi net;
    ASSERT_EQ(net.failure(), "");
    const QString ws = QStringLiteral("_workstation._tcp");
    ASSERT_TRUE(net.publish(
        {QStringLiteral("-a"), QStringLiteral("pc-07.local"), QStringLiteral("127.0.0.7")}));
    ASSERT_TRUE(
        net.publish({QStringLiteral("-s"), QStringLiteral("-H"), QStringLiteral("pc-07.local"),
                     QStringLiteral("pc-07 [00:11:22:33:44:55]"), ws, QStringLiteral("9")}));
    // One computer with two services gives one entry; a printer is no computer.
    ASSERT_TRUE(net.publish(
        {QStringLiteral("-a"), QStringLiteral("nas-2.local"), QStringLiteral("127.0.0.8")}));
    ASSERT_TRUE(
        net.publish({QStringLiteral("-s"), QStringLiteral("-H"), QStringLiteral("nas-2.local"),
                     QStringLiteral("NAS"), QStringLiteral("_smb._tcp"), QStringLiteral("445")}));
    ASSERT_TRUE(
        net.publish({QStringLiteral("-s"), QStringLiteral("-H"), QStringLiteral("nas-2.local"),
                     QStringLiteral("nas-2 [00:11:22:33:44:66]"), ws, QStringLiteral("9")}));
    ASSERT_TRUE(net.publish(
        {QStringLiteral("-a"), QStringLiteral("printer.local"), QStringLiteral("127.0.0.9")}));
    ASSERT_TRUE(net.publish({QStringLiteral("-s"), QStringLiteral("-H"),
                             QStringLiteral("printer.local"), QStringLiteral("Printer"),
                             QStringLiteral("_ipp._tcp"), QStringLiteral("631")}));

    expectCleanChild(
        runCurrentTestInChild(QStringLiteral("avahi"), net.inNamespace(), net.environment()));
}

TEST(AvahiNetwork, PresenceIsAnnouncedAndWithdrawn) {
    if (childRole() == QLatin1String("presence")) {
        announcePresence(4321);
        EXPECT_TRUE(waitUntil([] { return announced("4321"); }, 15000));
        withdrawPresence();
        EXPECT_TRUE(waitUntil([] { return !anyAnnounced(); }, 15000));
        announcePresence(4322);
        EXPECT_TRUE(waitUntil([] { return announced("4322"); }, 15000));
        return; // program end withdraws it
    }
    REQUIRE_ROOT();
    PrivateAvahi net;
    ASSERT_EQ(net.failure(), "");
    expectCleanChild(
        runCurrentTestInChild(QStringLiteral("presence"), net.inNamespace(), net.environment()));
    // Goodbye records take a moment to age out of the daemon's cache.
    EXPECT_TRUE(
        waitUntil([&] { return !anyAnnounced(net.inNamespace(), net.environment()); }, 5000))
        << browseServices(QStringLiteral("_chatterwick._tcp"), net.inNamespace(), net.environment())
               .toStdString();
}

TEST(AvahiNetwork, WithoutADaemonTheNetworkIsEmptyAndNothingWaits) {
    if (childRole() == QLatin1String("nodaemon")) {
        services().netResources = std::make_unique<AvahiNetResources>();
        QElapsedTimer timer;
        timer.start();
        announcePresence(4243);
        EXPECT_LT(timer.elapsed(), 200);
        EXPECT_EQ(walkTheNetwork(), "");
        EXPECT_LT(timer.elapsed(), 2000);
        services().netResources.reset();
        return;
    }
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus")));
    expectCleanChild(runCurrentTestInChild(QStringLiteral("nodaemon"), {}, env, 20000));
}
