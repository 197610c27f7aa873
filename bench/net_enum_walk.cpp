// How long a walk of a large network takes from its start until the tree is expanded and the
// refresh button enabled again, with every node handed to the UI thread one at a time.

#include "bench_main.h"
#include "neighbourhood/computer_list.h"
#include "platform/net_resources.h"
#include "platform/services.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

// A network held in memory: the root holds one network, the network holds the workgroups, each
// workgroup its share of the computers. Listing costs nothing, so the walk itself is measured.
class LargeNetwork final : public ListedNetResources {
public:
    LargeNetwork(int computers, int perGroup) {
        constexpr std::uint64_t kNetworkKey = 1;
        root_.push_back(
            {RESOURCEDISPLAYTYPE_NETWORK, QByteArray("Microsoft Windows Network"), kNetworkKey});
        for (int first = 0; first < computers; first += perGroup) {
            const auto group = std::uint64_t(groups_.size());
            network_.push_back({RESOURCEDISPLAYTYPE_DOMAIN,
                                QByteArray("WORKGROUP") + QByteArray::number(group),
                                kNetworkKey + 1 + group});
            std::vector<NetEntry> members;
            for (int i = first; i < std::min(computers, first + perGroup); ++i)
                members.push_back(
                    {RESOURCEDISPLAYTYPE_SERVER,
                     QByteArray("\\\\PC-") + QByteArray::number(i).rightJustified(5, '0'), 0});
            groups_.push_back(std::move(members));
        }
    }

protected:
    std::uint32_t list(const NETRESOURCE* container, std::vector<NetEntry>& entries) override {
        if (!container)
            entries = root_;
        else if (container->providerKey == 1)
            entries = network_;
        else
            entries = groups_.at(container->providerKey - 2);
        return NO_ERROR;
    }

private:
    std::vector<NetEntry> root_;
    std::vector<NetEntry> network_;
    std::vector<std::vector<NetEntry>> groups_;
};

// Sees the refresh button go off (the walk's first step) and on again (its last).
class WalkEnd final : public QObject {
public:
    bool started = false;
    bool finished = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            const bool enabled = static_cast<QWidget*>(watched)->isEnabled();
            if (!enabled)
                started = true;
            else if (started)
                finished = true;
        }
        return false;
    }
};

void BM_WalkUntilFinishEnum(benchmark::State& state) {
    const int computers = int(state.range(0));
    const int perGroup = int(state.range(1));
    services().netResources = std::make_unique<LargeNetwork>(computers, perGroup);
    QTreeWidget tree;
    QPushButton refreshb;
    WalkEnd end;
    refreshb.installEventFilter(&end);

    for (auto _ : state) {
        end.started = end.finished = false;
        startNetEnum({&tree, &refreshb});
        while (!end.finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    int nodes = tree.topLevelItemCount();
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        nodes += tree.topLevelItem(i)->childCount();
    if (nodes != computers + (computers + perGroup - 1) / perGroup)
        state.SkipWithError("the tree does not hold the whole network");
    state.counters["nodes"] = nodes;
    state.counters["time_per_node"] = benchmark::Counter(
        double(nodes) * double(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    services().netResources.reset();
}

BENCHMARK(BM_WalkUntilFinishEnum)
    ->ArgNames({"computers", "per_workgroup"})
    ->Args({10000, 100})
    ->Args({10000, 10000})
    ->Args({1000, 100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QApplication>(argc, argv);
}
