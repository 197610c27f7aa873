#include "shell/app_settings.h"

#include "platform/profile.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

class Settings : public ::testing::Test {
protected:
    Settings() { AppSettings = {}; }
    QByteArray configFile() const { return readFile(env.systemPath(kConfigFile)); }
    void setConfigFile(const QByteArray& bytes) { writeFile(env.systemPath(kConfigFile), bytes); }

    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
};

} // namespace

TEST(SettingInt, TextConversions) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"243", 243},
        {"0x1BB", 443},
        {"0X1bb", 443},
        {"-5", -5},
        {"+7", 7},
        {"70000", 70000},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0xFFFFFFFF", -1},
        // Not a valid integer: the default.
        {"0x", 99},
        {"0x1G", 99},
        {"0x100000000", 99},
        {"2147483648", 99},
        {"word", 99},
        {"12a", 99},
        {"-", 99},
        {"", 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingIntFromText(c.text, 99), c.expected) << c.text;
}

TEST_F(Settings, FirstRunGivesTheDefaults) {
    loadAppSettings();
    EXPECT_TRUE(AppSettings.AlphaSPLASH);
    EXPECT_TRUE(AppSettings.Sounds);
    EXPECT_FALSE(AppSettings.DontActivateServer);
    EXPECT_FALSE(AppSettings.AlwaysNetSend);
    EXPECT_EQ(AppSettings.DefPort, 243);
    EXPECT_EQ(readSkinName(), "Chatterwick 2");
    EXPECT_EQ(readLastAdr(), "LOCALHOST");
}

TEST_F(Settings, StoredValuesAreReadByTheirConventions) {
    setConfigFile("[CHATTERWICK 2]\r\n"
                  "alphasplash = word\r\n" // not a number: the default, on
                  "Sounds=0\r\n"
                  "DontActivateServer=2\r\n"
                  "AlwaysNetSend=0x10\r\n"
                  "DefPort=0x1BB\r\n"
                  "SkinName=Mine\r\n"
                  "LastAdr=pc-07\r\n");
    loadAppSettings();
    EXPECT_TRUE(AppSettings.AlphaSPLASH);
    EXPECT_FALSE(AppSettings.Sounds);
    EXPECT_TRUE(AppSettings.DontActivateServer);
    EXPECT_TRUE(AppSettings.AlwaysNetSend);
    EXPECT_EQ(AppSettings.DefPort, 443);
    EXPECT_EQ(readSkinName(), "Mine");
    EXPECT_EQ(readLastAdr(), "pc-07");
}

TEST_F(Settings, SaveWritesEveryKeyInOrder) {
    // The send window goes first at exit, then the main window.
    writeLastAdr("LOCALHOST");
    loadAppSettings();
    writeSkinName(readSkinName());
    saveAppSettings();
    EXPECT_EQ(configFile(), QByteArray("[Chatterwick 2]\r\n"
                                       "LastAdr=LOCALHOST\r\n"
                                       "SkinName=Chatterwick 2\r\n"
                                       "AlphaSPLASH=1\r\n"
                                       "Sounds=1\r\n"
                                       "DontActivateServer=0\r\n"
                                       "AlwaysNetSend=0\r\n"
                                       "DefPort=243\r\n"));

    // A port beyond 65535 is kept as typed; flags go back as "1"/"0".
    AppSettings = {false, true, true, false, 70000};
    saveAppSettings();
    loadAppSettings();
    EXPECT_EQ(AppSettings.DefPort, 70000);
    EXPECT_FALSE(AppSettings.AlphaSPLASH);
    EXPECT_TRUE(AppSettings.DontActivateServer);
    EXPECT_EQ(readSettingString("DontActivateServer", ""), "1");
}
