// SHA-256 against the standard's test vectors (FIPS 180-4 examples and the
// NIST long messages) and against coreutils' sha256sum at every length
// around the padding's block edges.
#include "recipe/Sha256.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

TEST(Sha256, StandardVectors) {
  struct Case {
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrst"
       "u",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
  std::string message;
  for (int i = 0; i < 300; ++i) message += static_cast<char>(i * 37 + 11);
  const std::string whole = Sha256Hex(message);
  for (std::size_t piece : {1u, 3u, 63u, 64u, 65u, 127u}) {
    Sha256 hash;
    for (std::size_t at = 0; at < message.size(); at += piece) hash.Update(std::string_view(message).substr(at, piece));
    EXPECT_EQ(HexDigest(hash.Finish()), whole) << "pieces of " << piece;
  }
  // Finish starts afresh.
  Sha256 hash;
  hash.Update("abc");
  hash.Finish();
  hash.Update("abc");
  EXPECT_EQ(HexDigest(hash.Finish()), Sha256Hex("abc"));
}

TEST(Sha256, AgreesWithSha256sumAroundTheBlockEdges) {
  if (std::system("command -v sha256sum >/dev/null 2>&1") != 0) GTEST_SKIP() << "sha256sum is not installed";
  test::TempDir dir;
  for (std::size_t n : {54u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 129u}) {
    std::string message;
    for (std::size_t i = 0; i < n; ++i) message += static_cast<char>(255 - i);
    const std::string path = dir.File("m" + std::to_string(n));
    test::WriteFile(path, message);
    FILE* pipe = popen(("sha256sum '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char digest[65] = {};
    ASSERT_EQ(std::fscanf(pipe, "%64s", digest), 1);
    pclose(pipe);
    EXPECT_EQ(Sha256Hex(message), digest) << n << " bytes";
    EXPECT_EQ(Sha256OfFile(path), digest) << n << " bytes";
  }
}

TEST(Sha256, AFileThatCannotBeReadSaysWhy) {
  test::TempDir dir;
  std::string why;
  EXPECT_EQ(Sha256OfFile(dir.File("missing"), &why), "");
  EXPECT_NE(why.find("No such file"), std::string::npos) << why;
  why.clear();
  EXPECT_EQ(Sha256OfFile(dir.path().string(), &why), "");
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace brisol
