// Semaphore, thread and lock wrappers, the file handler, and the path
// helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;

TEST(SemHelper, CountsAndTimeouts) {
  marvlog::SemHelper sem;
  EXPECT_FALSE(sem.wait(100));  // not created
  EXPECT_FALSE(sem.post());
  ASSERT_TRUE(sem.create(-5));
  EXPECT_FALSE(sem.wait(100));
  EXPECT_TRUE(sem.post());
  EXPECT_TRUE(sem.wait(100));
  ASSERT_TRUE(sem.create(2));  // afresh
  EXPECT_TRUE(sem.wait(0));
  EXPECT_TRUE(sem.wait(60));
  EXPECT_FALSE(sem.wait(60));
}

TEST(SemHelper, WaitsForAPostFromAnotherThread) {
  for (int timeout : {0, 3000}) {
    marvlog::SemHelper sem;
    ASSERT_TRUE(sem.create(0));
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      sem.post();
    });
    EXPECT_TRUE(sem.wait(timeout)) << timeout;
    poster.join();
  }
}

class CountingThread : public marvlog::ThreadHelper {
 public:
  void run() override { ++runs; }
  std::atomic<int> runs{0};
};

TEST(ThreadHelper, StartsOnceUntilCollected) {
  CountingThread thread;
  EXPECT_FALSE(thread.wait());
  ASSERT_TRUE(thread.start());
  EXPECT_FALSE(thread.start());
  EXPECT_TRUE(thread.wait());
  ASSERT_TRUE(thread.start());
  EXPECT_TRUE(thread.wait());
  EXPECT_EQ(thread.runs.load(), 2);
}

TEST(LockHelper, AutoLockSerialises) {
  marvlog::LockHelper lock;
  long counter = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        marvlog::AutoLock guard(lock);
        ++counter;
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(counter, 40000);
}

TEST(PathHelpers, FixPath) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""}, {"dir", "dir/"}, {"dir/", "dir/"}, {"a\\b", "a/b/"}, {"/tmp", "/tmp/"}, {"c:\\x\\", "c:/x/"},
  };
  for (const auto& c : cases) {
    std::string path = c.first;
    marvlog::fixPath(path);
    EXPECT_EQ(path, c.second) << c.first;
  }
}

TEST(PathHelpers, DirectoriesAndCreation) {
  TempDir dir;
  std::ofstream(dir.file("plain")) << "x";
  EXPECT_TRUE(marvlog::isDirectory(dir.path()));
  EXPECT_FALSE(marvlog::isDirectory(dir.file("plain")));
  EXPECT_FALSE(marvlog::isDirectory(dir.file("missing")));

  EXPECT_TRUE(marvlog::createRecursionDir(""));
  EXPECT_TRUE(marvlog::createRecursionDir(dir.file("a/b\\c")));
  EXPECT_TRUE(marvlog::isDirectory(dir.file("a/b/c")));
  EXPECT_TRUE(marvlog::createRecursionDir(dir.file("a/b/c/")));
  EXPECT_FALSE(marvlog::createRecursionDir(dir.file("plain/sub")));
  EXPECT_FALSE(marvlog::isDirectory(dir.file("plain/sub")));
}

TEST(LogFileHandler, OpenReadWriteRemove) {
  TempDir dir;
  const std::string path = dir.file("f.log");
  marvlog::LogFileHandler file;
  EXPECT_EQ(file.readContent(), "");
  EXPECT_EQ(file.open(path.c_str(), "ab"), 0);
  file.write("hello\r\n", 7);
  {
    // A copy does not share the stream, so the two never close it twice.
    marvlog::LogFileHandler copy(file);
    EXPECT_FALSE(copy.isOpen());
  }
  EXPECT_TRUE(file.isOpen());
  file.close();
  EXPECT_EQ(file.open(path.c_str(), "ab"), 7);
  file.close();
  EXPECT_EQ(file.open(path.c_str(), "rb"), 7);
  EXPECT_EQ(file.readContent(), "hello\r\n");
  EXPECT_EQ(file.open(path.c_str(), "xb"), -1);
  EXPECT_FALSE(file.isOpen());
  EXPECT_TRUE(marvlog::LogFileHandler::removeFile(path));
  EXPECT_FALSE(marvlog::LogFileHandler::removeFile(path));
  EXPECT_EQ(file.open(path.c_str(), "rb"), -1);
}

TEST(LogFileHandler, ReadsLargeFilesWholeUpToALimit) {
  TempDir dir;
  const std::string path = dir.file("big.conf");
  const std::string text(3 * 8192 + 5, 'c');
  std::ofstream(path) << text;
  marvlog::LogFileHandler file;
  ASSERT_EQ(file.open(path.c_str(), "rb"), static_cast<long>(text.size()));
  bool tooBig = true;
  EXPECT_EQ(file.readContent(1 << 20, &tooBig), text);
  EXPECT_FALSE(tooBig);
  ASSERT_GE(file.open(path.c_str(), "rb"), 0);
  EXPECT_EQ(file.readContent(100, &tooBig).size(), 100u);
  EXPECT_TRUE(tooBig);
}

}  // namespace
