// What a command is making, for the one line that tells that the memory ran
// out. Each step that may need much memory names itself and its size while
// it runs; when an allocation fails, the step the failure left is the one
// the command names at its top.
#pragma once

#include <string>

namespace brisol::cli {

class Making {
 public:
  // what: "the picture of 'photo.png' (4000 x 3000 pixels at quality 2)".
  explicit Making(std::string what);
  ~Making();
  Making(const Making&) = delete;
  Making& operator=(const Making&) = delete;

  // The innermost step that an exception ended; empty when none did.
  static std::string Failed();
  // The innermost step running now, or null: read without allocating.
  static const char* Current();

 private:
  int m_uncaught;
};

}  // namespace brisol::cli
