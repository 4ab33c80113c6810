// brisol-cli batch: one look applied to many photos, several at once, and
// split over machines with --shard.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <stop_token>
#include <string>
#include <thread>

#include "ArgParse.h"
#include "Commands.h"
#include "LookOptions.h"
#include "QuietAlerts.h"
#include "RenderOptions.h"
#include "imageio/PictureFormats.h"
#include "logger/RepeatFolder.h"
#include "raster/WorkerPool.h"
#include "recipe/Batch.h"

namespace brisol::cli {
namespace {

constexpr const char* kPrefix = "brisol-cli batch: ";

void PrintHelp() {
  std::printf(
      "Usage: brisol-cli batch [--preset P | --recipe R | options] PHOTO|FOLDER... --out DIR\n\n"
      "Paints every photo (the picture files of each FOLDER, not its sub-folders)\n"
      "with one look and writes the pictures into DIR, which is made when needed.\n"
      "A picture that exists already is kept (see --overwrite). A photo that fails\n"
      "is told in one line and the batch goes on. Pictures are the same on every run\n"
      "and written whole or not at all, so a batch stopped or split over machines\n"
      "may simply be run again.\n\n"
      "%s"
      "  --out DIR              where the pictures go (required)\n"
      "  --name TEMPLATE        the pictures' names from {stem} (the photo's name\n"
      "                         without extension), {preset} (the preset's or\n"
      "                         recipe's name, else the collection's), {seed},\n"
      "                         {ext} and {dir} (the name of the photo's folder)\n"
      "                         [{stem}.{ext}]\n"
      "  --format EXT           the pictures' format [png]: %s\n"
      "  --jobs N               photos painted at once, 1..256; the cores are shared\n"
      "                         out between them [1]\n"
      "  --threads N            cores to use in all, 1..256 [all it may use]\n"
      "  --max-pixels N         the most pixels a photo may have [200000000]\n"
      "  --shard K/N            paint only the photos K, K+N, K+2N ... of the sorted\n"
      "                         list (0 <= K < N): N machines, each with its own K,\n"
      "                         together paint the whole batch\n"
      "  --overwrite            replace pictures that exist already\n"
      "  --check                paint nothing: list the photos whose picture is not\n"
      "                         in --out (run it after all the shards); status 1\n"
      "                         when any has none\n"
      "  --quiet                no progress bar\n\n"
      "%s\n"
      "Exit status: 0 when every photo was painted (or kept), 1 when any failed, 2 for\n"
      "a usage error.\n",
      LookOptionsHelp("  --seed N|from-name     one seed for every photo, or a seed made from each\n"
                      "                         photo's file name [the recipe's, else 1]\n")
          .c_str(),
      PictureExtensionsText().c_str(), EffectOptionsHelp().c_str());
}

int Usage(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "%s%s (see --help)\n", kPrefix, message.c_str());
  return 2;
}

void Line(const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "%s%s\n", kPrefix, message.c_str());
}

std::string Clock(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

// The progress bar (only on a terminal): files done of all, the file begun
// last and the time left; and each failure in a line of its own.
class BatchProgress : public BatchObserver {
 public:
  BatchProgress(std::size_t total, bool show) : m_total(total), m_show(show && isatty(STDERR_FILENO)) {}
  ~BatchProgress() override { Finish(); }
  // Takes the bar away.
  void Finish() { Clear(); }

  void Started(std::size_t, const BatchItem& item) override {
    m_current = std::filesystem::path(item.photo).filename().string();
    Show();
  }
  void Finished(std::size_t, const BatchItem&, const FileResult& result) override {
    ++m_done;
    if (!result || !result->kept) ++m_worked;
    if (!result && !result.stopped()) {
      Clear();
      Line(result.message());
    } else if (result && !result->damage.empty()) {
      Clear();
      Line("warning: " + result->damage);
    }
    Show();
  }

 private:
  void Show() {
    if (!m_show) return;
    constexpr int kWidth = 24;
    const double fraction = m_total == 0 ? 1.0 : static_cast<double>(m_done) / static_cast<double>(m_total);
    std::string bar(static_cast<std::size_t>(fraction * kWidth + 0.5), '#');
    bar.resize(kWidth, '.');
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const std::string left =
        m_worked == 0 ? "--:--" : Clock(elapsed / static_cast<double>(m_done) * static_cast<double>(m_total - m_done));
    std::string name = m_current;
    if (name.size() > 28) name = "..." + name.substr(name.size() - 25);
    std::fprintf(stderr, "\r[%s] %zu/%zu  %-28s  %s left ", bar.c_str(), m_done, m_total, name.c_str(), left.c_str());
    std::fflush(stderr);
    m_shown = true;
  }
  void Clear() {
    if (!m_shown) return;
    std::fprintf(stderr, "\r%*s\r", 79, "");
    std::fflush(stderr);
    m_shown = false;
  }

  std::size_t m_total, m_done = 0, m_worked = 0;
  bool m_show, m_shown = false;
  std::string m_current;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Ending signals (Ctrl-C, a job scheduler's SIGTERM, a closed terminal)
// become a stop request while the batch runs: the pictures being drawn are
// not written, no new one starts, and the summary tells what was done. The
// signals are held back on every thread of the batch and taken by a watcher
// of their own; once the batch has ended, the signal taken ends the program
// as it would have.
class SignalsStopTheBatch {
 public:
  SignalsStopTheBatch() {
    sigemptyset(&m_set);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction current {};
      // An ignored signal (nohup) stays ignored.
      if (::sigaction(s, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) sigaddset(&m_set, s);
    }
    ::pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    m_watcher = std::jthread([this](std::stop_token ended) {
      const timespec wait{0, 100'000'000};
      while (!ended.stop_requested()) {
        const int s = ::sigtimedwait(&m_set, nullptr, &wait);
        if (s > 0) {
          m_signal = s;
          m_stop.request_stop();
          return;
        }
      }
    });
  }
  ~SignalsStopTheBatch() {
    m_watcher.request_stop();
    m_watcher.join();
    if (m_signal != 0) {
      ::signal(m_signal, SIG_DFL);
      ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
      ::raise(m_signal);
    }
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
  }
  SignalsStopTheBatch(const SignalsStopTheBatch&) = delete;
  SignalsStopTheBatch& operator=(const SignalsStopTheBatch&) = delete;

  std::stop_token Token() const { return m_stop.get_token(); }

 private:
  sigset_t m_set{}, m_previous{};
  std::stop_source m_stop;
  std::atomic<int> m_signal{0};
  std::jthread m_watcher;
};

// --check: the photos whose picture is not there, one a line on standard
// output, and a count; status 1 when any is missing.
int CheckPictures(const BatchJob& job) {
  const std::vector<BatchItem> missing = job.WithoutPicture();
  for (const BatchItem& item : missing) std::printf("%s\n", item.photo.c_str());
  std::fflush(stdout);
  const std::size_t all = job.Items().size() + job.Problems().size();
  Line(std::to_string(all - missing.size() - job.Problems().size()) + " of " + std::to_string(all) +
       " photos have their picture" +
       (missing.empty() && job.Problems().empty()
            ? std::string()
            : ", " + std::to_string(missing.size() + job.Problems().size()) + " have none"));
  return missing.empty() && job.Problems().empty() ? 0 : 1;
}

}  // namespace

int RunBatch(Args args) {
  const QuietAlerts quietAlerts;
  std::vector<std::string_view> valueOptions = LookOptionNames();
  valueOptions.insert(valueOptions.end(),
                      {"--out", "--name", "--format", "--jobs", "--threads", "--shard", "--max-pixels"});
  const auto parsedArgs = ParseArgs(args, valueOptions, {"--overwrite", "--quiet", "--check"});
  if (!parsedArgs) return Usage(parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    PrintHelp();
    return 0;
  }
  BatchPlanOptions plan;
  BatchRunOptions run;
  run.load.raise = "--max-pixels N";
  bool outGiven = false, quiet = false, check = false;
  for (const std::string& flag : parsed.flags) {
    if (flag == "--overwrite") run.overwrite = true;
    if (flag == "--quiet") quiet = true;
    if (flag == "--check") check = true;
  }
  for (const auto& [name, value] : parsed.options) {
    long long n = 0;
    if (name == "--out") {
      if (value.empty()) return Usage("--out takes a folder");
      plan.outDir = value;
      outGiven = true;
    } else if (name == "--name") {
      plan.nameTemplate = value;
    } else if (name == "--format") {
      std::string ext = value;
      for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
      if (ext.empty() || PictureFormatOfName("x." + ext) == nullptr)
        return Usage("--format takes " + PictureExtensionsText());
      plan.extension = ext;
    } else if (name == "--jobs" || name == "--threads") {
      if (!ParseInteger(value, 1, 256, n)) return Usage(name + " takes 1 to 256");
      (name == "--jobs" ? run.jobs : run.threads) = static_cast<unsigned>(n);
    } else if (name == "--max-pixels") {
      if (!ParseInteger(value, 1, kMaxImagePixels, n))
        return Usage("--max-pixels takes 1 to " + std::to_string(kMaxImagePixels));
      run.load.maxPixels = n;
    } else if (name == "--shard") {
      const auto shard = ParseShard(value);
      if (!shard) return Usage("--shard takes K/N with 0 <= K < N, such as 0/4, not '" + value + "'");
      plan.shard = *shard;
    }
  }
  if (!outGiven) return Usage("--out DIR is required");
  // Without --format, a name ending in a picture's extension chooses it.
  if (std::none_of(parsed.options.begin(), parsed.options.end(),
                   [](const auto& option) { return option.first == "--format"; })) {
    const std::size_t dot = plan.nameTemplate.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : plan.nameTemplate.substr(dot + 1);
    if (!ext.empty() && ext.find('{') == std::string::npos && PictureFormatOfName("x." + ext) != nullptr)
      plan.extension = ext;
  }
  if (const Done names = CheckOutputNames(plan); !names) return Usage(names.message());
  if (parsed.positionals.empty()) return Usage("expected at least one PHOTO or FOLDER");

  Look look;
  std::vector<std::string> notices;
  const Done built = BuildLook(parsed, "from-name", look, notices);
  for (const std::string& notice : notices) Line(notice);
  if (!built) {
    if (built.status() == Status::Invalid) return Usage(built.message());
    std::size_t start = 0;
    do {
      const std::size_t end = built.message().find('\n', start);
      Line(built.message().substr(start, end - start));
      start = end == std::string::npos ? end : end + 1;
    } while (start != std::string::npos);
    return 1;
  }
  plan.seedFromName = look.seedWord;
  BatchJob job({look.effect.Snapshot(), look.quality, look.jpegQuality, look.name}, parsed.positionals, plan, run);
  for (const std::string& problem : job.Problems()) Line(problem);
  if (const Done ready = job.Prepare(); !ready) {
    Line(ready.message());
    return 1;
  }
  if (check) return CheckPictures(job);
  const SignalsStopTheBatch signals;
  BatchProgress progress(job.Items().size(), !quiet);
  const BatchSummary summary = job.Run(&progress, signals.Token());
  progress.Finish();
  Line(SummaryText(summary));
  std::fflush(stderr);
  return summary.failed > 0 ? 1 : 0;
}

}  // namespace brisol::cli
