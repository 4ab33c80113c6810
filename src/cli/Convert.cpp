// brisol-cli convert (not yet available).
#include <cstdio>

#include "Commands.h"

namespace brisol::cli {

int RunConvert(Args) {
  std::fprintf(stderr, "brisol-cli convert: not available yet\n");
  return 2;
}

}  // namespace brisol::cli
