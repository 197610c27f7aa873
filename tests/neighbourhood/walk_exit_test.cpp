#include "child_process.h"
#include "walk_fixture.h"

#include <cstdio>
#include <cstdlib>

// The program ends without waiting for walks: a walk that is still inside its provider when
// the process exits must neither crash the exit nor hold it up.
TEST(WalkAtProgramEnd, ExitWhileAWalkWaitsInItsProviderIsClean) {
    if (childRole() == QLatin1String("exit")) {
        auto provider = std::make_unique<ScriptedNetResources>(netRoot({domain("A")}));
        ScriptedNetResources& net = *provider;
        services().netResources = std::move(provider);
        net.holdAt("open A"); // released only when the program end interrupts the provider
        QTreeWidget tree;
        QPushButton refreshb;
        startNetEnum({&tree, &refreshb});
        ASSERT_TRUE(waitUntil([&] { return net.held(); }));
        std::puts("walk is waiting");
        std::fflush(stdout);
        std::exit(0); // the provider is destroyed with the other statics
    }

    const ChildRun run = runCurrentTestInChild(QStringLiteral("exit"), {},
                                               QProcessEnvironment::systemEnvironment(), 20000);
    EXPECT_TRUE(run.finished) << run.output;
    EXPECT_FALSE(run.crashed) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("walk is waiting"), std::string::npos) << run.output;
}
