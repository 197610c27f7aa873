#include "shell/server_control.h"

#include "components/id_ip_watch.h"
#include "components/id_stack.h"
#include "components/popup_menu.h"
#include "components/tray_fake_area.h"
#include "components/tray_icon.h"
#include "messaging/socket_components.h"
#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/profile.h"
#include "shell/app_settings.h"
#include "shell/form1.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// This computer as the identity component sees it: a fixed name whose lookup gives one
// address, or fails as an unknown host does.
struct Identity {
    QByteArray hostName = "PC-07";
    bool lookupFails = false;
};
Identity identity;

class FixedStack final : public TIdStackWinsock {
public:
    QByteArray QueryHostName() override { return identity.hostName; }

protected:
    int GetHostByName(const QByteArray&, QList<quint32>& addresses) override {
        if (identity.lookupFails)
            return 11001;
        addresses.append(qToBigEndian(quint32{0x0A000007})); // 10.0.0.7
        return 0;
    }
};

bool accepts(quint16 port) {
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    return client.waitForConnected(2000);
}

const QColor kActive(Qt::green), kPaused(Qt::gray), kSending(Qt::yellow);

QByteArray tip(const QString& secondLine) {
    return "Chatterwick 2\r\n" + toCp1251(secondLine);
}
const QByteArray kPausedTip = tip(QStringLiteral("Сервер приостановлен"));
const QByteArray kRunningTip = tip(QStringLiteral("Ваш компьютер: PC-07 (10.0.0.7)"));
const QString kStart = QStringLiteral("Запустить сервер");
const QString kPause = QStringLiteral("Приостановить сервер");

// What the user sees of the server: its state, the tray's picture and tip, the item N15.
struct Look {
    bool active;
    QColor icon;
    QByteArray tip;
    QString caption;
    bool operator==(const Look&) const = default;
};

void PrintTo(const Look& l, std::ostream* os) {
    *os << (l.active ? "running" : "paused") << ", icon " << l.icon.name().toStdString()
        << ", tip \"" << fromCp1251(l.tip).toStdString() << "\", N15 \"" << l.caption.toStdString()
        << "\"";
}

// The main window started paused on a free port, with its tray on a fake notification area
// and icon files of distinct colours.
class ServerControl : public ::testing::Test {
protected:
    ServerControl() {
        AppSettings = {};
        identity = {};
        writeIcon("Active.ico", kActive);
        writeIcon("deActive.ico", kPaused);
        writeIcon("Sending.ico", kSending);
        port = freePort();
        writeFile(env.systemPath(kConfigFile),
                  "[Chatterwick 2]\r\nDontActivateServer=1\r\nDefPort=" + QByteArray::number(port) +
                      "\r\n");
        setSocketStackFactory([] { return std::make_unique<FixedStack>(); });
        previousArea = setTrayAreaFactory([this] {
            auto fake = std::make_unique<FakeTrayArea>();
            area = fake.get();
            return fake;
        });
        form = std::make_unique<TForm1>();
    }
    ~ServerControl() override {
        form.reset();
        setTrayAreaFactory(previousArea);
        setSocketStackFactory(nullptr);
    }

    void writeIcon(const char* name, QColor colour) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(env.path(QLatin1String(name)), "ICO"));
    }

    Look look() const {
        return {form->ss->Active(), form->tri->Icon().image().pixmap(16).toImage().pixelColor(4, 4),
                form->tri->Tip(), form->N15->text()};
    }
    void chooseN15() { form->N15->trigger(); }

    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
    quint16 port = 0;
    TrayAreaFactory previousArea;
    FakeTrayArea* area = nullptr;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(ServerControl, ComponentsAreInPlaceBeforeFormCreate) {
    ASSERT_NE(area, nullptr);
    ASSERT_FALSE(area->calls.empty());
    // The icon goes up with its built-in picture and tip before FormCreate changes either.
    EXPECT_EQ(area->calls[0].operation, TrayOperation::Add);
    EXPECT_EQ(area->calls[0].data.tip, QByteArray("Chatterwick 2"));
    EXPECT_FALSE(area->calls[0].data.icon.isNull());
    EXPECT_TRUE(form->tri->IconVisible());
    EXPECT_EQ(form->tri->PForm(), form.get());
    EXPECT_EQ(form->tri->PopupMenu(), form->mainmenu);
    EXPECT_TRUE(form->tri->OnClick);
    EXPECT_EQ(area->menu, form->mainmenu);
    EXPECT_EQ(form->IPWatch->HistoryFilename(), QStringLiteral("iphist.dat"));
    EXPECT_EQ(form->ss->Port(), port);
    EXPECT_EQ(form->cs->Port(), port);
    EXPECT_EQ(look(), (Look{false, kPaused, kPausedTip, kStart}));
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(ServerControl, StartAndPauseKeepServerTrayAndMenuInStep) {
    guarded(StartServer);
    EXPECT_TRUE(testBoxes().all().empty()) << testBoxes().errors().join(u'|').toStdString();
    EXPECT_EQ(look(), (Look{true, kActive, kRunningTip, kPause}));
    EXPECT_TRUE(accepts(port));
    // The new picture and tip reached the notification area at once.
    EXPECT_EQ(area->calls.back().data.tip, kRunningTip);

    guarded(PauseServer);
    EXPECT_EQ(look(), (Look{false, kPaused, kPausedTip, kStart}));
    EXPECT_FALSE(accepts(port));
    EXPECT_TRUE(testBoxes().all().empty());
}

TEST_F(ServerControl, LongHostNameLosesTheAddressFirst) {
    identity.hostName = "ACCOUNTS-WORKSTATION-0042"; // 25 characters
    guarded(StartServer);
    const QByteArray full =
        tip(QStringLiteral("Ваш компьютер: ACCOUNTS-WORKSTATION-0042 (10.0.0.7)"));
    EXPECT_EQ(form->tri->Tip(), full);
    EXPECT_EQ(form->tri->IconData().tip, full.left(63));
    EXPECT_TRUE(form->tri->IconData().tip.endsWith("0042 (10.0.0"));
}

TEST_F(ServerControl, N15StartsAtOnceAndPausesOnlyOnYes) {
    chooseN15();
    EXPECT_TRUE(testBoxes().all().empty()) << "starting asks nothing";
    EXPECT_EQ(look(), (Look{true, kActive, kRunningTip, kPause}));

    testBoxes().answer(Answer::No);
    chooseN15();
    ASSERT_EQ(testBoxes().all().size(), 1u);
    const auto& question = testBoxes().all()[0];
    EXPECT_EQ(question.kind, ScriptedBoxes::Box::Kind::Question);
    EXPECT_EQ(question.owner, form.get());
    EXPECT_EQ(question.caption, QStringLiteral("Chatterwick 2"));
    EXPECT_EQ(question.text,
              QStringLiteral("Если приостановить сервер Chatterwick, то посланные вам сообщения "
                             "приниматься не будут, кроме тех, которые посланы через службу "
                             "сообщений Windows. Уверены?"));
    EXPECT_EQ(look(), (Look{true, kActive, kRunningTip, kPause})) << "No changes nothing";
    EXPECT_TRUE(accepts(port));

    testBoxes().answer(Answer::Yes);
    chooseN15();
    EXPECT_EQ(look(), (Look{false, kPaused, kPausedTip, kStart}));
    EXPECT_TRUE(testBoxes().errors().isEmpty());
}

TEST_F(ServerControl, PortInUseShowsTheBindErrorEachTimeAndKeepsThePausedLook) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any, port));
    chooseN15();
    chooseN15();
    const QStringList errors = testBoxes().errors();
    ASSERT_EQ(errors.size(), 2);
    for (const QString& e : errors) {
        EXPECT_TRUE(e.startsWith(QStringLiteral("Windows socket error: "))) << e.toStdString();
        EXPECT_TRUE(e.endsWith(QStringLiteral(" (10048), on API 'bind'"))) << e.toStdString();
    }
    EXPECT_EQ(look(), (Look{false, kPaused, kPausedTip, kStart}));
    EXPECT_TRUE(testBoxes().questions().isEmpty());

    // Once the port is free again the same item starts the server.
    other.close();
    chooseN15();
    EXPECT_EQ(look(), (Look{true, kActive, kRunningTip, kPause}));
}

TEST_F(ServerControl, AddressLookupFailingAfterListeningLeavesTipAndCaption) {
    identity.lookupFails = true;
    chooseN15();
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Socket Error # 11001\r\n")});
    EXPECT_EQ(look(), (Look{true, kActive, kPausedTip, kStart}));
    EXPECT_TRUE(accepts(port));

    // The choice follows the server, not the caption: it now asks to pause.
    testBoxes().clear();
    testBoxes().answer(Answer::Yes);
    chooseN15();
    EXPECT_EQ(testBoxes().questions().size(), 1);
    EXPECT_EQ(look(), (Look{false, kPaused, kPausedTip, kStart}));
}

TEST_F(ServerControl, MissingIconFileStopsTheRoutineWhereItIs) {
    QFile::remove(env.path(QStringLiteral("Active.ico")));
    chooseN15();
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot open file Active.ico.")});
    EXPECT_EQ(look(), (Look{true, kPaused, kPausedTip, kStart})) << "already listening";
    EXPECT_TRUE(accepts(port));

    writeIcon("Active.ico", kActive);
    testBoxes().clear();
    guarded(StartServer);
    ASSERT_TRUE(testBoxes().all().empty());

    QFile::remove(env.path(QStringLiteral("deActive.ico")));
    guarded(PauseServer);
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot open file deActive.ico.")});
    EXPECT_EQ(look(), (Look{false, kActive, kRunningTip, kPause})) << "already stopped";
    EXPECT_FALSE(accepts(port));
}
