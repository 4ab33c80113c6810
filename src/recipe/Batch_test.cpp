// Batches: photos found and named alike in every shard, pictures that do
// not depend on how many are made at once, failures told per file, kept
// outputs, and a stop that leaves no half-written file.
#include "recipe/Batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "RecipeTestSupport.h"
#include "effect/Effect.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol {
namespace {

using test::TempDir;

TEST(Batch, ShardsAreReadAsKOfN) {
  struct Case {
    const char* text;
    bool ok;
    unsigned k, n;
  };
  const Case cases[] = {{"0/1", true, 0, 1},  {"3/4", true, 3, 4},   {"0/4", true, 0, 4},  {"4/4", false, 0, 0},
                        {"1/0", false, 0, 0}, {"-1/4", false, 0, 0}, {"1/", false, 0, 0},  {"/4", false, 0, 0},
                        {"1", false, 0, 0},   {"1/4x", false, 0, 0}, {"a/b", false, 0, 0}, {"1/4/5", false, 0, 0}};
  for (const Case& c : cases) {
    const auto shard = ParseShard(c.text);
    EXPECT_EQ(shard.has_value(), c.ok) << c.text;
    if (shard && c.ok) {
      EXPECT_EQ(shard->index, c.k);
      EXPECT_EQ(shard->count, c.n);
    }
  }
}

TEST(Batch, NameTemplates) {
  const NameFields fields{"rose", "Night Sky", -5, "jpg"};
  EXPECT_EQ(ExpandName("{stem}.{ext}", fields), "rose.jpg");
  EXPECT_EQ(ExpandName("{preset}-{stem}-{seed}.{ext}", fields), "Night Sky-rose--5.jpg");
  const std::pair<const char*, const char*> cases[] = {
      {"{stem}-{seed}.{ext}", ""},
      {"{preset}.{ext}", "the name must hold {stem}, or every photo would get the same name"},
      {"{stem}/{ext}", "a name cannot hold '/': the pictures go into --out"},
      {"{stem}.{format}", "unknown field '{format}' in the name (use {stem}, {preset}, {seed}, {ext})"},
      {"{stem}.{ext", "'{' without its '}' in the name '{stem}.{ext'"},
      {"{stem}}", "'}' without its '{' in the name '{stem}}'"},
      {"{stem}\n.{ext}", "a name cannot hold control characters, such as a line break or a tab"},
      {"{stem}\t.{ext}", "a name cannot hold control characters, such as a line break or a tab"},
      {"{stem}\xC2\x9B.{ext}", "a name cannot hold control characters, such as a line break or a tab"},
      {"{dir}-{stem}-\xC3\xA9.{ext}", ""},
  };
  for (const auto& [name, message] : cases) EXPECT_EQ(CheckNameTemplate(name).message(), message) << name;
}

TEST(Batch, ANameAndTheFormatMustAgree) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"{stem}.jpg", "bmp", "the name '{stem}.jpg' ends in another format's extension than bmp (end it in .{ext})"},
      {"{stem}.jpeg", "jpg", ""},
      {"{stem}.JPG", "jpg", ""},
      {"{stem}.{ext}", "bmp", ""},
  };
  for (const auto& [name, ext, message] : cases) {
    BatchPlanOptions options;
    options.nameTemplate = name;
    options.extension = ext;
    EXPECT_EQ(CheckOutputNames(options).message(), message) << name;
  }
}

TEST(Batch, SeedFromNameDependsOnTheNameAlone) {
  EXPECT_EQ(SeedFromName("/a/rose.jpg"), SeedFromName("/b/c/rose.jpg"));
  EXPECT_EQ(SeedFromName("rose.jpg"), SeedFromName("/b/c/rose.jpg"));
  std::set<int> seeds;
  for (int i = 0; i < 100; ++i) seeds.insert(SeedFromName("photo" + std::to_string(i) + ".jpg"));
  EXPECT_EQ(seeds.size(), 100u);
}

TEST(Batch, PhotosOfFilesAndFoldersSortedOnce) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("in/sub"));
  for (const char* f : {"in/b.JPG", "in/a.png", "in/notes.txt", "in/.hidden.png", "in/sub/c.png", "z.bmp"})
    test::WriteFile(dir.File(f), "x");
  const PhotoList list = ListPhotos({dir.File("z.bmp"), dir.File("in"), dir.File("in/a.png"), dir.File("gone.png")});
  EXPECT_EQ(list.photos, (std::vector<std::string>{dir.File("in/a.png"), dir.File("in/b.JPG"), dir.File("z.bmp")}));
  ASSERT_EQ(list.problems.size(), 1u);
  EXPECT_EQ(list.problems[0], "cannot read '" + dir.File("gone.png") + "': No such file or directory");
}

TEST(Batch, ShardsSplitThePlanAndNameAlike) {
  std::vector<std::string> photos;
  for (int i = 0; i < 23; ++i) photos.push_back("/p/photo" + std::to_string(100 + i) + ".jpg");
  photos.push_back("/q/photo100.png");  // the same stem as the first
  BatchPlanOptions options;
  options.outDir = "/out";
  options.seedFromName = true;
  const std::vector<BatchItem> whole = PlanBatch(photos, 1, options);
  ASSERT_EQ(whole.size(), photos.size());
  EXPECT_EQ(whole[0].output, "/out/photo100.png");
  EXPECT_EQ(whole[0].seed, SeedFromName("photo100.jpg"));
  EXPECT_NE(whole.back().makable.message().find("as that of '/p/photo100.jpg' is"), std::string::npos)
      << whole.back().makable.message();

  std::vector<BatchItem> together;
  for (unsigned k = 0; k < 5; ++k) {
    options.shard = Shard{k, 5};
    for (BatchItem& item : PlanBatch(photos, 1, options)) together.push_back(std::move(item));
  }
  ASSERT_EQ(together.size(), whole.size());
  std::sort(together.begin(), together.end(), [](auto& a, auto& b) { return a.photo < b.photo; });
  for (std::size_t i = 0; i < whole.size(); ++i) {
    EXPECT_EQ(together[i].photo, whole[i].photo);
    EXPECT_EQ(together[i].output, whole[i].output);
    EXPECT_EQ(together[i].seed, whole[i].seed);
    EXPECT_EQ(together[i].makable.message(), whole[i].makable.message());
  }
}

class BatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    collection = test::MakeCollection(main.Main() + "/Effects", "Mine",
                                      {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
    effect = std::make_unique<CEffect>(collection.c_str());
    effect->SetNumObjects(60);
    std::filesystem::create_directories(dir.File("in"));
    for (int i = 0; i < 6; ++i) test::WritePhoto(dir.File("in/p" + std::to_string(i) + ".bmp"), 40, 30, i);
    test::WriteFile(dir.File("in/broken.png"), "\x89PNG\r\n\x1a\nnot really");
    photos = ListPhotos({dir.File("in")}).photos;
  }

  std::vector<BatchItem> Plan(const std::string& out, const std::string& ext = "png") {
    BatchPlanOptions options;
    options.outDir = out;
    options.extension = ext;
    options.seedFromName = true;
    std::filesystem::create_directories(out);
    return PlanBatch(photos, effect->GetSeed(), options);
  }

  struct Recorder : BatchObserver {
    void Started(std::size_t, const BatchItem&) override { ++started; }
    void Finished(std::size_t, const BatchItem& item, const FileResult& r) override {
      if (!r && !r.stopped()) failures.push_back(r.message());
      if (stopAfter > 0 && ++finished >= stopAfter) stop.request_stop();
    }
    int started = 0, finished = 0, stopAfter = 0;
    std::vector<std::string> failures;
    std::stop_source stop;
  };

  test::ScopedMainDirectory main;
  test::ScopedAlertRecorder alerts;
  TempDir dir;
  std::string collection;
  std::unique_ptr<CEffect> effect;
  std::vector<std::string> photos;
};

TEST_F(BatchRun, MakesEveryPictureAndTellsEachFailure) {
  const Recipe look = RecipeOf(*effect, 1);
  BatchRunOptions options;
  options.recipe = &look;
  Recorder recorder;
  const std::vector<BatchItem> items = Plan(dir.File("out"));
  const BatchSummary summary = RunBatch(*effect, items, options, &recorder);
  EXPECT_EQ(summary.written, 6u);
  EXPECT_EQ(summary.failed, 1u);
  EXPECT_EQ(summary.kept, 0u);
  EXPECT_EQ(recorder.started, 7);
  ASSERT_EQ(recorder.failures.size(), 1u);
  EXPECT_TRUE(recorder.failures[0].starts_with("cannot read '" + dir.File("in/broken.png") + "'"))
      << recorder.failures[0];
  EXPECT_EQ(recorder.failures[0].find('\n'), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/broken.png")));

  // Each picture holds the look with its own seed and photo.
  const RecipeRead read = ReadRecipeFile(dir.File("out/p3.png"));
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  EXPECT_EQ(read.recipe->seed, SeedFromName("p3.bmp"));
  EXPECT_EQ(read.recipe->photo, "p3.bmp");
  EXPECT_EQ(read.recipe->collection, "Mine");
  EXPECT_EQ(read.recipe->collectionSha256, look.collectionSha256);
}

TEST_F(BatchRun, PicturesDoNotDependOnTheJobs) {
  for (const char* ext : {"png", "jpg"}) {
    BatchRunOptions one;
    one.jobs = 1;
    BatchRunOptions three;
    three.jobs = 3;
    three.threads = 5;
    const std::string a = dir.File(std::string("a-") + ext), b = dir.File(std::string("b-") + ext);
    RunBatch(*effect, Plan(a, ext), one);
    RunBatch(*effect, Plan(b, ext), three);
    for (int i = 0; i < 6; ++i) {
      const std::string name = "/p" + std::to_string(i) + "." + ext;
      const std::string bytes = test::ReadFile(a + name);
      EXPECT_FALSE(bytes.empty()) << name;
      EXPECT_EQ(bytes, test::ReadFile(b + name)) << name;
    }
  }
}

TEST_F(BatchRun, ExistingPicturesAreKeptUnlessOverwritten) {
  const std::vector<BatchItem> items = Plan(dir.File("out"));
  RunBatch(*effect, items, {});
  test::WriteFile(dir.File("out/p1.png"), "mine, keep it");
  BatchSummary again = RunBatch(*effect, items, {});
  EXPECT_EQ(again.written, 0u);
  EXPECT_EQ(again.kept, 6u);
  EXPECT_EQ(again.failed, 1u);
  EXPECT_EQ(test::ReadFile(dir.File("out/p1.png")), "mine, keep it");
  BatchRunOptions overwrite;
  overwrite.overwrite = true;
  again = RunBatch(*effect, items, overwrite);
  EXPECT_EQ(again.written, 6u);
  EXPECT_NE(test::ReadFile(dir.File("out/p1.png")), "mine, keep it");
}

TEST_F(BatchRun, AStopStartsNoMoreFilesAndLeavesNoPartOfOne) {
  Recorder recorder;
  recorder.stopAfter = 2;
  BatchRunOptions options;
  options.jobs = 2;
  const BatchSummary summary = RunBatch(*effect, Plan(dir.File("out")), options, &recorder, recorder.stop.get_token());
  EXPECT_TRUE(summary.stopped);
  EXPECT_LT(summary.written + summary.failed, 7u);
  EXPECT_EQ(summary.written + summary.failed + summary.notDone, 7u);
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File("out"))) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".~")) << entry.path();
    ++files;
  }
  EXPECT_EQ(files, summary.written);

  std::stop_source early;
  early.request_stop();
  const BatchSummary none = RunBatch(*effect, Plan(dir.File("none")), options, nullptr, early.get_token());
  EXPECT_EQ(none.written + none.failed, 0u);
  EXPECT_EQ(none.notDone, 7u);
}

TEST_F(BatchRun, APictureThatWouldReplaceItsPhotoIsRefused) {
  BatchPlanOptions options;
  options.outDir = dir.File("in");
  options.extension = "bmp";
  const std::vector<BatchItem> items = PlanBatch({dir.File("in/p0.bmp")}, 1, options);
  BatchRunOptions overwrite;
  overwrite.overwrite = true;
  Recorder recorder;
  const BatchSummary summary = RunBatch(*effect, items, overwrite, &recorder);
  EXPECT_EQ(summary.failed, 1u);
  ASSERT_EQ(recorder.failures.size(), 1u);
  EXPECT_EQ(recorder.failures[0], "'" + dir.File("in/p0.bmp") + "': its picture would replace the photo itself");
}

// The batch as the command line and the Batch window run it.
BatchSummary RunJob(const CEffect& effect, const std::vector<std::string>& inputs, const std::string& out,
                    bool overwrite, std::vector<std::string>* failures = nullptr,
                    const std::string& name = "{stem}.{ext}") {
  BatchPlanOptions plan;
  plan.outDir = out;
  plan.nameTemplate = name;
  BatchRunOptions run;
  run.overwrite = overwrite;
  BatchJob job({effect.Snapshot(), 1, std::nullopt, "look"}, inputs, plan, run);
  EXPECT_TRUE(job.Prepare().ok());
  struct Failures : BatchObserver {
    void Finished(std::size_t, const BatchItem&, const FileResult& r) override {
      if (!r && list != nullptr) list->push_back(r.message());
    }
    std::vector<std::string>* list = nullptr;
  } observer;
  observer.list = failures;
  return job.Run(&observer);
}

TEST_F(BatchRun, ALinkInTheOutputFolderIsReplacedNeverFollowed) {
  std::filesystem::create_directories(dir.File("out"));
  std::filesystem::create_directories(dir.File("elsewhere"));
  test::WriteFile(dir.File("elsewhere/mine.png"), "someone's file");
  std::filesystem::create_symlink(dir.File("elsewhere/mine.png"), dir.File("out/p0.png"));
  std::filesystem::create_symlink(dir.File("elsewhere/none.png"), dir.File("out/p1.png"));
  const std::vector<std::string> photos = {dir.File("in/p0.bmp"), dir.File("in/p1.bmp")};

  std::vector<std::string> failures;
  BatchSummary summary = RunJob(*effect, photos, dir.File("out"), false, &failures);
  EXPECT_EQ(summary.failed, 2u);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_NE(failures[0].find("is a symbolic link, left alone"), std::string::npos) << failures[0];
  EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere/none.png")));

  summary = RunJob(*effect, photos, dir.File("out"), true);
  EXPECT_EQ(summary.written, 2u);
  for (const char* name : {"out/p0.png", "out/p1.png"}) {
    EXPECT_FALSE(std::filesystem::is_symlink(dir.File(name))) << name;
    EXPECT_TRUE(ReadRecipeFile(dir.File(name)).ok()) << name;
  }
  EXPECT_EQ(test::ReadFile(dir.File("elsewhere/mine.png")), "someone's file");
  EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere/none.png")));
}

TEST_F(BatchRun, NoPictureReplacesAPhotoOfTheBatch) {
  // a.png is a photo, a.bmp would be painted to a.png; p1-made.png was painted
  // by an earlier run and is no photo.
  std::filesystem::create_directories(dir.File("d"));
  test::WritePhoto(dir.File("d/a.bmp"), 30, 20, 1);
  test::WritePhoto(dir.File("d/b.bmp"), 30, 20, 2);
  std::filesystem::copy_file(dir.File("in/p0.bmp"), dir.File("d/a.png"));
  const std::string photo = test::ReadFile(dir.File("d/a.png"));
  ASSERT_EQ(RunJob(*effect, {dir.File("in/p1.bmp")}, dir.File("d"), false, nullptr, "{stem}-made.{ext}").written, 1u);

  std::vector<std::string> failures;
  const BatchSummary summary = RunJob(*effect, {dir.File("d")}, dir.File("d"), true, &failures);
  EXPECT_EQ(summary.written, 1u);  // b.png
  EXPECT_EQ(summary.failed, 2u);
  EXPECT_EQ(failures,
            (std::vector<std::string>{"'" + dir.File("d/a.bmp") + "': its picture would replace the photo '" +
                                          dir.File("d/a.png") + "' (use other fields in --name, or another --out)",
                                      "'" + dir.File("d/a.png") + "': its picture would replace the photo itself"}));
  EXPECT_EQ(test::ReadFile(dir.File("d/a.png")), photo);

  // Reruns with a name of their own paint the photos, never their pictures.
  for (int run = 0; run < 2; ++run)
    RunJob(*effect, {dir.File("d/")}, dir.File("d"), false, nullptr, "{stem}-glass.{ext}");
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File("d")))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names,
            (std::set<std::string>{"a.bmp", "a.png", "b.bmp", "b.png", "p1-made.png", "a-glass.png", "b-glass.png"}));
}

TEST_F(BatchRun, WhatStandsInThePicturesWayIsNamed) {
  std::filesystem::create_directories(dir.File("out/p0.png"));
  std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
  test::WriteFile(dir.File("file"), "x");
  std::vector<std::string> failures;
  RunJob(*effect, {dir.File("in/p0.bmp")}, dir.File("out"), true, &failures);
  EXPECT_EQ(failures,
            (std::vector<std::string>{"cannot write '" + dir.File("out/p0.png") + "': it is a folder, not a picture"}));
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("dangling"),
       "cannot write into '" + dir.File("dangling") + "': it is a symbolic link to nothing that exists"},
      {dir.File("file"), "cannot write into '" + dir.File("file") + "': it is not a folder"},
      {dir.File("file/sub"), "cannot make the folder '" + dir.File("file/sub") + "': Not a directory"},
  };
  for (const auto& [out, message] : cases) {
    BatchPlanOptions plan;
    plan.outDir = out;
    BatchJob job({effect->Snapshot(), 1, std::nullopt, "look"}, {dir.File("in/p0.bmp")}, plan, {});
    EXPECT_EQ(job.Prepare().message(), message);
  }
}

TEST_F(BatchRun, PhotosOfOneNameInDifferentFoldersAreToldApart) {
  for (const char* folder : {"a", "b", "c"}) std::filesystem::create_directories(dir.File(folder));
  test::WritePhoto(dir.File("a/same.bmp"), 30, 20, 1);
  test::WritePhoto(dir.File("b/same.bmp"), 30, 20, 2);
  test::WritePhoto(dir.File("c/other.bmp"), 30, 20, 3);
  const PhotoList list =
      ListPhotos({dir.File("a"), dir.File("a/../a/same.bmp"), dir.File("b/same.bmp"), dir.File("c/other.bmp")});
  ASSERT_EQ(list.photos,
            (std::vector<std::string>{dir.File("a/../a/same.bmp"), dir.File("b/same.bmp"), dir.File("c/other.bmp")}));

  BatchPlanOptions options;
  options.outDir = "/out";
  options.nameTemplate = "{dir}-{stem}.{ext}";
  options.seedFromName = true;
  const std::vector<BatchItem> items = PlanBatch(list.photos, 1, options);
  const char* outputs[] = {"/out/a-same.png", "/out/b-same.png", "/out/c-other.png"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(items[i].output, outputs[i]);
    EXPECT_TRUE(items[i].makable.ok()) << items[i].makable.message();
  }
  EXPECT_NE(items[0].seed, items[1].seed);
  EXPECT_EQ(items[2].seed, SeedFromName("other.bmp"));  // a name of its own keeps its seed

  // Across runs: b's photo finds a's picture in its place.
  std::vector<std::string> failures;
  EXPECT_EQ(RunJob(*effect, {dir.File("a/same.bmp")}, dir.File("out"), false).written, 1u);
  EXPECT_EQ(RunJob(*effect, {dir.File("a/same.bmp")}, dir.File("out"), false).kept, 1u);
  EXPECT_EQ(RunJob(*effect, {dir.File("b/same.bmp")}, dir.File("out"), false, &failures).failed, 1u);
  EXPECT_EQ(failures, (std::vector<std::string>{"'" + dir.File("out/same.png") +
                                                "' is the picture of another photo named 'same.bmp', left as it is "
                                                "(overwriting replaces it)"}));
}

TEST_F(BatchRun, APhotoThatCannotBeReadTakesNoGoodPhotosName) {
  for (const char* folder : {"a", "b"}) std::filesystem::create_directories(dir.File(folder));
  test::WriteFile(dir.File("a/same.png"), "no picture at all");
  test::WritePhoto(dir.File("b/same.bmp"), 30, 20, 2);
  BatchPlanOptions options;
  options.outDir = dir.File("out");
  const std::vector<BatchItem> items = PlanBatch({dir.File("a/same.png"), dir.File("b/same.bmp")}, 1, options);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(items[0].makable.ok());
  EXPECT_NE(items[0].makable.message().find("as that of '" + dir.File("b/same.bmp") + "' is"), std::string::npos)
      << items[0].makable.message();
  EXPECT_TRUE(items[1].makable.ok()) << items[1].makable.message();
}

}  // namespace
}  // namespace brisol
