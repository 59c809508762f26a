// recorder-sim: the recorder's side of the serial link on a pseudo-terminal.
// Prints the port path (the slave side) on the first line of stdout, and with
// --port-file also writes it to a file that appears whole (a script can wait
// for it). Serves until it is killed or its stdin (when a pipe) is closed.
#include "tools/sim/PseudoTerminal.h"
#include "tools/sim/RecorderSim.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantora::sim;

namespace {

const char* kUsage =
    "usage: recorder-sim [options]\n"
    "  --port-file FILE       also write the port to FILE once it is open; removed at the end\n"
    "  --unpaced              send as fast as the line takes it (default: 38400 baud pace)\n"
    "  --recordings N         stored recordings (default 3); the second is kept in two chunks\n"
    "  --no-chunks            keep every recording in one chunk\n"
    "  --live                 stream live frames (62.5 per second) instead of answering commands\n"
    "  --switched-on          as a recorder that is switched on: live frames until the station\n"
    "                         starts a download, serve it, stream again 3 s after the last "
    "command\n"
    "  --frames N             live: stop streaming after N frames\n"
    "  --backlog S            live: start S seconds behind, as a recorder that streamed into\n"
    "                         a line no one read; the missed frames go out at once\n"
    "  --heart-rate N         live heart rate (default 75)\n"
    "  --rhythm C1,C2,...     live rhythm codes, 100 frames each in turn\n"
    "  --invalid-every N      live: every N-th frame carries no signal\n"
    "  --invalid-at START:N   live: N frames without signal from frame START\n"
    "  --silence CODE[:T]     no reply to the first T commands CODE (0-5)\n"
    "  --garbage CODE[:T]     100 foreign bytes instead of the reply\n"
    "  --bad-checksum CODE[:T] replies with a wrong checksum\n"
    "  --vanish-after BYTES   the port disappears after BYTES bytes of record data (live: "
    "frames)\n";

std::atomic<bool> gStop{false};

void onSignal(int) {
    gStop.store(true);
}

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr, "recorder-sim: %s\n\n%s", why, kUsage);
    std::exit(2);
}

int number(const QStringList& args, int& i) {
    if (i + 1 >= args.size())
        usage("an option needs a value");
    bool ok = false;
    const int n = args[++i].toInt(&ok);
    if (!ok || n < 0)
        usage("a value is not a whole number");
    return n;
}

SimFault fault(SimFault::Kind kind, const QStringList& args, int& i) {
    if (i + 1 >= args.size())
        usage("a fault needs a command code");
    const QStringList parts = args[++i].split(u':');
    SimFault f;
    f.kind = kind;
    f.code = uint8_t(parts[0].toInt());
    f.times = parts.size() > 1 ? parts[1].toInt() : 1;
    return f;
}

SimConfig parse(const QStringList& args, QString& portFile) {
    SimConfig c;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--port-file" && i + 1 < args.size())
            portFile = args[++i];
        else if (a == "--unpaced")
            c.paced = false;
        else if (a == "--recordings")
            c.recordings = std::min(number(args, i), 200);
        else if (a == "--no-chunks")
            c.chunked = false;
        else if (a == "--live")
            c.live = true;
        else if (a == "--switched-on")
            c.switchedOn = true;
        else if (a == "--frames")
            c.liveFrames = number(args, i);
        else if (a == "--backlog")
            c.backlogFrames = std::min(number(args, i), 86400) * 1000 / 16;
        else if (a == "--heart-rate")
            c.heartRate = number(args, i);
        else if (a == "--invalid-every")
            c.invalidEvery = number(args, i);
        else if (a == "--vanish-after")
            c.vanishAfterDataBytes = number(args, i);
        else if (a == "--rhythm" && i + 1 < args.size()) {
            for (const QString& code : args[++i].split(u','))
                c.rhythmCodes.push_back(code.toInt());
        } else if (a == "--invalid-at" && i + 1 < args.size()) {
            const QStringList parts = args[++i].split(u':');
            c.invalidStart = parts[0].toInt();
            c.invalidCount = parts.size() > 1 ? parts[1].toInt() : 1;
        } else if (a == "--silence")
            c.faults.push_back(fault(SimFault::Kind::Silence, args, i));
        else if (a == "--garbage")
            c.faults.push_back(fault(SimFault::Kind::Garbage, args, i));
        else if (a == "--bad-checksum")
            c.faults.push_back(fault(SimFault::Kind::BadChecksum, args, i));
        else if (a == "--help")
            std::fputs(kUsage, stdout), std::exit(0);
        else
            usage(("unknown option " + a.toStdString()).c_str());
    }
    return c;
}

// Only a pipe or socket on stdin can tell us to stop. A terminal is left to
// Ctrl-C (reading it from the background would stop the process), /dev/null
// says nothing.
bool watchesStdin() {
    struct stat st {};
    return ::fstat(0, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

// The file is renamed into place, so a reader never sees half a path.
bool writePortFile(const QString& path, const QString& port) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(port.toLocal8Bit() + '\n') > 0 &&
           file.commit();
}

void watchStdin() {
    char buf[64];
    while (!gStop.load()) {
        pollfd p{0, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0 && ::read(0, buf, sizeof buf) <= 0)
            gStop.store(true);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString portFile;
    const SimConfig config = parse(app.arguments().mid(1), portFile);
    PseudoTerminal pty;
    if (!pty.open()) {
        std::fprintf(stderr, "recorder-sim: no pseudo-terminal available\n");
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("%s\n", pty.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    if (!portFile.isEmpty() && !writePortFile(portFile, pty.slavePath())) {
        std::fprintf(stderr, "recorder-sim: cannot write %s\n", portFile.toLocal8Bit().constData());
        return 1;
    }

    RecorderSim sim(config);
    sim.setVanishHandler([&pty] { pty.close(); });
    std::thread watcher;
    if (watchesStdin())
        watcher = std::thread(watchStdin);
    sim.serve(pty.masterFd(), gStop);
    gStop.store(true);
    if (watcher.joinable())
        watcher.join();
    if (!portFile.isEmpty())
        QFile::remove(portFile);
    return 0;
}
