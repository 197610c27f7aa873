#include "neighbourhood/presence.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr char kServiceType[] = "_chatterwick._tcp";
// How long program end waits for the announcement to be withdrawn.
constexpr auto kWithdrawWait = std::chrono::milliseconds(1000);
// How often a daemon that cannot be reached at all is tried again.
constexpr int kRetryMs = 5000;

// What the UI thread wants announced, read by the announcer's thread. The UI thread only ever
// takes this mutex and wakes the poll; it never waits for the daemon.
struct Wish {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<std::uint16_t> port;
    bool quit = false;
    bool stopped = false;
    AvahiSimplePoll* poll = nullptr; // owned by the announcer's thread until it stops
};

// Talks to the daemon on a thread of its own and keeps the announcement in line with the wish,
// also across a daemon that starts late, restarts, or renames the host.
class Announcer {
public:
    explicit Announcer(std::shared_ptr<Wish> wish) : wish_(std::move(wish)) {}

    void run() {
        for (;;) {
            std::optional<std::uint16_t> port;
            {
                const std::lock_guard lock(wish_->mutex);
                if (wish_->quit)
                    break;
                port = wish_->port;
            }
            const bool waitingForBus = reconcile(port);
            if (avahi_simple_poll_iterate(wish_->poll, waitingForBus ? kRetryMs : -1) < 0)
                break;
        }
        // Freeing the client withdraws everything it announced.
        disconnect();
        AvahiSimplePoll* poll = nullptr;
        {
            const std::lock_guard lock(wish_->mutex);
            poll = std::exchange(wish_->poll, nullptr);
            wish_->stopped = true;
        }
        wish_->changed.notify_all();
        avahi_simple_poll_free(poll);
    }

private:
    // Returns true when the daemon could not be reached and should be tried again later.
    bool reconcile(std::optional<std::uint16_t> port) {
        if (lost_)
            disconnect();
        if (!port) {
            if (group_ && published_)
                avahi_entry_group_reset(group_);
            published_.reset();
            return false;
        }
        if (!client_) {
            int error = 0;
            // NO_FAIL: a daemon that is not running yet is waited for, not an error.
            client_ = avahi_client_new(avahi_simple_poll_get(wish_->poll), AVAHI_CLIENT_NO_FAIL,
                                       &Announcer::clientChanged, this, &error);
            if (!client_)
                return true;
        }
        if (running_ && published_ != port)
            publish(*port);
        return false;
    }

    void publish(std::uint16_t port) {
        if (!group_)
            group_ = avahi_entry_group_new(client_, &Announcer::groupChanged, this);
        if (!group_)
            return;
        avahi_entry_group_reset(group_);
        if (name_.empty())
            if (const char* host = avahi_client_get_host_name(client_))
                name_ = host;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const int r = avahi_entry_group_add_service(
                group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.c_str(),
                kServiceType, nullptr, nullptr, port, nullptr);
            if (r == AVAHI_ERR_COLLISION) {
                rename();
                continue;
            }
            if (r == AVAHI_OK && avahi_entry_group_commit(group_) == AVAHI_OK)
                published_ = port;
            return;
        }
    }

    void rename() {
        char* other = avahi_alternative_service_name(name_.c_str());
        name_ = other;
        avahi_free(other);
    }

    void disconnect() {
        if (client_)
            avahi_client_free(client_); // frees the group too
        client_ = nullptr;
        group_ = nullptr;
        running_ = false;
        lost_ = false;
        published_.reset();
    }

    static void clientChanged(AvahiClient* /*client*/, AvahiClientState state, void* self) {
        auto& a = *static_cast<Announcer*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            a.running_ = true;
            a.published_.reset();
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The host name changes: announce again once the daemon runs.
            a.running_ = false;
            if (a.group_)
                avahi_entry_group_reset(a.group_);
            a.published_.reset();
            a.name_.clear();
            break;
        case AVAHI_CLIENT_FAILURE:
            // The daemon went away; reconnect (and wait for it) on the next turn.
            a.lost_ = true;
            a.running_ = false;
            break;
        case AVAHI_CLIENT_CONNECTING:
            a.running_ = false;
            break;
        }
    }

    static void groupChanged(AvahiEntryGroup* /*group*/, AvahiEntryGroupState state, void* self) {
        auto& a = *static_cast<Announcer*>(self);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            // Another computer uses the name: take the next one and announce again.
            a.rename();
            a.published_.reset();
        }
    }

    std::shared_ptr<Wish> wish_;
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
    std::optional<std::uint16_t> published_;
    std::string name_;
    bool running_ = false;
    bool lost_ = false;
};

class Presence {
public:
    Presence() : wish_(std::make_shared<Wish>()) {
        wish_->poll = avahi_simple_poll_new();
        if (!wish_->poll) {
            wish_->stopped = true;
            return;
        }
        thread_ = std::thread([wish = wish_] { Announcer(wish).run(); });
    }

    // Program end: withdraw, waiting a moment for it; a thread stuck on the bus is left behind.
    ~Presence() {
        if (!thread_.joinable())
            return;
        std::unique_lock lock(wish_->mutex);
        wish_->quit = true;
        if (wish_->poll)
            avahi_simple_poll_wakeup(wish_->poll);
        const bool stopped =
            wish_->changed.wait_for(lock, kWithdrawWait, [&] { return wish_->stopped; });
        lock.unlock();
        if (stopped)
            thread_.join();
        else
            thread_.detach();
    }

    void want(std::optional<std::uint16_t> port) {
        const std::lock_guard lock(wish_->mutex);
        wish_->port = port;
        if (wish_->poll)
            avahi_simple_poll_wakeup(wish_->poll);
    }

private:
    std::shared_ptr<Wish> wish_;
    std::thread thread_;
};

std::atomic<bool> started{false};

Presence& presence() {
    static Presence instance;
    started = true;
    return instance;
}

} // namespace

void announcePresence(std::uint16_t port) {
    presence().want(port);
}

void withdrawPresence() {
    if (started)
        presence().want(std::nullopt);
}
