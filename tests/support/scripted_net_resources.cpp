#include "support/scripted_net_resources.h"

#include <algorithm>

ScriptedEntry netRoot(std::vector<ScriptedEntry> children) {
    return entryOf(RESOURCEDISPLAYTYPE_ROOT, std::nullopt, std::move(children));
}
ScriptedEntry network(std::optional<QByteArray> name, std::vector<ScriptedEntry> children) {
    return entryOf(RESOURCEDISPLAYTYPE_NETWORK, std::move(name), std::move(children));
}
ScriptedEntry domain(std::optional<QByteArray> name, std::vector<ScriptedEntry> children) {
    return entryOf(RESOURCEDISPLAYTYPE_DOMAIN, std::move(name), std::move(children));
}
ScriptedEntry server(std::optional<QByteArray> name) {
    return entryOf(RESOURCEDISPLAYTYPE_SERVER, std::move(name));
}
ScriptedEntry entryOf(std::uint32_t displayType, std::optional<QByteArray> name,
                      std::vector<ScriptedEntry> children) {
    ScriptedEntry e;
    e.displayType = displayType;
    e.name = std::move(name);
    e.children = std::move(children);
    return e;
}

ScriptedNetResources::ScriptedNetResources(ScriptedEntry root) : root_(std::move(root)) {
    addNode(root_, "root");
}

std::size_t ScriptedNetResources::addNode(const ScriptedEntry& entry, std::string label) {
    const std::size_t id = nodes_.size();
    nodes_.push_back({&entry, std::move(label), {}});
    std::vector<NetEntry> entries;
    for (const ScriptedEntry& child : entry.children) {
        const std::size_t childId =
            addNode(child, child.name ? child.name->toStdString() : std::string("-"));
        entries.push_back({child.displayType, child.name, childId});
    }
    nodes_[id].entries = std::move(entries);
    return id;
}

void ScriptedNetResources::before(const std::string& call) {
    std::unique_lock lock(mutex_);
    if (!held_ && !holdAt_.empty() && call == holdAt_) {
        held_ = true;
        changed_.wait(lock, [&] { return released_ || interrupted_; });
    }
}

void ScriptedNetResources::record(std::string line) {
    const std::lock_guard lock(mutex_);
    log_.push_back(std::move(line));
}

std::uint32_t ScriptedNetResources::openEnum(std::uint32_t /*scope*/, std::uint32_t /*type*/,
                                             std::uint32_t /*usage*/, const NETRESOURCE* container,
                                             NetEnumHandle& handle) {
    const std::size_t id = container ? std::size_t(container->providerKey) : 0;
    const Node& node = nodes_.at(id);
    before("open " + node.label);
    record("open " + node.label);
    if (node.entry->openResult != NO_ERROR)
        return node.entry->openResult;
    const std::lock_guard lock(mutex_);
    handle = ++lastHandle_;
    open_[handle] = Open{id};
    return NO_ERROR;
}

std::uint32_t ScriptedNetResources::enumResource(NetEnumHandle handle, std::uint32_t& count,
                                                 void* buffer, std::uint32_t& bufferSize) {
    std::size_t id = 0;
    {
        const std::lock_guard lock(mutex_);
        id = open_.at(handle).node;
    }
    const Node& node = nodes_[id];
    before("next " + node.label);
    const std::uint32_t asked = bufferSize;
    std::uint32_t r = NO_ERROR;
    {
        const std::lock_guard lock(mutex_);
        Open& open = open_.at(handle);
        ++open.batches;
        const ScriptedEntry& e = *node.entry;
        if (e.failBatch == open.batches) {
            count = 0;
            r = e.failCode;
        } else if (e.tooSmall && open.next < node.entries.size() &&
                   bufferSize < netEntrySize(node.entries[open.next])) {
            count = 0;
            bufferSize = 1;
            r = ERROR_MORE_DATA;
        } else {
            count = std::min(count, e.perBatch);
            r = writeNetBatch(node.entries, open.next, count, buffer, bufferSize);
            if (r == ERROR_MORE_DATA && e.askForOne)
                bufferSize = netEntrySize(node.entries[open.next]);
        }
    }
    record("next " + node.label + " " + std::to_string(asked) + " -> " + std::to_string(r));
    return r;
}

std::uint32_t ScriptedNetResources::closeEnum(NetEnumHandle handle) {
    std::size_t id = 0;
    {
        const std::lock_guard lock(mutex_);
        id = open_.at(handle).node;
    }
    before("close " + nodes_[id].label);
    record("close " + nodes_[id].label);
    const std::lock_guard lock(mutex_);
    open_.erase(handle);
    return NO_ERROR;
}

void ScriptedNetResources::interrupt() {
    const std::lock_guard lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
}

std::vector<std::string> ScriptedNetResources::log() const {
    const std::lock_guard lock(mutex_);
    return log_;
}

std::size_t ScriptedNetResources::count(const std::string& line) const {
    const std::lock_guard lock(mutex_);
    return std::size_t(std::count(log_.begin(), log_.end(), line));
}

bool ScriptedNetResources::idle() const {
    const std::lock_guard lock(mutex_);
    return open_.empty();
}

bool ScriptedNetResources::interrupted() const {
    const std::lock_guard lock(mutex_);
    return interrupted_;
}

void ScriptedNetResources::holdAt(const std::string& call) {
    const std::lock_guard lock(mutex_);
    holdAt_ = call;
    held_ = false;
    released_ = false;
}

bool ScriptedNetResources::held() const {
    const std::lock_guard lock(mutex_);
    return held_;
}

void ScriptedNetResources::release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}
