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
#include <thread>

#include "effect/Effect.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"
#include "raster/WorkerPool.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RenderPhoto.h"
#include "recipe/Sha256.h"

namespace brisol {
namespace {

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Stem(const std::string& path) {
  const std::string base = BaseName(path);
  const std::size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// The picture files of a folder, by their extension.
Done AddFolder(const std::string& folder, std::vector<std::string>& photos) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return Fail("cannot list the folder '" + folder + "': " + std::strerror(errno));
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.' || PictureFormatOfName(name) == nullptr) continue;
    const std::string path = prefix + name;
    if (!IsDirectory(path)) photos.push_back(path);
  }
  closedir(dir);
  return {};
}

FileResult MakeOne(const CEffect& effect, const BatchItem& item, const BatchRunOptions& options, unsigned threadsPerJob,
                   const std::stop_token& stop) {
  if (!item.makable) return item.makable.failure();
  if (!options.overwrite && FileExists(item.output)) return PictureMade{true, {}};
  if (SameFile(item.photo, item.output))
    return Fail("'" + item.photo + "': its picture would replace the photo itself");
  std::unique_ptr<CEffect> mine = effect.Snapshot();
  mine->SetSeed(item.seed);
  RenderFileOptions render;
  render.quality = options.quality;
  render.draw.threads = threadsPerJob;
  render.save = options.save;
  render.save.threads = threadsPerJob;
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
  std::sort(list.photos.begin(), list.photos.end());
  list.photos.erase(std::unique(list.photos.begin(), list.photos.end()), list.photos.end());
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

int SeedFromName(const std::string& path) {
  Sha256 hash;
  hash.Update(BaseName(path));
  const Sha256::Digest digest = hash.Finish();
  const std::uint32_t seed = static_cast<std::uint32_t>(digest[0]) << 24 | static_cast<std::uint32_t>(digest[1]) << 16 |
                             static_cast<std::uint32_t>(digest[2]) << 8 | digest[3];
  return static_cast<int>(seed);
}

Done CheckNameTemplate(const std::string& nameTemplate) {
  static const std::string_view kFields[] = {"stem", "preset", "seed", "ext"};
  bool stem = false;
  for (std::size_t i = 0; i < nameTemplate.size(); ++i) {
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
  if (PictureFormatOfName(ExpandName(options.nameTemplate, {"x", "x", 1, options.extension})) == nullptr)
    return Fail("the name '" + options.nameTemplate + "' must end in a picture's extension, such as .{ext}");
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
    i = close;
  }
  return name;
}

std::vector<BatchItem> PlanBatch(const std::vector<std::string>& photos, int effectSeed,
                                 const BatchPlanOptions& options) {
  const std::string folder = options.outDir.ends_with('/') ? options.outDir : options.outDir + "/";
  std::map<std::string, std::string> taken;  // output -> the photo that has it
  std::vector<BatchItem> items;
  for (std::size_t i = 0; i < photos.size(); ++i) {
    BatchItem item;
    item.photo = photos[i];
    item.seed = options.seedFromName ? SeedFromName(item.photo) : options.seed.value_or(effectSeed);
    const std::string name =
        ExpandName(options.nameTemplate, {Stem(item.photo), options.lookName, item.seed, options.extension});
    item.output = folder + name;
    if (name.empty() || name == "." || name == "..") {
      item.makable = Fail("'" + item.photo + "': its picture's name would be empty");
    } else if (const auto [at, fresh] = taken.emplace(item.output, item.photo); !fresh) {
      item.makable = Fail("'" + item.photo + "': its picture would be '" + item.output + "', as that of '" +
                          at->second + "' is (use {ext} or other fields in --name, or fewer inputs)");
    }
    if (i % options.shard.count == options.shard.index) items.push_back(std::move(item));
  }
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
  std::error_code error;
  std::filesystem::create_directories(m_plan.outDir, error);
  if (const Done target = CheckSaveTarget(m_plan.outDir + "/x." + m_plan.extension); !target.ok())
    return Fail("cannot write into '" + m_plan.outDir + "': " + (error ? error.message() : target.message()));
  m_items = PlanBatch(m_photos.photos, m_look.effect->GetSeed(), m_plan);
  return {};
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
