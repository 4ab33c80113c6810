// brisol-cli dxf-info (not yet available).
#include <cstdio>

#include "Commands.h"

namespace brisol::cli {

int RunDxfInfo(Args) {
  std::fprintf(stderr, "brisol-cli dxf-info: not available yet\n");
  return 2;
}

}  // namespace brisol::cli
