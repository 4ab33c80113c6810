// Runs the real brisol-cli batch on a hundred photos made here, three of
// them broken: a line for each failure, kept pictures on a second run, and
// shards that together give the whole batch.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "CliTestSupport.h"
#include "imageio/ImageSave.h"
#include "recipe/RecipeTestSupport.h"

namespace brisol {
namespace {

using test::RunCli;
using test::TempDir;

// Every file of a folder: name -> bytes.
std::map<std::string, std::string> Folder(const std::string& path) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
  return files;
}

// Every file of a folder: name -> its inode and time of change, which a
// rewrite (even with the same bytes) changes.
std::map<std::string, std::pair<ino_t, long long>> Stamps(const std::string& path) {
  std::map<std::string, std::pair<ino_t, long long>> stamps;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    struct stat st {};
    EXPECT_EQ(::stat(entry.path().c_str(), &st), 0);
    stamps[entry.path().filename().string()] = {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
  }
  return stamps;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class BatchCli : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(in);
    const char* formats[] = {"bmp", "png", "jpg"};
    for (int i = 0; i < 97; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "photo%03d.%s", i, formats[i % 3]);
      ASSERT_TRUE(SaveImageFile(test::MakePhoto(36 + i % 5, 24 + i % 7, i), in + "/" + name).ok());
    }
    test::WriteFile(in + "/broken1.jpg", "this is no JPEG at all");
    const std::string png = test::ReadFile(in + "/photo001.png");
    test::WriteFile(in + "/broken2.png", png.substr(0, png.size() / 2));
    test::WriteFile(in + "/broken3.bmp", "");
  }

  std::vector<std::string> Batch(const std::string& out, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"batch",     in,   "--out",  out,         "--effect", "Stars",
                                     "--objects", "40", "--seed", "from-name", "--quiet"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  test::ScopedMainDirectory main;
  TempDir dir;
  std::string in = dir.File("photos");
};

TEST_F(BatchCli, BrokenPhotosFailOneLineEachAndTheRestArePainted) {
  const auto run = RunCli(Batch(dir.File("out"), {"--jobs", "2"}));
  EXPECT_EQ(run.status, 1);
  const std::map<std::string, std::string> out = Folder(dir.File("out"));
  EXPECT_EQ(out.size(), 97u);
  EXPECT_EQ(out.count("photo000.png") + out.count("photo096.png"), 2u);
  // Three failures, each one line naming its file, then the summary.
  EXPECT_EQ(Count(run.err, "\n"), 4u) << run.err;
  for (const char* broken : {"broken1.jpg", "broken2.png", "broken3.bmp"})
    EXPECT_EQ(Count(run.err, "brisol-cli batch: cannot read '" + in + "/" + broken + "': "), 1u) << run.err;
  EXPECT_NE(run.err.find("brisol-cli batch: 97 written, 0 kept, 3 failed in "), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(BatchCli, ARerunWithoutOverwriteWritesNothing) {
  ASSERT_EQ(RunCli(Batch(dir.File("out"))).status, 1);
  const auto before = Stamps(dir.File("out"));
  const auto again = RunCli(Batch(dir.File("out"), {"--name", "{stem}.{ext}"}));
  EXPECT_EQ(again.status, 1);  // the broken photos fail again
  EXPECT_NE(again.err.find("0 written, 97 kept, 3 failed"), std::string::npos) << again.err;
  const auto after = Stamps(dir.File("out"));
  EXPECT_EQ(after, before);

  const auto overwrite = RunCli(Batch(dir.File("out"), {"--overwrite"}));
  EXPECT_NE(overwrite.err.find("97 written, 0 kept, 3 failed"), std::string::npos) << overwrite.err;
}

TEST_F(BatchCli, FourShardsTogetherGiveTheWholeBatch) {
  RunCli(Batch(dir.File("whole")));
  const std::map<std::string, std::string> whole = Folder(dir.File("whole"));
  ASSERT_EQ(whole.size(), 97u);
  std::size_t failures = 0;
  for (int k = 0; k < 4; ++k) {
    const auto shard = RunCli(Batch(dir.File("shards"), {"--shard", std::to_string(k) + "/4", "--jobs", "2"}));
    failures += Count(shard.err, "cannot read");
    EXPECT_NE(shard.err.find("(shard " + std::to_string(k) + "/4: 25 of 100 photos)"), std::string::npos) << shard.err;
  }
  EXPECT_EQ(failures, 3u);
  EXPECT_TRUE(Folder(dir.File("shards")) == whole);
}

TEST_F(BatchCli, UsageErrorsAreToldBeforeAnyWork) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"batch", "x"}, "--out DIR is required"},
      {{"batch", "--out", "o"}, "expected at least one PHOTO or FOLDER"},
      {{"batch", "x", "--out", "o", "--shard", "4/4"}, "--shard takes K/N with 0 <= K < N, such as 0/4, not '4/4'"},
      {{"batch", "x", "--out", "o", "--shard", "3/"}, "not '3/'"},
      {{"batch", "x", "--out", "o", "--name", "same.png"}, "the name must hold {stem}"},
      {{"batch", "x", "--out", "o", "--name", "{stem}"}, "must end in a picture's extension"},
      {{"batch", "x", "--out", "o", "--format", "gif"}, "--format takes bmp"},
      {{"batch", "x", "--out", "o", "--name", "{stem}.jpg", "--format", "bmp"},
       "the name '{stem}.jpg' ends in another format's extension than bmp"},
      {{"batch", "x", "--out", "o", "--name", "{stem}\n.png"}, "a name cannot hold control characters"},
      {{"batch", "x", "--out", "o", "--jobs", "0"}, "--jobs takes 1 to 256"},
      {{"batch", "x", "--out", "o", "--seed", "random"}, "--seed takes a whole number or 'from-name'"},
  };
  for (const Case& c : cases) {
    const auto run = RunCli(c.args, dir.path().string());
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("o")));
}

// After the shards, --check lists the photos left without a picture: one
// added between two tasks, and none lost to tasks that spell the paths
// differently.
TEST_F(BatchCli, TheCheckAfterTheShardsFindsEveryPhotoWithoutPicture) {
  const std::string out = dir.File("out");
  const std::string a = in + "/photo000.bmp", b = in + "/photo003.bmp";
  const std::vector<std::string> look = {"--out", out, "--effect", "Stars", "--objects", "40", "--quiet"};
  auto args = [&](std::vector<std::string> front) {
    front.insert(front.begin(), "batch");
    front.insert(front.end(), look.begin(), look.end());
    return front;
  };
  // Two tasks, the first naming a photo relative to its folder, the other absolutely.
  auto first = args({"./photos/photo000.bmp", b, "--shard", "0/2"});
  auto second = args({a, "./photos/photo003.bmp", "--shard", "1/2"});
  EXPECT_EQ(RunCli(first, dir.path().string()).status, 0);
  EXPECT_EQ(RunCli(second, dir.path().string()).status, 0);
  auto check = args({a, b, "--check"});
  auto checked = RunCli(check);
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  EXPECT_EQ(checked.out, "");
  EXPECT_NE(checked.err.find("2 of 2 photos have their picture\n"), std::string::npos) << checked.err;

  // A whole folder in two shards, a photo added between them.
  ASSERT_EQ(RunCli(Batch(out, {"--shard", "0/2"})).status, 1);  // the broken photos fail
  ASSERT_TRUE(SaveImageFile(test::MakePhoto(30, 20, 7), in + "/photo050a.png").ok());
  RunCli(Batch(out, {"--shard", "1/2"}));
  checked = RunCli(Batch(out, {"--check"}));
  EXPECT_EQ(checked.status, 1);
  std::size_t missing = Count(checked.out, "\n");
  EXPECT_GE(missing, 4u) << checked.out;  // the three broken photos, and what the added one moved
  EXPECT_NE(checked.err.find(std::to_string(101 - missing) + " of 101 photos have their picture, " +
                             std::to_string(missing) + " have none"),
            std::string::npos)
      << checked.err;
  for (const char* broken : {"broken1.jpg", "broken2.png", "broken3.bmp"})
    EXPECT_NE(checked.out.find(in + "/" + broken + "\n"), std::string::npos) << checked.out;
}

// A job scheduler's SIGTERM (or Ctrl-C) stops the batch: the summary tells
// what was done, no part of a picture is left, and the signal still ends
// the program.
TEST(BatchCliSignals, AnEndingSignalStopsTheBatchWithItsSummary) {
  test::ScopedMainDirectory main;
  TempDir dir;
  std::filesystem::create_directories(dir.File("in"));
  for (int i = 0; i < 60; ++i)
    ASSERT_TRUE(SaveImageFile(test::MakePhoto(160, 120, i), dir.File("in/p" + std::to_string(i) + ".bmp")).ok());
  const std::string out = dir.File("out");
  // Sends the signal once the first picture is there.
  const std::string sender =
      "sh -c " + test::ShellQuote("\"$0\" \"$@\" & pid=$!; n=0; until ls " + test::ShellQuote(out) +
                                  "/*.png >/dev/null 2>&1 || [ $n -gt 600 ]; do sleep 0.05; n=$((n+1)); done; "
                                  "kill -TERM $pid; wait $pid");
  const auto run = test::RunCliIn(
      {}, {"batch", dir.File("in"), "--out", out, "--effect", "Stars", "--objects", "3000", "--quiet"}, {}, {}, sender);
  EXPECT_EQ(run.signal, SIGTERM) << run.err;
  EXPECT_NE(run.err.find("; stopped, "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" not made"), std::string::npos) << run.err;
  std::size_t pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".~")) << entry.path();
    ++pictures;
  }
  EXPECT_NE(run.err.find("batch: " + std::to_string(pictures) + " written, "), std::string::npos) << run.err;
  EXPECT_LT(pictures, 60u);
}

// A damaged photo is painted as far as it is read, told in a warning line
// even with --quiet and counted apart in the summary.
TEST(BatchCliDamage, DamagedPhotosArePaintedWithAWarningAndCounted) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("in"));
  ASSERT_EQ(RunCli({"testcard", dir.File("in/a.jpg"), "64x48"}).status, 0);
  const std::string whole = test::ReadFile(dir.File("in/a.jpg"));
  test::WriteFile(dir.File("in/cut.jpg"), whole.substr(0, whole.size() * 2 / 3) + "\xFF\xD9");
  const auto run = RunCli({"batch", dir.File("in"), "--out", dir.File("out"), "--objects", "5", "--quiet"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("brisol-cli batch: warning: '" + dir.File("in/cut.jpg") +
                         "' is damaged and read as far as it could be: "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("2 written, 0 kept, 0 failed in "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" (1 of them from damaged photos)"), std::string::npos) << run.err;
  // The pixel limit is the photos' too.
  const auto limited = RunCli({"batch", dir.File("in/a.jpg"), "--out", dir.File("small"), "--max-pixels", "3000"});
  EXPECT_EQ(limited.status, 1);
  EXPECT_NE(limited.err.find("(3072 pixels) is more than the 3000 pixels a picture is read with (--max-pixels N"),
            std::string::npos)
      << limited.err;
}

}  // namespace
}  // namespace brisol
