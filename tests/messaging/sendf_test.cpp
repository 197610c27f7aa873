#include "messaging/sendf.h"

#include "messaging/send_fixture.h"
#include "platform/cp1251.h"
#include "platform/services.h"
#include "support/scripted_net_resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

class SendWindow : public SendFixture {
protected:
    ~SendWindow() override { services().netResources.reset(); }

    void setConfigKey(const QByteArray& line) {
        writeFile(env.systemPath(kConfigFile),
                  "[Chatterwick 2]\r\nDontActivateServer=1\r\n" + line + "\r\n");
    }
    // Shows the window and waits for its walk of the scripted network (three nodes).
    void showWindow() {
        sendf->TreeView1->clear();
        sendf->showAndActivate();
        ASSERT_TRUE(waitUntil([&] { return walked(); }));
    }
    bool walked() const { return treeTexts().size() == 3 && sendf->refreshb->isEnabled(); }
    QStringList treeTexts() const {
        QStringList texts;
        for (QTreeWidgetItemIterator it(sendf->TreeView1); *it; ++it)
            texts << (*it)->text(0);
        return texts;
    }
    QTreeWidgetItem* node(const QString& text) const {
        const auto found = sendf->TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
};

TEST_F(SendWindow, CreationTakesHistoryAndLastAddressFromTheirFiles) {
    const struct {
        const char* name;
        const char* hist; // nullptr: no file
        const char* lastAdrLine;
        LineList history;
        QByteArray address;
    } cases[] = {
        {"NoFiles", nullptr, "", {}, "LOCALHOST"},
        // Listed entries show upper case; duplicates of an edited file stay.
        {"Both",
         "pc-a\r\nPC-B\r\npc-a",
         "LastAdr=pc-\xe0\x37",
         {"PC-A", "PC-B", "PC-A"},
         "PC-\xc0\x37"},
        {"EmptyHistoryFile", "", "LastAdr=10.0.0.9", {}, "10.0.0.9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(env.path(kHistoryFile));
        if (c.hist)
            writeFile(env.path(kHistoryFile), c.hist);
        setConfigKey(c.lastAdrLine);
        sendf = std::make_unique<TSendF>();
        EXPECT_EQ(sendf->history(), c.history);
        EXPECT_EQ(sendf->address(), c.address);
        EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
    }
    EXPECT_EQ(sendf->windowTitle(), QStringLiteral("Отправка сообщения > Chatterwick 2"));
    EXPECT_EQ(sendf->size(), QSize(444, 290));
    EXPECT_EQ(sendf->sSystemMenu->ItemClose->text(), QStringLiteral("Закрыть"));
}

TEST_F(SendWindow, AddressBoxShowsUpperCaseWhateverPutsTextThere) {
    start();
    sendf->showAndActivate();
    QLineEdit* edit = sendf->adre->lineEdit();
    edit->clear();
    QTest::keyClicks(sendf->adre, QStringLiteral("pc-"));
    // A Cyrillic letter as a keyboard layout delivers it.
    QKeyEvent cyrillic(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("ф"));
    QApplication::sendEvent(sendf->adre, &cyrillic);
    QTest::keyClicks(sendf->adre, QStringLiteral("7.lan"));
    EXPECT_EQ(sendf->adre->currentText(), QStringLiteral("PC-Ф7.LAN"));
    // Typing in the middle keeps the cursor where it was.
    edit->setCursorPosition(2);
    QTest::keyClicks(sendf->adre, QStringLiteral("x"));
    EXPECT_EQ(sendf->adre->currentText(), QStringLiteral("PCX-Ф7.LAN"));
    EXPECT_EQ(edit->cursorPosition(), 3);

    sendf->adre->setEditText(QStringLiteral("server-9"));
    EXPECT_EQ(sendf->address(), QByteArray("SERVER-9"));
    sendf->setHistory({"alpha", "b\xe5ta"});
    EXPECT_EQ(sendf->history(), (LineList{"ALPHA", "B\xc5TA"}));
    // A letter whose capital the code page lacks stays as it is rather than turning into '?'.
    sendf->setAddress("mu\xb5");
    EXPECT_EQ(sendf->address(), QByteArray("MU\xb5"));
}

TEST_F(SendWindow, ShowingWalksTheNetworkFocusesTheTextAndResetsTheCheckBox) {
    services().netResources = std::make_unique<ScriptedNetResources>(
        netRoot({network("N", {domain("WG1", {server("\\\\PC-07")}), domain("EMPTY")})}));
    start();
    AppSettings.AlwaysNetSend = true;
    showWindow();
    EXPECT_EQ(treeTexts(), (QStringList{u"WG1"_s, u"\\\\PC-07"_s, u"EMPTY"_s}));
    EXPECT_TRUE(sendf->NSCheck->isChecked());
    EXPECT_TRUE(waitUntil([&] { return sendf->msge->hasFocus(); }));

    // The user's choice lasts until the next showing only.
    sendf->NSCheck->setChecked(false);
    sendf->close();
    showWindow();
    EXPECT_TRUE(sendf->NSCheck->isChecked());
    AppSettings.AlwaysNetSend = false;
    sendf->close();
    showWindow();
    EXPECT_FALSE(sendf->NSCheck->isChecked());

    // Showing a window already on screen runs no new walk.
    sendf->TreeView1->clear();
    sendf->showAndActivate();
    QTest::qWait(50);
    EXPECT_TRUE(treeTexts().isEmpty());
    sendf->refreshb->click();
    EXPECT_TRUE(waitUntil([&] { return walked(); }));
}

TEST_F(SendWindow, TreeClickTakesTheComputerNameOfALeafOnly) {
    services().netResources = std::make_unique<ScriptedNetResources>(
        netRoot({network("N", {domain("WG1", {server("\\\\pc-07")}), domain("EMPTY")})}));
    start();
    showWindow();
    const struct {
        const char* node; // nullptr: nothing selected
        QByteArray address;
    } cases[] = {
        {"WG1", "BEFORE"},      // a group with computers below it
        {"\\\\pc-07", "PC-07"}, // a computer: its bare name
        {"EMPTY", "EMPTY"},     // a group without computers is a leaf too
        {nullptr, "BEFORE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node ? c.node : "(none)");
        sendf->setAddress("BEFORE");
        sendf->TreeView1->clearSelection();
        if (c.node) {
            QTreeWidgetItem* item = node(QString::fromLatin1(c.node));
            ASSERT_NE(item, nullptr);
            const QRect rect = sendf->TreeView1->visualItemRect(item);
            QTest::mouseClick(sendf->TreeView1->viewport(), Qt::LeftButton, {}, rect.center());
        } else {
            sendf->TreeView1Click();
        }
        EXPECT_EQ(sendf->address(), c.address);
    }
}

TEST_F(SendWindow, EnterInTheAddressBoxMovesToTheTextAndSendsNothing) {
    start();
    sendf->showAndActivate();
    sendf->setMessageText("hello");
    sendf->adre->setFocus();
    ASSERT_TRUE(waitUntil([&] { return sendf->adre->hasFocus(); }));
    // Keys go to the box itself, as the keyboard delivers them.
    QTest::keyClick(sendf->adre, Qt::Key_Return);
    EXPECT_TRUE(sendf->msge->hasFocus());
    EXPECT_TRUE(sendf->isVisible());
    EXPECT_TRUE(sendf->history().isEmpty());
    EXPECT_EQ(resolver.hostQueries().size(), 0);

    // Tab walks address, text, send button; the text box takes no tab characters.
    QTest::keyClick(sendf->msge, Qt::Key_Tab);
    EXPECT_TRUE(sendf->sendb->hasFocus());
    EXPECT_EQ(sendf->messageText(), QByteArray("hello"));
}

TEST_F(SendWindow, EmptyTextOrAddressIsRefusedWithOneNotice) {
    start();
    const struct {
        const char* name;
        QByteArray address;
        QByteArray text;
    } cases[] = {{"NoText", "PC-A", ""}, {"NoAddress", "", "hi"}, {"Neither", "", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testBoxes().clear();
        sendf->showAndActivate();
        send(c.address, c.text);
        EXPECT_EQ(testBoxes().informations(),
                  QStringList{QStringLiteral("Следует ввести адрес и текст для отправки!")});
        EXPECT_EQ(testBoxes().all().size(), 1u);
        EXPECT_TRUE(sendf->isVisible());
        EXPECT_TRUE(sendf->history().isEmpty());
        EXPECT_EQ(sendf->messageText(), c.text);
        EXPECT_TRUE(sendf->sendQueue->Idle());
    }
}

TEST_F(SendWindow, ExitWritesHistoryAndWhateverTheAddressBoxHolds) {
    start();
    sendf->FormDestroy();
    EXPECT_TRUE(QFile::exists(env.path(kHistoryFile)));
    EXPECT_EQ(readFile(env.path(kHistoryFile)), QByteArray());
    EXPECT_EQ(readLastAdr(), QByteArray("LOCALHOST"));

    sendf->setHistory({"PC-A", "PC-\xc1"});
    sendf->adre->setEditText(QStringLiteral("never-sent"));
    sendf->FormDestroy();
    EXPECT_EQ(readFile(env.path(kHistoryFile)), QByteArray("PC-A\r\nPC-\xc1\r\n"));
    EXPECT_EQ(readLastAdr(), QByteArray("NEVER-SENT"));
}

} // namespace
