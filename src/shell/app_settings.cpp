#include "shell/app_settings.h"

#include "platform/profile.h"

#include <limits>
#include <optional>

namespace {

// Values are read into a buffer of this size, so at most one byte less comes back.
constexpr int kStringBuffer = 2048;

struct FlagKey {
    const char* key;
    bool TAppSettings::*field;
    bool defaultValue;
};

// The Booleans in their read and write order; DefPort follows them.
constexpr FlagKey kFlags[] = {
    {"AlphaSPLASH", &TAppSettings::AlphaSPLASH, true},
    {"Sounds", &TAppSettings::Sounds, true},
    {"DontActivateServer", &TAppSettings::DontActivateServer, false},
    {"AlwaysNetSend", &TAppSettings::AlwaysNetSend, false},
};
constexpr std::int32_t kDefaultPort = 243;

std::optional<std::int64_t> parseDigits(const QByteArray& digits, int base) {
    if (digits.isEmpty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + d;
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return value;
}

} // namespace

std::int32_t settingIntFromText(const QByteArray& text, std::int32_t defaultValue) {
    if (text.size() > 2 && (text.startsWith("0x") || text.startsWith("0X"))) {
        // Eight hex digits fill the 32 bits, so 0xFFFFFFFF is -1.
        const auto value = parseDigits(text.mid(2), 16);
        return value ? static_cast<std::int32_t>(static_cast<std::uint32_t>(*value)) : defaultValue;
    }
    QByteArray digits = text;
    bool negative = false;
    if (digits.startsWith('-') || digits.startsWith('+')) {
        negative = digits.front() == '-';
        digits.remove(0, 1);
    }
    const auto value = parseDigits(digits, 10);
    if (!value)
        return defaultValue;
    const std::int64_t signedValue = negative ? -*value : *value;
    if (signedValue < std::numeric_limits<std::int32_t>::min() ||
        signedValue > std::numeric_limits<std::int32_t>::max())
        return defaultValue;
    return static_cast<std::int32_t>(signedValue);
}

QByteArray settingIntText(std::int32_t value) {
    return QByteArray::number(value);
}

QByteArray readSettingString(const QByteArray& key, const QByteArray& defaultValue) {
    return readProfileString(kConfigSection, key, defaultValue, kStringBuffer, kConfigFile);
}

std::int32_t readSettingInt(const QByteArray& key, std::int32_t defaultValue) {
    const QByteArray text = readSettingString(key, QByteArray());
    return text.isEmpty() ? defaultValue : settingIntFromText(text, defaultValue);
}

bool readSettingBool(const QByteArray& key, bool defaultValue) {
    return readSettingInt(key, defaultValue ? 1 : 0) != 0;
}

void writeSettingString(const QByteArray& key, const QByteArray& value) {
    writeProfileString(kConfigSection, key, value, kConfigFile);
}

void writeSettingInt(const QByteArray& key, std::int32_t value) {
    writeSettingString(key, settingIntText(value));
}

void writeSettingBool(const QByteArray& key, bool value) {
    writeSettingString(key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
}

QByteArray readSkinName() {
    return readSettingString("SkinName", kDefaultSkinName);
}

void writeSkinName(const QByteArray& name) {
    writeSettingString("SkinName", name);
}

void loadAppSettings() {
    for (const FlagKey& f : kFlags)
        AppSettings.*f.field = readSettingBool(f.key, f.defaultValue);
    AppSettings.DefPort = readSettingInt("DefPort", kDefaultPort);
}

void saveAppSettings() {
    for (const FlagKey& f : kFlags)
        writeSettingBool(f.key, AppSettings.*f.field);
    writeSettingInt("DefPort", AppSettings.DefPort);
}

QByteArray readLastAdr() {
    return readSettingString("LastAdr", QByteArrayLiteral("LOCALHOST"));
}

void writeLastAdr(const QByteArray& address) {
    writeSettingString("LastAdr", address);
}
