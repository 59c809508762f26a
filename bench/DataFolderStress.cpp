// Two vantora-cli loops writing one data folder at once, ROUNDS per side and
// pair (default 300): prints per pair the successes, the refusals for a busy
// folder, other failures and anything the folder got wrong; exits 1 when
// anything was lost, doubled or mislabelled.
//   build/bin/DataFolderStress [ROUNDS]
#include "support/FolderStress.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace vantora;
using namespace vantora::test;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/vantora-cli");
    QTemporaryDir work;
    std::printf("%-16s %7s %7s %5s %6s %8s  %s\n", "pair", "A ok", "B ok", "busy", "other",
                "seconds", "problems");
    int failures = 0;
    for (const StressPair& pair : stressPairs()) {
        QElapsedTimer clock;
        clock.start();
        const StressRun run = runStressPair(pair, cli, work.path(), rounds);
        const QString wrong = stressProblems(pair, run);
        failures += wrong.isEmpty() ? 0 : 1;
        std::printf("%-16s %7lld %7lld %5d %6lld %8.1f  %s\n", pair.name,
                    qlonglong(run.a.succeeded.size()), qlonglong(run.b.succeeded.size()),
                    run.a.busy + run.b.busy,
                    qlonglong(run.a.otherFailures.size() + run.b.otherFailures.size()),
                    double(clock.elapsed()) / 1000.0,
                    wrong.isEmpty() ? "none" : wrong.toUtf8().constData());
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
