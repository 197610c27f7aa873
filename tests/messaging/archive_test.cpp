#include "messaging/archive_disk_full.h"
#include "messaging/archive_file.h"
#include "messaging/archive_text.h"
#include "platform/exceptions.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <string_view>

using namespace std::string_view_literals;

namespace {
QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

TEST(ArchiveText, EntryFormat) {
    const struct {
        QByteArray sender, text, entry;
    } cases[] = {
        {"PC-07", "\xcf\xf0\xe8\xe2\xe5\xf2",
         ">> 14:05:09 PC-07\r\n          \xcf\xf0\xe8\xe2\xe5\xf2\r\n\r\n"},
        {"", "hi", ">> 14:05:09 \r\n          hi\r\n\r\n"}, // no reverse name
        {"PC-07", "one\r\ntwo", ">> 14:05:09 PC-07\r\n          one\r\ntwo\r\n\r\n"},
        {"PC-07", "", ">> 14:05:09 PC-07\r\n          \r\n\r\n"},
        {"PC-07", bytes("a\0b"sv), bytes(">> 14:05:09 PC-07\r\n          a\0b\r\n\r\n"sv)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archiveEntry("14:05:09", c.sender, c.text), c.entry) << c.text.constData();
}

TEST(ArchiveText, AppendRule) {
    const QByteArray e = archiveEntry("14:05:09", "PC-07", "hi");
    const QByteArray nul = archiveEntry("14:05:09", "PC-07", bytes("ab\0cd"sv));
    const struct {
        QByteArray archive, entry, added;
    } cases[] = {
        {"", e, e + "\r\n"},
        {e + "\r\n", e, e + "\r\n"},                          // two empty lines between entries
        {"old line", e, "\r\n" + e},                          // loaded file without a final break
        {"", nul, ">> 14:05:09 PC-07\r\n          ab"},       // cut at the NUL, breaks included
        {">> 14:05:09 PC-07\r\n          ab", e, "\r\n" + e}, // the next one on a new line
    };
    for (const auto& c : cases)
        EXPECT_EQ(appendedBytes(c.archive, c.entry), c.added) << c.archive.constData();
}

TEST(ArchiveText, LineBreaksAndView) {
    EXPECT_EQ(normaliseLineBreaks("a\nb\rc\r\nd\n\re"), QByteArray("a\r\nb\r\nc\r\nd\r\n\r\ne"));
    EXPECT_EQ(viewText("a\r\nb\rc\nd\xcf"), QStringLiteral("a\nb\nc\ndП"));
}

TEST(ArchiveText, LongLinesAreViewedInPieces) {
    const auto q = [](const char16_t* t) { return QString::fromUtf16(t); };
    const qsizetype k = kViewLineLimit;
    const QString a(k, u'a');
    const QString w = QString(k - 10, u'w') + q(u" tail "); // a piece ends after its last space
    const struct {
        QByteArray text;
        QString view;
    } cases[] = {
        {"a\r\nb\r\n", q(u"a\nb\n")},
        {a.toLatin1(), a}, // at the limit: one line
        {(a + a + q(u"ab")).toLatin1(), a + u'\n' + a + u'\n' + q(u"ab")},
        {(w + q(u"end") + w + q(u"end")).toLatin1() + "\r\n",
         w + u'\n' + q(u"end") + w + q(u"\nend\n")},
        {"          " + a.toLatin1(), q(u"          ") + a.first(k - 10) + u'\n' + a.last(10)},
        {"\xcf\r\n" + (a + a).toLatin1() + "\r\n\r\n", q(u"П\n") + a + u'\n' + a + q(u"\n\n")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readingViewText(c.text), c.view) << c.text.left(20).constData();
}

class ArchiveFileTest : public ::testing::Test {
protected:
    InTempDir dir;
    QString file() const { return dir.path(QStringLiteral("archive.ini")); }
};

TEST_F(ArchiveFileTest, LoadCases) {
    const struct {
        const char* what;
        QByteArray file, text;
    } cases[] = {
        {"crlf kept", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"lf only", "a\nb\n", "a\r\nb\r\n"},
        {"lone cr", "a\rb", "a\r\nb"},
        {"no final break", "a\r\nb", "a\r\nb"},
        {"nul cuts", bytes("a\r\nb\0c\r\n"sv), "a\r\nb"},
    };
    for (const auto& c : cases) {
        writeFile(file(), c.file);
        ArchiveFile archive;
        EXPECT_EQ(archive.load(), c.text) << c.what;
        EXPECT_FALSE(archive.isProtected());
    }
    QFile::remove(file());
    ArchiveFile missing;
    EXPECT_EQ(missing.load(), QByteArray());
}

TEST_F(ArchiveFileTest, AppendKeepsFileEqualToText) {
    ArchiveFile archive;
    QByteArray text = archive.load(); // no file yet
    const auto add = [&](const QByteArray& entry) {
        const QByteArray added = appendedBytes(text, entry);
        text += added;
        archive.append(text, added);
        EXPECT_EQ(readFile(file()), text);
    };
    add(archiveEntry("14:05:09", "PC-07", "one"));
    add(archiveEntry("14:05:10", "PC-08", bytes("t\0wo"sv)));
    add(archiveEntry("14:05:11", "", "three"));

    archive.replace({});
    EXPECT_TRUE(QFile::exists(file()));
    EXPECT_EQ(readFile(file()), QByteArray());
    text.clear();
    add(archiveEntry("14:05:12", "PC-07", "after clearing"));
}

TEST_F(ArchiveFileTest, NormalisedFileIsReplacedBeforeTheFirstAppend) {
    writeFile(file(), "old\nline");
    ArchiveFile archive;
    QByteArray text = archive.load();
    EXPECT_EQ(readFile(file()), QByteArray("old\nline")); // loading writes nothing
    const QByteArray added = appendedBytes(text, archiveEntry("14:05:09", "PC-07", "hi"));
    text += added;
    archive.append(text, added);
    EXPECT_EQ(readFile(file()), text);
    EXPECT_TRUE(text.startsWith("old\r\nline\r\n>> "));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.dir()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(ArchiveFileTest, UnreadableFileIsNeverReplaced) {
    ASSERT_TRUE(QDir(dir.dir()).mkdir(QStringLiteral("archive.ini")));
    ArchiveFile archive;
    try {
        archive.load();
        ADD_FAILURE() << "load did not fail";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file archive.ini"));
    }
    EXPECT_TRUE(archive.isProtected());
    EXPECT_THROW(archive.append("x\r\n", "x\r\n"), EFCreateError); // not kept: say so
    archive.replace("x\r\n");
    EXPECT_TRUE(QFileInfo(file()).isDir());
}

TEST_F(ArchiveFileTest, TooLargeFileIsOnlyAppendedTo) {
    {
        QFile big(file());
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kArchiveCapacity + 1)); // sparse: costs no disk
    }
    ArchiveFile archive;
    EXPECT_THROW(archive.load(), EMemoCapacityError);
    const QByteArray entry = archiveEntry("14:05:09", "PC-07", "kept") + "\r\n";
    archive.append(entry, entry);
    archive.replace(entry); // clearing or the exit save would lose the old content
    QFile after(file());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.size(), kArchiveCapacity + 1 + entry.size());
    ASSERT_TRUE(after.seek(kArchiveCapacity + 1));
    EXPECT_EQ(after.readAll(), entry);
}

TEST_F(ArchiveFileTest, FailedWriteIsReportedAndHealedByTheNextOne) {
    ArchiveFile archive;
    QByteArray text = archive.load();
    text = "first\r\n";
    archive.replace(text);
    text += "second\r\n";
    {
        const FileSizeLimit full(text.size() - 1); // the disk is "full": even root fails
        EXPECT_THROW(archive.append(text, "second\r\n"), EFCreateError);
        EXPECT_THROW(archive.replace(text), EFCreateError);
    }
    EXPECT_TRUE(readFile(file()).startsWith("first\r\n"));
    text += "third\r\n";
    archive.append(text, "third\r\n");
    EXPECT_EQ(readFile(file()), text); // whole text, the failed entry included
}
