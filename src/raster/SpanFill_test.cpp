#include "raster/SpanFill.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace brisol {
namespace {

// Every length and start alignment, cached and streamed, in alternating
// colours: exactly the run's bytes change, to exactly the colour.
TEST(SpanFill, WritesExactlyTheRunInEveryMode) {
  constexpr std::size_t kMargin = 80;
  for (bool stream : {false, true}) {
    SpanFiller filler;
    filler.StreamLongRuns(stream);
    std::uint64_t expectedWritten = 0;
    for (int n : {0, 1, 2, 3, 4, 5, 7, 16, 21, 22, 100, 170, 171, 172, 200, 333, 600, 2000}) {
      for (std::size_t offset = 0; offset < 64; offset += 5) {
        const COLORREF colour = (n % 2) ? RGB(1, 2, 3) : RGB(250, 128, 7);
        std::vector<std::uint8_t> buffer(2 * kMargin + 3 * static_cast<std::size_t>(n) + 64, 0xEE);
        std::uint8_t* start = buffer.data() + kMargin + offset;
        filler.Fill(start, n, colour);
        SpanFiller::Flush();
        expectedWritten += static_cast<std::uint64_t>(n);
        for (std::size_t i = 0; i < buffer.size(); ++i) {
          const std::ptrdiff_t k = buffer.data() + i - start;
          std::uint8_t want = 0xEE;
          if (k >= 0 && k < 3 * n) {
            const int channel = static_cast<int>(k % 3);
            want = static_cast<std::uint8_t>(channel == 0   ? GetBValue(colour)
                                             : channel == 1 ? GetGValue(colour)
                                                            : GetRValue(colour));
          }
          ASSERT_EQ(buffer[i], want) << "n " << n << " offset " << offset << " byte " << i << " stream " << stream;
        }
      }
    }
    EXPECT_EQ(filler.Written(), expectedWritten);
  }
}

TEST(SpanFill, KeepsTwoColoursApart) {
  // Alternating two colours with growing runs must never mix them up.
  SpanFiller filler;
  std::vector<std::uint8_t> a(3 * 700), b(3 * 700);
  for (int n = 1; n <= 700; n += 37) {
    filler.Fill(a.data(), n, RGB(10, 20, 30));
    filler.Fill(b.data(), n, RGB(40, 50, 60));
    EXPECT_EQ(a[3 * n - 1], 10);
    EXPECT_EQ(b[3 * n - 1], 40);
    EXPECT_EQ(b[0], 60);
  }
}

}  // namespace
}  // namespace brisol
