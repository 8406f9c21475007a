#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

// A real write failure that needs no root and no full disk: while this object
// lives, no file of this process may grow beyond the limit. A write past it
// fails with EFBIG ("File too large") the way a full disk fails with ENOSPC;
// SIGXFSZ, which would end the process instead, is ignored meanwhile. Keep
// the scope to the write under test: gtest's own output is a file too.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    FArmed = ::sigaction(SIGXFSZ, &ignore, &FOldAction) == 0 && ::getrlimit(RLIMIT_FSIZE, &FOldLimit) == 0;
    if (FArmed) {
      rlimit limit = FOldLimit;
      limit.rlim_cur = bytes;
      FArmed = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    EXPECT_TRUE(FArmed) << "the file size limit could not be set";
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FOldLimit);
    ::sigaction(SIGXFSZ, &FOldAction, nullptr);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  struct sigaction FOldAction {};
  rlimit FOldLimit{};
  bool FArmed = false;
};
