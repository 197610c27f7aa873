#include "walk_fixture.h"

#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>
#include <functional>

namespace {

QString renderItem(const QTreeWidgetItem& item) {
    QString text = item.text(0);
    if (item.childCount() == 0)
        return text;
    QStringList children;
    for (int i = 0; i < item.childCount(); ++i)
        children << renderItem(*item.child(i));
    return text + QLatin1Char('(') + children.join(QLatin1Char(' ')) + QLatin1Char(')');
}

bool everyParent(const QTreeWidget& tree, const std::function<bool(const QTreeWidgetItem&)>& f) {
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        if ((*it)->childCount() > 0 && !f(**it))
            return false;
    return true;
}

} // namespace

std::string render(const QTreeWidget& tree) {
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        top << renderItem(*tree.topLevelItem(i));
    return top.join(QLatin1Char(' ')).toStdString();
}

bool allExpanded(const QTreeWidget& tree) {
    return everyParent(tree, [](const QTreeWidgetItem& i) { return i.isExpanded(); });
}

bool noneExpanded(const QTreeWidget& tree) {
    return everyParent(tree, [](const QTreeWidgetItem& i) { return !i.isExpanded(); });
}

namespace {

ScriptedEntry withOpenResult(ScriptedEntry e, std::uint32_t r) {
    e.openResult = r;
    return e;
}
ScriptedEntry tooSmall(ScriptedEntry e) {
    e.tooSmall = true;
    return e;
}
ScriptedEntry failingAt(ScriptedEntry e, std::uint32_t batch, std::uint32_t perBatch) {
    e.failBatch = batch;
    e.failCode = 5;
    e.perBatch = perBatch;
    return e;
}

struct WalkCase {
    const char* name;
    std::function<ScriptedEntry()> network;
    const char* tree;
    bool finishes;
};

const WalkCase kWalkCases[] = {
    {"NoNetwork", [] { return withOpenResult(netRoot({}), ERROR_NO_NETWORK); }, "", true},
    {"EmptyRoot", [] { return netRoot({}); }, "", true},
    {"WorkgroupsWithComputers",
     [] {
         return netRoot(
             {network("Microsoft Network",
                      {domain("WG1", {server("\\\\A"), server("\\\\B")}), domain("WG2")})});
     },
     "WG1(\\\\A \\\\B) WG2", true},
    {"DomainAtAnyDepthGoesToTheTop",
     [] {
         return netRoot({network(
             "N",
             {domain("A", {server("\\\\a1"), domain("B", {server("\\\\b1")}), server("\\\\a2")}),
              network("M", {domain("C", {server("\\\\c1")})})})});
     },
     "A(\\\\a1 \\\\a2) B(\\\\b1) C(\\\\c1)", true},
    {"ComputerDirectlyInANetwork",
     [] {
         return netRoot(
             {network("N", {server("\\\\x")}), domain("D", {network("M", {server("\\\\y")})})});
     },
     "\\\\x D(\\\\y)", true},
    {"OtherDisplayTypesGiveNothingAndAreNotWalked",
     [] {
         return netRoot({network(
             "N", {entryOf(RESOURCEDISPLAYTYPE_SHARE, "\\\\s\\share", {server("\\\\hidden")}),
                   entryOf(RESOURCEDISPLAYTYPE_GENERIC, "g", {domain("HIDDEN")}),
                   entryOf(RESOURCEDISPLAYTYPE_GROUP, "grp"),
                   entryOf(RESOURCEDISPLAYTYPE_ROOT, "r", {server("\\\\hidden2")}),
                   entryOf(42, "odd"), domain("D", {entryOf(4, "file")})})});
     },
     "D", true},
    {"FailingOpenIsSkipped",
     [] {
         return netRoot({network("N", {withOpenResult(domain("BAD", {server("\\\\never")}), 5),
                                       domain("OK", {server("\\\\pc")})})});
     },
     "BAD OK(\\\\pc)", true},
    {"EntriesWithoutANameGiveADash",
     [] {
         return netRoot({network(std::nullopt, {domain(std::nullopt, {server(std::nullopt)})})});
     },
     "-(-)", true},
    {"SecondMoreDataAbortsTheWalk",
     [] {
         return netRoot({network("N", {domain("A", {server("\\\\a1")}),
                                       tooSmall(domain("B", {server("\\\\b1")})),
                                       domain("C", {server("\\\\c1")})})});
     },
     "A(\\\\a1) B", false},
    {"FailedBatchAbortsTheWalk",
     [] {
         return netRoot(
             {network("N", {failingAt(domain("A", {server("\\\\a1"), server("\\\\a2")}), 3, 1),
                            domain("C", {server("\\\\c1")})})});
     },
     "A(\\\\a1)", false},
};

void PrintTo(const WalkCase& c, std::ostream* os) {
    *os << c.name;
}

class WalkTable : public WalkTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkTable, BuildsTheTree) {
    const WalkCase& c = GetParam();
    install(c.network());
    new QTreeWidgetItem(tree.get(), QStringList(QStringLiteral("stale")));
    refreshb->setEnabled(false); // so that enabling shows the end of a walk that finishes

    startNetEnum(target());
    if (c.finishes)
        ASSERT_TRUE(waitUntil([&] { return refreshb->isEnabled(); }));
    else
        ASSERT_TRUE(walkOver());

    EXPECT_EQ(render(*tree), c.tree);
    if (c.finishes) {
        EXPECT_TRUE(refreshb->isEnabled());
        EXPECT_TRUE(allExpanded(*tree));
    } else {
        EXPECT_FALSE(refreshb->isEnabled());
        EXPECT_TRUE(noneExpanded(*tree));
    }
}

INSTANTIATE_TEST_SUITE_P(Networks, WalkTable, ::testing::ValuesIn(kWalkCases),
                         [](const auto& param) { return std::string(param.param.name); });

using Walk = WalkTest;

TEST_F(Walk, AbortClosesEveryOpenLevelInnermostFirstAndGoesNoFurther) {
    install(netRoot({network("N", {domain("A", {server("\\\\a1")}),
                                   tooSmall(domain("B", {server("\\\\b1")})), domain("C")})}));
    startNetEnum(target());
    ASSERT_TRUE(walkOver());

    const auto log = provider().log();
    const std::vector<std::string> tail(log.end() - 5, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"next B 1 -> 234", "next B 1 -> 234", "close B",
                                              "close N", "close root"}));
    EXPECT_EQ(provider().count("open C"), 0u);
}

TEST_F(Walk, EachLevelStartsWithOneByteAndGrowsOnlyWhenAsked) {
    ScriptedEntry wg = domain("WG", {server("\\\\a"), server("\\\\bb"), server("\\\\cc")});
    wg.askForOne = true;
    install(netRoot({wg}));
    startNetEnum(target());
    ASSERT_TRUE(walkOver());

    // A record and its name with terminator: "\\a" takes 4 bytes, "\\bb" and "\\cc" 5.
    const std::string a = std::to_string(sizeof(NETRESOURCE) + 4);
    const std::string bb = std::to_string(sizeof(NETRESOURCE) + 5);
    std::vector<std::string> calls;
    for (const std::string& line : provider().log())
        if (line.rfind("next WG", 0) == 0)
            calls.push_back(line);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"next WG 1 -> 234", "next WG " + a + " -> 0",
                                        "next WG " + a + " -> 234", "next WG " + bb + " -> 0",
                                        "next WG " + bb + " -> 0", "next WG " + bb + " -> 259"}));
    EXPECT_EQ(render(*tree), "WG(\\\\a \\\\bb \\\\cc)");
}

TEST_F(Walk, RefreshButtonIsDisabledExactlyWhileTheWalkRuns) {
    auto& net = install(netRoot({domain("A", {server("\\\\a1")})}));
    net.holdAt("open A");
    refreshb->setEnabled(true);

    startNetEnum(target());
    ASSERT_TRUE(waitUntil([&] { return net.held(); }));
    waitUntil([] { return false; }, 20);
    EXPECT_FALSE(refreshb->isEnabled());
    EXPECT_EQ(render(*tree), "A");

    net.release();
    ASSERT_TRUE(waitUntil([&] { return refreshb->isEnabled(); }));
    EXPECT_EQ(render(*tree), "A(\\\\a1)");
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(walksEnded());
}

TEST_F(Walk, NodeTextsAreShownThroughTheCodePage) {
    install(netRoot({domain("\xD0\xC0\xC1\xCE\xD2\xC0", {server("\\\\\xCF\xCA-1")})}));
    startNetEnum(target());
    ASSERT_TRUE(walkOver());
    EXPECT_EQ(render(*tree), "РАБОТА(\\\\ПК-1)");
    EXPECT_EQ(ComputerName(tree->topLevelItem(0)->child(0)->text(0)), QStringLiteral("ПК-1"));
}

TEST_F(Walk, ANewerWalkOfTheSameTreeSupersedesTheOlderOne) {
    auto& net =
        install(netRoot({domain("A", {server("\\\\a1")}), domain("B", {server("\\\\b1")})}));
    net.holdAt("open A"); // only the first walk waits there

    startNetEnum(target());
    ASSERT_TRUE(waitUntil([&] { return net.held(); }));
    startNetEnum(target());
    ASSERT_TRUE(waitUntil([&] { return refreshb->isEnabled(); }));
    EXPECT_EQ(render(*tree), "A(\\\\a1) B(\\\\b1)");

    // The older walk wakes holding a node that the newer one deleted; it must add nothing.
    net.release();
    ASSERT_TRUE(walkOver(2));
    EXPECT_EQ(render(*tree), "A(\\\\a1) B(\\\\b1)");
    EXPECT_TRUE(refreshb->isEnabled());
    EXPECT_TRUE(allExpanded(*tree));
    EXPECT_EQ(net.count("open B"), 1u);
}

TEST_F(Walk, WalksOfTwoWindowsAreIndependent) {
    install(netRoot({domain("A", {server("\\\\a1")})}));
    QTreeWidget otherTree;
    QPushButton otherButton;
    startNetEnum(target());
    startNetEnum({&otherTree, &otherButton});
    ASSERT_TRUE(walkOver(2));
    EXPECT_EQ(render(*tree), "A(\\\\a1)");
    EXPECT_EQ(render(otherTree), "A(\\\\a1)");
    EXPECT_TRUE(refreshb->isEnabled());
    EXPECT_TRUE(otherButton.isEnabled());
}

TEST_F(Walk, StopsWhenItsWindowIsDestroyed) {
    auto& net = install(netRoot({domain("A", {server("\\\\a1")}), domain("B")}));
    net.holdAt("open A");
    startNetEnum(target());
    ASSERT_TRUE(waitUntil([&] { return net.held(); }));

    tree.reset();
    refreshb.reset();
    net.release();
    ASSERT_TRUE(walkOver());
    EXPECT_EQ(net.count("close A"), 1u);
    EXPECT_EQ(net.count("open B"), 0u);
}

TEST(ComputerNameRule, TakesCharactersThreeToOneHundredAndOneAfterTheBackslashes) {
    const QString longName = QString(120, QLatin1Char('n'));
    const struct {
        QString node;
        QString name;
    } cases[] = {
        {QStringLiteral("\\\\PC-07"), QStringLiteral("PC-07")},
        {QStringLiteral("\\\\pc-07.local"), QStringLiteral("pc-07.local")},
        {QStringLiteral("WORKGROUP"), QStringLiteral("WORKGROUP")},
        {QStringLiteral("\\single"), QStringLiteral("\\single")},
        {QStringLiteral("\\\\"), QString()},
        {QStringLiteral("-"), QStringLiteral("-")},
        {QStringLiteral("\\\\") + longName, QString(99, QLatin1Char('n'))},
        {longName, longName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComputerName(c.node), c.name) << c.node.toStdString();
        EXPECT_EQ(ComputerName(c.node.toLatin1()), c.name.toLatin1()) << c.node.toStdString();
    }
}

} // namespace
