// Two vantora-cli loops writing one data folder at once, 40 rounds per
// pair (bench/DataFolderStress runs hundreds): every success is applied
// exactly once, nothing is lost or doubled, and the stores' counts agree.
#include "support/FolderStress.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

TEST(DataFolderStress, TwoWritersAccountForEverySuccessExactlyOnce) {
    QTemporaryDir work;
    const QString cli = binDir() + QStringLiteral("/vantora-cli");
    for (const StressPair& pair : stressPairs()) {
        SCOPED_TRACE(pair.name);
        const StressRun run = runStressPair(pair, cli, work.path(), 40);
        EXPECT_EQ(stressProblems(pair, run), QString());
        // Each side got through: the pairs are races, not refusals.
        EXPECT_GT(run.a.succeeded.size() + run.b.succeeded.size(), 0);
        EXPECT_EQ(run.a.busy + run.b.busy, 0) << "no holder keeps the folder for seconds";
    }
}
