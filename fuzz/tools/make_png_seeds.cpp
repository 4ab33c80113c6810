// Writes the seeds of the PNG fuzz target: one small picture for every
// colour type, bit depth and interlacing PNG has (and a palette picture
// with transparency), into the folder given.
//   make_png_seeds fuzz/seeds/png
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Variant {
  int colourType;
  int bitDepth;
};

// Every pair the format allows.
const Variant kVariants[] = {
    {PNG_COLOR_TYPE_GRAY, 1},        {PNG_COLOR_TYPE_GRAY, 2},      {PNG_COLOR_TYPE_GRAY, 4},
    {PNG_COLOR_TYPE_GRAY, 8},        {PNG_COLOR_TYPE_GRAY, 16},     {PNG_COLOR_TYPE_RGB, 8},
    {PNG_COLOR_TYPE_RGB, 16},        {PNG_COLOR_TYPE_PALETTE, 1},   {PNG_COLOR_TYPE_PALETTE, 2},
    {PNG_COLOR_TYPE_PALETTE, 4},     {PNG_COLOR_TYPE_PALETTE, 8},   {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {PNG_COLOR_TYPE_RGB_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16},
};

const char* TypeName(int type) {
  switch (type) {
    case PNG_COLOR_TYPE_GRAY:
      return "grey";
    case PNG_COLOR_TYPE_RGB:
      return "rgb";
    case PNG_COLOR_TYPE_PALETTE:
      return "palette";
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return "greyalpha";
    default:
      return "rgba";
  }
}

int Channels(int type) {
  switch (type) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// A 9 x 7 picture (every interlacing pass holds pixels) of gradients.
bool Write(const std::string& path, const Variant& v, bool interlaced, bool transparency) {
  constexpr int kWidth = 9, kHeight = 7;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, kWidth, kHeight, v.bitDepth, v.colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int entries = v.colourType == PNG_COLOR_TYPE_PALETTE ? 1 << v.bitDepth : 0;
  std::vector<png_color> palette;
  for (int i = 0; i < entries; ++i)
    palette.push_back(
        {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i * 19), static_cast<png_byte>(i * 91)});
  if (entries > 0) png_set_PLTE(png, info, palette.data(), entries);
  if (transparency) {
    std::vector<png_byte> alpha(static_cast<std::size_t>(entries), 255);
    alpha[0] = 0;
    png_set_tRNS(png, info, alpha.data(), entries, nullptr);
  }
  png_write_info(png, info);
  const int channels = Channels(v.colourType);
  const int maximum = (1 << v.bitDepth) - 1;
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<std::vector<png_byte>> rows(kHeight, std::vector<png_byte>(rowBytes, 0));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int c = 0; c < channels; ++c) {
        const int value = (x * 7 + y * 5 + c * 11) % (maximum + 1);
        if (v.bitDepth == 16) {  // big-endian, spread over the whole range
          const int wide = value * 601;
          rows[y][2 * (x * channels + c)] = static_cast<png_byte>(wide >> 8);
          rows[y][2 * (x * channels + c) + 1] = static_cast<png_byte>(wide & 0xFF);
        } else if (v.bitDepth == 8) {
          rows[y][x * channels + c] = static_cast<png_byte>(value);
        } else {
          const int bit = x * v.bitDepth;
          rows[y][bit / 8] |= static_cast<png_byte>(value << (8 - v.bitDepth - bit % 8));
        }
      }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  int written = 0;
  for (const Variant& v : kVariants) {
    for (bool interlaced : {false, true}) {
      const std::string name =
          std::string(TypeName(v.colourType)) + std::to_string(v.bitDepth) + (interlaced ? "_adam7" : "") + ".png";
      if (!Write(folder + "/" + name, v, interlaced, false)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], name.c_str());
        return 1;
      }
      ++written;
    }
  }
  if (!Write(folder + "/palette8_trns.png", {PNG_COLOR_TYPE_PALETTE, 8}, false, true)) return 1;
  std::printf("%d seeds in %s\n", written + 1, folder.c_str());
  return 0;
}
