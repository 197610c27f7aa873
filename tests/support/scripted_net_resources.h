#pragma once

#include "platform/net_resources.h"

#include <QByteArray>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One entry of a scripted network; as a container it also says how the service behaves.
struct ScriptedEntry {
    std::uint32_t displayType = RESOURCEDISPLAYTYPE_GENERIC;
    std::optional<QByteArray> name;
    std::vector<ScriptedEntry> children;
    std::uint32_t openResult = NO_ERROR;
    std::uint32_t failBatch = 0; // the n-th batch request of an enumeration answers failCode
    std::uint32_t failCode = 0;
    bool tooSmall = false;  // "more data" asks for a size that still does not fit
    bool askForOne = false; // "more data" asks for room for one entry only
    std::uint32_t perBatch = kAllEntries;
};

ScriptedEntry netRoot(std::vector<ScriptedEntry> children);
ScriptedEntry network(std::optional<QByteArray> name, std::vector<ScriptedEntry> children);
ScriptedEntry domain(std::optional<QByteArray> name, std::vector<ScriptedEntry> children = {});
ScriptedEntry server(std::optional<QByteArray> name);
ScriptedEntry entryOf(std::uint32_t displayType, std::optional<QByteArray> name,
                      std::vector<ScriptedEntry> children = {});

// The enumeration service over a scripted network. Every call is logged as
// "open NAME", "next NAME SIZE -> RESULT" and "close NAME" (the root is "root", an entry without
// a name "-"); one call can be held until the test releases it.
class ScriptedNetResources final : public INetResources {
public:
    explicit ScriptedNetResources(ScriptedEntry root);

    std::uint32_t openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                           const NETRESOURCE* container, NetEnumHandle& handle) override;
    std::uint32_t enumResource(NetEnumHandle handle, std::uint32_t& count, void* buffer,
                               std::uint32_t& bufferSize) override;
    std::uint32_t closeEnum(NetEnumHandle handle) override;
    void interrupt() override;

    std::vector<std::string> log() const;
    std::size_t count(const std::string& line) const;
    // No enumeration is open.
    bool idle() const;
    bool interrupted() const;

    // Makes the first call `call` ("open A", "next A", "close A") wait until release() (or
    // interrupt()); held() tells when it waits.
    void holdAt(const std::string& call);
    bool held() const;
    void release();

private:
    struct Node {
        const ScriptedEntry* entry;
        std::string label;
        std::vector<NetEntry> entries;
    };
    struct Open {
        std::size_t node;
        std::size_t next = 0;
        std::uint32_t batches = 0;
    };
    std::size_t addNode(const ScriptedEntry& entry, std::string label);
    void before(const std::string& call);
    void record(std::string line);

    ScriptedEntry root_;
    std::vector<Node> nodes_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<NetEnumHandle, Open> open_;
    NetEnumHandle lastHandle_ = 0;
    std::vector<std::string> log_;
    std::string holdAt_;
    bool held_ = false;
    bool released_ = false;
    bool interrupted_ = false;
};
