#include "windows/archivef.h"

#include "messaging/archive_disk_full.h"
#include "messaging/archive_text.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {
QWidget* nextTabStop(QWidget* w) {
    do
        w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
}
} // namespace

class ArchiveFTest : public ::testing::Test {
protected:
    InTempDir dir;
    QString file() const { return dir.path(QStringLiteral("archive.ini")); }
    static QByteArray entry(const char* text) { return archiveEntry("14:05:09", "PC-07", text); }
};

TEST_F(ArchiveFTest, ControlsAndTabOrder) {
    TArchiveF form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Архив сообщений > Chatterwick 2"));
    EXPECT_EQ(form.sLabel2->text(), QStringLiteral("Непрочитанные сообщения:"));
    EXPECT_EQ(form.unread->text(), QStringLiteral("0"));
    EXPECT_EQ(form.sButton1->text(), QStringLiteral("Очистить"));
    EXPECT_EQ(form.sButton2->text(), QStringLiteral("Закрыть"));
    EXPECT_TRUE(form.Archive->isReadOnly());
    EXPECT_EQ(nextTabStop(form.sButton2), form.sButton1);
    EXPECT_EQ(nextTabStop(form.sButton1), form.Archive);
    form.showAndActivate();
    EXPECT_TRUE(waitUntil([&] { return form.sButton2->hasFocus(); }, 2000));
}

TEST_F(ArchiveFTest, FirstRunWritesAnEmptyFileAtExit) {
    {
        TArchiveF form;
        EXPECT_TRUE(form.archiveText().isEmpty());
        EXPECT_TRUE(form.Archive->toPlainText().isEmpty());
        form.FormDestroy();
    }
    EXPECT_TRUE(QFileInfo::exists(file()));
    EXPECT_EQ(QFileInfo(file()).size(), 0);
    EXPECT_TRUE(testBoxes().all().empty());
}

TEST_F(ArchiveFTest, LfOnlyFileIsShownInLinesAndSavedWithCrLf) {
    writeFile(file(), "one\ntwo\n");
    TArchiveF form;
    EXPECT_EQ(form.Archive->toPlainText(), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(form.Archive->document()->blockCount(), 3);
    form.FormDestroy();
    EXPECT_EQ(readFile(file()), QByteArray("one\r\ntwo\r\n"));
}

TEST_F(ArchiveFTest, EntriesReachViewAndFileAtOnce) {
    writeFile(file(), "old line"); // no final break: the first entry starts on a new line
    TArchiveF form;
    form.appendEntry(entry("first"));
    form.appendEntry(archiveEntry("14:05:10", "PC-08", "two\r\nlines"));
    form.appendEntry(QByteArray(">> 14:05:11 \r\n          cut\0here\r\n\r\n", 36));
    form.appendEntry(entry("after"));
    const QByteArray expected = "old line\r\n" + entry("first") +
                                archiveEntry("14:05:10", "PC-08", "two\r\nlines") + "\r\n" +
                                ">> 14:05:11 \r\n          cut" + "\r\n" + entry("after");
    EXPECT_EQ(form.archiveText(), expected);
    EXPECT_EQ(readFile(file()), expected); // before any exit save
    EXPECT_EQ(form.Archive->toPlainText(), readingViewText(expected));
}

TEST_F(ArchiveFTest, UnreadableFileIsReportedAndLeftAlone) {
    ASSERT_TRUE(QDir(dir.dir()).mkdir(QStringLiteral("archive.ini")));
    TArchiveF form;
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot open file archive.ini.")});
    EXPECT_TRUE(form.archiveText().isEmpty());
    form.appendEntry(entry("kept in memory"));
    form.appendEntry(entry("also in memory"));
    form.FormDestroy();
    EXPECT_TRUE(QFileInfo(file()).isDir());
    // The entries could not be stored: said once.
    EXPECT_EQ(testBoxes().errors(),
              (QStringList{QStringLiteral("Cannot open file archive.ini."),
                           QStringLiteral("Cannot create file archive.ini.")}));
    EXPECT_TRUE(form.archiveText().contains("also in memory"));
}

TEST_F(ArchiveFTest, UnreadCounterRules) {
    TArchiveF form;
    form.showAndActivate();
    EXPECT_EQ(form.unreadCount(), 0); // shown from the tray: unchanged
    form.setUnreadCount(form.unreadCount() + 1);
    form.setUnreadCount(form.unreadCount() + 1);
    EXPECT_EQ(form.unread->text(), QStringLiteral("2"));
    testBoxes().answer(Answer::Yes);
    form.sButton1Click(); // clearing keeps the counter
    EXPECT_EQ(form.unread->text(), QStringLiteral("2"));
    form.sButton2->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.unread->text(), QStringLiteral("0"));
}

TEST_F(ArchiveFTest, ClearAsksFirst) {
    TArchiveF form;
    form.appendEntry(entry("a"));
    form.sButton1Click(); // No
    EXPECT_FALSE(form.archiveText().isEmpty());
    ASSERT_EQ(testBoxes().all().size(), 1u);
    const auto& box = testBoxes().all().front();
    EXPECT_EQ(box.owner, &form);
    EXPECT_EQ(box.caption, QStringLiteral("Chatterwick"));
    EXPECT_EQ(box.text, QStringLiteral("Удалить все сообщения из архива?"));

    testBoxes().answer(Answer::Yes);
    form.sButton1Click();
    EXPECT_TRUE(form.archiveText().isEmpty());
    EXPECT_TRUE(form.Archive->toPlainText().isEmpty());
    EXPECT_EQ(QFileInfo(file()).size(), 0); // the file follows at once
    form.appendEntry(entry("b"));
    EXPECT_EQ(readFile(file()), entry("b") + "\r\n");
}

TEST_F(ArchiveFTest, WriteFailureIsShownOnceAndTheEntryKept) {
    TArchiveF form;
    form.appendEntry(entry("a"));
    {
        const FileSizeLimit full(static_cast<rlim_t>(form.archiveText().size()));
        form.appendEntry(entry("b"));
        form.appendEntry(entry("c"));
    }
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot create file archive.ini.")});
    form.appendEntry(entry("d"));
    EXPECT_EQ(readFile(file()), form.archiveText());
    EXPECT_TRUE(form.archiveText().contains("          c\r\n"));
}

TEST_F(ArchiveFTest, ViewFollowsNewEntriesUnlessScrolledBack) {
    TArchiveF form;
    QScrollBar* bar = form.Archive->verticalScrollBar();
    for (int i = 0; i < 200; ++i) // while hidden, as the archive mostly is
        form.appendEntry(entry("hidden"));
    form.showAndActivate();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }, 2000));
    EXPECT_EQ(bar->value(), bar->maximum());
    form.appendEntry(entry("shown"));
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    form.appendEntry(entry("later"));
    EXPECT_EQ(bar->value(), 0);
}
