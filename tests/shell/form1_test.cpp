#include "shell/form1.h"

#include "messaging/socket_components.h"
#include "platform/guard.h"
#include "platform/profile.h"
#include "platform/services.h"
#include "platform/shell_open.h"
#include "shell/app_settings.h"
#include "skin/image.h"
#include "skin/skin_manager.h"
#include "support/doubles.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Settings that keep the server from listening during these tests.
const QByteArray kPausedConfig = "[Chatterwick 2]\r\nDontActivateServer=1\r\n";

class RecordingShell final : public IShellOpen {
public:
    void open(const QString& document) override { opened << document; }
    QStringList opened;
};

class Splash : public ::testing::Test {
protected:
    Splash() {
        AppSettings = {};
        for (const char* icon : {"Active.ico", "deActive.ico", "Sending.ico"})
            QFile::copy(QStringLiteral(CW_SOURCE_DIR "/assets/") + QLatin1String(icon),
                        env.path(QLatin1String(icon)));
    }
    ~Splash() override { form.reset(); }

    void setConfig(const QByteArray& bytes) { writeFile(env.systemPath(kConfigFile), bytes); }
    QByteArray config() const { return readFile(env.systemPath(kConfigFile)); }
    QByteArray stored(const char* key) const {
        return readProfileString(kConfigSection, key, "(none)", 2048, kConfigFile);
    }
    void start() { form = std::make_unique<TForm1>(); }

    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(Splash, PictureWithSeeThroughCornersAndTitles) {
    setConfig(kPausedConfig);
    start();
    EXPECT_EQ(Form1, form.get());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->size(), QSize(298, 102));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->windowType(), Qt::SplashScreen);
    EXPECT_EQ(form->img->Picture().size(), QSize(298, 102));

    const QRegion mask = form->mask();
    for (const QPoint corner : {QPoint(0, 0), QPoint(297, 0), QPoint(0, 101), QPoint(297, 101)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_TRUE(mask.contains(QPoint(149, 51)));

    EXPECT_EQ(form->Label3->text(), QStringLiteral("beta_1"));
    EXPECT_EQ(form->Label1->text(), QStringLiteral("Chatterwick 2"));
    EXPECT_EQ(form->Label2->text(), QStringLiteral("Chatterwick 2"));
    EXPECT_EQ(form->Label2->pos(), form->Label1->pos() - QPoint(1, 1));
    EXPECT_TRUE(form->sWebLabel1->text().contains(QStringLiteral("2004")));
    EXPECT_TRUE(testBoxes().errors().isEmpty()) << testBoxes().errors().join(u'|').toStdString();
}

TEST_F(Splash, TranslucentOnlyWhenAlphaSplashIsOn) {
    const struct {
        const char* value; // nullptr: key absent
        double opacity;
    } cases[] = {{nullptr, 215.0 / 255.0}, {"1", 215.0 / 255.0}, {"0", 1.0}};
    for (const auto& c : cases) {
        QByteArray file = kPausedConfig;
        if (c.value)
            file += QByteArray("AlphaSPLASH=") + c.value + "\r\n";
        setConfig(file);
        start();
        EXPECT_NEAR(form->windowOpacity(), c.opacity, 0.002) << (c.value ? c.value : "absent");
        form.reset();
    }
}

TEST_F(Splash, SettingsAreReadAtStartAndWrittenBackAtExit) {
    setConfig("; kept\r\n[Other]\r\nDefPort=1\r\n\r\n"
              "[chatterwick 2]\r\nalphasplash=word\r\nSounds=0\r\nDontActivateServer=2\r\n"
              "DefPort=0x1BB\r\nSkinName=Mine\r\n");
    start();
    EXPECT_TRUE(form->settingsRead());
    EXPECT_TRUE(AppSettings.AlphaSPLASH);
    EXPECT_FALSE(AppSettings.Sounds);
    EXPECT_TRUE(AppSettings.DontActivateServer);
    EXPECT_FALSE(AppSettings.AlwaysNetSend);
    EXPECT_EQ(AppSettings.DefPort, 443);
    EXPECT_EQ(form->sSkinManager1->SkinName(), "Mine");
    ASSERT_TRUE(form->ss && form->cs);
    EXPECT_EQ(form->ss->Port(), 443);
    EXPECT_EQ(form->cs->Port(), 443);

    AppSettings.AlwaysNetSend = true; // as the settings window would
    form->FormDestroy();
    EXPECT_EQ(config(), QByteArray("; kept\r\n[Other]\r\nDefPort=1\r\n\r\n"
                                   "[chatterwick 2]\r\nAlphaSPLASH=1\r\nSounds=0\r\n"
                                   "DontActivateServer=1\r\nDefPort=443\r\nSkinName=Mine\r\n"
                                   "AlwaysNetSend=1\r\n"));
}

TEST_F(Splash, WithoutItsIconFileStartUpLeavesTheStoredSettingsAlone) {
    QFile::remove(env.path(QStringLiteral("deActive.ico")));
    const QByteArray before = "[Chatterwick 2]\r\nAlphaSPLASH=0\r\nDontActivateServer=1\r\n"
                              "DefPort=5000\r\nSkinName=Mine\r\n";
    setConfig(before);
    start();
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Cannot open file deActive.ico.")});
    EXPECT_FALSE(form->settingsRead());
    EXPECT_EQ(AppSettings.DefPort, 0);
    form->FormDestroy();
    EXPECT_EQ(config(), before);
}

TEST_F(Splash, RefusedSaveEndsAtTheFailingKeyWithOneBox) {
    setConfig(kPausedConfig);
    start();
    writeFile(env.path(QStringLiteral("plain")), "x");
    setSystemDirectory(env.path(QStringLiteral("plain/system")));
    testBoxes().clear();
    guarded([&] { form->FormDestroy(); });
    EXPECT_EQ(testBoxes().errors(), QStringList{QStringLiteral("Unable to write to config.ini.")});
}

TEST_F(Splash, GoesAfterTwoSecondsForGood) {
    setConfig(kPausedConfig);
    start();
    EXPECT_EQ(form->tm1->interval(), 2000);
    EXPECT_TRUE(form->tm1->isActive());
    EXPECT_TRUE(waitUntil([&] { return !form->isVisible(); }, 6000));
    EXPECT_FALSE(form->tm1->isActive());
}

TEST_F(Splash, DoubleClickEndsTheMessageLoop) {
    setConfig(kPausedConfig);
    start();
    QTimer::singleShot(0, form.get(), [&] { QTest::mouseDClick(form->img, Qt::LeftButton); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Splash, CreditLineOpensTheMakersPage) {
    setConfig(kPausedConfig);
    auto shell = std::make_unique<RecordingShell>();
    RecordingShell* recorded = shell.get();
    std::unique_ptr<IShellOpen> previous = std::exchange(services().shell, std::move(shell));
    start();
    QTest::mouseClick(form->sWebLabel1, Qt::LeftButton);
    EXPECT_EQ(recorded->opened, QStringList{QStringLiteral("help.htm")});
    services().shell = std::move(previous);
}
