// The single-instance lock: a second holder is refused while the first lives, and a
// holder that is killed outright never blocks the next start.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/SingleInstance.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::ScopedEnv;
using test::TempDir;

// Tries the lock in a forked child: 0 refused, 1 acquired, 2 acquired without a lock.
int AcquireInChild(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        const auto lock = SingleInstance::TryAcquireAt(path);
        _exit(!lock ? 0 : lock->Held() ? 1 : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstance, ASecondCopyIsRefusedWhileTheFirstHoldsTheLock) {
    TempDir dir;
    const std::string path = dir.File("Voda");
    {
        auto first = SingleInstance::TryAcquireAt(path);
        ASSERT_TRUE(first);
        EXPECT_TRUE(first->Held());
        EXPECT_EQ(AcquireInChild(path), 0);
        // Also a second try in the same process is refused (each open is its own holder).
        EXPECT_FALSE(SingleInstance::TryAcquireAt(path));
        // Moving the holder keeps the lock held.
        SingleInstance moved = std::move(*first);
        first.reset();
        EXPECT_EQ(AcquireInChild(path), 0);
    }
    // Released at destruction.
    EXPECT_EQ(AcquireInChild(path), 1);
}

TEST(SingleInstance, AKilledHolderNeverBlocksTheNextStart) {
    TempDir dir;
    const std::string path = dir.File("Voda");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        close(ready[0]);
        const auto lock = SingleInstance::TryAcquireAt(path);
        const char ok = lock && lock->Held() ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        for (;;) pause();
    }
    close(ready[1]);
    char ok = 0;
    const bool told = read(ready[0], &ok, 1) == 1;
    close(ready[0]);
    const bool refused = !SingleInstance::TryAcquireAt(path);

    kill(holder, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    ASSERT_TRUE(told);
    ASSERT_EQ(ok, 'y');
    EXPECT_TRUE(refused);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    auto next = SingleInstance::TryAcquireAt(path);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->Held());
}

TEST(SingleInstance, LockPathInTheRuntimeFolderElseThePerUserTempName) {
    TempDir dir;
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    EXPECT_EQ(SingleInstanceLockPath(), dir.Path() + "/Voda");
    const std::string uid = std::to_string(getuid());
    runtime.Set("relative/run");
    ScopedEnv tmp("TMPDIR", dir.Path());
    EXPECT_EQ(SingleInstanceLockPath(), dir.Path() + "/Voda-" + uid);
    runtime.Set(std::nullopt);
    tmp.Set(dir.File("missing"));
    EXPECT_EQ(SingleInstanceLockPath(), "/tmp/Voda-" + uid);

    // TryAcquire uses that path.
    runtime.Set(dir.Path());
    {
        auto lock = SingleInstance::TryAcquire();
        ASSERT_TRUE(lock);
        EXPECT_EQ(lock->Path(), dir.Path() + "/Voda");
        EXPECT_EQ(AcquireInChild(dir.Path() + "/Voda"), 0);
    }
}

TEST(SingleInstance, AnUntrustworthyLockFileDoesNotStopTheStart) {
    TempDir dir;
    // No folder to make the file in, and a link planted under the name: the program runs.
    auto nowhere = SingleInstance::TryAcquireAt(dir.File("missing/Voda"));
    ASSERT_TRUE(nowhere);
    EXPECT_FALSE(nowhere->Held());
    ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("Voda").c_str()), 0);
    auto planted = SingleInstance::TryAcquireAt(dir.File("Voda"));
    ASSERT_TRUE(planted);
    EXPECT_FALSE(planted->Held());
    EXPECT_NE(access(dir.File("target").c_str(), F_OK), 0);  // the link was not followed
    if (geteuid() == 0) {
        // A file of another user cannot be trusted as a lock.
        const std::string other = dir.File("Voda-other");
        close(open(other.c_str(), O_CREAT | O_WRONLY, 0666));
        ASSERT_EQ(chown(other.c_str(), 65534, 65534), 0);
        auto foreign = SingleInstance::TryAcquireAt(other);
        ASSERT_TRUE(foreign);
        EXPECT_FALSE(foreign->Held());
    }
}

}  // namespace
}  // namespace vellumo
