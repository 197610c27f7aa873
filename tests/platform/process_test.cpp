#include "platform/process.h"

#include <gtest/gtest.h>

namespace {

QByteArrayList list(std::initializer_list<const char*> items) {
    QByteArrayList out;
    for (const char* item : items)
        out.append(QByteArray(item));
    return out;
}

} // namespace

TEST(SplitCommandLine, WindowsStartUpRules) {
    const struct {
        const char* line;
        QByteArrayList args;
    } cases[] = {
        {"", {}},
        {" \t ", {}},
        {"net send pc-07 hello", list({"net", "send", "pc-07", "hello"})},
        {"  a\t b  ", list({"a", "b"})},
        {"a \"b c\" d", list({"a", "b c", "d"})},
        {"a x\"b c\"y", list({"a", "xb cy"})},
        {"a \"\"", list({"a", ""})},
        {"a \"b c", list({"a", "b c"})},
        // Backslashes count only before a quote.
        {"a b\\c\\\\d", list({"a", "b\\c\\\\d"})},
        {"a b\\\"c", list({"a", "b\"c"})},
        {"a b\\\\\"c d\"", list({"a", "b\\c d"})},
        {"a b\\\\\\\"c", list({"a", "b\\\"c"})},
        {"a \"b\\\\\"", list({"a", "b\\"})},
        {"a b\\", list({"a", "b\\"})},
        // "" inside quotes is a literal quote and quoting goes on.
        {"a \"b\"\"c d\"", list({"a", "b\"c d"})},
        {"a \"\"\"\"", list({"a", "\""})},
        // The program: quotes group and vanish, backslashes stay as they are.
        {"\"/opt/my tools/x\\\" y", list({"/opt/my tools/x\\", "y"})},
        {"p\"a b\"q r", list({"pa bq", "r"})},
        // CR and LF are ordinary bytes; shell characters mean nothing.
        {"a b\r\nc", list({"a", "b\r\nc"})},
        {"a ;|$(id)`id`&>", list({"a", ";|$(id)`id`&>"})},
        {"a \xcf\xf0\xe8", list({"a", "\xcf\xf0\xe8"})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommandLine(QByteArray(c.line)), c.args) << c.line;
}
