// Writing PNG a piece of rows at a time: 8-bit RGB, every row filtered by
// its difference to the row above ("Up"), each piece of about a megabyte of
// filtered rows compressed on its own by libdeflate and the pieces joined
// into the one zlib stream of the image (PngEncodeJoin.h). Pieces can be
// encoded on any thread, in any order, as soon as their rows (and the row
// above the first) are complete; the file's bytes depend only on the
// picture, never on the threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/PixelBlock.h"

namespace brisol {

class PngPieces {
 public:
  // About this many bytes of filtered rows a piece: measured on rendered
  // 12-megapixel pictures, the file is 0.1 % larger than one stream's and
  // two threads share the work evenly.
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

  PngPieces(int width, int height, std::size_t pieceBytes = kPieceBytes);

  std::size_t Count() const { return m_pieces.size(); }
  // Rows [FirstRow(k), EndRow(k)) of the picture, top-down.
  int FirstRow(std::size_t k) const { return static_cast<int>(k) * m_rowsPerPiece; }
  int EndRow(std::size_t k) const;
  // How many pieces, from the first, lie within the picture's first rows
  // rows (each then also has the row above its own).
  std::size_t PiecesWithin(int rows) const;

  // Filters and compresses piece k of the picture (of the size given),
  // whose rows [FirstRow(k) - 1, EndRow(k)) must be complete. Different
  // pieces may be encoded at once on different threads.
  void Encode(std::size_t k, const PixelBlock& picture);

  // Appends the whole file once every piece is encoded: 0, or the first
  // failure of a piece.
  int Finish(std::vector<std::uint8_t>& out);

  // The same in parts, for a file written while its pieces are encoded:
  // the signature and header; then, in order, each piece but the last once
  // it is encoded (its memory then goes back); then the end, once every
  // piece is encoded. Each appends to out and gives 0 or the piece's
  // failure (kImgErrNoMemory when out cannot grow).
  int AppendHead(std::vector<std::uint8_t>& out) const;
  int AppendPiece(std::size_t k, std::vector<std::uint8_t>& out);
  int AppendEnd(std::vector<std::uint8_t>& out);

 private:
  struct Piece {
    std::vector<std::uint8_t> deflate;  // raw deflate, ends at a byte boundary
    std::uint32_t adler = 1;            // of the filtered rows
    std::size_t filteredBytes = 0;
    int result = -1;  // not yet encoded
  };
  int m_width = 0;
  int m_height = 0;
  int m_rowsPerPiece = 1;
  std::vector<Piece> m_pieces;
  std::uint32_t m_adler = 1;  // of the pieces appended so far
  std::size_t m_appended = 0;
};

}  // namespace brisol
