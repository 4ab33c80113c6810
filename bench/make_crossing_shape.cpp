// Writes an effect collection of one shape: a closed polygon through n random
// points, crossing itself everywhere (by default 3,535 points, about 99 KB).
//   make_crossing_shape FOLDER [N]
// then: brisol-cli render PHOTO OUT.png --effect FOLDER
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CrossingShapes.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s FOLDER [N]\n", argv[0]);
    return 2;
  }
  const int n = argc == 3 ? std::atoi(argv[2]) : 3535;
  if (n < 3 || n > 3600) {
    std::fprintf(stderr, "%s: N must be 3 to 3600 (a shape file holds at most 100000 bytes)\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  ::mkdir(folder.c_str(), 0777);
  const std::string path = folder + "/crossing.dxf";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return 1;
  }
  const std::string text = brisol::bench::CrossingPolygonDxf(brisol::bench::CrossingPolygon(n));
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !ok) {
    std::perror(path.c_str());
    return 1;
  }
  std::printf("%s: %d points, %zu bytes\n", path.c_str(), n, text.size());
  return 0;
}
