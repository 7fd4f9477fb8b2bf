// Starting another program without a shell: its arguments arrive as they are, its exit
// status comes back, a program that cannot run is an error, and a process is always
// reaped, also when it is killed at a time limit or outlived by its owner.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/Error.h"
#include "platform/Process.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

/// True when `pid` is gone for good: not running and not left as a zombie.
bool Reaped(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD; }

TEST(Process, ArgumentsPassAsTheyAreAndTheExitStatusComesBack) {
    TempDir dir;
    const std::string out = dir.File("args 引数.txt");
    // A descriptor of ours without close-on-exec must not reach the program.
    const int open = ::open(dir.File("held").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(open, 0);
    const std::string script =
        "printf '%s\\n' \"$@\" > \"$0\"; read line && echo stdin >> \"$0\"; "
        "[ -e /proc/$$/fd/" +
        std::to_string(open) + " ] && echo leaked >> \"$0\"; exit 3";
    Process p = Process::Start(
        {"/bin/sh", "-c", script, out, "a  b", "日本語 \"引用\" 'x'", "*", "$HOME", ""});
    const std::optional<ProcessEnd> end = p.WaitFor(30s);
    ::close(open);
    ASSERT_TRUE(end);
    EXPECT_TRUE(end->exited);
    EXPECT_EQ(end->status, 3);
    EXPECT_FALSE(end->Succeeded());
    EXPECT_EQ(test::ReadText(out), "a  b\n日本語 \"引用\" 'x'\n*\n$HOME\n\n");
    EXPECT_TRUE(Reaped(p.Pid()));

    Process ok = Process::Start({"/bin/sh", "-c", "exit 0"});
    const std::optional<ProcessEnd> okEnd = ok.WaitFor(30s);
    ASSERT_TRUE(okEnd);
    EXPECT_TRUE(okEnd->Succeeded());
}

TEST(Process, AProgramThatCannotRunIsAnError) {
    TempDir dir;
    const std::string plain = dir.Write("plain", std::string("#!/bin/sh\nexit 0\n"));
    ::chmod(plain.c_str(), 0644);
    const std::string noFormat = dir.Write("noformat", std::string("\x01\x02\x03 not a program"));
    ::chmod(noFormat.c_str(), 0755);
    for (const std::string& program :
         {dir.File("missing"), plain, noFormat, dir.Path(), std::string()}) {
        SCOPED_TRACE(program);
        EXPECT_THROW(Process::Start({program}), Error);
    }
    EXPECT_THROW(Process::Start({}), Error);
}

TEST(Process, AWaitEndsAtItsLimitAndAKilledOrAbandonedProcessIsReaped) {
    Process p = Process::Start({"/bin/sleep", "30"});
    EXPECT_FALSE(p.TryWait());
    EXPECT_FALSE(p.WaitFor(50ms));
    const ProcessEnd end = p.Kill();
    EXPECT_FALSE(end.exited);
    EXPECT_EQ(end.status, SIGKILL);
    EXPECT_TRUE(Reaped(p.Pid()));
    ASSERT_TRUE(p.End());
    EXPECT_EQ(p.Kill().status, SIGKILL);  // once ended, the same end

    // The owner goes while the program runs: it is killed and reaped with it.
    pid_t pid = -1;
    {
        Process abandoned = Process::Start({"/bin/sleep", "30"});
        pid = abandoned.Pid();
        Process moved = std::move(abandoned);
        EXPECT_EQ(moved.Pid(), pid);
        EXPECT_EQ(abandoned.Pid(), -1);
        abandoned.Kill();  // a moved-from object kills nothing
        EXPECT_EQ(::kill(pid, 0), 0);
    }
    EXPECT_TRUE(Reaped(pid));
    EXPECT_NE(::kill(pid, 0), 0);
}

/// Whether `pid` has ended (gone, or a zombie waiting for its new parent), within 5 s.
bool Ends(pid_t pid) {
    for (int i = 0; i < 500; ++i) {
        const std::string stat = test::ReadText("/proc/" + std::to_string(pid) + "/stat");
        if (stat.empty() || stat.find(") Z") != std::string::npos) return true;
        usleep(10000);
    }
    return false;
}

// A wrapper script's program runs on after the wrapper: it is ended with it, when the
// wrapper is killed at a limit and when it ends by itself.
TEST(Process, WhatItStartedInItsGroupEndsWithIt) {
    TempDir dir;
    for (const bool hung : {true, false}) {
        SCOPED_TRACE(hung ? "killed" : "ended");
        const std::string pidFile = dir.File(hung ? "hung" : "ended");
        Process wrapper = Process::Start(
            {"/bin/sh", "-c",
             std::string("sleep 30 & echo $! > \"$0\"; ") + (hung ? "wait" : "exit 0"), pidFile});
        EXPECT_EQ(getpgid(wrapper.Pid()), wrapper.Pid());  // a group of its own
        pid_t child = 0;
        for (int i = 0; i < 500 && child <= 0; ++i, usleep(10000))
            child = pid_t(std::atoi(test::ReadText(pidFile).c_str()));
        ASSERT_GT(child, 0);
        if (hung) {
            EXPECT_FALSE(wrapper.WaitFor(50ms));
            wrapper.Kill();
        } else {
            ASSERT_TRUE(wrapper.WaitFor(30s));
        }
        EXPECT_TRUE(Ends(child));
    }
}

}  // namespace
}  // namespace vellumo
