// Texts beside a picture's pixels: added to PNG and JPEG files without
// changing a pixel, read back by our walk and by Pillow, and a walk that
// faces cut short, damaged and garbage files without harm.
#include "imageio/codecs/PictureText.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "RecordingAlertSink.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MagickReference.h"

namespace brisol {
namespace {

const char* kPython = "/usr/bin/python3";
const std::string kText = "format = 1\ncollection = Caf\xC3\xA9\nsize = 5.5\n";

bool PillowAvailable() {
  if (access(kPython, X_OK) != 0) return false;
  return std::system((std::string(kPython) + " -c 'import PIL.Image' 2>/dev/null").c_str()) == 0;
}

// What Pillow reads as the file's text under the keyword (PNG) or its
// comment (JPEG), as hex so that any byte survives the pipe.
std::string PillowText(const std::string& file, const std::string& keyword) {
  const std::string lookup =
      keyword.empty() ? "p.info.get(\"comment\", b\"\")" : "p.text.get(\"" + keyword + "\", \"\").encode(\"utf-8\")";
  const std::string command = std::string(kPython) + " -c 'import sys, PIL.Image as I; p = I.open(sys.argv[1]); " +
                              "p.load(); print(" + lookup + ".hex())' '" + file + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "(no pipe)";
  char hex[4096] = {};
  const bool got = std::fgets(hex, sizeof hex, pipe) != nullptr;
  pclose(pipe);
  if (!got) return "(nothing)";
  std::string bytes;
  for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0' && hex[i] != '\n'; i += 2)
    bytes += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
  return bytes;
}

std::vector<std::uint8_t> Png(const test::RgbPicture& picture) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodePng(test::ToBgr24(picture).Block(), file), kImgOk);
  return file;
}

std::vector<std::uint8_t> Jpeg(const test::RgbPicture& picture) {
  std::vector<std::uint8_t> file;
  EXPECT_EQ(EncodeJpeg(test::ToBgr24(picture).Block(), 90, file), kImgOk);
  return file;
}

std::vector<PictureText> PngTexts(const std::vector<std::uint8_t>& file, int expected = kImgOk) {
  std::vector<PictureText> texts;
  EXPECT_EQ(ReadPngTexts(BytesReader(file), texts), expected);
  return texts;
}

std::vector<PictureText> JpegComments(const std::vector<std::uint8_t>& file, int expected = kImgOk) {
  std::vector<PictureText> texts;
  EXPECT_EQ(ReadJpegComments(BytesReader(file), texts), expected);
  return texts;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (24 - 8 * i)));
}

// A PNG with a chunk put in before IEND (its checksum made right unless
// told otherwise).
std::vector<std::uint8_t> WithChunk(std::vector<std::uint8_t> png, const char* type, const std::string& data,
                                    bool goodChecksum = true) {
  std::vector<std::uint8_t> chunk;
  PutU32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  // CRC-32 of type and data.
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 4; i < chunk.size(); ++i) {
    crc ^= chunk[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  PutU32(chunk, goodChecksum ? ~crc : crc);
  png.insert(png.end() - 12, chunk.begin(), chunk.end());
  return png;
}

TEST(PictureText, PngTextLeavesEveryPixelAndIsReadBack) {
  const test::RgbPicture picture = test::MakePhotoLike(61, 37);
  const std::vector<std::uint8_t> plain = Png(picture);
  std::vector<std::uint8_t> file = plain;
  ASSERT_EQ(AddPngText(file, "Brisol recipe", kText), kImgOk);
  EXPECT_GT(file.size(), plain.size());
  Bgr24Image a, b;
  ASSERT_EQ(DecodePng(plain, a), kImgOk);
  ASSERT_EQ(DecodePng(file, b), kImgOk);
  EXPECT_EQ(test::MaxDifference(a, b), 0);
  EXPECT_EQ(test::MaxDifference(b, picture), 0);

  const std::vector<PictureText> texts = PngTexts(file);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].keyword, "Brisol recipe");
  EXPECT_EQ(texts[0].text, kText);
}

TEST(PictureText, JpegCommentLeavesEveryPixelAndIsReadBack) {
  const test::RgbPicture picture = test::MakePhotoLike(45, 29, 2);
  const std::vector<std::uint8_t> plain = Jpeg(picture);
  std::vector<std::uint8_t> file = plain;
  ASSERT_EQ(AddJpegComment(file, kText), kImgOk);
  Bgr24Image a, b;
  ASSERT_EQ(DecodeJpeg(plain, a), kImgOk);
  ASSERT_EQ(DecodeJpeg(file, b), kImgOk);
  EXPECT_EQ(test::MaxDifference(a, b), 0);
  // The JFIF segment stays first.
  EXPECT_EQ(file[2], 0xFF);
  EXPECT_EQ(file[3], 0xE0);

  const std::vector<PictureText> texts = JpegComments(file);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].keyword, "");
  EXPECT_EQ(texts[0].text, kText);
}

TEST(PictureText, PillowReadsTheTexts) {
  if (!PillowAvailable()) GTEST_SKIP() << "Pillow (package python3-pil) is not installed";
  test::TempDir dir;
  std::vector<std::uint8_t> png = Png(test::MakePhotoLike(20, 10));
  ASSERT_EQ(AddPngText(png, "Brisol recipe", kText), kImgOk);
  ASSERT_TRUE(test::WriteBytes(dir.File("t.png"), png));
  EXPECT_EQ(PillowText(dir.File("t.png"), "Brisol recipe"), kText);

  std::vector<std::uint8_t> jpeg = Jpeg(test::MakePhotoLike(20, 10));
  ASSERT_EQ(AddJpegComment(jpeg, kText), kImgOk);
  ASSERT_TRUE(test::WriteBytes(dir.File("t.jpg"), jpeg));
  EXPECT_EQ(PillowText(dir.File("t.jpg"), ""), kText);
}

TEST(PictureText, RefusedTextsLeaveTheFileAlone) {
  const std::vector<std::uint8_t> png = Png(test::MakePhotoLike(4, 4));
  for (const std::string& keyword : {std::string(), std::string(80, 'k'), std::string(" lead"), std::string("trail "),
                                     std::string("two  spaces"), std::string("tab\there"), std::string("nul\0x", 5)}) {
    std::vector<std::uint8_t> file = png;
    EXPECT_EQ(AddPngText(file, keyword, "x"), kImgErrArgument) << keyword;
    EXPECT_EQ(file, png);
  }
  std::vector<std::uint8_t> notPng = {1, 2, 3};
  EXPECT_EQ(AddPngText(notPng, "Comment", "x"), kImgErrArgument);

  const std::vector<std::uint8_t> jpeg = Jpeg(test::MakePhotoLike(4, 4));
  std::vector<std::uint8_t> file = jpeg;
  EXPECT_EQ(AddJpegComment(file, std::string(kMaxJpegCommentBytes + 1, 'x')), kImgErrArgument);
  EXPECT_EQ(file, jpeg);
  EXPECT_EQ(AddJpegComment(file, std::string(kMaxJpegCommentBytes, 'x')), kImgOk);
  ASSERT_EQ(JpegComments(file).size(), 1u);
  EXPECT_EQ(JpegComments(file)[0].text.size(), kMaxJpegCommentBytes);
  EXPECT_EQ(AddJpegComment(notPng, "x"), kImgErrArgument);
}

TEST(PictureText, EveryTextIsReadInFileOrder) {
  std::vector<std::uint8_t> png = Png(test::MakePhotoLike(8, 8));
  ASSERT_EQ(AddPngText(png, "Second", "b"), kImgOk);
  ASSERT_EQ(AddPngText(png, "First", "a"), kImgOk);  // also right after the header
  png = WithChunk(png, "tEXt", std::string("Author\0Somebody", 15));
  const std::vector<PictureText> texts = PngTexts(png);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].keyword, "First");
  EXPECT_EQ(texts[1].text, "b");
  EXPECT_EQ(texts[2].keyword, "Author");
  EXPECT_EQ(texts[2].text, "Somebody");

  // Another program's comment first, and fill bytes before a marker.
  std::vector<std::uint8_t> jpeg = Jpeg(test::MakePhotoLike(8, 8));
  ASSERT_EQ(AddJpegComment(jpeg, "ours"), kImgOk);
  const std::vector<std::uint8_t> theirs = {0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x07, 't', 'h', 'e', 'i', 'r'};
  jpeg.insert(jpeg.begin() + 2, theirs.begin(), theirs.end());
  const std::vector<PictureText> comments = JpegComments(jpeg);
  ASSERT_EQ(comments.size(), 2u);
  EXPECT_EQ(comments[0].text, "their");
  EXPECT_EQ(comments[1].text, "ours");
}

TEST(PictureText, DamagedCompressedAndOversizedTextsArePassedOver) {
  const std::vector<std::uint8_t> png = Png(test::MakePhotoLike(8, 8));
  EXPECT_TRUE(PngTexts(WithChunk(png, "tEXt", std::string("Bad\0sum", 7), false)).empty());
  EXPECT_TRUE(PngTexts(WithChunk(png, "iTXt", std::string("Packed\0\1\0\0\0xx", 13))).empty());
  EXPECT_TRUE(PngTexts(WithChunk(png, "tEXt", std::string("NoKeywordEnd"))).empty());
  EXPECT_TRUE(PngTexts(WithChunk(png, "tEXt", std::string("\0empty keyword", 14))).empty());
  EXPECT_TRUE(PngTexts(WithChunk(png, "iTXt", std::string("Cut\0\0\0lang", 10))).empty());
  const std::string huge = "Huge" + std::string(1, '\0') + std::string(kMaxPictureTextBytes, 'x');
  EXPECT_TRUE(PngTexts(WithChunk(png, "tEXt", huge)).empty());
}

TEST(PictureText, CutShortFilesKeepTheTextsBeforeTheCut) {
  std::vector<std::uint8_t> png = Png(test::MakePhotoLike(30, 20));
  ASSERT_EQ(AddPngText(png, "Brisol recipe", kText), kImgOk);
  png = WithChunk(png, "tEXt", std::string("Later\0text", 10));
  std::vector<std::uint8_t> jpeg = Jpeg(test::MakePhotoLike(30, 20));
  ASSERT_EQ(AddJpegComment(jpeg, kText), kImgOk);
  for (bool isPng : {true, false}) {
    const std::vector<std::uint8_t>& whole = isPng ? png : jpeg;
    const std::vector<PictureText> all = isPng ? PngTexts(whole) : JpegComments(whole);
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      std::vector<PictureText> texts;
      const int rc = isPng ? ReadPngTexts(BytesReader(cut), texts) : ReadJpegComments(BytesReader(cut), texts);
      const std::size_t signature = isPng ? 8 : 2;
      if (n < signature) {
        EXPECT_EQ(rc, kImgErrSignature) << n;
      } else if (isPng && n < whole.size() - 4) {
        EXPECT_EQ(rc, kImgErrRead) << n;  // IEND is the last chunk; its checksum is not needed
      }
      ASSERT_LE(texts.size(), all.size());
      for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i].text, all[i].text) << n;
    }
  }
}

TEST(PictureText, GarbageAndImpossibleLengthsEndTheWalk) {
  std::vector<std::uint8_t> noise(5000);
  unsigned state = 9;
  for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  EXPECT_TRUE(PngTexts(noise, kImgErrSignature).empty());
  EXPECT_TRUE(JpegComments(noise, kImgErrSignature).empty());

  // Noise after the signatures.
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png.insert(png.end(), noise.begin(), noise.end());
  std::vector<PictureText> texts;
  EXPECT_NE(ReadPngTexts(BytesReader(png), texts), kImgOk);
  std::vector<std::uint8_t> jpeg = {0xFF, 0xD8};
  jpeg.insert(jpeg.end(), noise.begin(), noise.end());
  EXPECT_NE(ReadJpegComments(BytesReader(jpeg), texts), kImgOk);

  // A chunk length beyond what PNG allows.
  std::vector<std::uint8_t> huge = {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n',
                                    0xFF, 0xFF, 0xFF, 0xF0, 't',  'E',  'X',  't'};
  EXPECT_TRUE(PngTexts(huge, kImgErrCorrupt).empty());
  // A JPEG segment length below its own two bytes.
  const std::vector<std::uint8_t> shortSegment = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x01, 0xFF, 0xD9};
  EXPECT_TRUE(JpegComments(shortSegment, kImgErrCorrupt).empty());
}

TEST(PictureText, EndlessEmptyChunksAreNotWalkedForever) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const std::uint8_t empty[12] = {0, 0, 0, 0, 'a', 'b', 'C', 'd', 0, 0, 0, 0};
  for (std::size_t i = 0; i <= (1u << 20); ++i) png.insert(png.end(), empty, empty + 12);
  EXPECT_TRUE(PngTexts(png, kImgErrCorrupt).empty());
}

}  // namespace
}  // namespace brisol
