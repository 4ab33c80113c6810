#include "RepeatFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisol {
namespace {

TEST(RepeatFolder, RepeatsAreCountedAndToldOnce) {
  struct Case {
    std::vector<std::string> in;
    std::vector<std::string> out;  // after a flush
  } cases[] = {
      {{}, {}},
      {{"a\n"}, {"a\n"}},
      {{"a\n", "a\n"}, {"a\n", "    (repeated 1 more time)\n"}},
      {std::vector<std::string>(3500, "Block buffer overflow\n"),
       {"Block buffer overflow\n", "    (repeated 3499 more times)\n"}},
      {{"a\n", "a\n", "a\n", "b\n", "a\n"}, {"a\n", "    (repeated 2 more times)\n", "b\n", "a\n"}},
      {{"a\n", "b\n", "a\n", "b\n"}, {"a\n", "b\n", "a\n", "b\n"}},  // only what comes right after itself
  };
  for (const Case& c : cases) {
    std::vector<std::string> written;
    RepeatFolder folder([&written](const std::string& text) { written.push_back(text); });
    for (const std::string& text : c.in) folder.Write(text);
    folder.Flush();
    EXPECT_EQ(written, c.out);
    folder.Flush();  // nothing more to tell
    EXPECT_EQ(written.size(), c.out.size());
  }
}

TEST(RepeatFolder, EndingTellsTheLastRepeats) {
  std::vector<std::string> written;
  {
    RepeatFolder folder([&written](const std::string& text) { written.push_back(text); });
    folder.Write("x\n");
    folder.Write("x\n");
  }
  EXPECT_EQ(written, (std::vector<std::string>{"x\n", "    (repeated 1 more time)\n"}));
}

}  // namespace
}  // namespace brisol
