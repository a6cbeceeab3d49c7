#include "support/temp_file_cleanup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "common/temp_dir.h"

namespace {

// A child guards two files, lets one go, and is ended by the signal: the guarded file is gone,
// the released one stays, and the child ends as the signal ends a program.
TEST(TempFileGuard, SignalsRemoveGuardedFilesAndStillEndTheProgram) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    testutil::TempDir dir;
    testutil::writeFile(dir.file("guarded"), {});
    testutil::writeFile(dir.file("released"), {});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      support::removeTempFilesOnSignals();
      support::TempFileGuard guarded;
      support::TempFileGuard released;
      guarded.guard(dir.file("guarded"));
      released.guard(dir.file("released"));
      released.release();
      std::raise(signal);
      ::_exit(0);  // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"released"});
  }
}

}  // namespace
