#pragma once

#include <QString>

// The shell's "open" verb: a file name (resolved against the current directory when bare) or
// an address. The result is ignored by every caller, so there is none.
class IShellOpen {
public:
    virtual ~IShellOpen() = default;
    virtual void open(const QString& document) = 0;
};

// Opens through the desktop (xdg-open underneath).
class DesktopShellOpen final : public IShellOpen {
public:
    void open(const QString& document) override;
};
