#include "messaging/archive_text.h"
#include "shell/app_settings.h"
#include "shell/form1_reception.h"
#include "support/doubles.h"
#include "support/fake_sound.h"
#include "support/test_env.h"
#include "windows/archivef.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

// The three windows a received message touches, as the program has them.
class ReceiveMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        IgnorF = &ignorF;
        Msgf = &msgf;
        ArchiveF = &archiveF;
        AppSettings.Sounds = true;
    }
    void TearDown() override {
        IgnorF = nullptr;
        Msgf = nullptr;
        ArchiveF = nullptr;
        AppSettings = {};
    }
    QByteArray archiveFile() const { return readFile(dir.path(QStringLiteral("archive.ini"))); }

    InTempDir dir;
    FakeSound& sound = installFakeSound();
    TIgnorF ignorF;
    TMsgf msgf;
    TArchiveF archiveF;
};

TEST_F(ReceiveMessageTest, EntryAndFieldsOfOneMessage) {
    const struct {
        QByteArray peer, sender;
    } cases[] = {
        {"pc-07", "PC-07"},
        {"", ""},                             // no reverse name
        {"\xef\xea-1.lan", "\xef\xea-1.LAN"}, // only ASCII letters are upper-cased
    };
    for (const auto& c : cases) {
        const QByteArray before = archiveF.archiveText();
        ReceiveMessage(c.peer, "\xcf\xf0\xe8\xe2\xe5\xf2");
        const QByteArray entry = archiveEntry("14:05:09", c.sender, "\xcf\xf0\xe8\xe2\xe5\xf2");
        EXPECT_EQ(archiveF.archiveText(), before + entry + "\r\n") << c.peer.constData();
        EXPECT_EQ(archiveFile(), archiveF.archiveText()); // on disk before it is shown
        EXPECT_EQ(msgf.senderName(), c.sender);
        EXPECT_EQ(msgf.datel->text(), QStringLiteral("14:05:09"));
        EXPECT_EQ(msgf.msge->toPlainText(), QStringLiteral("Привет"));
        msgf.hide();
    }
}

TEST_F(ReceiveMessageTest, RouteByWindowState) {
    // Message A opens the message window.
    ReceiveMessage("pc-07", "A");
    EXPECT_TRUE(msgf.isVisible());
    EXPECT_FALSE(archiveF.isVisible());
    EXPECT_EQ(sound.played.size(), 1);
    // B while it is open: it closes, the archive opens with 1, the fields hold B.
    ReceiveMessage("pc-08", "B");
    EXPECT_FALSE(msgf.isVisible());
    EXPECT_FALSE(msgf.flashtimer->isActive());
    EXPECT_TRUE(archiveF.isVisible());
    EXPECT_EQ(archiveF.unread->text(), QStringLiteral("1"));
    EXPECT_EQ(msgf.senderName(), QByteArray("PC-08"));
    // C while the archive is popped up: 2.
    ReceiveMessage("pc-07", "C");
    EXPECT_FALSE(msgf.isVisible());
    EXPECT_EQ(archiveF.unread->text(), QStringLiteral("2"));
    EXPECT_EQ(sound.played.size(), 1); // only the opening played a sound
    EXPECT_EQ(archiveF.archiveText().count(">> "), 3);
    // Closing the archive resets the counter; D opens the message window again.
    archiveF.sButton2Click();
    EXPECT_EQ(archiveF.unread->text(), QStringLiteral("0"));
    ReceiveMessage("pc-07", "D");
    EXPECT_TRUE(msgf.isVisible());
    EXPECT_EQ(sound.played.size(), 2);
}

TEST_F(ReceiveMessageTest, ArchiveOpenedByTheUserDoesNotTakeMessages) {
    archiveF.showAndActivate();
    ReceiveMessage("pc-07", "A");
    EXPECT_TRUE(msgf.isVisible());
    EXPECT_TRUE(archiveF.isVisible());
    EXPECT_EQ(archiveF.unread->text(), QStringLiteral("0"));
}

TEST_F(ReceiveMessageTest, IgnoredSenderLeavesNoTrace) {
    ignorF.AddIfAbsent("pc-07");
    ignorF.AddIfAbsent(""); // also drops senders without a name
    ReceiveMessage("PC-07", "A");
    ReceiveMessage("", "B");
    ReceiveMessage("pc-07.lan", "C"); // a longer name is another sender
    EXPECT_EQ(archiveF.archiveText().count(">> "), 1);
    EXPECT_TRUE(archiveF.archiveText().contains("PC-07.LAN"));
    EXPECT_EQ(sound.played.size(), 1);
}

namespace {
// Records archive.ini as it stands at the moment a window is shown.
class FileAtShow final : public QObject {
public:
    explicit FileAtShow(QString path) : path_(std::move(path)) {}
    QByteArrayList seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            seen.append(readFile(path_));
        return false;
    }

private:
    QString path_;
};
} // namespace

TEST_F(ReceiveMessageTest, EntryIsOnDiskBeforeEitherWindowShows) {
    FileAtShow atShow(dir.path(QStringLiteral("archive.ini")));
    msgf.installEventFilter(&atShow);
    archiveF.installEventFilter(&atShow);
    ReceiveMessage("pc-07", "A"); // opens the message window
    ReceiveMessage("pc-07", "B"); // opens the archive
    ASSERT_EQ(atShow.seen.size(), 2);
    EXPECT_TRUE(atShow.seen[0].endsWith("          A\r\n\r\n\r\n"));
    EXPECT_TRUE(atShow.seen[1].endsWith("          B\r\n\r\n\r\n"));
}

TEST_F(ReceiveMessageTest, HugeLineIsKeptWholeAndViewedInPieces) {
    const QByteArray text(qsizetype(1) << 20, 'a'); // the largest message, without a break
    ReceiveMessage("pc-07", text);
    EXPECT_TRUE(archiveF.archiveText().contains("          " + text + "\r\n"));
    EXPECT_EQ(archiveFile(), archiveF.archiveText());
    // One block of that length would take the view's word wrap minutes.
    for (const QTextDocument* view : {archiveF.Archive->document(), msgf.msge->document()}) {
        qsizetype longest = 0;
        for (QTextBlock b = view->begin(); b.isValid(); b = b.next())
            longest = std::max<qsizetype>(longest, b.length() - 1);
        EXPECT_LE(longest, kViewLineLimit);
        EXPECT_GT(view->blockCount(), text.size() / kViewLineLimit);
    }
}
