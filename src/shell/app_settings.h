#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The program-wide settings, held in memory between the read at start-up and the write at
// exit. Zero-filled until read: every flag off, DefPort 0.
struct TAppSettings {
    bool AlphaSPLASH = false;        // translucent splash
    bool Sounds = false;             // sound when the incoming message window opens
    bool DontActivateServer = false; // leave the server paused at start-up
    bool AlwaysNetSend = false;      // send through the messenger service by default
    std::int32_t DefPort = 0;        // port of both sockets
};

inline TAppSettings AppSettings{};

// The settings file and its one section.
inline const QString kConfigFile = QStringLiteral("config.ini");
inline const QByteArray kConfigSection = QByteArrayLiteral("Chatterwick 2");

// Conversions of the settings file. An integer is decimal, or hexadecimal after "0x"/"0X"
// when more follows; anything else gives the default. A Boolean is an integer, non-zero on.
std::int32_t settingIntFromText(const QByteArray& text, std::int32_t defaultValue);
QByteArray settingIntText(std::int32_t value);

// One key each, read and written through the profile service in the settings section.
// Strings come back at most 2047 bytes long. Writes throw EIniFileException.
QByteArray readSettingString(const QByteArray& key, const QByteArray& defaultValue);
std::int32_t readSettingInt(const QByteArray& key, std::int32_t defaultValue);
bool readSettingBool(const QByteArray& key, bool defaultValue);
void writeSettingString(const QByteArray& key, const QByteArray& value);
void writeSettingInt(const QByteArray& key, std::int32_t value);
void writeSettingBool(const QByteArray& key, bool value);

// The skin's name (not part of AppSettings), default the built-in skin.
inline const QByteArray kDefaultSkinName = QByteArrayLiteral("Chatterwick 2");
QByteArray readSkinName();
void writeSkinName(const QByteArray& name);

// The five fields of AppSettings in their order: AlphaSPLASH, Sounds, DontActivateServer,
// AlwaysNetSend, DefPort. A refused write ends the save at the failing key (it throws).
void loadAppSettings();
void saveAppSettings();

// The send window's last address, default "LOCALHOST".
QByteArray readLastAdr();
void writeLastAdr(const QByteArray& address);
