#include "windows/ignorf.h"

#include "platform/exceptions.h"
#include "platform/services.h"
#include "support/doubles.h"
#include "support/scripted_net_resources.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

class IgnorFTest : public ::testing::Test {
protected:
    InTempDir dir;
    QString file() const { return dir.path(QStringLiteral("ignorlist.ini")); }
};

TEST_F(IgnorFTest, LoadsTheFileAtCreation) {
    writeFile(file(), "pc-07\nPC-07\r\n\r\nPC-09");
    TIgnorF form;
    EXPECT_EQ(form.entries(), (LineList{"pc-07", "PC-07", "", "PC-09"})); // duplicates kept
    EXPECT_TRUE(form.Contains("PC-09"));
    EXPECT_TRUE(form.Contains("")); // the empty line is an entry
    EXPECT_TRUE(testBoxes().all().empty());
}

TEST_F(IgnorFTest, AddDeleteAndSave) {
    TIgnorF form;
    EXPECT_TRUE(form.entries().isEmpty()); // no file: empty list
    EXPECT_TRUE(form.AddIfAbsent("PC-07"));
    EXPECT_FALSE(form.AddIfAbsent("pc-07"));
    EXPECT_TRUE(form.AddIfAbsent("PC-08"));
    EXPECT_TRUE(form.AddIfAbsent("pc-07.lan"));
    EXPECT_EQ(form.entries(), (LineList{"PC-07", "PC-08", "pc-07.lan"}));

    form.IgnorList->item(0)->setSelected(true);
    form.IgnorList->item(2)->setSelected(true);
    form.DeleteSelected();
    EXPECT_EQ(form.entries(), (LineList{"PC-08"}));
    form.DeleteSelected(); // nothing selected
    EXPECT_EQ(form.entries(), (LineList{"PC-08"}));

    form.Save();
    EXPECT_EQ(readFile(file()), QByteArray("PC-08\r\n"));
    form.IgnorList->item(0)->setSelected(true);
    form.DeleteSelected();
    form.Save();
    EXPECT_TRUE(QFileInfo::exists(file()));
    EXPECT_EQ(QFileInfo(file()).size(), 0);
}

TEST_F(IgnorFTest, DeletingOneOfTwoEqualEntriesKeepsTheOther) {
    writeFile(file(), "PC-07\r\nPC-07\r\n");
    TIgnorF form;
    form.IgnorList->item(1)->setSelected(true);
    form.DeleteSelected();
    EXPECT_TRUE(form.Contains("pc-07"));
}

TEST_F(IgnorFTest, LoadIfExistsTakesBackUnsavedChangesOnlyWhenTheFileExists) {
    TIgnorF form;
    form.AddIfAbsent("PC-07");
    form.LoadIfExists(); // no file: unchanged
    EXPECT_TRUE(form.Contains("PC-07"));
    writeFile(file(), "PC-01\r\n");
    form.LoadIfExists();
    EXPECT_EQ(form.entries(), (LineList{"PC-01"}));
}

TEST_F(IgnorFTest, UnreadableFileShowsTheErrorAndStartsEmpty) {
    ASSERT_TRUE(QDir(dir.dir()).mkdir(QStringLiteral("ignorlist.ini")));
    TIgnorF form;
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot open file ignorlist.ini.")});
    EXPECT_TRUE(form.entries().isEmpty());
    EXPECT_THROW(form.Save(), EFCreateError);
}

namespace {

// The window over a scripted network; waits for any walk still running before the provider goes.
class IgnorFTreeTest : public IgnorFTest {
protected:
    ~IgnorFTreeTest() override {
        net().release();
        waitUntil([&] { return net().idle(); });
        services().netResources.reset();
    }
    ScriptedNetResources& net() {
        return dynamic_cast<ScriptedNetResources&>(*services().netResources);
    }
    void install(ScriptedEntry root) {
        services().netResources = std::make_unique<ScriptedNetResources>(std::move(root));
    }
    bool walksFinished(TIgnorF& form, std::size_t walks) {
        return waitUntil(
            [&] { return net().count("close root") >= walks && form.refreshb->isEnabled(); });
    }
    static QTreeWidgetItem* node(TIgnorF& form, const QString& text) {
        const auto found = form.TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
};

} // namespace

TEST_F(IgnorFTreeTest, ShowingAndRefreshingWalkTheNetworkIntoTheTree) {
    install(netRoot({domain("WG", {server("\\\\PC-07"), server("\\\\PC-08")}), domain("EMPTY")}));
    net().holdAt("open WG");
    TIgnorF form;
    form.show();
    ASSERT_TRUE(waitUntil([&] { return net().held(); }));
    waitUntil([] { return false; }, 20);
    EXPECT_FALSE(form.refreshb->isEnabled()); // disabled while the walk runs
    net().release();
    ASSERT_TRUE(walksFinished(form, 1));
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 2);
    EXPECT_EQ(form.TreeView1->topLevelItem(0)->childCount(), 2);
    EXPECT_TRUE(form.TreeView1->topLevelItem(0)->isExpanded());

    form.refreshb->click();
    ASSERT_TRUE(walksFinished(form, 2));
    EXPECT_EQ(form.TreeView1->topLevelItemCount(), 2); // refilled, not appended to

    form.hide();
    form.show(); // every showing walks again
    EXPECT_TRUE(walksFinished(form, 3));
}

TEST_F(IgnorFTreeTest, AddsSelectedComputersButNotWorkgroups) {
    writeFile(file(), "pc-08\r\n");
    install(netRoot({domain("WG", {server("\\\\PC-07"), server("\\\\PC-08")})}));
    TIgnorF form;
    EXPECT_FALSE(form.sButton1->isEnabled());
    form.show();
    ASSERT_TRUE(walksFinished(form, 1));

    form.sButton1Click(); // nothing selected
    form.TreeView1Click();
    EXPECT_FALSE(form.sButton1->isEnabled());

    // A double click on a leaf takes the computer name without the backslashes.
    QTreeWidgetItem* pc07 = node(form, QStringLiteral("\\\\PC-07"));
    ASSERT_NE(pc07, nullptr);
    const QPoint at = form.TreeView1->visualItemRect(pc07).center();
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(form.sButton1->isEnabled());
    QTest::mouseDClick(form.TreeView1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(form.entries(), (LineList{"pc-08", "PC-07"}));

    // The same name in another case is not added twice; a workgroup is not a computer.
    node(form, QStringLiteral("\\\\PC-08"))->setSelected(true);
    form.sButton1->click();
    node(form, QStringLiteral("WG"))->setSelected(true);
    form.sButton1->click();
    form.TreeView1DblClick();
    EXPECT_EQ(form.entries(), (LineList{"pc-08", "PC-07"}));

    form.TreeView1->clear(); // as a refresh empties it
    form.sButton1->click();
    EXPECT_EQ(form.entries(), (LineList{"pc-08", "PC-07"}));
    EXPECT_TRUE(form.sButton1->isEnabled()); // nothing disables it again
}
