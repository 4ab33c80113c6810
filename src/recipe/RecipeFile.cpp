#include "recipe/RecipeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "imageio/ImageLoad.h"
#include "imageio/ImageSave.h"
#include "imageio/PictureFormats.h"
#include "imageio/TemporaryFile.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PictureText.h"
#include "raster/FileUtil.h"
#include "recipe/VectorRecipe.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

// The first bytes that tell a file's kind.
constexpr std::size_t kHeadBytes = 32;

std::string Quote(const std::string& name) { return "'" + name + "'"; }

RecipeRead Unreadable(const std::string& name, const std::string& why) {
  RecipeRead read;
  read.errors.push_back(Quote(name) + ": " + why);
  return read;
}

// The messages of reading a text, told as the file's.
RecipeRead InFile(RecipeRead read, const std::string& name) {
  for (auto* list : {&read.errors, &read.warnings})
    for (std::string& m : *list) m = Quote(name) + (m.starts_with("line ") ? ", " : ": ") + m;
  return read;
}

bool Begins(std::span<const std::uint8_t> bytes, std::string_view with) {
  return bytes.size() >= with.size() && std::memcmp(bytes.data(), with.data(), with.size()) == 0;
}

bool IsPng(std::span<const std::uint8_t> head) { return Begins(head, "\x89PNG\r\n\x1a\n"); }
bool IsJpeg(std::span<const std::uint8_t> head) { return Begins(head, "\xFF\xD8"); }
bool IsPdf(std::span<const std::uint8_t> head) { return Begins(head, "%PDF-"); }
bool IsPostScript(std::span<const std::uint8_t> head) { return Begins(head, "%!PS"); }
bool IsSvg(std::span<const std::uint8_t> head) {
  if (Begins(head, "\xEF\xBB\xBF")) head = head.subspan(3);
  while (!head.empty() && std::strchr(" \t\r\n", head[0]) != nullptr && head[0] != 0) head = head.subspan(1);
  return Begins(head, "<?xml") || Begins(head, "<svg");
}

using ReadTexts = int (*)(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts);

// The kinds of file that hold a recipe, one row each: told by their first
// bytes (or, for a vector file whose start is not recognised, by its name),
// how their texts are found, and which of those may be the recipe.
struct RecipeHolder {
  std::string_view format;  // as messages name it
  bool (*begins)(std::span<const std::uint8_t> head);
  unsigned vectorKinds;  // bits of the VectorKinds whose names choose the row
  ReadTexts texts;
  bool keyed;  // the recipe is the text under kRecipeKeyword; else a text that begins "format"
};

constexpr unsigned Kind(VectorKind kind) { return 1u << static_cast<unsigned>(kind); }

// Of a picture's texts only those that may be the recipe are kept, and no
// more than a few of them: a file of many texts costs no memory.
constexpr std::size_t kMostRecipeTexts = 16;
KeepText RecipeTexts(bool keyed, const std::vector<PictureText>& kept) {
  return [keyed, &kept](const PictureText& t) {
    if (kept.size() >= kMostRecipeTexts) return false;
    return keyed ? t.keyword == kRecipeKeyword : t.text.starts_with("format");
  };
}

constexpr RecipeHolder kHolders[] = {
    {"PNG", IsPng, 0,
     [](const ReadBytesAt& read, std::uint64_t, std::vector<PictureText>& texts) {
       return ReadPngTexts(read, texts, RecipeTexts(true, texts));
     },
     true},
    {"JPEG", IsJpeg, 0,
     [](const ReadBytesAt& read, std::uint64_t, std::vector<PictureText>& texts) {
       return ReadJpegComments(read, texts, RecipeTexts(false, texts));
     },
     false},
    {"SVG", IsSvg, Kind(VectorKind::Svg), ReadSvgMetadata, false},
    {"PDF", IsPdf, Kind(VectorKind::Pdf), ReadPdfSubject, false},
    {"PostScript", IsPostScript, Kind(VectorKind::Eps) | Kind(VectorKind::Ps), ReadPostScriptRecipe, false},
};

// The row of a file, by its first bytes or else by a vector file's name.
const RecipeHolder* HolderOf(std::span<const std::uint8_t> head, const std::string& name) {
  for (const RecipeHolder& holder : kHolders)
    if (holder.begins(head)) return &holder;
  if (const VectorFormat* vector = VectorFormatOfName(name))
    for (const RecipeHolder& holder : kHolders)
      if ((holder.vectorKinds & Kind(vector->kind)) != 0) return &holder;
  return nullptr;
}

// The recipe among a file's texts: the first that reads as one, or else
// what kept the first that looks like one from being read.
RecipeRead FromTexts(int rc, const std::vector<PictureText>& texts, const RecipeHolder& holder,
                     const std::string& name) {
  std::optional<RecipeRead> firstBad;
  for (const PictureText& t : texts) {
    const bool ours = holder.keyed ? t.keyword == kRecipeKeyword : t.text.starts_with("format");
    if (!ours) continue;
    RecipeRead read = ParseRecipe(t.text);
    if (read.ok()) return InFile(std::move(read), name);
    if (!firstBad) firstBad = std::move(read);
  }
  if (firstBad) return InFile(std::move(*firstBad), name);
  const std::string format(holder.format);
  if (rc == kImgErrRead) return Unreadable(name, "the " + format + " file is cut short before any recipe");
  if (rc == kImgErrUnsupported) {
    return Unreadable(name, "the " + format +
                                " file keeps its cross-references packed in streams, which are not read (a program "
                                "that changed it wrote it so)");
  }
  if (rc == kImgErrTooLarge) {
    return Unreadable(name, "the " + format + " file was changed and saved more than " +
                                std::to_string(kMaxPdfSections - 1) +
                                " times since it was made (incremental updates), and no more updates than that "
                                "are followed to find its recipe");
  }
  if (rc != kImgOk) return Unreadable(name, "the " + format + " file is damaged before any recipe");
  return Unreadable(name,
                    "the picture holds no Brisol recipe (it was not made by Brisol, or a program that changed it "
                    "left the recipe out)");
}

// A picture format that has no room for a recipe, by the file's first bytes
// or its name; null otherwise.
const PictureFormat* FormatWithoutRecipe(std::span<const std::uint8_t> head, const std::string& name) {
  const PictureFormat* format = PictureFormatOfSignature(head);
  if (format == nullptr) format = PictureFormatOfName(name);
  if (format == nullptr || PictureFormatHoldsRecipe(*format)) return nullptr;
  return format;
}

RecipeRead FromReader(const ReadBytesAt& read, std::span<const std::uint8_t> head, std::uint64_t size,
                      const std::string& name, const std::function<std::string()>& wholeText) {
  if (const RecipeHolder* holder = HolderOf(head, name)) {
    std::vector<PictureText> texts;
    const int rc = holder->texts(read, size, texts);
    return FromTexts(rc, texts, *holder, name);
  }
  if (const PictureFormat* format = FormatWithoutRecipe(head, name)) {
    return Unreadable(name, "a " + std::string(format->name) +
                                " picture cannot hold a recipe; only PNG, JPEG, SVG, PDF, EPS and PS files can");
  }
  if (size > kMaxRecipeBytes) {
    return Unreadable(name, "too large for a recipe (" + std::to_string(size) + " bytes; a recipe has at most " +
                                std::to_string(kMaxRecipeBytes) + ")");
  }
  if (size == 0) return Unreadable(name, "the file is empty");
  return InFile(ParseRecipe(wholeText()), name);
}

// Closes a descriptor when it ends.
struct Descriptor {
  int fd;
  ~Descriptor() { ::close(fd); }
};

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The most read from standard input: a picture Brisol made, whole.
constexpr std::size_t kMostStandardInputBytes = 256u << 20;

RecipeRead ReadStandardInput() {
  const std::string name = "standard input";
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Unreadable(name, std::strerror(errno));
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > kMostStandardInputBytes) {
      return Unreadable(name, "more than " + std::to_string(kMostStandardInputBytes >> 20) +
                                  " MB, more than a recipe or a picture holding one is read from it");
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return ReadRecipeBytes(bytes, name);
}

}  // namespace

RecipeRead ReadRecipeBytes(std::span<const std::uint8_t> bytes, const std::string& name) {
  return FromReader(BytesReader(bytes), bytes.first(std::min<std::size_t>(bytes.size(), kHeadBytes)), bytes.size(),
                    name, [bytes] { return std::string(bytes.begin(), bytes.end()); });
}

bool PictureFormatHoldsRecipe(const PictureFormat& format) {
  return format.imageType == kImageTypePng || format.imageType == kImageTypeJpg;
}

RecipeRead ReadRecipeFile(const std::string& path) {
  if (path == kStandardInput) return ReadStandardInput();
  // A FIFO, device or socket is refused before it is opened for reading:
  // opening a FIFO would wait for a writer for ever.
  std::string why;
  const int fd = OpenRegularFile(path.c_str(), &why);
  if (fd < 0) return Unreadable(path, why);
  const Descriptor guard{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Unreadable(path, std::strerror(errno));
  const ReadBytesAt read = [fd](std::uint64_t offset, std::uint8_t* out, std::size_t n) -> std::size_t {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd, out + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  };
  std::uint8_t head[kHeadBytes];
  const std::size_t headBytes = read(0, head, sizeof head);
  const auto size = static_cast<std::uint64_t>(st.st_size);
  return FromReader(read, std::span<const std::uint8_t>(head, headBytes), size, path, [&] {
    std::string text(static_cast<std::size_t>(size), '\0');
    text.resize(read(0, reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
    return text;
  });
}

void PutRecipe(SaveOptions& options, const Recipe& recipe) {
  options.textKeyword = std::string(kRecipeKeyword);
  options.text = RecipeText(recipe);
}

void PutPictureRecipe(SaveOptions& options, Recipe recipe, const std::string& output) {
  const PictureFormat* format = PictureFormatOfName(output);
  if (format != nullptr && format->imageType == kImageTypeJpg) recipe.jpegQuality = options.jpegQuality;
  PutRecipe(options, recipe);
}

Done SaveRecipeFile(const Recipe& recipe, const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  TemporaryFile temporary(folder + ".~" + name.substr(0, 200) + ".XXXXXX");
  if (temporary.fd() < 0) return Fail("cannot save " + Quote(path) + ": " + std::strerror(temporary.error()));
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = WriteAll(temporary.fd(), RecipeText(recipe)) && ::fchmod(temporary.fd(), 0666 & ~mask) == 0 &&
            ::fsync(temporary.fd()) == 0;
  int error = errno;
  if (!temporary.Close() && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.path().c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) return Fail("cannot save " + Quote(path) + ": " + std::strerror(error));
  temporary.Keep();
  return {};
}

}  // namespace brisol
