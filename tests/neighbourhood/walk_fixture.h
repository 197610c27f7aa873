#pragma once

#include "neighbourhood/computer_list.h"
#include "platform/services.h"
#include "support/scripted_net_resources.h"
#include "support/test_env.h"

#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// A window's tree and refresh button, walked over a scripted network.
class WalkTest : public ::testing::Test {
protected:
    // A walk that a failed test left waiting must not outlive its provider.
    ~WalkTest() override {
        if (services().netResources) {
            provider().release();
            waitUntil([&] { return provider().idle(); });
            services().netResources.reset();
        }
    }

    ScriptedNetResources& install(ScriptedEntry root) {
        auto provider = std::make_unique<ScriptedNetResources>(std::move(root));
        auto& ref = *provider;
        services().netResources = std::move(provider);
        return ref;
    }
    ScriptedNetResources& provider() {
        return dynamic_cast<ScriptedNetResources&>(*services().netResources);
    }
    NetEnumTarget target() { return {tree.get(), refreshb.get()}; }

    // Waits until `walks` walks have closed the root of the network (each walk that opened it
    // closes it last, after an abort too).
    bool walksEnded(std::size_t walks = 1) {
        return waitUntil([&] { return provider().count("close root") >= walks; });
    }
    // Waits for a walk's end and lets any step still queued run.
    bool walkOver(std::size_t walks = 1) {
        const bool ended = walksEnded(walks);
        waitUntil([] { return false; }, 50);
        return ended;
    }

    std::unique_ptr<QTreeWidget> tree = std::make_unique<QTreeWidget>();
    std::unique_ptr<QPushButton> refreshb = std::make_unique<QPushButton>();
};

// The tree as UTF-8 text: siblings separated by spaces, children in parentheses.
std::string render(const QTreeWidget& tree);
// Every node with children is expanded / none is.
bool allExpanded(const QTreeWidget& tree);
bool noneExpanded(const QTreeWidget& tree);
