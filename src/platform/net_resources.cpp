#include "platform/net_resources.h"

#include <algorithm>
#include <cstring>

namespace {
// Room that a "more data" answer asks for at most when several entries are waiting.
constexpr std::uint64_t kPreferredBatchBytes = 16 * 1024;
} // namespace

std::uint32_t netEntrySize(const NetEntry& entry) {
    const auto nameBytes = entry.remoteName ? std::uint32_t(entry.remoteName->size()) + 1 : 0;
    return std::uint32_t(sizeof(NETRESOURCE)) + nameBytes;
}

std::uint32_t writeNetBatch(const std::vector<NetEntry>& entries, std::size_t& next,
                            std::uint32_t& count, void* buffer, std::uint32_t& bufferSize) {
    const std::uint32_t wanted = count;
    count = 0;
    if (next >= entries.size())
        return ERROR_NO_MORE_ITEMS;

    // Records grow from the start of the buffer, their names from its end.
    auto* bytes = static_cast<char*>(buffer);
    std::uint64_t recordsEnd = 0;
    std::uint64_t namesStart = bufferSize;
    while (next < entries.size() && count < wanted) {
        const NetEntry& entry = entries[next];
        const std::uint64_t nameBytes = entry.remoteName ? entry.remoteName->size() + 1 : 0;
        if (recordsEnd + sizeof(NETRESOURCE) + nameBytes > namesStart)
            break;
        NETRESOURCE record;
        record.dwDisplayType = entry.displayType;
        record.providerKey = entry.providerKey;
        if (entry.remoteName) {
            namesStart -= nameBytes;
            std::memcpy(bytes + namesStart, entry.remoteName->constData(), nameBytes);
            record.lpRemoteName = bytes + namesStart;
        }
        std::memcpy(bytes + recordsEnd, &record, sizeof record);
        recordsEnd += sizeof(NETRESOURCE);
        ++count;
        ++next;
    }
    if (count > 0)
        return NO_ERROR;

    std::uint64_t needed = 0;
    for (std::size_t i = next; i < entries.size(); ++i) {
        const std::uint64_t size = netEntrySize(entries[i]);
        if (needed > 0 && needed + size > kPreferredBatchBytes)
            break;
        needed += size;
    }
    bufferSize = std::uint32_t(std::min<std::uint64_t>(needed, 0xFFFFFFFFu));
    return ERROR_MORE_DATA;
}

std::uint32_t ListedNetResources::openEnum(std::uint32_t /*scope*/, std::uint32_t /*type*/,
                                           std::uint32_t /*usage*/, const NETRESOURCE* container,
                                           NetEnumHandle& handle) {
    Open level;
    if (const std::uint32_t r = list(container, level.entries); r != NO_ERROR)
        return r;
    const std::lock_guard lock(mutex_);
    handle = ++lastHandle_;
    open_.emplace(handle, std::move(level));
    return NO_ERROR;
}

std::uint32_t ListedNetResources::enumResource(NetEnumHandle handle, std::uint32_t& count,
                                               void* buffer, std::uint32_t& bufferSize) {
    const std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    if (it == open_.end())
        return ERROR_INVALID_HANDLE;
    return writeNetBatch(it->second.entries, it->second.next, count, buffer, bufferSize);
}

std::uint32_t ListedNetResources::closeEnum(NetEnumHandle handle) {
    const std::lock_guard lock(mutex_);
    return open_.erase(handle) > 0 ? NO_ERROR : ERROR_INVALID_HANDLE;
}

std::uint32_t EmptyNetResources::list(const NETRESOURCE* /*container*/,
                                      std::vector<NetEntry>& entries) {
    entries.clear();
    return NO_ERROR;
}
