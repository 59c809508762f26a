#pragma once

// A forked child process that holds the data folder the way another
// vantora-cli or window would, for tests of the folder lock.
#include "records/DataFolderLock.h"

#include <functional>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantora::test {

// A child process that runs `hold` (which takes the folder and keeps what it
// needs alive), says so through a pipe and then waits to be told to go on
// or to be killed. `finish` runs after the go; its result is the exit status.
class Holder {
public:
    Holder(
        std::function<void()> hold, std::function<bool()> finish = [] { return true; }) {
        int ready[2];
        int go[2];
        if (::pipe(ready) != 0 || ::pipe(go) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            hold();
            char c = 1;
            (void)!::write(ready[1], &c, 1);
            (void)!::read(go[0], &c, 1);
            ::_exit(finish() ? 0 : 1);
        }
        ::close(ready[1]);
        ::close(go[0]);
        char c = 0;
        ready_ = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
        go_ = go[1];
    }
    ~Holder() { kill(); }
    bool ready() const { return pid_ > 0 && ready_; }
    pid_t pid() const { return pid_; }
    // Lets the child finish; its exit status.
    int release() {
        const char c = 1;
        (void)!::write(go_, &c, 1);
        return reap();
    }
    void kill() {
        if (pid_ > 0)
            ::kill(pid_, SIGKILL);
        reap();
    }

private:
    int reap() {
        int status = -1;
        if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_)
            pid_ = -1;
        if (go_ >= 0)
            ::close(go_);
        go_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid_ = -1;
    int go_ = -1;
    bool ready_ = false;
};

// A holder that takes the folder and keeps it until released or killed.
inline std::function<void()> takes(const QString& root, DataFolderLock::Kind kind) {
    return [root, kind] {
        static DataFolderLock kept;
        kept = DataFolderLock::take(root, kind);
        if (!kept.held())
            ::_exit(3);
    };
}

} // namespace vantora::test
