#include "platform/cp1251.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

TEST(Cp1251, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(toCp1251(fromCp1251(all)), all);
    EXPECT_EQ(fromCp1251(all).size(), 256);
}

TEST(Cp1251, CyrillicAndPunctuation) {
    EXPECT_EQ(fromCp1251("\xcf\xf0\xe8\xe2\xe5\xf2"), QStringLiteral("Привет"));
    EXPECT_EQ(toCp1251(QStringLiteral("Ёё№—€")), QByteArray("\xa8\xb8\xb9\x97\x88"));
    EXPECT_EQ(toCp1251(QStringLiteral("日")), QByteArray("?"));
}

TEST(Cp1251, AsciiUpperLeavesCyrillic) {
    EXPECT_EQ(asciiUpper("pc-07 \xef\xf0"), QByteArray("PC-07 \xef\xf0"));
}

TEST(ErrorBoxText, FullStopRule) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Cannot open file deActive.ico", "Cannot open file deActive.ico."},
        {"Asynchronous socket error 10061", "Asynchronous socket error 10061."},
        {"Windows socket error: x (10048), on API 'bind'",
         "Windows socket error: x (10048), on API 'bind'"},
        {"Done.", "Done."},
        {"Wow!", "Wow!"},
        {"(a)", "(a)"},
        {"Socket Error # 11001\r\n", "Socket Error # 11001\r\n"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(errorBoxText(QStringLiteral("Ошибка")), QStringLiteral("Ошибка."));
}
