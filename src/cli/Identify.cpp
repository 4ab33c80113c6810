// brisol-cli identify (not yet available).
#include <cstdio>

#include "Commands.h"

namespace brisol::cli {

int RunIdentify(Args) {
  std::fprintf(stderr, "brisol-cli identify: not available yet\n");
  return 2;
}

}  // namespace brisol::cli
