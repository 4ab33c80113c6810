#include "logger/Format.h"

#include <gtest/gtest.h>

namespace brisol {
namespace {

// A name stays as it is unless it holds a control character; then every
// control character is escaped and every backslash doubled, so that the
// name stays on one line and reads back unambiguously.
TEST(Format, NamesStayOnOneLine) {
  struct Case {
    std::string name, quoted;
  } cases[] = {
      {"photo.png", "'photo.png'"},
      {"C:\\pics\\a.png", "'C:\\pics\\a.png'"},
      {"two\nlines.png", "'two\\nlines.png'"},
      {"a\r\tb\\c", "'a\\r\\tb\\\\c'"},
      {"esc\x1b[31mred\x7f", "'esc\\x1b[31mred\\x7f'"},
      {"", "''"},
      {"caf\xc3\xa9.png", "'caf\xc3\xa9.png'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuotedName(c.name), c.quoted) << c.name;
    EXPECT_EQ(QuotedName(c.name).find('\n'), std::string::npos);
  }
  EXPECT_EQ(OneLineText("plain"), "plain");
}

}  // namespace
}  // namespace brisol
