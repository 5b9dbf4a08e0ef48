// Where the score database goes by default: beside a program run from its
// build folder, under the user's XDG data folder once installed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "../scratch_dir.h"
#include "common/program_files.h"
#include "data/score_database.h"

namespace data {
namespace {

namespace fs = std::filesystem;

class DatabaseLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_DATA_HOME")) saved_xdg_ = old;
    ::setenv("XDG_DATA_HOME", (root_ / "xdg").c_str(), 1);
  }
  void TearDown() override {
    if (saved_xdg_)
      ::setenv("XDG_DATA_HOME", saved_xdg_->c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }
  std::string Folder(const std::string& relative) {
    fs::create_directories(root_ / relative);
    return (root_ / relative).string();
  }
  std::string UserDatabase() const { return (root_ / "xdg/scorestat/suju/sujuf.db").string(); }

  test_support::ScratchDir scratch_{"scorestat_location"};
  const fs::path root_ = scratch_.path();
  std::optional<std::string> saved_xdg_;
};

TEST_F(DatabaseLocationTest, InstalledProgramKeepsItsDataInTheUsersFolder) {
  const std::string bin = Folder("usr/bin");
  // A bin folder alone is not an installation: a build folder may be named so.
  EXPECT_EQ(common::InstalledShareFolder(bin), "");
  EXPECT_EQ(DefaultDatabasePath(bin), (fs::path(bin) / "suju/sujuf.db").string());

  const std::string share = Folder("usr/share/scorestat");
  EXPECT_EQ(common::InstalledShareFolder(bin), share);
  // The folder is writable here (as /usr/bin is for root), yet the data
  // still go to the user's folder.
  EXPECT_EQ(DefaultDatabasePath(bin), UserDatabase());
}

}  // namespace
}  // namespace data
