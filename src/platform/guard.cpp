#include "platform/guard.h"

#include "platform/exceptions.h"

#include <cstdio>
#include <exception>

namespace {

ExceptionHandler& handlerSlot() {
    static ExceptionHandler handler;
    return handler;
}

} // namespace

ExceptionHandler setExceptionHandler(ExceptionHandler handler) {
    return std::exchange(handlerSlot(), std::move(handler));
}

void reportCurrentException() {
    QString message;
    try {
        throw;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    try {
        if (auto& handler = handlerSlot())
            handler(message);
        else
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    } catch (...) {
        // An error while reporting an error has nowhere left to go.
        std::fprintf(stderr, "error while reporting: %s\n", message.toLocal8Bit().constData());
    }
}
