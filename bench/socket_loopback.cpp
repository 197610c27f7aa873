// The socket layer over loopback, on one event loop as in the program:
// - one message's whole road: lookup of a dotted address, connect, the whole-text write and
//   close, the server's accept, read events and the release of the connection;
// - the reading side alone for a large text: how many read events it takes and their cost.

#include "bench_main.h"
#include "messaging/socket_components.h"
#include "platform/guard.h"
#include "platform/resolver.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int gErrors = 0;

void installServices() {
    services().resolver = std::make_unique<QtResolver>();
    setExceptionHandler([](const QString&) { ++gErrors; });
}

// Runs the loop until done() holds; false after a few seconds without it.
bool runUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

QByteArray text(qsizetype size) {
    QByteArray t(size, 'x');
    for (qsizetype i = 0; i < size; i += 97)
        t[i] = static_cast<char>('a' + i % 26);
    return t;
}

// A message of range(0) bytes from a client socket to a server socket, released afterwards.
void BM_MessageRoad(benchmark::State& state) {
    installServices();
    const QByteArray message = text(state.range(0));
    TServerSocket ss;
    QByteArray received;
    int released = 0;
    ss.OnClientRead = [&](QObject*, TCustomWinSocket* s) { received += s->ReadAvailableText(); };
    ss.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { ++released; };
    ss.setActive(true);
    TClientSocket cs;
    cs.OnConnect = [&](QObject*, TCustomWinSocket* s) { s->WriteTextAndClose(message); };
    cs.setHost("127.0.0.1");
    cs.setPort(ss.Socket()->LocalPort());
    for (auto _ : state) {
        received.clear();
        const int before = released;
        cs.setActive(true);
        if (!runUntil([&] {
                return released > before && ss.Socket()->ActiveConnections() == 0 &&
                       received.size() == message.size();
            })) {
            state.SkipWithError("a message did not arrive whole");
            break;
        }
    }
    if (gErrors != 0)
        state.SkipWithError("the socket layer reported an error");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * message.size());
}

// The reading side alone: a raw peer writes range(0) bytes and closes; counts read events.
void BM_ReadLargeText(benchmark::State& state) {
    installServices();
    const QByteArray message = text(state.range(0));
    TServerSocket ss;
    qsizetype received = 0;
    long reads = 0;
    bool closed = false;
    ss.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        received += s->ReadAvailableText().size();
        ++reads;
    };
    ss.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { closed = true; };
    ss.setActive(true);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(ss.Socket()->LocalPort());
    for (auto _ : state) {
        received = 0;
        closed = false;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        (void)::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        qsizetype sent = 0;
        const bool ok = runUntil([&] {
            while (sent < message.size()) {
                const ssize_t r = ::send(fd, message.constData() + sent,
                                         static_cast<size_t>(message.size() - sent), MSG_NOSIGNAL);
                if (r <= 0)
                    break;
                sent += r;
            }
            return sent == message.size();
        });
        ::close(fd);
        if (!ok || !runUntil([&] { return closed; }) || received != message.size()) {
            state.SkipWithError("the text did not arrive whole");
            break;
        }
    }
    if (gErrors != 0)
        state.SkipWithError("the socket layer reported an error");
    state.counters["reads_per_text"] =
        benchmark::Counter(double(reads), benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(state.iterations() * message.size());
}

} // namespace

BENCHMARK(BM_MessageRoad)->Arg(64)->Arg(64 * 1024)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadLargeText)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
