#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

// The network-resource enumeration service: a walk opens a container, asks for batches of
// entries into a byte buffer of its own, and closes it again. Calls may block for seconds and
// come from worker threads, several at once; providers are thread-safe.

inline constexpr std::uint32_t NO_ERROR = 0;
inline constexpr std::uint32_t ERROR_MORE_DATA = 234;
inline constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr std::uint32_t ERROR_NO_NETWORK = 1222;
inline constexpr std::uint32_t ERROR_OPERATION_ABORTED = 995;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;

inline constexpr std::uint32_t RESOURCE_GLOBALNET = 2;
inline constexpr std::uint32_t RESOURCETYPE_ANY = 0;
inline constexpr std::uint32_t RESOURCEUSAGE_CONTAINER = 2;

inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_GENERIC = 0;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_DOMAIN = 1;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_SERVER = 2;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_SHARE = 3;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_GROUP = 5;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_NETWORK = 6;
inline constexpr std::uint32_t RESOURCEDISPLAYTYPE_ROOT = 7;

// "As many entries as fit" for a batch request.
inline constexpr std::uint32_t kAllEntries = 0xFFFFFFFF;

// One entry of a batch, at the start of the caller's buffer; the name it points to lies in the
// same buffer, so the entry is valid until the next batch request of its enumeration.
struct NETRESOURCE {
    std::uint32_t dwDisplayType = RESOURCEDISPLAYTYPE_GENERIC;
    const char* lpRemoteName = nullptr; // zero-terminated, code page 1251; null when none
    std::uint64_t providerKey = 0;      // lets the provider open this entry as a container
};

using NetEnumHandle = std::uint64_t;

class INetResources {
public:
    virtual ~INetResources() = default;

    // Opens an enumeration of container (of the root of the network when null); NO_ERROR and
    // the handle, or a failure. The container entry need not outlive the call.
    virtual std::uint32_t openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                                   const NETRESOURCE* container, NetEnumHandle& handle) = 0;
    // count in: how many entries at most (kAllEntries: as many as fit); out: how many were
    // written. NO_ERROR with entries; ERROR_MORE_DATA with the size needed written to
    // bufferSize when not even one entry fits; ERROR_NO_MORE_ITEMS at the end.
    virtual std::uint32_t enumResource(NetEnumHandle handle, std::uint32_t& count, void* buffer,
                                       std::uint32_t& bufferSize) = 0;
    virtual std::uint32_t closeEnum(NetEnumHandle handle) = 0;

    // The program is ending: calls that wait on the network return a failure soon, and later
    // opens fail at once.
    virtual void interrupt() {}
};

// An entry as a provider holds it before it is written into a caller's buffer.
struct NetEntry {
    std::uint32_t displayType = RESOURCEDISPLAYTYPE_GENERIC;
    std::optional<QByteArray> remoteName;
    std::uint64_t providerKey = 0;
};

// The bytes that one entry takes in a batch buffer: the record and its name with terminator.
std::uint32_t netEntrySize(const NetEntry& entry);

// Writes entries[next...] into buffer as one batch with the service's result semantics, and
// advances next past what was written. When not even the first entry fits, asks for room for
// the entries still to come, up to a cap, and never less than the first one.
std::uint32_t writeNetBatch(const std::vector<NetEntry>& entries, std::size_t& next,
                            std::uint32_t& count, void* buffer, std::uint32_t& bufferSize);

// A provider that lists each container whole when it is opened and hands the list out in
// batches. Subclasses supply the listing.
class ListedNetResources : public INetResources {
public:
    std::uint32_t openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                           const NETRESOURCE* container, NetEnumHandle& handle) override;
    std::uint32_t enumResource(NetEnumHandle handle, std::uint32_t& count, void* buffer,
                               std::uint32_t& bufferSize) override;
    std::uint32_t closeEnum(NetEnumHandle handle) override;

protected:
    // NO_ERROR and the container's entries, or a failure. May block; runs unlocked.
    virtual std::uint32_t list(const NETRESOURCE* container, std::vector<NetEntry>& entries) = 0;

private:
    struct Open {
        std::vector<NetEntry> entries;
        std::size_t next = 0;
    };
    std::mutex mutex_;
    std::map<NetEnumHandle, Open> open_;
    NetEnumHandle lastHandle_ = 0;
};

// The network as seen without any way to browse it: the root is empty.
class EmptyNetResources final : public ListedNetResources {
protected:
    std::uint32_t list(const NETRESOURCE* container, std::vector<NetEntry>& entries) override;
};
