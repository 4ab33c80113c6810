// Recipes read back from the vector files Brisol writes: the texts they are
// kept in decoded as their formats say, only the part of a large file that
// holds them read, and every broken, cut or huge file told in one line.
#include "recipe/VectorRecipe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "RecipeTestSupport.h"
#include "effect/Effect.h"
#include "effect/EffectParams.h"
#include "imageio/codecs/ImageCodec.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"
#include "recipe/RenderPhoto.h"

namespace brisol {
namespace {

using test::TempDir;

TEST(VectorRecipe, PdfStringsAreDecodedAsPdfWritesThem) {
  struct Case {
    std::string_view token;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"(format = 1)", "format = 1"},
      {R"((a \(b\) \\ c))", R"(a (b) \ c)"},
      {"(nested (parens) kept)", "nested (parens) kept"},
      {R"((line\nend\r\ttab))", "line\nend\r\ttab"},
      {R"((\101\1012\7\0053))",
       "AA2\x07\x05"
       "3"},
      {"(joined \\\nline)", "joined line"},
      {"(raw\r\nend)", "raw\nend"},
      {R"((unknown \q escape))", "unknown q escape"},
      {"(\xE9t\xE9)", "\xC3\xA9t\xC3\xA9"},  // PDFDocEncoding's Latin-1 half
      {"<666F726D6174>", "format"},
      {"<66 6f\n72>", "for"},
      {"<6>", "`"},
      {"<FEFF00660020263A>", "f \xE2\x98\xBA"},
      {"<FEFFD83DDE00>", "\xF0\x9F\x98\x80"},  // a surrogate pair
      {"<FEFFD83D0041>",
       "\xEF\xBF\xBD"
       "A"},  // a lone surrogate
      {"<EFBBBF C3A9>", "\xC3\xA9"},
      {"<>", ""},
      {"()", ""},
      {"(cut short", std::nullopt},
      {"(a) extra", std::nullopt},
      {"<66G6>", std::nullopt},
      {"<<66>>", std::nullopt},
      {"12 0 R", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(PdfStringText(c.token), c.text) << c.token;
}

TEST(VectorRecipe, XmlEntitiesAndCdataAreResolved) {
  struct Case {
    std::string_view xml, text;
  };
  const Case cases[] = {
      {"a &lt;b&gt; &amp; &quot;c&apos;", "a <b> & \"c'"},
      {"&#65;&#x42;&#x263a;", "AB\xE2\x98\xBA"},
      {"&#0;&#x110000;&#xD800;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"&nbsp; &#xZZ; & alone &", "&nbsp; &#xZZ; & alone &"},
      {"<![CDATA[<kept & raw>]]> after", "<kept & raw> after"},
      {"<![CDATA[never closed", "never closed"},
      {"one\r\ntwo\rthree", "one\ntwo\nthree"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlCharacterData(c.xml), c.text) << c.xml;
}

// Metadata full of '&' without a ';' is read in a moment (each '&' once
// looked for its ';' up to the end of the text).
TEST(VectorRecipe, AmpersandsWithoutReferencesAreReadInLinearTime) {
  const std::string text(400'000, '&');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(XmlCharacterData(text + ";&amp;"), text + ";&");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

class VectorRecipeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string mine = test::MakeCollection(main.Main() + "/Effects", "Mine",
                                                  {{"a.dxf", test::SquareDxf()}, {"b.dxf", test::CircleDxf()}});
    effect = std::make_unique<CEffect>(mine.c_str());
    effect->SetNumObjects(80);
    effect->SetSeed(17);
  }

  // A vector file of the photo holding the recipe (none for null).
  std::string Render(const std::string& name, const Recipe* recipe) {
    RenderFileOptions options;
    options.recipe = recipe;
    const std::string path = dir.File(name);
    const Outcome<PhotoWritten> made = RenderPhotoFile(*effect, photo, path, options);
    EXPECT_TRUE(made.ok()) << made.message();
    return path;
  }

  // The recipe the picture holds: the one given, with the picture's own seed, quality and photo.
  Recipe Expected(Recipe recipe) const {
    recipe.seed = 17;
    recipe.quality = 1;
    SetRecipePhoto(recipe, photo);
    return recipe;
  }

  test::ScopedMainDirectory main;
  test::ScopedAlertRecorder alerts;
  TempDir dir;
  std::string photo = test::WritePhoto(dir.File("photo.bmp"), 40, 30);
  std::unique_ptr<CEffect> effect;
};

std::string OnlyError(const RecipeRead& read) {
  EXPECT_FALSE(read.ok());
  EXPECT_EQ(read.errors.size(), 1u);
  const std::string error = read.errors.empty() ? std::string() : read.errors[0];
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  return error;
}

TEST_F(VectorRecipeFile, EveryVectorFormatGivesItsRecipeBack) {
  Recipe plain = RecipeOf(*effect, 1);
  // Names with characters XML escapes and that PDF keeps as UTF-16.
  Recipe named = plain;
  named.collection = "\xC3\x89toiles & <Co> \"quoted\" \xF0\x9F\x98\x80";
  named.SetValue(*FindEffectParam("size"), 7.25);
  struct Case {
    const char* name;
    const Recipe* recipe;
  };
  const Case cases[] = {{"a.svg", &plain}, {"a.pdf", &plain}, {"a.eps", &plain}, {"a.ps", &plain},
                        {"b.svg", &named}, {"b.pdf", &named}, {"B.SVG", &named}};
  for (const Case& c : cases) {
    const RecipeRead read = ReadRecipeFile(Render(c.name, c.recipe));
    ASSERT_TRUE(read.ok()) << c.name << ": " << read.ErrorText();
    EXPECT_EQ(*read.recipe, Expected(*c.recipe)) << c.name;
    EXPECT_TRUE(read.warnings.empty()) << c.name;
  }
}

TEST_F(VectorRecipeFile, AVectorFileWithoutARecipeSaysSo) {
  for (const char* name : {"none.svg", "none.pdf", "none.eps", "none.ps"}) {
    const std::string path = Render(name, nullptr);
    const std::string error = OnlyError(ReadRecipeFile(path));
    EXPECT_EQ(error, "'" + path +
                         "': the picture holds no Brisol recipe (it was not made by Brisol, or a program that "
                         "changed it left the recipe out)");
  }
}

TEST_F(VectorRecipeFile, ACutFileGivesTheRecipeOnlyWhenItsPlaceIsWhole) {
  const Recipe recipe = RecipeOf(*effect, 1);
  for (const char* name : {"cut.svg", "cut.pdf", "cut.eps"}) {
    const std::string c = name;
    const std::string whole = test::ReadFile(Render(name, &recipe));
    const std::string path = dir.File(name);
    for (const std::size_t keep :
         {whole.size() - 1, whole.size() / 2, whole.find("size"), std::size_t{40}, std::size_t{6}}) {
      test::WriteFile(path, whole.substr(0, keep));
      const RecipeRead read = ReadRecipeFile(path);
      // The recipe sits near the start of SVG and PostScript files and is found from the end of a PDF file.
      const std::size_t needed = c.ends_with(".svg")   ? whole.find("</metadata>") + 10
                                 : c.ends_with(".eps") ? whole.find("%%EndComments\n") + 14
                                                       : whole.rfind("%%EOF") - 1;
      const bool beforeCut = keep >= needed;
      if (beforeCut) {
        ASSERT_TRUE(read.ok()) << name << " cut at " << keep << ": " << read.ErrorText();
        EXPECT_EQ(*read.recipe, Expected(recipe));
      } else {
        const std::string error = OnlyError(read);
        EXPECT_NE(error.find("file is cut short before any recipe"), std::string::npos) << name << " " << error;
      }
    }
  }
}

TEST_F(VectorRecipeFile, BrokenFilesAreToldInOneLine) {
  const Recipe recipe = RecipeOf(*effect, 1);
  const std::string pdf = test::ReadFile(Render("a.pdf", &recipe));
  const std::size_t xref = pdf.rfind("xref\n0 ");
  const std::string body = pdf.substr(0, xref);
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"startxref-far.pdf", body + "startxref\n99999999\n%%EOF\n", "PDF file is damaged before any recipe"},
      {"startxref-word.pdf", body + "startxref\nnowhere\n%%EOF\n", "PDF file is damaged before any recipe"},
      {"startxref-cut.pdf", body + "startxref", "PDF file is cut short before any recipe"},
      {"no-table.pdf", body + "startxref\n9\n%%EOF\n", "PDF file is damaged before any recipe"},
      {"own-prev.pdf",
       body + "xref\n0 0\ntrailer\n<< /Prev " + std::to_string(xref) + " >>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n",
       "PDF file is damaged before any recipe"},
      {"stream-xref.pdf", body + "99 0 obj\n<< /Type /XRef >>\nstream\n" + "startxref\n" + std::to_string(xref) + "\n",
       "cross-references packed in streams, which are not read"},
      {"huge-count.pdf",
       body + "xref\n0 999999999999\n0000000000 65535 f \ntrailer\n<< >>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n",
       "PDF file is cut short before any recipe"},
      {"no-info.pdf",
       body + "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n",
       "the picture holds no Brisol recipe"},
      {"deep.pdf",
       body + "xref\n0 0\ntrailer\n<< /A " + std::string(200, '[') + std::string(5000, ' ') + "\nstartxref\n" +
           std::to_string(xref) + "\n",
       "PDF file is damaged before any recipe"},
      {"bad.pdf", "%PDF-1.4\n" + std::string(3000, '\xFF'), "PDF file is cut short before any recipe"},
      {"nothing.svg", "<?xml version=\"1.0\"?>\n<svg></svg>\n", "the picture holds no Brisol recipe"},
      {"theirs.svg", "<svg><metadata><rdf:RDF/></metadata><metadata/></svg>", "the picture holds no Brisol recipe"},
      {"open.svg", "<svg><metadata>format = 1\n", "SVG file is cut short before any recipe"},
      {"unended.svg", "<svg><metadata", "SVG file is cut short before any recipe"},
      {"bad-value.svg", "<svg><metadata>format = 1\nseed = many\n</metadata></svg>", "bad value 'many' for seed"},
      {"garbage.svg", std::string(5000, '\x01'), "SVG file is cut short before any recipe"},
      {"garbage.eps", std::string(5000, 'x'), "PostScript file is cut short before any recipe"},
      {"endless.ps", "%!PS-Adobe-3.0\n%BrisolRecipe: format = 1\n%%Title: x", "PostScript file is cut short"},
      {"theirs.ps", "%!PS-Adobe-3.0\n%%Title: x\n%%EndComments\n", "the picture holds no Brisol recipe"},
  };
  for (const Case& c : cases) {
    test::WriteFile(dir.File(c.name), c.bytes);
    const std::string error = OnlyError(ReadRecipeFile(dir.File(c.name)));
    EXPECT_TRUE(error.starts_with("'" + dir.File(c.name) + "'")) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
  }
}

TEST_F(VectorRecipeFile, ARecipeOfAnUpdatedPdfIsFoundThroughItsNewestTrailer) {
  // An update appends objects, a table of them and a trailer pointing at the previous one.
  const Recipe recipe = RecipeOf(*effect, 1);
  Recipe changed = Expected(recipe);
  changed.seed = 1234;
  std::string pdf = test::ReadFile(Render("a.pdf", &recipe));
  const std::string previous = pdf.substr(pdf.rfind("startxref\n") + 10);
  const std::size_t object = pdf.size();
  pdf += "40 0 obj\n<< /Title (x\\) /Subject \\(no\\)) /Subject 41 0 R >>\nendobj\n";
  const std::size_t string = pdf.size();
  const std::string text = RecipeText(changed);
  pdf += "41 0 obj\n(" + text.substr(0, 11) + "\\\n" + text.substr(11) + ")\nendobj\n";
  char entries[64];
  std::snprintf(entries, sizeof entries, "%010zu 00000 n \n%010zu 00000 n \n", object, string);
  const std::size_t xref = pdf.size();
  pdf += "xref\n40 2\n" + std::string(entries) + "trailer\n<< /Info 40 0 R /Prev " +
         previous.substr(0, previous.find('\n')) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  test::WriteFile(dir.File("updated.pdf"), pdf);
  const RecipeRead read = ReadRecipeFile(dir.File("updated.pdf"));
  ASSERT_TRUE(read.ok()) << read.ErrorText();
  EXPECT_EQ(*read.recipe, changed);
}

// Updates that leave the document information as it was: the recipe is
// found through 63 of them; beyond, the limit is told, not damage.
TEST_F(VectorRecipeFile, ManyUpdatesOfAPdfAreFollowedUpToTheirLimit) {
  const Recipe recipe = RecipeOf(*effect, 1);
  const std::string made = test::ReadFile(Render("a.pdf", &recipe));
  for (const int updates : {kMaxPdfSections - 1, kMaxPdfSections}) {
    std::string pdf = made;
    for (int u = 0; u < updates; ++u) {
      const std::string tail = pdf.substr(pdf.rfind("startxref\n") + 10);
      const std::size_t object = pdf.size();
      pdf += "50 0 obj\n(note)\nendobj\n";
      char entry[32];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", object);
      const std::size_t xref = pdf.size();
      pdf += "xref\n50 1\n" + std::string(entry) + "trailer\n<< /Prev " + tail.substr(0, tail.find('\n')) +
             " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    }
    test::WriteFile(dir.File("updated.pdf"), pdf);
    const RecipeRead read = ReadRecipeFile(dir.File("updated.pdf"));
    if (updates < kMaxPdfSections) {
      EXPECT_TRUE(read.ok()) << read.ErrorText();
    } else {
      EXPECT_EQ(read.errors.size(), 1u);
      EXPECT_NE(read.ErrorText().find("changed and saved more than 63 times"), std::string::npos) << read.ErrorText();
    }
  }
}

TEST_F(VectorRecipeFile, ARecipeFurtherFromTheStartIsFoundByReadingMore) {
  const Recipe recipe = Expected(RecipeOf(*effect, 1));
  const std::string text = RecipeText(recipe);
  std::string comments;
  for (int i = 0; i < 300; ++i) comments += "%%Note: " + std::string(200, 'n') + "\n";
  std::string lines;
  for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
    lines += "%BrisolRecipe: " + text.substr(at, text.find('\n', at) + 1 - at);
  auto svg = [&](std::size_t before) {
    return "<?xml version=\"1.0\"?>\n<svg><!--" + std::string(before, '-') + "--><metadata>" + text +
           "</metadata></svg>\n";
  };
  struct Case {
    const char* name;
    std::string bytes;
    bool found;
  };
  const Case cases[] = {
      {"far.svg", svg(100000), true},
      {"far.ps", "%!PS-Adobe-3.0\n" + comments + lines + "%%EndComments\n", true},
      {"too-far.svg", svg(600000), false},
  };
  for (const Case& c : cases) {
    test::WriteFile(dir.File(c.name), c.bytes);
    const RecipeRead read = ReadRecipeFile(dir.File(c.name));
    if (c.found) {
      ASSERT_TRUE(read.ok()) << c.name << ": " << read.ErrorText();
      EXPECT_EQ(*read.recipe, recipe) << c.name;
    } else {
      EXPECT_NE(OnlyError(read).find("the picture holds no Brisol recipe"), std::string::npos) << c.name;
    }
  }
}

// A file of the given size whose bytes are the head, then zeros, then the tail.
struct SparseFile {
  SparseFile(const std::string& path, const std::string& head, std::uint64_t size, const std::string& tail = {}) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
         ::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(size - tail.size())) ==
             static_cast<ssize_t>(tail.size()) &&
         ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    if (fd >= 0) ::close(fd);
  }
  bool ok = false;
};

TEST_F(VectorRecipeFile, OnlyThePartThatHoldsTheRecipeIsRead) {
  const Recipe recipe = RecipeOf(*effect, 1);
  for (const char* name : {"big.svg", "big.pdf", "big.ps"}) {
    const std::string small = test::ReadFile(Render(name, &recipe));
    // As large as a file with a large photo: the same head and tail, 40 MB apart.
    const std::size_t split = small.size() / 2;
    std::string big = small.substr(0, split) + std::string(40u << 20, ' ') + small.substr(split);
    if (std::string(name).ends_with(".pdf")) {
      // The table's offsets move with the bytes put in.
      big = small;
      big.insert(small.find('\n', 9) + 1, "%" + std::string((40u << 20) - 2, 'x') + "\n");
      const std::size_t shift = big.size() - small.size();
      std::size_t at = big.rfind("xref\n0 ");
      const std::size_t table = at;
      at = big.find("\n", big.find("\n", at) + 1) + 1;
      for (; big.compare(at, 7, "trailer") != 0; at += 20) {
        const std::size_t offset = std::stoull(big.substr(at, 10));
        if (offset > 0)
          big.replace(at, 10,
                      std::string(10 - std::to_string(offset + shift).size(), '0') + std::to_string(offset + shift));
      }
      big.replace(big.rfind("startxref\n") + 10, std::string::npos, std::to_string(table) + "\n%%EOF\n");
    }
    std::uint64_t bytesRead = 0;
    const std::span<const std::uint8_t> all(reinterpret_cast<const std::uint8_t*>(big.data()), big.size());
    const ReadBytesAt reader = BytesReader(all);
    const ReadBytesAt counting = [&](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
      const std::size_t got = reader(offset, out, n);
      bytesRead += got;
      return got;
    };
    std::vector<PictureText> texts;
    const auto readTexts = std::string(name).ends_with(".svg")   ? ReadSvgMetadata
                           : std::string(name).ends_with(".pdf") ? ReadPdfSubject
                                                                 : ReadPostScriptRecipe;
    EXPECT_EQ(readTexts(counting, big.size(), texts), kImgOk) << name;
    ASSERT_EQ(texts.size(), 1u) << name;
    EXPECT_EQ(texts[0].text, RecipeText(Expected(recipe))) << name;
    EXPECT_LT(bytesRead, 1u << 18) << name;
  }
}

TEST_F(VectorRecipeFile, HugeFilesAreToldWithoutReadingThemWhole) {
  const std::uint64_t huge = std::uint64_t{6} << 30;  // sparse: takes no room
  struct Case {
    const char* name;
    std::string head, tail;
    const char* message;
  };
  const Case cases[] = {
      {"huge.svg", "<?xml version=\"1.0\"?>\n<svg>", "</svg>\n", "the picture holds no Brisol recipe"},
      {"huge.pdf", "%PDF-1.4\n", "", "PDF file is cut short before any recipe"},
      {"huge2.pdf", "%PDF-1.4\n", "startxref\n5000000000\n%%EOF\n", "PDF file is damaged before any recipe"},
      {"huge.ps", "%!PS-Adobe-3.0\n", "", "PostScript file is damaged before any recipe"},
  };
  for (const Case& c : cases) {
    const SparseFile file(dir.File(c.name), c.head, huge, c.tail);
    ASSERT_TRUE(file.ok) << c.name;
    const std::string error = OnlyError(ReadRecipeFile(dir.File(c.name)));
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
  }
}

}  // namespace
}  // namespace brisol
