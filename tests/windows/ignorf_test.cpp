#include "windows/ignorf.h"

#include "platform/exceptions.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
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
