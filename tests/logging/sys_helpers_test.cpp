// The semaphore and path helpers.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

TEST(SemHelper, CountsTimeoutsAndPostsFromAnotherThread) {
  marvlog::SemHelper sem;
  EXPECT_FALSE(sem.wait(100));  // not created
  ASSERT_TRUE(sem.create(-5));
  EXPECT_FALSE(sem.wait(100));
  ASSERT_TRUE(sem.create(2));
  EXPECT_TRUE(sem.wait(0));
  EXPECT_TRUE(sem.wait(60));
  EXPECT_FALSE(sem.wait(60));
  for (int timeout : {0, 3000}) {
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      sem.post();
    });
    EXPECT_TRUE(sem.wait(timeout)) << timeout;
    poster.join();
  }
}

TEST(PathHelpers, FixPathAndCreateDirectories) {
  for (const auto& c : std::vector<std::pair<std::string, std::string>>{
           {"", ""}, {"dir", "dir/"}, {"dir/", "dir/"}, {"a\\b", "a/b/"}}) {
    std::string path = c.first;
    marvlog::fixPath(path);
    EXPECT_EQ(path, c.second);
  }
  marvlog_test::TempDir dir;
  std::ofstream(dir.file("plain")) << "x";
  EXPECT_FALSE(marvlog::isDirectory(dir.file("plain")));
  EXPECT_FALSE(marvlog::isDirectory(dir.file("missing")));
  EXPECT_TRUE(marvlog::createRecursionDir(""));
  EXPECT_TRUE(marvlog::createRecursionDir(dir.file("a/b\\c")));
  EXPECT_TRUE(marvlog::isDirectory(dir.file("a/b/c")));
  EXPECT_TRUE(marvlog::createRecursionDir(dir.file("a/b/c/")));
  EXPECT_FALSE(marvlog::createRecursionDir(dir.file("plain/sub")));
}

}  // namespace
