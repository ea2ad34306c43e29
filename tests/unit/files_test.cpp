#include "common/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.hpp"

namespace vonx {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

// The folder's entries, links not followed, by name.
std::vector<std::string> entries(const ScratchDir& dir, const std::string& folder = "") {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.file(folder)))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A replaced file keeps what the user set on it and what it is: its permissions,
// the link that named it, the device it was. No temporary file is left.
TEST(ReplaceFile, KeepsWhatTheTargetIs) {
  ScratchDir dir;
  dir.write("kept.s", "old\n");
  fs::permissions(dir.file("kept.s"), fs::perms(0750));
  // The superuser's run leaves another user's file that user's.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.file("kept.s").c_str(), 65534, 65534), 0);
  }
  struct stat before {
  }, after{};
  ASSERT_EQ(::stat(dir.file("kept.s").c_str(), &before), 0);
  ASSERT_EQ(replace_file(dir.file("kept.s"), "new\n"), std::nullopt);
  EXPECT_EQ(dir.read("kept.s"), "new\n");
  EXPECT_EQ(fs::status(dir.file("kept.s")).permissions(), fs::perms(0750));
  ASSERT_EQ(::stat(dir.file("kept.s").c_str(), &after), 0);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);

  dir.write("target/out.s", "old\n");
  fs::create_symlink("target/out.s", dir.file("link.s"));
  fs::create_symlink("target/new.s", dir.file("dangling.s"));
  ASSERT_EQ(replace_file(dir.file("link.s"), "through\n"), std::nullopt);
  ASSERT_EQ(replace_file(dir.file("dangling.s"), "made\n"), std::nullopt);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("link.s"))));
  EXPECT_EQ(dir.read("target/out.s"), "through\n");
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("dangling.s"))));
  EXPECT_EQ(dir.read("target/new.s"), "made\n");

  EXPECT_EQ(replace_file("/dev/null", "discarded\n"), std::nullopt);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  remove_file("/dev/null");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  EXPECT_EQ(entries(dir), (std::vector<std::string>{"dangling.s", "kept.s", "link.s", "target"}));
  EXPECT_EQ(entries(dir, "target"), (std::vector<std::string>{"new.s", "out.s"}));
}

// What is refused is left as it was, and nothing is left beside it.
TEST(ReplaceFile, RefusesWhatIsNoFile) {
  ScratchDir dir;
  fs::create_directory(dir.file("folder.s"));
  ASSERT_EQ(mkfifo(dir.file("pipe.s").c_str(), 0600), 0);
  fs::create_symlink("ring2.s", dir.file("ring1.s"));
  fs::create_symlink("ring1.s", dir.file("ring2.s"));
  const std::pair<std::string, std::string> cases[] = {
      {"folder.s", ": Is a directory"},
      {"pipe.s", ": not a regular file"},
      {"ring1.s", ": Too many levels of symbolic links"},
  };
  for (const auto& [name, reason] : cases) {
    std::optional<std::string> refused = replace_file(dir.file(name), "x\n");
    ASSERT_TRUE(refused) << name;
    EXPECT_EQ(*refused, "cannot write " + dir.file(name) + reason) << name;
    remove_file(dir.file(name));  // what a stopped file removes: nothing of these
  }
  EXPECT_TRUE(fs::is_fifo(dir.file("pipe.s")));
  EXPECT_EQ(entries(dir), (std::vector<std::string>{"folder.s", "pipe.s", "ring1.s", "ring2.s"}));
}

}  // namespace
}  // namespace vonx
