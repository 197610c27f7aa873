#include "components/popup_menu.h"
#include "components/tray_area_qt.h"
#include "components/tray_fake_area.h"
#include "components/tray_icon.h"
#include "platform/cp1251.h"
#include "platform/exceptions.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>

namespace {

QIcon solidIcon(QColor colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return QIcon(QPixmap::fromImage(image));
}

// A tray icon on a fake area, configured as the program configures its own, with a window to
// own it and a menu whose first item is the default one.
struct TrayFixture : ::testing::Test {
    InTempDir temp;
    QWidget form;
    FakeTrayArea* area = nullptr;
    std::unique_ptr<TTrayIcon> tri;
    TPopupMenu* menu = new TPopupMenu(&form);
    QAction* first = menu->addAction(QStringLiteral("Отправить сообщение.."));
    QAction* last = menu->addAction(QStringLiteral("Выход"));
    int firstRuns = 0;
    int menuShows = 0;
    QPoint menuShownAt;
    struct ClickSeen {
        QObject* sender;
        Qt::MouseButton button;
        Qt::KeyboardModifiers shift;
        int x, y;
    };
    std::vector<ClickSeen> clicks;
    int dblClicks = 0;

    void SetUp() override {
        auto fake = std::make_unique<FakeTrayArea>();
        area = fake.get();
        tri = std::make_unique<TTrayIcon>(&form, std::move(fake));
        menu->setDefaultItem(first);
        QObject::connect(first, &QAction::triggered, [this] { ++firstRuns; });
        // A popped-up menu runs its own loop; close it as soon as it is up.
        QObject::connect(menu, &QMenu::aboutToShow, [this] {
            ++menuShows;
            QTimer::singleShot(0, menu, [this] {
                menuShownAt = menu->pos();
                menu->close();
            });
        });
        tri->OnClick = [this](QObject* s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x,
                              int y) {
            clicks.push_back({s, b, m, x, y});
        };
        tri->OnDblClick = [this](QObject*) { ++dblClicks; };
        tri->setTip("Chatterwick 2");
        tri->setIcon(solidIcon(Qt::blue));
        tri->setPopupMenu(menu);
        tri->setIconVisible(true);
        tri->setFormVisible(true);
        tri->setAppVisible(false);
        tri->AfterLoad();
        area->calls.clear();
    }
};

} // namespace

TEST_F(TrayFixture, ConfiguredIconIsAddedWithTipAndAllFlags) {
    auto fresh = std::make_unique<FakeTrayArea>();
    FakeTrayArea& a = *fresh;
    QWidget owner;
    TTrayIcon t(&owner, std::move(fresh));
    EXPECT_TRUE(a.calls.empty()) << "nothing reaches the area before the icon is visible";
    t.setTip("Chatterwick 2");
    t.setIcon(solidIcon(Qt::red));
    t.setIconVisible(true);
    ASSERT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(a.calls[0].operation, TrayOperation::Add);
    EXPECT_EQ(a.calls[0].data.flags, TrayFlags::Message | TrayFlags::Icon | TrayFlags::Tip);
    EXPECT_EQ(a.calls[0].data.tip, QByteArray("Chatterwick 2"));
    EXPECT_FALSE(a.calls[0].data.icon.isNull());
    EXPECT_EQ(t.PForm(), &owner);
}

TEST_F(TrayFixture, TipRules) {
    const QByteArray running = toCp1251(QStringLiteral("Chatterwick 2\r\nВаш компьютер: "));
    const struct {
        QByteArray tip;
        QByteArray shown;
    } cases[] = {
        {"Chatterwick 2", "Chatterwick 2"},
        {QByteArray(63, 'x'), QByteArray(63, 'x')},
        {QByteArray(64, 'x') + "yz", QByteArray(63, 'x')},
        {"left|right", "left"},
        {"|all hidden", ""},
        {"a|b|c", "a"},
        {"", ""},
        // 33 fixed characters with a 15-character name and address just fit...
        {running + "ABCDEFGHIJKLMNO (192.168.100.200)",
         running + "ABCDEFGHIJKLMNO (192.168.100.200)"},
        // ...and a longer name loses the end of the address first.
        {running + "ABCDEFGHIJKLMNOPQRS (192.168.100.200)",
         running + "ABCDEFGHIJKLMNOPQRS (192.168.100."},
    };
    for (const auto& c : cases) {
        area->calls.clear();
        tri->setTip(c.tip);
        EXPECT_EQ(tri->Tip(), c.tip) << "the full text is kept";
        ASSERT_EQ(area->calls.size(), 1u) << c.tip.constData();
        EXPECT_EQ(area->calls[0].operation, TrayOperation::Modify);
        EXPECT_EQ(area->calls[0].data.tip, c.shown) << c.tip.constData();
    }
    EXPECT_EQ(running.size(), 30);
    EXPECT_TRUE(area->calls[0].data.tip.contains("\r\n"));

    tri->setIconVisible(false);
    area->calls.clear();
    tri->setTip("hidden");
    EXPECT_TRUE(area->calls.empty()) << "a hidden icon is not modified";
    EXPECT_EQ(tri->IconData().tip, QByteArray("hidden"));
}

TEST_F(TrayFixture, ClickMapping) {
    enum class Menu { Popping, NoAutoPopup, None };
    enum class Host { Silent, ShowsMenu };
    const struct {
        const char* name;
        Menu menuState;
        TrayActivation activation;
        Host host;
        int menuShows;
        std::optional<Qt::MouseButton> click;
    } cases[] = {
        {"left raises OnClick", Menu::Popping, TrayActivation::LeftRelease, Host::Silent, 0,
         Qt::LeftButton},
        {"right pops the menu", Menu::Popping, TrayActivation::RightRelease, Host::Silent, 1,
         std::nullopt},
        {"right with the host's menu up", Menu::Popping, TrayActivation::RightRelease,
         Host::ShowsMenu, 0, std::nullopt},
        {"right without AutoPopup", Menu::NoAutoPopup, TrayActivation::RightRelease, Host::Silent,
         0, Qt::RightButton},
        {"right without a menu", Menu::None, TrayActivation::RightRelease, Host::Silent, 0,
         Qt::RightButton},
        {"left without a menu", Menu::None, TrayActivation::LeftRelease, Host::Silent, 0,
         Qt::LeftButton},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clicks.clear();
        menuShows = 0;
        menu->setAutoPopup(c.menuState != Menu::NoAutoPopup);
        tri->setPopupMenu(c.menuState == Menu::None ? nullptr : menu);
        area->click(c.activation, c.host == Host::ShowsMenu);
        EXPECT_EQ(menuShows, c.menuShows);
        if (c.click) {
            ASSERT_EQ(clicks.size(), 1u);
            EXPECT_EQ(clicks[0].sender, tri.get());
            EXPECT_EQ(clicks[0].button, *c.click);
            EXPECT_EQ(clicks[0].shift, Qt::NoModifier);
            EXPECT_EQ(QPoint(clicks[0].x, clicks[0].y), area->cursor);
        } else {
            EXPECT_TRUE(clicks.empty());
        }
        EXPECT_EQ(firstRuns, 0);
        EXPECT_EQ(dblClicks, 0);
    }
}

TEST_F(TrayFixture, MenuPopsUpAtThePointerAndKnowsWhoShowedIt) {
    area->click(TrayActivation::RightRelease);
    EXPECT_EQ(menuShows, 1);
    EXPECT_EQ(menuShownAt, area->cursor);
    EXPECT_EQ(menu->PopupComponent(), tri.get());
}

TEST_F(TrayFixture, HostSeesTheMenuOnlyWhenItWouldPopUp) {
    EXPECT_EQ(area->menu, menu);
    menu->setAutoPopup(false);
    EXPECT_EQ(area->menu, nullptr);
    menu->setAutoPopup(true);
    EXPECT_EQ(area->menu, menu);
    tri->setPopupMenu(nullptr);
    EXPECT_EQ(area->menu, nullptr);
}

TEST_F(TrayFixture, DoubleClickRunsTheDefaultItemElseOnDblClick) {
    area->click(TrayActivation::DoubleClick);
    EXPECT_EQ(firstRuns, 1);
    EXPECT_EQ(dblClicks, 0);
    EXPECT_TRUE(clicks.empty());

    // An item of a submenu never counts as the default.
    QMenu* sub = menu->addMenu(QStringLiteral("Chatterwick в интернете"));
    QAction* inner = sub->addAction(QStringLiteral("Сайт"));
    menu->setDefaultItem(nullptr);
    sub->setDefaultAction(inner);
    area->click(TrayActivation::DoubleClick);
    EXPECT_EQ(firstRuns, 1);
    EXPECT_EQ(dblClicks, 1);

    menu->setDefaultItem(last);
    EXPECT_TRUE(last->font().bold());
    EXPECT_FALSE(first->font().bold());
    EXPECT_EQ(menu->DefaultItem(), last);

    tri->setPopupMenu(nullptr);
    area->click(TrayActivation::DoubleClick);
    EXPECT_EQ(dblClicks, 2);
}

TEST_F(TrayFixture, MenuDestroyedFirstLeavesNoMenu) {
    delete menu;
    EXPECT_EQ(tri->PopupMenu(), nullptr);
    EXPECT_EQ(area->menu, nullptr);
    area->click(TrayActivation::RightRelease);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].button, Qt::RightButton);
    area->click(TrayActivation::DoubleClick);
    EXPECT_EQ(dblClicks, 1);
}

TEST_F(TrayFixture, NoMouseMessagesWithoutNifMessage) {
    tri->setNIF_MESSAGE(false);
    area->click(TrayActivation::LeftRelease);
    area->click(TrayActivation::DoubleClick);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(firstRuns, 0);
}

TEST_F(TrayFixture, ErrorInAHandlerGoesToTheErrorBoxAndTheIconStaysUsable) {
    tri->OnClick = [](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        throw EFOpenError(QStringLiteral("Sending.ico"));
    };
    area->click(TrayActivation::LeftRelease);
    area->click(TrayActivation::LeftRelease);
    EXPECT_EQ(testBoxes().errors(), QStringList({QStringLiteral("Cannot open file Sending.ico."),
                                                 QStringLiteral("Cannot open file Sending.ico.")}));
    area->click(TrayActivation::DoubleClick);
    EXPECT_EQ(firstRuns, 1);
}

TEST_F(TrayFixture, LoadingAnIconWhileVisibleModifiesAtOnce) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(temp.path(QStringLiteral("Active.ico")), "ICO"));
    tri->Icon().LoadFromFile(QStringLiteral("Active.ico"));
    ASSERT_EQ(area->calls.size(), 1u);
    EXPECT_EQ(area->calls[0].operation, TrayOperation::Modify);
    EXPECT_EQ(area->calls[0].data.icon.pixmap(32).toImage().pixelColor(5, 5), QColor(Qt::green));

    // A missing file keeps the picture and says which file.
    const QIcon before = tri->Icon().image();
    try {
        tri->Icon().LoadFromFile(QStringLiteral("Sending.ico"));
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file Sending.ico"));
    }
    EXPECT_EQ(area->calls.size(), 1u);
    EXPECT_EQ(tri->Icon().image().cacheKey(), before.cacheKey());
}

TEST_F(TrayFixture, FlagChangesAndRepeatedAddsReachTheArea) {
    tri->setNIF_TIP(false);
    ASSERT_EQ(area->calls.size(), 2u);
    EXPECT_EQ(area->calls[0].operation, TrayOperation::Delete);
    EXPECT_EQ(area->calls[1].operation, TrayOperation::Add);
    EXPECT_EQ(area->calls[1].data.flags, TrayFlags::Message | TrayFlags::Icon);
    area->calls.clear();
    tri->setIconVisible(true);
    ASSERT_EQ(area->calls.size(), 1u);
    EXPECT_EQ(area->calls[0].operation, TrayOperation::Add);
}

TEST_F(TrayFixture, FormVisibleShowsAndHidesTheOwnerOnly) {
    EXPECT_TRUE(form.isVisible());
    tri->setFormVisible(false);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(area->calls.empty()) << "the icon is untouched";
    EXPECT_FALSE(tri->AppVisible());

    // The owner is the nearest window up the chain, not a widget inside it.
    auto* inner = new QWidget(&form);
    auto* holder = new QObject(inner);
    TTrayIcon nested(holder, std::make_unique<FakeTrayArea>());
    EXPECT_EQ(nested.PForm(), &form);
    TTrayIcon orphan(nullptr, std::make_unique<FakeTrayArea>());
    orphan.setFormVisible(true);
    EXPECT_EQ(orphan.PForm(), nullptr);
    EXPECT_TRUE(orphan.FormVisible());
}

TEST(TrayIconLifetime, DestructionRemovesAVisibleIconOnly) {
    for (const bool visible : {true, false}) {
        std::vector<FakeTrayArea::Call> log;
        auto fake = std::make_unique<FakeTrayArea>();
        fake->log = &log;
        auto t = std::make_unique<TTrayIcon>(nullptr, std::move(fake));
        t->setIconVisible(visible);
        log.clear();
        t.reset();
        if (visible) {
            ASSERT_EQ(log.size(), 1u);
            EXPECT_EQ(log[0].operation, TrayOperation::Delete);
        } else {
            EXPECT_TRUE(log.empty());
        }
    }
}

TEST_F(TrayFixture, NoAreaNoticeComesOnceAfterTheSplashHasGone) {
    area->setHost(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testBoxes().all().empty()) << "not while the splash is up";

    tri->setFormVisible(false);
    EXPECT_TRUE(testBoxes().all().empty()) << "not inside the setter";
    ASSERT_TRUE(waitUntil([] { return !testBoxes().all().empty(); }, 2000));
    EXPECT_EQ(testBoxes().informations(), QStringList{TTrayIcon::noAreaNotice()});
    EXPECT_EQ(TTrayIcon::noAreaNotice(),
              QStringLiteral("Не удалось показать значок в области уведомлений. Сообщения "
                             "по-прежнему принимаются."));

    area->setHost(true);
    area->setHost(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(testBoxes().all().size(), 1u) << "once per run";
}

TEST_F(TrayFixture, NoNoticeWhileAHostShowsTheIconOrWithoutADesktop) {
    tri->setFormVisible(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testBoxes().all().empty());

    // A host that comes back before the notice is due.
    area->setHost(false);
    area->setHost(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testBoxes().all().empty());

    area->desktop = false;
    area->setHost(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testBoxes().all().empty());
}

TEST(QtTrayArea, WithoutADesktopShowsNothingAndDoesNotWait) {
    QtTrayArea a;
    ASSERT_FALSE(a.onDesktop()) << "tests run on the offscreen platform";
    TrayIconData data{TrayFlags::Message | TrayFlags::Icon | TrayFlags::Tip, solidIcon(Qt::red),
                      "Chatterwick 2\r\n"};
    QElapsedTimer clock;
    clock.start();
    a.notify(TrayOperation::Add, data);
    EXPECT_LT(clock.elapsed(), QtTrayArea::kStartupWaitMs / 2);
    EXPECT_FALSE(a.isShown());
    a.notify(TrayOperation::Modify, data);
    a.notify(TrayOperation::Delete, data);
    EXPECT_FALSE(a.isShown());
}
