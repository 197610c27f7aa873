#pragma once

#include <QString>
#include <functional>
#include <utility>

// No exception may cross the event loop. Every dispatch point (socket notification, timer,
// tray message, button, menu, worker hand-off) runs its handler through guarded(), which hands
// an escaping error to the application's exception handler and carries on.

using ExceptionHandler = std::function<void(const QString& message)>;

// Installs the handler (the program's is the error box); returns the previous one.
ExceptionHandler setExceptionHandler(ExceptionHandler handler);

// Reports the exception being handled (call only inside a catch block).
void reportCurrentException();

template <typename F> void guarded(F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (...) {
        reportCurrentException();
    }
}
