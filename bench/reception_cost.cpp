// What one received message costs once its bytes are in, by the size of the archive it joins:
// the durable append to archive.ini alone, the archive (text, view and file) alone, and the
// whole hand-over (ignore test, archive, message window and its route).
//
// The archive file lives in a fresh directory under the current one, so run this from a
// directory on the disk whose flush cost is of interest (not tmpfs).

#include "bench_main.h"
#include "messaging/archive_file.h"
#include "messaging/archive_text.h"
#include "platform/boxes.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "shell/form1_reception.h"
#include "windows/archivef.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QByteArray kText =
    "\xcf\xf0\xe8\xe2\xe5\xf2, \xea\xe0\xea \xe4\xe5\xeb\xe0?"; // "Привет, как дела?"

// Errors are counted, not shown: a benchmark has nobody to press OK.
class CountingBoxes final : public IBoxes {
public:
    int errors = 0;
    void error(const QString&) override { ++errors; }
    void information(const QString&) override {}
    Answer question(QWidget*, const QString&, const QString&) override { return Answer::No; }
};

CountingBoxes* installServices() {
    auto boxes = std::make_unique<CountingBoxes>();
    CountingBoxes* raw = boxes.get();
    services().boxes = std::move(boxes);
    services().clock = std::make_unique<SystemClock>();
    return raw;
}

// A fresh working directory whose archive.ini holds `entries` entries, as a long-used
// program leaves it.
class ArchiveDir {
public:
    explicit ArchiveDir(int entries)
        : dir_(QDir::current().filePath(QStringLiteral("reception_cost-XXXXXX"))),
          previous_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        QByteArray text;
        for (int i = 0; i < entries; ++i)
            text += appendedBytes(text, archiveEntry("14:05:09", "PC-07", kText));
        QFile file(QStringLiteral("archive.ini"));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    ~ArchiveDir() { QDir::setCurrent(previous_); }
    ArchiveDir(const ArchiveDir&) = delete;
    ArchiveDir& operator=(const ArchiveDir&) = delete;
    bool valid() const { return dir_.isValid(); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

void perEntry(benchmark::State& state) {
    state.counters["entries"] = double(state.range(0));
    state.SetItemsProcessed(state.iterations());
}

// archive.ini alone: the entry's bytes appended and flushed to disk.
void BM_ArchiveFileAppend(benchmark::State& state) {
    CountingBoxes* boxes = installServices();
    ArchiveDir dir(int(state.range(0)));
    ArchiveFile file;
    QByteArray text = file.load();
    const QByteArray entry = archiveEntry("14:05:09", "PC-07", kText);
    for (auto _ : state) {
        const QByteArray added = appendedBytes(text, entry);
        text += added;
        file.append(text, added);
    }
    if (!dir.valid() || boxes->errors != 0 ||
        QFile(QStringLiteral("archive.ini")).size() != text.size())
        state.SkipWithError("archive.ini does not hold the archive text");
    perEntry(state);
}

// The archive window's part: the text model, the view and the file.
void BM_ArchiveAppendEntry(benchmark::State& state) {
    CountingBoxes* boxes = installServices();
    ArchiveDir dir(int(state.range(0)));
    TArchiveF archive;
    const QByteArray entry = archiveEntry("14:05:09", "PC-07", kText);
    for (auto _ : state)
        archive.appendEntry(entry);
    if (!dir.valid() || boxes->errors != 0 ||
        QFile(QStringLiteral("archive.ini")).size() != archive.archiveText().size())
        state.SkipWithError("archive.ini does not hold the archive text");
    perEntry(state);
}

// The whole hand-over of one message, routed to the archive (its counter goes up) so that
// every iteration does the same work; a 50-name ignore list is searched each time.
void BM_ReceiveMessage(benchmark::State& state) {
    CountingBoxes* boxes = installServices();
    ArchiveDir dir(int(state.range(0)));
    TIgnorF ignorF;
    TMsgf msgf;
    TArchiveF archiveF;
    IgnorF = &ignorF;
    Msgf = &msgf;
    ArchiveF = &archiveF;
    for (int i = 0; i < 50; ++i)
        ignorF.AddIfAbsent("PC-" + QByteArray::number(100 + i));
    archiveF.setUnreadCount(1);
    archiveF.show();
    for (auto _ : state)
        ReceiveMessage("pc-07", kText);
    if (!dir.valid() || boxes->errors != 0 || archiveF.unreadCount() != 1 + state.iterations())
        state.SkipWithError("the messages did not all reach the archive");
    archiveF.hide();
    IgnorF = nullptr;
    Msgf = nullptr;
    ArchiveF = nullptr;
    perEntry(state);
}

// The largest message a peer can send, one line without a break, into an archive of the
// given size; the message window shows it.
void BM_ReceiveLargestMessage(benchmark::State& state) {
    CountingBoxes* boxes = installServices();
    ArchiveDir dir(int(state.range(0)));
    TIgnorF ignorF;
    TMsgf msgf;
    TArchiveF archiveF;
    IgnorF = &ignorF;
    Msgf = &msgf;
    ArchiveF = &archiveF;
    const QByteArray text(qsizetype(1) << 20, 'a');
    for (auto _ : state) {
        ReceiveMessage("pc-07", text);
        state.PauseTiming();
        msgf.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (!dir.valid() || boxes->errors != 0)
        state.SkipWithError("the messages did not all reach the archive");
    IgnorF = nullptr;
    Msgf = nullptr;
    ArchiveF = nullptr;
    perEntry(state);
}

void archiveSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("entries")->Arg(0)->Arg(10000)->Arg(100000);
    b->Unit(benchmark::kMicrosecond)->UseRealTime();
}

BENCHMARK(BM_ArchiveFileAppend)->Apply(archiveSizes);
BENCHMARK(BM_ArchiveAppendEntry)->Apply(archiveSizes);
BENCHMARK(BM_ReceiveMessage)->Apply(archiveSizes);
BENCHMARK(BM_ReceiveLargestMessage)
    ->ArgName("entries")
    ->Arg(0)
    ->Arg(10000)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // The offscreen platform warns on every raise(); that would bury the results.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return runBenchmarks<QApplication>(argc, argv);
}
