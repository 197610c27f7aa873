#include "messaging/ignore_list.h"

#include <gtest/gtest.h>

TEST(IgnoreMatching, WholeNameCaseIgnored) {
    const struct {
        QByteArray entry, sender;
        bool match;
    } cases[] = {
        {"pc-07", "PC-07", true},
        {"PC-07", "PC-07", true},
        {"PC-07", "PC-07.LAN", false}, // no suffix match
        {"PC-07", "PC-0", false},      // no prefix match
        {"C-0", "PC-07", false},       // no substring match
        {"", "", true},                // an empty entry matches a sender without a name
        {"", "PC-07", false},
        {"\xef\xea-1", "\xcf\xca-1", true}, // пк-1 / ПК-1
        {"\xb8", "\xa8", true},             // ё / Ё
        {"\xe0", "\xc1", false},            // а / Б
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameSenderName(c.entry, c.sender), c.match)
            << c.entry.toHex().constData() << " vs " << c.sender.toHex().constData();
    EXPECT_TRUE(listContainsName({"A", "pc-07"}, "PC-07"));
    EXPECT_FALSE(listContainsName({}, ""));
}
