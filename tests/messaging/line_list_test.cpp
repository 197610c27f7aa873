#include "messaging/line_list.h"
#include "platform/exceptions.h"
#include "support/test_env.h"

#include <QFile>
#include <gtest/gtest.h>
#include <string_view>

using namespace std::string_view_literals;

namespace {
// Literal bytes, NULs included.
QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

TEST(LineList, ParseTable) {
    const struct {
        QByteArray file;
        LineList entries;
    } cases[] = {
        {"", {}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\nB\n", {"A", "B"}},
        {"A\rB\r", {"A", "B"}},
        {"A\r\nB", {"A", "B"}},                      // last line without a break
        {"A\r\n\r\nB\r\n", {"A", "", "B"}},          // empty line, empty entry
        {"\r\n", {""}},                              // one empty entry, no extra one
        {"A\n\rB", {"A", "", "B"}},                  // LF then CR are two breaks
        {bytes("A\r\nB\0C\r\nD\r\n"sv), {"A", "B"}}, // NUL ends the text
        {"\xcf\xca-1\r\n", {"\xcf\xca-1"}},          // bytes kept as they are
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseLineList(c.file), c.entries) << c.file.toHex().constData();
}

TEST(LineList, FormatEndsEveryLineWithCrLf) {
    EXPECT_EQ(formatLineList({}), QByteArray());
    EXPECT_EQ(formatLineList({"A", "", "B"}), QByteArray("A\r\n\r\nB\r\n"));
}

TEST(LineList, FilesByBareName) {
    InTempDir dir;
    EXPECT_FALSE(lineListExists(QStringLiteral("hist.ini")));
    writeFile(dir.path(QStringLiteral("hist.ini")), "PC-1\nPC-2");
    EXPECT_TRUE(lineListExists(QStringLiteral("hist.ini")));
    const LineList read = readLineList(QStringLiteral("hist.ini"));
    EXPECT_EQ(read, (LineList{"PC-1", "PC-2"}));
    writeLineList(QStringLiteral("hist.ini"), read);
    EXPECT_EQ(readFile(dir.path(QStringLiteral("hist.ini"))), QByteArray("PC-1\r\nPC-2\r\n"));

    writeLineList(QStringLiteral("hist.ini"), {});
    EXPECT_TRUE(QFile::exists(dir.path(QStringLiteral("hist.ini"))));
    EXPECT_EQ(QFileInfo(dir.path(QStringLiteral("hist.ini"))).size(), 0);
}

TEST(LineList, FailuresNameTheBareFile) {
    InTempDir dir;
    // A directory of that name can be neither read as a list nor replaced by one.
    ASSERT_TRUE(QDir(dir.dir()).mkdir(QStringLiteral("ignorlist.ini")));
    try {
        readLineList(QStringLiteral("ignorlist.ini"));
        ADD_FAILURE() << "read did not fail";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ignorlist.ini"));
    }
    try {
        writeLineList(QStringLiteral("ignorlist.ini"), {"A"});
        ADD_FAILURE() << "write did not fail";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file ignorlist.ini"));
    }
}
