#include "platform/profile.h"

#include "support/test_env.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QString kFile = QStringLiteral("config.ini");

class Profile : public ::testing::Test {
protected:
    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
};

} // namespace

TEST_F(Profile, ReadsByTheFileConventions) {
    const struct {
        const char* file; // nullptr: no file at all
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {nullptr, "Chatterwick 2", "DefPort", "dflt"},
        {"[Other]\r\nDefPort=1\r\n", "Chatterwick 2", "DefPort", "dflt"},
        {"[Chatterwick 2]\r\nSounds=0\r\n", "Chatterwick 2", "DefPort", "dflt"},
        {"[Chatterwick 2]\r\nDefPort=0x1BB\r\n", "Chatterwick 2", "DefPort", "0x1BB"},
        {"[chatterwick 2]\r\ndefport=7\r\n", "Chatterwick 2", "DefPort", "7"},
        {"  [ Chatterwick 2 ]  \n\t DefPort \t=  8  \n", "Chatterwick 2", "DefPort", "8"},
        {"[Chatterwick 2]\r\nSkinName=  My skin  \r\n", "Chatterwick 2", "SkinName", "My skin"},
        {"[Chatterwick 2]\r\nLastAdr=\r\n", "Chatterwick 2", "LastAdr", ""},
        // A key of the same name in another section is not this section's.
        {"[A]\r\nK=a\r\n[B]\r\nX=1\r\n", "B", "K", "dflt"},
        {"[A]\r\nK=a\r\n[B]\r\nK=b", "B", "K", "b"},
        // Cyrillic names match without regard to case too.
        {"[\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8]\r\n\xca\xeb\xfe\xf7=1\r\n",
         "\xed\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8", "\xea\xeb\xfe\xf7", "1"},
    };
    for (const auto& c : cases) {
        QFile::remove(env.systemPath(kFile));
        if (c.file)
            writeFile(env.systemPath(kFile), c.file);
        EXPECT_EQ(readProfileString(c.section, c.key, "dflt", 2048, kFile), QByteArray(c.expected))
            << (c.file ? c.file : "(no file)");
    }
}

TEST_F(Profile, ReadComesBackThroughAFixedBuffer) {
    const QByteArray longValue(3000, 'x');
    writeFile(env.systemPath(kFile), "[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(readProfileString("S", "K", "", 2048, kFile), longValue.left(2047));
    EXPECT_EQ(readProfileString("S", "none", longValue, 2048, kFile), longValue.left(2047));
}

TEST_F(Profile, WriteKeepsEverythingElse) {
    const struct {
        const char* before; // nullptr: no file yet
        const char* value;
        const char* after;
    } cases[] = {
        {nullptr, "443", "[Chatterwick 2]\r\nDefPort=443\r\n"},
        // The key is replaced where it stands, whatever its case; comments, other sections
        // and odd lines stay byte for byte.
        {"; note\r\n[Other]\r\nDefPort=1\r\n\r\n[chatterwick 2]\r\n Sounds = 0\r\n"
         "  defport = 5\r\nodd line\r\n",
         "443",
         "; note\r\n[Other]\r\nDefPort=1\r\n\r\n[chatterwick 2]\r\n Sounds = 0\r\n"
         "DefPort=443\r\nodd line\r\n"},
        // A new key goes to the end of its section, above the blank line before the next.
        {"[Chatterwick 2]\r\nSounds=1\r\n\r\n[Other]\r\nA=1\r\n", "443",
         "[Chatterwick 2]\r\nSounds=1\r\nDefPort=443\r\n\r\n[Other]\r\nA=1\r\n"},
        {"[Other]\nA=1", "443", "[Other]\nA=1\r\n[Chatterwick 2]\r\nDefPort=443\r\n"},
        {"[Chatterwick 2]", "443", "[Chatterwick 2]\r\nDefPort=443\r\n"},
        // A line break cannot make lines of its own.
        {nullptr, "44\r\nX=1", "[Chatterwick 2]\r\nDefPort=44\r\n"},
    };
    for (const auto& c : cases) {
        QFile::remove(env.systemPath(kFile));
        if (c.before)
            writeFile(env.systemPath(kFile), c.before);
        writeProfileString("Chatterwick 2", "DefPort", c.value, kFile);
        EXPECT_EQ(readFile(env.systemPath(kFile)), QByteArray(c.after))
            << (c.before ? c.before : "(no file)");
    }
}

TEST_F(Profile, BareNameLivesInTheSystemDirectoryOnly) {
    writeProfileString("S", "K", "v", kFile);
    EXPECT_EQ(readProfileString("S", "K", "", 2048, kFile), "v");
    EXPECT_FALSE(QFile::exists(env.path(kFile)));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(env.systemDir()).entryList(QDir::Files | QDir::Hidden), QStringList{kFile});
}

TEST_F(Profile, RefusedWriteRaisesWithTheBareName) {
    // A directory that cannot be made (below a plain file) refuses writes, even to root.
    writeFile(env.path(QStringLiteral("plain")), "x");
    setSystemDirectory(env.path(QStringLiteral("plain/system")));
    try {
        writeProfileString("Chatterwick 2", "DefPort", "443", kFile);
        FAIL() << "the write was not refused";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to config.ini"));
    }
    EXPECT_EQ(readProfileString("Chatterwick 2", "DefPort", "243", 2048, kFile), "243");
}
