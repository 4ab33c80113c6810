// Batch rendering: one look applied to many photos, several at once, each
// picture written atomically and the same on every run, so that a batch
// can be split over machines (shards) and a failed part simply run again.
//
// The pieces: ListPhotos finds the photos of files and folders, PlanBatch
// gives each photo its output name and seed (over the whole list, so every
// shard names alike) and takes a shard's share, RunBatch makes the pictures.
// RunBatch may run on a worker thread: it stops at a stop request and tells
// an observer about each file. BatchJob puts them together as the command
// line and the Batch window both run a batch, from the same choices.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "logger/Outcome.h"
#include "recipe/Recipe.h"

namespace brisol {

class CEffect;

struct PhotoList {
  // Sorted by the path the file system resolves (however a task spells
  // it), each file once.
  std::vector<std::string> photos;
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
// The name of the folder a photo is in (its last part, as the file system
// resolves the path): what tells a/same.png from b/same.png.
std::string FolderName(const std::string& path);

// The fields of an output name's template.
struct NameFields {
  std::string stem;    // the photo's name without folder and extension
  std::string preset;  // the look's name
  int seed = 0;
  std::string ext;       // the output format's extension
  std::string dir = {};  // the name of the photo's folder (FolderName)
};
// Whether a template can name outputs: not with an unknown or unclosed
// field, a '/', or without {stem} (every photo would get one name).
// {dir} tells photos of one name in different folders apart.
Done CheckNameTemplate(const std::string& nameTemplate);
// The template with {stem}, {preset}, {seed}, {ext} and {dir} filled in.
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

// Whether the options name pictures: the template as CheckNameTemplate
// wants it, and names that end in a picture format's extension.
Done CheckOutputNames(const BatchPlanOptions& options);

struct BatchItem {
  std::string photo;
  std::string output;
  int seed = 0;
  Done makable;  // fails when it cannot be made: its output name is empty or clashes
};

// The shard's items of a batch. Output names are given over the whole list
// first: a photo whose name clashes with an earlier photo's, or that would
// replace a photo of the list, gets a problem, in every shard alike. With
// seedFromName, photos of one name in different folders get the seed of
// their folder's name and their own (FolderName + "/" + name).
std::vector<BatchItem> PlanBatch(const std::vector<std::string>& photos, int effectSeed,
                                 const BatchPlanOptions& options);

struct BatchRunOptions {
  unsigned jobs = 1;     // photos made at once
  unsigned threads = 0;  // the cores the jobs share (0: the machine's); each drawing gets its part
  bool overwrite = false;
  int quality = 1;
  SaveOptions save;
  const Recipe* recipe = nullptr;  // the look's recipe, written into each picture; null: none
  LoadOptions load;                // how the photos are read: their pixel limit
};

// A photo's picture made: written, or kept as it was. A failure's message
// is one line naming the file and the cause; a stopped one has none.
struct PictureMade {
  bool kept = false;
  std::string damage;  // the photo was damaged and painted as far as it was read: how
};
using FileResult = Outcome<PictureMade>;

class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // Calls come from the batch's threads, one at a time.
  virtual void Started(std::size_t index, const BatchItem& item) {}
  virtual void Finished(std::size_t index, const BatchItem& item, const FileResult& result) {}
};

struct BatchSummary {
  std::size_t written = 0, kept = 0, failed = 0;
  std::size_t damaged = 0;  // of those written, painted from damaged photos
  std::size_t notDone = 0;  // stopped before or while they were made
  double seconds = 0;
  bool stopped = false;
  Shard shard;              // the share of the list made
  std::size_t planned = 0;  // the shard's photos
  std::size_t listed = 0;   // the photos of the whole list
};

// The summary in one line: "97 written, 0 kept, 3 failed in 12.5 s", with
// the shard's share of the list and what a stop left undone.
std::string SummaryText(const BatchSummary& summary);

// Makes the pictures of the items with the effect (each at its item's
// seed). A failed file is told and the batch goes on; an existing output is
// kept unless overwrite. A stop request lets no new file start and ends
// those being drawn without writing them.
BatchSummary RunBatch(const CEffect& effect, const std::vector<BatchItem>& items, const BatchRunOptions& options,
                      BatchObserver* observer = nullptr, std::stop_token stop = {});

// What a batch paints with.
struct BatchLook {
  std::shared_ptr<const CEffect> effect;  // with its collection's shapes and the seed
  int quality = 1;
  std::optional<int> jpegQuality;  // the recipe's; none: the pictures' default
  std::string name;                // {preset}: the preset's or recipe's name
};

// One batch from the user's choices, as the command line and the Batch
// window run it: the photos of the inputs, the names and the output folder
// checked before any work, the look's recipe written into each picture, and
// an input that cannot be used counted as failed.
class BatchJob {
 public:
  // Lists the photos of the inputs. The look gives the plan's name for
  // {preset} and the run's quality and JPEG quality.
  BatchJob(BatchLook look, const std::vector<std::string>& inputs, BatchPlanOptions plan, BatchRunOptions run);

  // The inputs that cannot be used, one line each.
  const std::vector<std::string>& Problems() const { return m_photos.problems; }
  // Checks the names, that there are photos and that the output folder
  // (made when missing) takes new files, and plans the shard's items.
  Done Prepare();
  const std::vector<BatchItem>& Items() const { return m_items; }
  // The items whose picture is not in its place (no file, or not a regular
  // one), after a batch or the tasks of all its shards: what is left to do.
  std::vector<BatchItem> WithoutPicture() const;
  // Makes the pictures of the items (see RunBatch); the failures counted
  // include the problems.
  BatchSummary Run(BatchObserver* observer = nullptr, std::stop_token stop = {}) const;

 private:
  BatchLook m_look;
  PhotoList m_photos;
  BatchPlanOptions m_plan;
  BatchRunOptions m_run;
  std::vector<BatchItem> m_items;
};

}  // namespace brisol
