#include "recipe/Batch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "effect/Effect.h"
#include "imageio/LoadPicture.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"
#include "raster/WorkerPool.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"
#include "recipe/RenderPhoto.h"
#include "recipe/Sha256.h"

namespace brisol {
namespace {

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first four bytes of the text's SHA-256.
int SeedOfText(const std::string& text) {
  Sha256 hash;
  hash.Update(text);
  const Sha256::Digest digest = hash.Finish();
  const std::uint32_t seed = static_cast<std::uint32_t>(digest[0]) << 24 | static_cast<std::uint32_t>(digest[1]) << 16 |
                             static_cast<std::uint32_t>(digest[2]) << 8 | digest[3];
  return static_cast<int>(seed);
}

std::string Stem(const std::string& path) {
  const std::string base = BaseName(path);
  const std::size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// Whether the file is a picture Brisol made: it holds a recipe.
bool MadeByBrisol(const std::string& path) {
  const PictureFormat* format = PictureFormatOfName(path);
  return format != nullptr && PictureFormatHoldsRecipe(*format) && ReadRecipeFile(path).ok();
}

// A path as the file system resolves it, for telling whether two paths are
// one file even before it exists.
std::string Resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::path(path).lexically_normal().string() : resolved.string();
}

// The picture files of a folder, by their extension; not the pictures
// Brisol made, which a rerun into the same folder would paint again.
Done AddFolder(const std::string& folder, std::vector<std::string>& photos) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return Fail("cannot list the folder '" + folder + "': " + std::strerror(errno));
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.' || PictureFormatOfName(name) == nullptr) continue;
    const std::string path = prefix + name;
    if (!IsDirectory(path) && !MadeByBrisol(path)) photos.push_back(path);
  }
  closedir(dir);
  return {};
}

FileResult MakeOne(const CEffect& effect, const BatchItem& item, const BatchRunOptions& options, unsigned threadsPerJob,
                   const std::stop_token& stop) {
  if (!item.makable) return item.makable.failure();
  // What is at the output's place: a picture kept unless overwritten, a link
  // replaced (never what it points to) only when overwriting, nothing else.
  struct stat there {};
  const bool taken = ::lstat(item.output.c_str(), &there) == 0;
  if (taken && S_ISLNK(there.st_mode)) {
    if (!options.overwrite)
      return Fail("'" + item.output + "' is a symbolic link, left alone (overwriting replaces the link itself, " +
                  "never what it points to)");
  } else if (taken && !S_ISREG(there.st_mode)) {
    return Fail("cannot write '" + item.output + "': it is " + SpecialFileKind(there.st_mode) + ", not a picture");
  } else if (taken && !options.overwrite) {
    // A picture Brisol made names its photo: one of another photo (of the
    // same name in another folder, or since changed) is not this one's.
    const RecipeRead made = ReadRecipeFile(item.output);
    Recipe mine;
    if (made.ok() && !made.recipe->photo.empty() &&
        (made.recipe->photo != BaseName(item.photo) ||
         (!made.recipe->photoSha256.empty() && SetRecipePhoto(mine, item.photo) &&
          mine.photoSha256 != made.recipe->photoSha256)))
      return Fail("'" + item.output + "' is the picture of another photo named '" + made.recipe->photo +
                  "', left as it is (overwriting replaces it)");
    return PictureMade{true, {}};
  } else if (taken && SameFile(item.photo, item.output)) {
    return Fail("'" + item.photo + "': its picture would replace the photo itself");
  }
  std::unique_ptr<CEffect> mine = effect.Snapshot();
  mine->SetSeed(item.seed);
  RenderFileOptions render;
  render.quality = options.quality;
  render.draw.threads = threadsPerJob;
  render.save = options.save;
  render.save.threads = threadsPerJob;
  render.save.replaceLink = true;
  render.recipe = options.recipe;
  render.load = options.load;
  const Outcome<PhotoWritten> made = RenderPhotoFile(*mine, item.photo, item.output, render, stop);
  if (made) return PictureMade{false, made->damage};
  return made.failure();
}

}  // namespace

PhotoList ListPhotos(const std::vector<std::string>& inputs) {
  PhotoList list;
  for (const std::string& input : inputs) {
    struct stat st {};
    if (::stat(input.c_str(), &st) != 0) {
      list.problems.push_back("cannot read '" + input + "': " + std::strerror(errno));
    } else if (S_ISDIR(st.st_mode)) {
      if (Done added = AddFolder(input, list.photos); !added) list.problems.push_back(added.message());
    } else {
      list.photos.push_back(input);
    }
  }
  // In the order of the paths as the file system resolves them: './in/x'
  // and '/data/in/x' sort, and so shard, alike in every task.
  std::vector<std::pair<std::string, std::string>> keyed;  // resolved, as given
  for (std::string& photo : list.photos) keyed.emplace_back(Resolved(photo), std::move(photo));
  std::sort(keyed.begin(), keyed.end());
  list.photos.clear();
  for (auto& [key, photo] : keyed) list.photos.push_back(std::move(photo));
  // One file however its path is spelt (a/same.png, a/../a/same.png): the
  // first spelling stays.
  std::set<std::string> seen;
  std::erase_if(list.photos, [&](const std::string& photo) { return !seen.insert(Resolved(photo)).second; });
  return list;
}

std::optional<Shard> ParseShard(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  unsigned k = 0, n = 0;
  const std::string_view left = text.substr(0, slash), right = text.substr(slash + 1);
  const auto a = std::from_chars(left.data(), left.data() + left.size(), k);
  const auto b = std::from_chars(right.data(), right.data() + right.size(), n);
  if (left.empty() || right.empty() || a.ec != std::errc() || a.ptr != left.data() + left.size() ||
      b.ec != std::errc() || b.ptr != right.data() + right.size() || n == 0 || k >= n)
    return std::nullopt;
  return Shard{k, n};
}

int SeedFromName(const std::string& path) { return SeedOfText(BaseName(path)); }

std::string FolderName(const std::string& path) {
  return std::filesystem::path(Resolved(path)).parent_path().filename().string();
}

Done CheckNameTemplate(const std::string& nameTemplate) {
  static const std::string_view kFields[] = {"stem", "preset", "seed", "ext", "dir"};
  bool stem = false;
  for (std::size_t i = 0; i < nameTemplate.size(); ++i) {
    const auto byte = static_cast<unsigned char>(nameTemplate[i]);
    const bool c1 = byte == 0xC2 && i + 1 < nameTemplate.size() &&
                    static_cast<unsigned char>(nameTemplate[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(nameTemplate[i + 1]) <= 0x9F;
    if (byte < 0x20 || byte == 0x7F || c1)
      return Fail("a name cannot hold control characters, such as a line break or a tab");
    if (nameTemplate[i] == '/') return Fail("a name cannot hold '/': the pictures go into --out");
    if (nameTemplate[i] == '}') return Fail("'}' without its '{' in the name '" + nameTemplate + "'");
    if (nameTemplate[i] != '{') continue;
    const std::size_t close = nameTemplate.find('}', i);
    if (close == std::string::npos) return Fail("'{' without its '}' in the name '" + nameTemplate + "'");
    const std::string_view field = std::string_view(nameTemplate).substr(i + 1, close - i - 1);
    if (std::find(std::begin(kFields), std::end(kFields), field) == std::end(kFields))
      return Fail("unknown field '{" + std::string(field) + "}' in the name (use {stem}, {preset}, {seed}, {ext})");
    stem = stem || field == "stem";
    i = close;
  }
  if (!stem) return Fail("the name must hold {stem}, or every photo would get the same name");
  return {};
}

Done CheckOutputNames(const BatchPlanOptions& options) {
  if (Done names = CheckNameTemplate(options.nameTemplate); !names) return names;
  const PictureFormat* named = PictureFormatOfName(ExpandName(options.nameTemplate, {"x", "x", 1, options.extension}));
  if (named == nullptr)
    return Fail("the name '" + options.nameTemplate + "' must end in a picture's extension, such as .{ext}");
  // A picture is written in the format its name's extension names.
  if (const PictureFormat* chosen = PictureFormatOfName("x." + options.extension); chosen != nullptr && chosen != named)
    return Fail("the name '" + options.nameTemplate + "' ends in another format's extension than " + options.extension +
                " (end it in .{ext})");
  return {};
}

std::string ExpandName(const std::string& nameTemplate, const NameFields& fields) {
  std::string name;
  for (std::size_t i = 0; i < nameTemplate.size(); ++i) {
    const std::size_t close = nameTemplate[i] == '{' ? nameTemplate.find('}', i) : std::string::npos;
    if (close == std::string::npos) {
      name += nameTemplate[i];
      continue;
    }
    const std::string_view field = std::string_view(nameTemplate).substr(i + 1, close - i - 1);
    if (field == "stem") name += fields.stem;
    if (field == "preset") name += fields.preset;
    if (field == "seed") name += std::to_string(fields.seed);
    if (field == "ext") name += fields.ext;
    if (field == "dir") name += fields.dir;
    i = close;
  }
  return name;
}

std::vector<BatchItem> PlanBatch(const std::vector<std::string>& photos, int effectSeed,
                                 const BatchPlanOptions& options) {
  const std::string folder = options.outDir.ends_with('/') ? options.outDir : options.outDir + "/";
  std::map<std::string, std::string> inputs;  // each photo's resolved path -> the photo
  std::map<std::string, int> named;           // photos of each file name
  for (const std::string& photo : photos) {
    inputs.emplace(Resolved(photo), photo);
    ++named[BaseName(photo)];
  }
  std::vector<BatchItem> all(photos.size());
  std::map<std::string, std::vector<std::size_t>> byOutput;  // output -> the photos that would have it
  for (std::size_t i = 0; i < photos.size(); ++i) {
    BatchItem& item = all[i];
    item.photo = photos[i];
    const std::string photoFolder = FolderName(item.photo);
    const bool shared = named[BaseName(item.photo)] > 1;
    item.seed = !options.seedFromName ? options.seed.value_or(effectSeed)
                : shared              ? SeedOfText(photoFolder + "/" + BaseName(item.photo))
                                      : SeedFromName(item.photo);
    const std::string name = ExpandName(
        options.nameTemplate, {Stem(item.photo), options.lookName, item.seed, options.extension, photoFolder});
    item.output = folder + name;
    const auto input = inputs.find(Resolved(item.output));
    if (name.empty() || name == "." || name == "..") {
      item.makable = Fail("'" + item.photo + "': its picture's name would be empty");
    } else if (input != inputs.end() && input->second == item.photo) {
      item.makable = Fail("'" + item.photo + "': its picture would replace the photo itself");
    } else if (input != inputs.end()) {
      item.makable = Fail("'" + item.photo + "': its picture would replace the photo '" + input->second +
                          "' (use other fields in --name, or another --out)");
    } else {
      byOutput[item.output].push_back(i);
    }
  }
  // A name several photos would have goes to the first that can be read
  // (the first of all when none can): a photo that cannot be painted never
  // takes a good one's picture.
  for (const auto& [output, claimants] : byOutput) {
    if (claimants.size() < 2) continue;
    const auto readable = std::find_if(claimants.begin(), claimants.end(), [&](std::size_t i) {
      const PictureFormat* format = PictureFormatOfName(photos[i]);
      ImageInfo info{};
      return format != nullptr && OpenProblem(photos[i]).ok() && format->info(photos[i].c_str(), info).ok();
    });
    const std::size_t owner = readable == claimants.end() ? claimants.front() : *readable;
    for (const std::size_t i : claimants) {
      if (i == owner) continue;
      all[i].makable = Fail("'" + photos[i] + "': its picture would be '" + output + "', as that of '" + photos[owner] +
                            "' is (use {dir}, {ext} or other fields in --name, or fewer inputs)");
    }
  }
  std::vector<BatchItem> items;
  for (std::size_t i = options.shard.index; i < all.size(); i += options.shard.count)
    items.push_back(std::move(all[i]));
  return items;
}

BatchSummary RunBatch(const CEffect& effect, const std::vector<BatchItem>& items, const BatchRunOptions& options,
                      BatchObserver* observer, std::stop_token stop) {
  const auto start = std::chrono::steady_clock::now();
  const unsigned cores = options.threads > 0 ? options.threads : MachineThreads();
  const unsigned jobs =
      static_cast<unsigned>(std::clamp<std::size_t>(options.jobs, 1, std::max<std::size_t>(items.size(), 1)));
  const unsigned threadsPerJob = std::max(1u, cores / jobs);

  BatchSummary summary;
  std::mutex mutex;  // the summary and the observer's calls
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    // A batch thread's alerts go to the log, never into a box.
    LogOnlyAlertSink sink;
    ScopedThreadAlertSink quiet(sink);
    for (;;) {
      if (stop.stop_requested()) return;
      const std::size_t i = next.fetch_add(1);
      if (i >= items.size()) return;
      if (observer != nullptr) {
        std::lock_guard lock(mutex);
        observer->Started(i, items[i]);
      }
      const FileResult result = MakeOne(effect, items[i], options, threadsPerJob, stop);
      std::lock_guard lock(mutex);
      if (result) {
        ++(result->kept ? summary.kept : summary.written);
        if (!result->damage.empty()) ++summary.damaged;
      } else if (!result.stopped()) {
        ++summary.failed;
      }
      if (observer != nullptr) observer->Finished(i, items[i], result);
    }
  };

  std::vector<std::thread> helpers;
  for (unsigned j = 1; j < jobs; ++j) {
    std::thread thread;
    if (StartSystemThread(work, thread)) helpers.push_back(std::move(thread));
  }
  work();
  for (std::thread& t : helpers) t.join();

  summary.stopped = stop.stop_requested();
  summary.notDone = items.size() - summary.written - summary.kept - summary.failed;
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.planned = summary.listed = items.size();
  return summary;
}

std::string SummaryText(const BatchSummary& s) {
  char text[200];
  std::snprintf(text, sizeof text, "%zu written, %zu kept, %zu failed in %.1f s", s.written, s.kept, s.failed,
                s.seconds);
  std::string line = text;
  if (s.damaged > 0) line += " (" + std::to_string(s.damaged) + " of them from damaged photos)";
  if (s.shard.count > 1) {
    line += " (shard " + std::to_string(s.shard.index) + "/" + std::to_string(s.shard.count) + ": " +
            std::to_string(s.planned) + " of " + std::to_string(s.listed) + " photos)";
  }
  if (s.stopped) line += "; stopped, " + std::to_string(s.notDone) + " not made";
  return line;
}

BatchJob::BatchJob(BatchLook look, const std::vector<std::string>& inputs, BatchPlanOptions plan, BatchRunOptions run)
    : m_look(std::move(look)), m_photos(ListPhotos(inputs)), m_plan(std::move(plan)), m_run(std::move(run)) {
  m_plan.lookName = m_look.name;
  m_run.quality = m_look.quality;
  if (m_look.jpegQuality) m_run.save.jpegQuality = *m_look.jpegQuality;
}

Done BatchJob::Prepare() {
  if (Done names = CheckOutputNames(m_plan); !names) return names;
  if (m_photos.photos.empty()) return Fail(Status::NotFound, "no photos to paint");
  const std::string& out = m_plan.outDir;
  std::error_code error;
  std::filesystem::create_directories(out, error);
  struct stat link {};
  if (!IsDirectory(out)) {
    if (FileExists(out)) return Fail("cannot write into '" + out + "': it is not a folder");
    if (::lstat(out.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
      return Fail("cannot write into '" + out + "': it is a symbolic link to nothing that exists");
    return Fail("cannot make the folder '" + out + "': " + error.message());
  }
  if (::access(out.c_str(), W_OK | X_OK) != 0) return Fail("cannot write into '" + out + "': " + std::strerror(errno));
  m_items = PlanBatch(m_photos.photos, m_look.effect->GetSeed(), m_plan);
  return {};
}

std::vector<BatchItem> BatchJob::WithoutPicture() const {
  std::vector<BatchItem> missing;
  for (const BatchItem& item : m_items) {
    struct stat st {};
    if (!item.makable || ::lstat(item.output.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) missing.push_back(item);
  }
  return missing;
}

BatchSummary BatchJob::Run(BatchObserver* observer, std::stop_token stop) const {
  const Recipe recipe = RecipeOf(*m_look.effect, m_look.quality);
  BatchRunOptions run = m_run;
  run.recipe = &recipe;
  BatchSummary summary = RunBatch(*m_look.effect, m_items, run, observer, std::move(stop));
  summary.failed += m_photos.problems.size();
  summary.shard = m_plan.shard;
  summary.listed = m_photos.photos.size();
  return summary;
}

}  // namespace brisol
