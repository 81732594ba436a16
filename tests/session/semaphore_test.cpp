// The node semaphore's lock: it stays while the node runs whatever else the process opens and
// closes, it is an open-file-description lock, and it can be handed over to the node by the
// program that claimed the node for it.
#include "session/semaphore.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/temp_dir.h"

namespace vx::session {
namespace {

// Whether another process can take a write lock on the file (forks a child that tries).
bool AnotherProcessCanLock(const std::string& path) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(path.c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    _exit(fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ProcLocksLineFor(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  char inode[64];
  std::snprintf(inode, sizeof inode, ":%lu ", static_cast<unsigned long>(st.st_ino));
  std::ifstream in("/proc/locks");
  std::string line;
  while (std::getline(in, line)) {
    if (line.find(inode) != std::string::npos) return line;
  }
  return {};
}

TEST(NodeSemaphore, TheLockSurvivesAnotherOpenAndCloseOfTheFileInTheSameProcess) {
  test::TempDir dir;
  platform::Environment env;
  NodeSemaphore semaphore("VxBusy", 3, dir.path() + "/", dir.path() + "/", env);
  ASSERT_TRUE(semaphore.Create());
  const std::string path = dir / "VxBusy.3";
  EXPECT_FALSE(AnotherProcessCanLock(path));

  // Code elsewhere in the node opens and closes the same file (an existence test, say). A classic
  // fcntl lock would be dropped here.
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_TRUE(semaphore.Exists());
  EXPECT_FALSE(AnotherProcessCanLock(path));
  EXPECT_FALSE(semaphore.HeldByRunningNode()) << "our own lock is not another running node";
  EXPECT_NE(ProcLocksLineFor(path).find("OFDLCK"), std::string::npos) << ProcLocksLineFor(path);

  semaphore.Remove();
  EXPECT_FALSE(test::Exists(path));
}

TEST(NodeSemaphore, ALockHeldElsewhereIsSeenAndRefused) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "VxBusy.4";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);

  NodeSemaphore semaphore("VxBusy", 4, dir.path() + "/", dir.path() + "/", env);
  EXPECT_TRUE(semaphore.HeldByRunningNode());
  EXPECT_FALSE(semaphore.Create());
  EXPECT_FALSE(semaphore.created());

  // Handed over instead: the node adopts the claim and holds it as its own.
  EXPECT_TRUE(semaphore.Adopt(fd));
  EXPECT_TRUE(semaphore.created());
  EXPECT_FALSE(semaphore.HeldByRunningNode());
  EXPECT_FALSE(AnotherProcessCanLock(path));
  semaphore.Remove();
  EXPECT_FALSE(test::Exists(path));
}

TEST(NodeSemaphore, AClaimOnAnotherFileIsNotAdopted) {
  test::TempDir dir;
  platform::Environment env;
  const std::string other = dir / "VxBusy.9";
  int fd = ::open(other.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  NodeSemaphore semaphore("VxBusy", 5, dir.path() + "/", dir.path() + "/", env);
  EXPECT_FALSE(semaphore.Adopt(fd));
  EXPECT_FALSE(semaphore.created());
  ::close(fd);
}

}  // namespace
}  // namespace vx::session
