// Batch rendering: one look applied to many photos, several at once, each
// picture written atomically and the same on every run, so that a batch
// can be split over machines (shards) and a failed part simply run again.
//
// The pieces: ListPhotos finds the photos of files and folders, PlanBatch
// gives each photo its output name and seed (over the whole list, so every
// shard names alike) and takes a shard's share, RunBatch makes the pictures.
// RunBatch may run on a worker thread: it stops at a stop request and tells
// an observer about each file.
#pragma once

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "imageio/ImageSave.h"
#include "recipe/Recipe.h"

namespace brisol {

class CEffect;

struct PhotoList {
  std::vector<std::string> photos;    // sorted by path, each once
  std::vector<std::string> problems;  // inputs that could not be used, one line each
};

// The photos of the inputs: a file as given, a folder's files whose
// extension is a picture format's (not its sub-folders).
PhotoList ListPhotos(const std::vector<std::string>& inputs);

// Part K of N: the photos at K, K + N, K + 2N ... of the sorted list.
struct Shard {
  unsigned index = 0;
  unsigned count = 1;
};
// "K/N" with 0 <= K < N; nothing for any other text.
std::optional<Shard> ParseShard(std::string_view text);

// A seed that depends only on the file's name (without its folder): the
// first four bytes of the name's SHA-256.
int SeedFromName(const std::string& path);

// The fields of an output name's template.
struct NameFields {
  std::string stem;    // the photo's name without folder and extension
  std::string preset;  // the look's name
  int seed = 0;
  std::string ext;  // the output format's extension
};
// Why a template cannot name outputs ("" when it can): an unknown or
// unclosed field, a '/', or no {stem} (every photo would get one name).
std::string NameTemplateProblem(const std::string& nameTemplate);
// The template with {stem}, {preset}, {seed} and {ext} filled in.
std::string ExpandName(const std::string& nameTemplate, const NameFields& fields);

struct BatchPlanOptions {
  std::string outDir = ".";
  std::string nameTemplate = "{stem}.{ext}";
  std::string extension = "png";
  std::string lookName;     // {preset}
  std::optional<int> seed;  // one seed for every photo; none: the effect's
  bool seedFromName = false;
  Shard shard;
};

struct BatchItem {
  std::string photo;
  std::string output;
  int seed = 0;
  std::string problem;  // why it cannot be made (its output name clashes); empty when it can
};

// The shard's items of a batch. Output names are given over the whole list
// first: a photo whose name clashes with an earlier photo's gets a problem,
// in every shard alike.
std::vector<BatchItem> PlanBatch(const std::vector<std::string>& photos, int effectSeed,
                                 const BatchPlanOptions& options);

struct BatchRunOptions {
  unsigned jobs = 1;     // photos made at once
  unsigned threads = 0;  // the cores the jobs share (0: the machine's); each drawing gets its part
  bool overwrite = false;
  int quality = 1;
  SaveOptions save;
  const Recipe* recipe = nullptr;  // the look's recipe, written into each picture; null: none
};

struct FileResult {
  enum class Outcome { Written, Kept, Failed, Stopped };
  Outcome outcome = Outcome::Written;
  std::string message;  // Failed: one line naming the file and the cause
};

class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // Calls come from the batch's threads, one at a time.
  virtual void Started(std::size_t index, const BatchItem& item) {}
  virtual void Finished(std::size_t index, const BatchItem& item, const FileResult& result) {}
};

struct BatchSummary {
  std::size_t written = 0, kept = 0, failed = 0;
  std::size_t notDone = 0;  // stopped before or while they were made
  double seconds = 0;
  bool stopped = false;
};

// Makes the pictures of the items with the effect (each at its item's
// seed). A failed file is told and the batch goes on; an existing output is
// kept unless overwrite. A stop request lets no new file start and ends
// those being drawn without writing them.
BatchSummary RunBatch(const CEffect& effect, const std::vector<BatchItem>& items, const BatchRunOptions& options,
                      BatchObserver* observer = nullptr, std::stop_token stop = {});

}  // namespace brisol
