#pragma once

// Two command-line processes writing one data folder at once: each side runs
// its command a number of rounds in a shell loop, both loops at the same
// time, and afterwards the folder must account for every success exactly
// once. Shared by the suite's short run and the stress benchmark.
#include "core/RecordingMode.h"
#include "records/ChartFile.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace vantora::test {

// What one side's rounds gave: the rounds that succeeded, the refusals for a
// busy folder, and any other failure with its text.
struct StressSide {
    QSet<int> succeeded;
    int busy = 0;
    QStringList otherFailures;
    int crashes = 0;
};

struct StressRun {
    QString root;
    int rounds = 0;
    StressSide a;
    StressSide b;
};

// One pair: the folder's set-up, the two commands (vantora-cli arguments
// after --data; "$i" stands for the round, from 1) and the check of the
// folder afterwards, which returns what is wrong (empty when all holds).
struct StressPair {
    const char* name;
    QString sideA;
    QString sideB;
    std::function<QString(const StressRun&)> check;
    std::function<void(const QString& root, const QString& cli)> setUp = {};
};

// Runs vantora-cli for the set-up, its output dropped.
inline void stressSetUpCli(const QString& cli, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(cli, args);
    p.waitForFinished(-1);
}

inline QString stressShellLoop(const QString& cli, const QString& root, const QString& args,
                               int rounds) {
    // Each round prints "ROUND STATUS FIRST-LINE-OF-STDERR".
    return QStringLiteral("for i in $(seq 1 %1); do "
                          "err=$(\"%2\" --data \"%3\" %4 2>&1 >/dev/null); st=$?; "
                          "printf '%s %s %s\\n' \"$i\" \"$st\" \"$(printf '%s' \"$err\" | "
                          "head -n 1)\"; done")
        .arg(rounds)
        .arg(cli, root, args);
}

inline StressSide parseStressSide(const QByteArray& out) {
    StressSide side;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() < 2)
            continue;
        const int round = parts[0].toInt();
        const int status = parts[1].toInt();
        const QString text = QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2));
        if (status == 0)
            side.succeeded.insert(round);
        else if (text.contains(QStringLiteral("is in use by")))
            ++side.busy;
        else if (status > 2)
            ++side.crashes;
        else
            side.otherFailures.append(QStringLiteral("round %1: %2").arg(round).arg(text));
    }
    return side;
}

// Runs both sides `rounds` times at once in a new folder made by set-up.
inline StressRun runStressPair(const StressPair& pair, const QString& cli, const QString& workDir,
                               int rounds) {
    StressRun run;
    run.rounds = rounds;
    run.root = workDir + QStringLiteral("/") + QString::fromLatin1(pair.name);
    QDir(run.root).removeRecursively();
    stressSetUpCli(cli, {QStringLiteral("demo"), QStringLiteral("--data"), run.root});
    if (pair.setUp)
        pair.setUp(run.root, cli);
    QProcess a;
    QProcess b;
    for (auto [p, args] : {std::pair{&a, pair.sideA}, std::pair{&b, pair.sideB}}) {
        p->setWorkingDirectory(run.root);
        p->start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), stressShellLoop(cli, run.root, args, rounds)});
    }
    a.waitForFinished(-1);
    b.waitForFinished(-1);
    run.a = parseStressSide(a.readAllStandardOutput());
    run.b = parseStressSide(b.readAllStandardOutput());
    return run;
}

// --- What the folder must hold afterwards ---------------------------------

inline int stressCount(const QString& root, RecordingMode mode, const QString& id) {
    return RecordingStore(root, mode, id).count().value();
}

// Every store of every listed patient: its two counts agree and every entry
// is readable.
inline QString stressStoresAgree(const QString& root) {
    QString wrong;
    for (const PatientRecord& p : PatientRegistry(root).loadAll().records)
        for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
            const RecordingStore store(root, mode, p.id);
            const auto data = store.count();
            const auto index = store.listIndex();
            if (!data.ok() || !index.message.isNone() ||
                size_t(data.value()) != index.recordings.size())
                wrong += QStringLiteral("store %1/%2: data %3, index %4; ")
                             .arg(p.id)
                             .arg(toInt(mode))
                             .arg(data.value())
                             .arg(index.recordings.size());
        }
    return wrong;
}

inline QStringList stressIds(const QString& root) {
    QStringList ids;
    for (const PatientRecord& p : PatientRegistry(root).loadAll().records)
        ids.append(p.id);
    return ids;
}

// Ids listed more than once.
inline QString stressDuplicates(const QStringList& ids) {
    QSet<QString> seen;
    QString twice;
    for (const QString& id : ids) {
        if (seen.contains(id))
            twice += id + u' ';
        seen.insert(id);
    }
    return twice.isEmpty() ? QString() : QStringLiteral("listed twice: ") + twice;
}

inline QString expectEqual(const char* what, qint64 got, qint64 expected) {
    return got == expected ? QString()
                           : QStringLiteral("%1: %2, expected %3; ")
                                 .arg(QLatin1String(what))
                                 .arg(got)
                                 .arg(expected);
}

// The pairs that lost, doubled or mislabelled data before the folder lock.
// The demo folder has patients 1001 to 1003; set-up exports one Snap
// recording of 1002 to chart.cEcg, which the imports bring back again.
inline std::vector<StressPair> stressPairs() {
    const QString chart = QStringLiteral("chart.cEcg");
    const auto makeChart = [chart](const QString& root, const QString& cli) {
        stressSetUpCli(
            cli, {QStringLiteral("--data"), root, QStringLiteral("export"),
                  QStringLiteral("--patient"), QStringLiteral("1002"), QStringLiteral("--mode"),
                  QStringLiteral("snap"), QStringLiteral("--number"), QStringLiteral("1"),
                  QStringLiteral("--out"), root + u'/' + chart, QStringLiteral("--yes")});
    };
    const QString import = QStringLiteral("import chart.cEcg --mode snap --yes");
    const auto snap1002 = [](const StressRun& r) {
        return stressCount(r.root, RecordingMode::Snap, QStringLiteral("1002"));
    };
    // The count set-up leaves: the demo's 1002 Snap store less the exported one.
    static int startCount = 0;
    const auto setUpImports = [makeChart](const QString& root, const QString& cli) {
        makeChart(root, cli);
        startCount = stressCount(root, RecordingMode::Snap, QStringLiteral("1002"));
    };
    return {
        {"import-import", import, import,
         [snap1002](const StressRun& r) {
             return expectEqual("1002 Snap recordings", snap1002(r),
                                startCount + r.a.succeeded.size() + r.b.succeeded.size());
         },
         setUpImports},
        {"import-remove", import,
         QStringLiteral("recordings remove --patient 1002 --mode snap --number 1 --yes"),
         [snap1002](const StressRun& r) {
             return expectEqual("1002 Snap recordings", snap1002(r),
                                startCount + r.a.succeeded.size() - r.b.succeeded.size());
         },
         setUpImports},
        {"export-import",
         QStringLiteral("export --patient 1002 --mode snap --number 1 --out out$i.cEcg --yes"),
         import,
         [snap1002](const StressRun& r) {
             QString wrong = expectEqual("1002 Snap recordings", snap1002(r),
                                         startCount - r.a.succeeded.size() + r.b.succeeded.size());
             // An export that succeeded left a chart of one recording; a
             // failed one left none.
             for (int i = 1; i <= r.rounds; ++i) {
                 QFile out(r.root + QStringLiteral("/out%1.cEcg").arg(i));
                 if (out.exists() != r.a.succeeded.contains(i) ||
                     (out.open(QIODevice::ReadOnly) && out.read(4) != QByteArray("\1\0\0\0", 4)))
                     wrong += QStringLiteral("chart out%1 does not match its export; ").arg(i);
             }
             return wrong;
         },
         setUpImports},
        {"add-edit", QStringLiteral("patients add --id 5$i --name Added$i"),
         QStringLiteral("patients edit --id 1001 --name Edited$i"),
         [](const StressRun& r) {
             const QStringList ids = stressIds(r.root);
             QString wrong = expectEqual("patients", ids.size(), 3 + r.a.succeeded.size());
             for (const int i : r.a.succeeded)
                 if (!ids.contains(QStringLiteral("5%1").arg(i)))
                     wrong += QStringLiteral("added 5%1 is missing; ").arg(i);
             return wrong + stressDuplicates(ids);
         }},
        {"quickadd-delete", QStringLiteral("patients quick-add --id Q$i --first F --second S"),
         QStringLiteral("patients delete --id Q$i --yes"),
         [](const StressRun& r) {
             const QStringList ids = stressIds(r.root);
             return expectEqual("patients", ids.size(),
                                3 + r.a.succeeded.size() - r.b.succeeded.size()) +
                    stressDuplicates(ids);
         }},
        {"add-same-id", QStringLiteral("patients add --id 7$i --name A$i"),
         QStringLiteral("patients add --id 7$i --name B$i"),
         [](const StressRun& r) {
             const QStringList ids = stressIds(r.root);
             QString wrong = expectEqual("patients", ids.size(),
                                         3 + r.a.succeeded.size() + r.b.succeeded.size());
             for (const int i : r.a.succeeded)
                 if (r.b.succeeded.contains(i))
                     wrong += QStringLiteral("7%1 added by both; ").arg(i);
             return wrong + stressDuplicates(ids);
         }},
    };
}

// Everything wrong with the folder after a run (empty when all holds).
inline QString stressProblems(const StressPair& pair, const StressRun& run) {
    QString wrong = pair.check(run) + stressStoresAgree(run.root);
    if (run.a.crashes + run.b.crashes > 0)
        wrong += QStringLiteral("%1 crashes; ").arg(run.a.crashes + run.b.crashes);
    return wrong;
}

} // namespace vantora::test
