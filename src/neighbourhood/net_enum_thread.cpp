#include "neighbourhood/net_enum_thread.h"

#include "neighbourhood/walk_gate.h"
#include "platform/net_resources.h"

#include <memory>
#include <thread>

namespace {

// Unwinds a walk that ends early: an abort, a lost tree, or the program ending. Every level on
// the way out closes its enumeration (unless the program is ending).
struct WalkStopped {};

} // namespace

void TNetEnumThread::start(std::unique_ptr<INetEnumTarget> target, INetResources& provider) {
    walk_gate::arm();
    auto walk = std::make_unique<TNetEnumThread>(std::move(target), provider);
    // Nobody waits for a walk: the thread owns it and frees it at the end of its body.
    std::thread([walk = std::move(walk)] { walk->Execute(); }).detach();
}

TNetEnumThread::TNetEnumThread(std::unique_ptr<INetEnumTarget> target, INetResources& provider)
    : target_(std::move(target)), provider_(provider) {}

TNetEnumThread::~TNetEnumThread() = default;

void TNetEnumThread::Execute() {
    try {
        StartEnum();
        EnumLevel(nullptr);
        FinishEnum();
    } catch (const WalkStopped&) {
        // Ends quietly; the tree keeps what was added.
    } catch (...) {
        // A worker has nobody to report to; an unexpected failure ends it like an abort.
    }
}

namespace {
void runStep(const std::function<bool()>& step) {
    const std::optional<bool> ok = walk_gate::runOnUiThread(step);
    if (!ok || !*ok)
        throw WalkStopped{};
}
} // namespace

void TNetEnumThread::StartEnum() {
    ParentNode = nullptr;
    runStep([this] { return target_->startEnum(); });
}

void TNetEnumThread::AddNode() {
    runStep([this] { return target_->addNode(ParentNode, NodeText, ParentNode); });
}

void TNetEnumThread::FinishEnum() {
    runStep([this] { return target_->finishEnum(); });
}

std::uint32_t TNetEnumThread::nextBatch(NetEnumHandle handle, std::uint32_t& count, void* buffer,
                                        std::uint32_t& size) {
    std::uint32_t r = 0;
    if (!walk_gate::callProvider(provider_,
                                 [&] { r = provider_.enumResource(handle, count, buffer, size); }))
        throw WalkStopped{};
    return r;
}

void TNetEnumThread::EnumLevel(const NETRESOURCE* container) {
    NetEnumHandle handle = 0;
    std::uint32_t opened = 0;
    if (!walk_gate::callProvider(provider_, [&] {
            opened = provider_.openEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY,
                                        RESOURCEUSAGE_CONTAINER, container, handle);
        }))
        throw WalkStopped{};
    if (opened != NO_ERROR)
        return; // the container contributes nothing

    struct Level {
        INetResources& provider;
        NetEnumHandle handle;
        ~Level() {
            walk_gate::callProvider(provider, [&] { provider.closeEnum(handle); });
        }
    } level{provider_, handle};

    std::uint32_t size = 1;
    auto buffer = std::make_unique<std::byte[]>(size);
    for (;;) {
        std::uint32_t count = kAllEntries;
        std::uint32_t r = nextBatch(handle, count, buffer.get(), size);
        if (r == ERROR_MORE_DATA) {
            // Exactly one retry, with a buffer of the size the service asked for.
            count = kAllEntries;
            buffer = std::make_unique<std::byte[]>(size);
            r = nextBatch(handle, count, buffer.get(), size);
        }
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != NO_ERROR || std::uint64_t(count) * sizeof(NETRESOURCE) > size)
            throw WalkStopped{};

        const auto* entries = reinterpret_cast<const NETRESOURCE*>(buffer.get());
        for (std::uint32_t i = 0; i < count; ++i) {
            const NETRESOURCE& entry = entries[i];
            NetTreeNode* const saved = ParentNode;
            NodeText = entry.lpRemoteName ? QByteArray(entry.lpRemoteName) : QByteArray("-");
            switch (entry.dwDisplayType) {
            case RESOURCEDISPLAYTYPE_DOMAIN:
                ParentNode = nullptr;
                AddNode();
                EnumLevel(&entry);
                ParentNode = saved;
                break;
            case RESOURCEDISPLAYTYPE_SERVER:
                AddNode();
                ParentNode = saved;
                break;
            case RESOURCEDISPLAYTYPE_NETWORK:
                EnumLevel(&entry);
                break;
            default:
                break;
            }
        }
    }
}
