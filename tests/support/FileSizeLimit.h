#pragma once
// A nearly full disk for the lifetime of the object: a write that would take
// any file of this process, or of a program it starts, beyond `bytes` fails
// with EFBIG. The signal that would otherwise end the process is ignored
// meanwhile. Needs no privileges; everything is restored at the end.

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace veska::test {

class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes)
  {
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &FOld), 0);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = FOld;
    limit.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~TFileSizeLimit()
  {
    ::setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit FOld{};
  void (*FOldHandler)(int) = SIG_DFL;
};

}  // namespace veska::test
