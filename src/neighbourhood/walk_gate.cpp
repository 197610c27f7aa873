#include "neighbourhood/walk_gate.h"

#include "platform/guard.h"
#include "platform/net_resources.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// How long program end waits for provider calls to return after interrupting them.
constexpr auto kDrainTimeout = std::chrono::seconds(3);

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    bool armed = false;
    std::vector<INetResources*> inProvider; // one element per call under way
};

// Never destroyed: walks may still use it while the process ends.
Gate& gate() {
    static auto* instance = new Gate;
    return *instance;
}

struct Call {
    bool done = false;
    bool result = false;
};

} // namespace

namespace walk_gate {

std::optional<bool> runOnUiThread(std::function<bool()> step) {
    Gate& g = gate();
    auto call = std::make_shared<Call>();
    std::unique_lock lock(g.mutex);
    QCoreApplication* app = QCoreApplication::instance();
    if (g.closed || app == nullptr)
        return std::nullopt;
    // Posted under the lock, so the application cannot close the gate and go away in between.
    QMetaObject::invokeMethod(
        app,
        [call, step = std::move(step)] {
            bool result = false;
            guarded([&] {
                try {
                    result = step();
                } catch (...) {
                    // A failing step ends the walk quietly, as an abort does.
                    result = false;
                }
            });
            Gate& gg = gate();
            const std::lock_guard doneLock(gg.mutex);
            call->result = result;
            call->done = true;
            gg.changed.notify_all();
        },
        Qt::QueuedConnection);
    g.changed.wait(lock, [&] { return call->done || g.closed; });
    if (!call->done)
        return std::nullopt;
    return call->result;
}

bool callProvider(INetResources& provider, const std::function<void()>& call) {
    Gate& g = gate();
    {
        const std::lock_guard lock(g.mutex);
        if (g.closed)
            return false;
        g.inProvider.push_back(&provider);
    }
    struct Leave {
        Gate& g;
        INetResources* provider;
        ~Leave() {
            const std::lock_guard lock(g.mutex);
            g.inProvider.erase(std::find(g.inProvider.begin(), g.inProvider.end(), provider));
            g.changed.notify_all();
        }
    } leave{g, &provider};
    call();
    return true;
}

void close() {
    Gate& g = gate();
    std::unique_lock lock(g.mutex);
    if (!g.closed) {
        g.closed = true;
        g.changed.notify_all();
    }
    std::vector<INetResources*> busy = g.inProvider;
    std::sort(busy.begin(), busy.end());
    busy.erase(std::unique(busy.begin(), busy.end()), busy.end());
    lock.unlock();
    for (INetResources* provider : busy)
        provider->interrupt();
    lock.lock();
    g.changed.wait_for(lock, kDrainTimeout, [&] { return g.inProvider.empty(); });
}

void arm() {
    Gate& g = gate();
    {
        const std::lock_guard lock(g.mutex);
        if (g.armed)
            return;
        g.armed = true;
    }
    // Application end comes first in a normal run; exit() covers an end without it.
    qAddPostRoutine([] { close(); });
    std::atexit([] { close(); });
}

} // namespace walk_gate
