#include "components/dos_command.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Records what the events of one component report, from whichever thread raises them.
struct Recorder {
    std::mutex mutex;
    QByteArrayList lines;
    QList<QObject*> senders;
    int terminated = 0;
    QStringList startFailures;

    void attach(TDosCommand& cmd) {
        cmd.OnNewLine = [this](QObject* sender, const QByteArray& line) {
            std::lock_guard lock(mutex);
            lines.append(line);
            senders.append(sender);
        };
        cmd.OnTerminated = [this](QObject* sender) {
            std::lock_guard lock(mutex);
            ++terminated;
            senders.append(sender);
        };
        cmd.OnStartFailed = [this](QObject* sender, const QString& message) {
            std::lock_guard lock(mutex);
            startFailures.append(message);
            senders.append(sender);
        };
    }
};

// Runs a command line to its end; the lines as the component collected them.
QByteArrayList runToEnd(TDosCommand& cmd, const QByteArray& commandLine) {
    cmd.CommandLine = commandLine;
    cmd.Run();
    EXPECT_TRUE(cmd.Worker() && cmd.Worker()->WaitFor(10000)) << commandLine.constData();
    return cmd.OutputLines();
}

std::map<QString, QString> openDescriptors() {
    std::map<QString, QString> fds;
    const QDir dir(QStringLiteral("/proc/self/fd"));
    for (const QString& name : dir.entryList(QDir::System | QDir::NoDotAndDotDot))
        fds[name] = QFile::symLinkTarget(dir.filePath(name));
    return fds;
}

QByteArrayList list(std::initializer_list<QByteArray> items) {
    return QByteArrayList(items);
}

} // namespace

TEST(DosCommand, OutputBecomesLines) {
    const QByteArray k1023(1023, '0');
    const struct {
        const char* commandLine;
        QByteArrayList lines;
    } cases[] = {
        {"printf one\\r\\ntwo\\r\\n", list({"one", "two"})},
        {"printf \\r\\n\\n\\nx\\n\\n\\r", list({"x"})},
        {"printf \"no break\"", list({"no break"})},
        {"printf a\\000b", list({"a", "b"})},
        // One write of 1500 bytes: read as 1023 and 477, the line cut in two.
        {"printf %01500d 0", list({k1023, QByteArray(477, '0')})},
        {"sh -c \"echo out; echo err >&2\"", list({"out", "err"})},
        {"printf \xcf\xf0\xe8\\r\\n", list({"\xcf\xf0\xe8"})},
    };
    for (const auto& c : cases) {
        TDosCommand cmd;
        Recorder events;
        events.attach(cmd);
        EXPECT_EQ(runToEnd(cmd, c.commandLine), c.lines) << c.commandLine;
        std::lock_guard lock(events.mutex);
        EXPECT_EQ(events.lines, c.lines) << c.commandLine;
        EXPECT_EQ(events.terminated, 1) << c.commandLine;
        EXPECT_EQ(events.senders.count(&cmd), events.senders.size());
    }
}

TEST(DosCommand, ArgumentsReachTheProgramWithoutAShell) {
    TDosCommand cmd;
    const QByteArrayList lines =
        runToEnd(cmd, "printf [%s]\\n ;|$(id) \"a b\" `id`&&touch\tx\\\"y \"c\"\"d\" '' e\r\nf");
    EXPECT_EQ(lines, list({"[;|$(id)]", "[a b]", "[`id`&&touch]", "[x\"y]", "[c\"d]", "['']", "[e",
                           "f]"}));
}

TEST(DosCommand, ChildIsHiddenAndInheritsOnlyItsPipes) {
    // A descriptor someone opened without close-on-exec must not reach the child either.
    const int leaked = dup(STDERR_FILENO);
    ASSERT_GE(leaked, 3);
    TDosCommand cmd;
    // ls holds its own descriptor 3 for the directory it lists.
    EXPECT_EQ(runToEnd(cmd, "ls -1 /proc/self/fd"), list({"0", "1", "2", "3"}));
    close(leaked);

    const QByteArrayList links =
        runToEnd(cmd, "readlink /proc/self/fd/0 /proc/self/fd/1 /proc/self/fd/2");
    ASSERT_EQ(links.size(), 3);
    EXPECT_TRUE(links[0].startsWith("pipe:"));
    EXPECT_TRUE(links[1].startsWith("pipe:"));
    EXPECT_NE(links[0], links[1]);
    EXPECT_EQ(links[1], links[2]);

    // pid (comm) state ppid pgrp session tty_nr: a session of its own, no terminal.
    const QByteArrayList stat = runToEnd(cmd, "cat /proc/self/stat");
    ASSERT_EQ(stat.size(), 1);
    const QByteArrayList fields = stat[0].split(' ');
    ASSERT_GT(fields.size(), 6);
    EXPECT_EQ(fields[5], fields[0]);
    EXPECT_EQ(fields[6], "0");
}

TEST(DosCommand, MissingProgramEndsTheWorkerWithItsError) {
    const char* commandLines[] = {"no-such-program-cw2 send pc-07 \"hi there\"",
                                  "./no/such/dir/prog", "\"\" x", "/etc", "/etc/hostname"};
    for (const char* commandLine : commandLines) {
        TDosCommand cmd;
        Recorder events;
        events.attach(cmd);
        EXPECT_TRUE(runToEnd(cmd, commandLine).isEmpty());
        const QString expected =
            QString::fromLatin1(commandLine) + QStringLiteral(" doesn't exist.");
        const std::exception_ptr error = cmd.Worker()->FatalException();
        ASSERT_TRUE(error) << commandLine;
        try {
            std::rethrow_exception(error);
        } catch (const TCreateProcessError& e) {
            EXPECT_EQ(e.Message(), expected);
        } catch (...) {
            ADD_FAILURE() << "not a TCreateProcessError: " << commandLine;
        }
        std::lock_guard lock(events.mutex);
        EXPECT_EQ(events.terminated, 0);
        EXPECT_TRUE(events.lines.isEmpty());
        EXPECT_EQ(events.startFailures, QStringList{expected});
    }
}

TEST(DosCommand, NullByteInCommandLineIsNotCutShort) {
    TDosCommand cmd;
    const QByteArray commandLine("printf a\0; echo b", 17);
    EXPECT_TRUE(runToEnd(cmd, commandLine).isEmpty());
    EXPECT_EQ(cmd.Worker()->FatalMessage(),
              QString::fromLatin1(commandLine) + QStringLiteral(" doesn't exist."));
}

TEST(DosCommand, TerminatedOnceAfterEverythingIsClosed) {
    const auto before = openDescriptors();
    TDosCommand cmd;
    std::mutex mutex;
    int terminated = 0;
    std::map<QString, QString> atEnd;
    siginfo_t zombie{};
    cmd.OnTerminated = [&](QObject*) {
        std::lock_guard lock(mutex);
        ++terminated;
        atEnd = openDescriptors();
        // Without reaping: is any child of ours left unreaped?
        zombie.si_pid = 0;
        waitid(P_ALL, 0, &zombie, WEXITED | WNOHANG | WNOWAIT);
    };
    EXPECT_EQ(runToEnd(cmd, "printf x"), list({"x"}));
    std::lock_guard lock(mutex);
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(atEnd, before);
    EXPECT_EQ(zombie.si_pid, 0);
}

TEST(DosCommand, OutputLeftAtTheChildsEndIsCollected) {
    // While the handler holds the worker, the child writes its last line and ends.
    TDosCommand cmd;
    cmd.OnNewLine = [](QObject*, const QByteArray& line) {
        if (line == "first")
            usleep(500000);
    };
    EXPECT_EQ(runToEnd(cmd, "sh -c \"echo first; sleep 0.1; printf last\""),
              list({"first", "last"}));
}

TEST(DosCommand, WaitsForTheChildWithoutSpinning) {
    const char* commandLines[] = {
        "sleep 1",
        // Output closed early: the pipe reports its end long before the child's.
        "sh -c \"exec >&- 2>&-; sleep 1\"",
    };
    for (const char* commandLine : commandLines) {
        TDosCommand cmd;
        std::mutex mutex;
        double cpuMs = -1;
        cmd.OnTerminated = [&](QObject*) {
            rusage usage{};
            getrusage(RUSAGE_THREAD, &usage);
            std::lock_guard lock(mutex);
            cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
        };
        runToEnd(cmd, commandLine);
        std::lock_guard lock(mutex);
        EXPECT_GE(cpuMs, 0) << commandLine;
        EXPECT_LT(cpuMs, 100) << commandLine;
    }
}

TEST(DosCommand, EndsWithTheChildEvenIfItsHeirKeepsTheOutputOpen) {
    TDosCommand cmd;
    cmd.CommandLine = "sh -c \"sleep 3 & echo started\"";
    cmd.Run();
    EXPECT_TRUE(cmd.Worker()->WaitFor(2000));
    EXPECT_EQ(cmd.OutputLines(), list({"started"}));
}

TEST(DosCommand, NewRunEmptiesTheListWhileAnOlderOneAdds) {
    TDosCommand cmd;
    cmd.CommandLine = "sh -c \"echo a; sleep 1; echo b\"";
    cmd.Run();
    const std::shared_ptr<TDosThread> first = cmd.Worker();
    for (int i = 0; i < 500 && cmd.OutputLines().isEmpty(); ++i)
        usleep(10000);
    ASSERT_EQ(cmd.OutputLines(), list({"a"}));

    EXPECT_EQ(runToEnd(cmd, "printf c"), list({"c"}));
    EXPECT_NE(cmd.Worker(), first);
    ASSERT_TRUE(first->WaitFor(10000));
    EXPECT_EQ(cmd.OutputLines(), list({"c", "b"}));
}

TEST(DosCommand, ComponentMayGoWhileItsWorkerRuns) {
    Recorder events;
    std::shared_ptr<TDosThread> worker;
    {
        TDosCommand cmd;
        events.attach(cmd);
        cmd.CommandLine = "sh -c \"sleep 0.3; echo late\"";
        cmd.Run();
        worker = cmd.Worker();
    }
    ASSERT_TRUE(worker->WaitFor(10000));
    EXPECT_FALSE(worker->FatalException());
    std::lock_guard lock(events.mutex);
    EXPECT_TRUE(events.lines.isEmpty());
    EXPECT_EQ(events.terminated, 0);
}

TEST(DosCommand, EmptyCommandLineStartsNothing) {
    TDosCommand cmd;
    cmd.Run();
    EXPECT_FALSE(cmd.Worker());
}
