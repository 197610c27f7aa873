#include "shell/tray_menu.h"

#include "components/popup_menu.h"
#include "components/tray_area.h"
#include "components/tray_fake_area.h"
#include "messaging/sendf.h"
#include "platform/boxes.h"
#include "platform/profile.h"
#include "platform/services.h"
#include "platform/shell_open.h"
#include "shell/app_settings.h"
#include "shell/form1.h"
#include "shell/program.h"
#include "support/doubles.h"
#include "support/test_env.h"
#include "windows/aboutf.h"
#include "windows/archivef.h"
#include "windows/conff.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class RecordingShell final : public IShellOpen {
public:
    void open(const QString& document) override { opened << document; }
    QStringList opened;
};

// Counts close requests to a window and keeps them from going through (closing Form1 would
// end the run).
class CloseCatcher final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close)
            return false;
        ++closes;
        event->ignore();
        return true;
    }
    int closes = 0;
};

// All seven windows of a run, the server paused, the tray on a fake notification area.
class TrayMenu : public ::testing::Test {
protected:
    TrayMenu() {
        AppSettings = {};
        writeFile(env.systemPath(kConfigFile), "[Chatterwick 2]\r\nDontActivateServer=1\r\n");
        previousArea = setTrayAreaFactory([this] {
            auto fake = std::make_unique<FakeTrayArea>();
            area = fake.get();
            return fake;
        });
        auto recording = std::make_unique<RecordingShell>();
        shell = recording.get();
        previousShell = std::exchange(services().shell, std::move(recording));
        program.createWindows();
        testBoxes().clear();
    }
    ~TrayMenu() override {
        program.destroyWindows();
        services().shell = std::move(previousShell);
        setTrayAreaFactory(previousArea);
    }

    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
    TrayAreaFactory previousArea;
    FakeTrayArea* area = nullptr;
    RecordingShell* shell = nullptr;
    std::unique_ptr<IShellOpen> previousShell;
    Program program;
};

TEST_F(TrayMenu, ItemsStandInOrderWithTheDefaultInBold) {
    TForm1& f = *Form1;
    const struct {
        QAction* item;
        const char* caption; // nullptr: a separator
    } top[] = {
        {f.N1, "Отправить сообщение.."},
        {f.N8, "Архив сообщений"},
        {f.N5, nullptr},
        {f.N6, "Игнор-лист"},
        {f.N4, "Настройки.."},
        {f.N3, nullptr},
        {f.Chatterwick21->menuAction(), "Chatterwick в интернете"},
        {f.N10, nullptr},
        {f.N7, "Помощь.."},
        {f.N9, "О программе.."},
        {f.N14, nullptr},
        {f.N15, "Запустить сервер"},
        {f.N2, "Выход"},
    };
    const QList<QAction*> actions = f.mainmenu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(top)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actions[i], top[i].item);
        EXPECT_EQ(actions[i]->isSeparator(), top[i].caption == nullptr);
        if (top[i].caption) {
            EXPECT_EQ(actions[i]->text(), QString::fromUtf8(top[i].caption));
        }
    }
    EXPECT_EQ(f.Chatterwick21->actions(), (QList<QAction*>{f.N12, f.N16, f.N11, f.N13}));
    EXPECT_EQ(f.N12->text(), QStringLiteral("Сайт Chatterwick"));
    EXPECT_TRUE(f.N16->isSeparator());
    EXPECT_EQ(f.N11->text(), QStringLiteral("Сайт автора"));
    EXPECT_EQ(f.N13->text(), QStringLiteral("Письмо автору"));

    EXPECT_EQ(f.mainmenu->DefaultItem(), f.N1);
    for (QAction* a : actions)
        EXPECT_EQ(a->font().bold(), a == f.N1) << a->text().toStdString();
}

TEST_F(TrayMenu, ItemsShowTheirWindowsOrOpenTheirDocuments) {
    TForm1& f = *Form1;
    const struct {
        QAction* item;
        TSecondaryForm* window; // shown and active, or
        const char* document;   // opened through the shell
    } cases[] = {
        {f.N1, SendF, nullptr},       {f.N8, ArchiveF, nullptr},    {f.N6, IgnorF, nullptr},
        {f.N4, ConfF, nullptr},       {f.N9, AboutF, nullptr},      {f.N7, nullptr, "help.htm"},
        {f.N12, nullptr, "help.htm"}, {f.N11, nullptr, "help.htm"}, {f.N13, nullptr, "mailto:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item->text().toStdString());
        shell->opened.clear();
        c.item->trigger();
        if (c.window) {
            EXPECT_TRUE(c.window->isVisible());
            EXPECT_TRUE(waitUntil([&] { return c.window->isActiveWindow(); }));
            EXPECT_TRUE(shell->opened.isEmpty());
            c.window->close();
        } else {
            EXPECT_EQ(shell->opened, QStringList{QString::fromLatin1(c.document)});
        }
    }
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(TrayMenu, ShowSendWindowClosesAnArchiveThatHoldsUnreadMessages) {
    const struct {
        const char* name;
        int unread;
        TrayActivation click;
        bool archiveStays;
    } cases[] = {
        {"PiledUpLeftClick", 3, TrayActivation::LeftRelease, false},
        {"PiledUpDoubleClick", 1, TrayActivation::DoubleClick, false},
        {"OpenedByTheUser", 0, TrayActivation::LeftRelease, true},
        {"OpenedByTheUserDoubleClick", 0, TrayActivation::DoubleClick, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendF->close();
        ArchiveF->showAndActivate();
        ArchiveF->setUnreadCount(c.unread);
        area->click(c.click);
        EXPECT_TRUE(waitUntil([&] { return SendF->isVisible(); }));
        EXPECT_EQ(ArchiveF->isVisible(), c.archiveStays);
        EXPECT_EQ(ArchiveF->unreadCount(), 0);
        ArchiveF->close();
    }
}

TEST_F(TrayMenu, ExitClosesTheMainWindowOnlyOnYes) {
    CloseCatcher catcher;
    Form1->installEventFilter(&catcher);
    testBoxes().answer(Answer::No);
    Form1->N2->trigger();
    ASSERT_EQ(testBoxes().all().size(), 1u);
    const auto& box = testBoxes().all()[0];
    EXPECT_EQ(box.kind, ScriptedBoxes::Box::Kind::Question);
    EXPECT_EQ(box.owner, Form1);
    EXPECT_EQ(box.caption, QStringLiteral("Chatterwick 2"));
    EXPECT_EQ(box.text, QStringLiteral("Вы действительно хотите завершить работу Chatterwick 2?"));
    EXPECT_EQ(catcher.closes, 0);

    testBoxes().answer(Answer::Yes);
    Form1->N2->trigger();
    EXPECT_EQ(catcher.closes, 1);
    Form1->removeEventFilter(&catcher);
}

} // namespace

namespace {

// The incoming message window's reply goes to the send window directly.
using Reply = TrayMenu;

TEST_F(Reply, PutsTheSenderIntoTheSendWindowAndLeavesTheRestAlone) {
    const struct {
        const char* name;
        bool sendWindowOpen;
        QByteArray sender;
    } cases[] = {
        {"SendWindowHidden", false, "PC-07"},
        {"SendWindowOpen", true, "PC-\xc0"},
        {"SenderWithoutAName", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendF->close();
        SendF->setHistory({"OLD"});
        SendF->setAddress("OLD");
        SendF->setMessageText("typed before");
        if (c.sendWindowOpen)
            SendF->showAndActivate();
        // An archive with unread messages stays open: the reply is not the tray's way in.
        ArchiveF->showAndActivate();
        ArchiveF->setUnreadCount(2);
        Msgf->setMessage(c.sender, "14:05:09", "hi");
        Msgf->showAndActivate();

        Msgf->sBitBtn1->click();
        EXPECT_FALSE(Msgf->isVisible());
        EXPECT_TRUE(SendF->isVisible());
        EXPECT_EQ(SendF->address(), c.sender);
        EXPECT_EQ(SendF->messageText(), QByteArray("typed before"));
        EXPECT_EQ(SendF->history(), LineList{"OLD"});
        EXPECT_TRUE(ArchiveF->isVisible());
        EXPECT_EQ(ArchiveF->unreadCount(), 2);
        ArchiveF->close();
    }
}

} // namespace
