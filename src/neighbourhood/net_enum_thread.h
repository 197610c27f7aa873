#pragma once

#include <QByteArray>
#include <memory>

#include "platform/net_resources.h"

// A node of the tree that a walk fills; only its target knows what it is.
class NetTreeNode;

// The tree and refresh button of one window as a walk sees them. Every call runs on the UI
// thread while the walk waits; false means the walk has lost its tree (it was destroyed, or a
// newer walk took it over) and must stop.
class INetEnumTarget {
public:
    virtual ~INetEnumTarget() = default;
    // Takes the tree over from any older walk, deletes all its nodes, disables the button.
    virtual bool startEnum() = 0;
    // Appends a node with text as the last child of parent (the last top-level node when none).
    virtual bool addNode(NetTreeNode* parent, const QByteArray& text, NetTreeNode*& added) = 0;
    // Expands every node and enables the button.
    virtual bool finishEnum() = 0;
};

// One walk of the network into one target: enumerates from the root of the network, recursing
// into containers, and adds a node per domain and per computer.
class TNetEnumThread {
public:
    // Starts a walk on a thread of its own and returns at once; the walk frees itself when it
    // ends. Call on the UI thread. The provider must outlive the program's run.
    static void start(std::unique_ptr<INetEnumTarget> target, INetResources& provider);

    TNetEnumThread(std::unique_ptr<INetEnumTarget> target, INetResources& provider);
    ~TNetEnumThread();

    // The thread body; public so that a walk can also run on a thread that the caller owns.
    void Execute();

    QByteArray NodeText;               // text of the node that the next AddNode creates
    NetTreeNode* ParentNode = nullptr; // where AddNode appends; null is the top level

private:
    void StartEnum();
    void AddNode();
    void EnumLevel(const NETRESOURCE* container);
    void FinishEnum();
    std::uint32_t nextBatch(NetEnumHandle handle, std::uint32_t& count, void* buffer,
                            std::uint32_t& size);

    std::unique_ptr<INetEnumTarget> target_;
    INetResources& provider_;
};
