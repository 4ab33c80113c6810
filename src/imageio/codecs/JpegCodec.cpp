// JPEG through libjpeg-turbo, from and to memory.
//
// Baseline and progressive files of one (grey), three (YCbCr, RGB) or four
// (CMYK, YCCK) components arrive as 24-bit blue-green-red. CMYK is turned
// into RGB the way common decoders do: files with an Adobe marker store the
// inks inverted (R = C * K / 255), others plain (R = (255 - C) * (255 - K) /
// 255). Encoding stores colour at full resolution from quality 90 on.
// A file whose EXIF block names an orientation is delivered upright,
// and its information reports the upright size.
//
// The library's errors never end the program: its error manager jumps back
// here. A file that ends before its picture is complete is refused.
// The functions that call setjmp keep no object with a destructor of their
// own: everything that must outlive a jump lives in a state structure owned
// by the caller.
#include <cstdio>  // jpeglib.h needs FILE

// jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imageio/codecs/ExifOrientation.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/MemoryBudget.h"
#include "imageio/codecs/PictureText.h"
#include "logger/Outcome.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

// From this quality on the colour is stored at full resolution (4:4:4): the
// program's pictures are full of sharp coloured edges, which halved colour
// resolution would smear.
constexpr int kFullChromaQuality = 90;

// More scans than this is no real picture (progressive files have about ten)
// but a way to make decoding take forever.
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool truncated = false;        // the data ran out before the picture's end
  JDIMENSION rowsBeforeCut = 0;  // the rows decoded whole before it ran out
  bool tooManyScans = false;
  bool outOfMemory = false;
  char words[JMSG_LENGTH_MAX] = {};   // the library's own words for its error
  char damage[JMSG_LENGTH_MAX] = {};  // its words for the first damage it passed over
};

// The library's text of its current message, kept as the decoder's words.
void KeepMessage(j_common_ptr cinfo) {
  (*cinfo->err->format_message)(cinfo, reinterpret_cast<ErrorManager*>(cinfo->err)->words);
}

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  KeepMessage(cinfo);
  TraceMsg("JPEG error: %s", err->words);
  err->outOfMemory = err->pub.msg_code == JERR_OUT_OF_MEMORY;
  std::longjmp(err->jump, 1);
}

// Warnings are damage the library passes over: stray bytes, bad codes, the
// data running out (a file cut short) or a marker in the middle of the coded
// data (cut short, yet ending with its end marker). It goes on with what it
// has, as every other reader of the file does, and the first damage is kept
// to be told.
void OnJpegMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (err->pub.num_warnings++ == 0) (*cinfo->err->format_message)(cinfo, err->damage);
  if ((err->pub.msg_code == JWRN_JPEG_EOF || err->pub.msg_code == JWRN_HIT_MARKER) && !err->truncated) {
    err->truncated = true;
    if (cinfo->is_decompressor) {
      const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
      // In a picture of several scans every row has arrived with its first
      // scan; else the rows before the one being decoded are whole.
      err->rowsBeforeCut =
          dinfo->progressive_mode && dinfo->input_scan_number > 1 ? dinfo->image_height : dinfo->output_scanline;
    }
  }
}

// The damage of a picture read in words: the decoder's, and for one cut
// short how many rows are missing.
std::string DamageText(const ErrorManager& err, JDIMENSION height) {
  std::string text = err.damage;
  if (err.truncated && err.rowsBeforeCut < height) {
    text += "; the file is cut short: " + std::to_string(height - err.rowsBeforeCut) + " of its " +
            std::to_string(height) + " rows are missing";
  } else if (err.truncated) {
    text += "; the file is cut short: its later scans are missing";
  }
  return text;
}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->tooManyScans = true;
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
  }
}

ErrorManager* InitErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  return &err;
}

struct DecodeState {
  ErrorManager err;
  jpeg_decompress_struct cinfo;
  jpeg_progress_mgr progress;
  bool created = false;
  int orientation = kOrientNormal;
  ImageInfo info;
  Bgr24Image image;  // as stored, before turning upright
  ByteBuffer cmykRow;

  DecodeState() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress, 0, sizeof progress);
  }
  ~DecodeState() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
  DecodeState(const DecodeState&) = delete;
  DecodeState& operator=(const DecodeState&) = delete;
};

int FindOrientation(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    if (m->marker != JPEG_APP0 + 1) continue;
    const int value = ExifOrientation(Bytes(m->data, m->data_length));
    if (value != kOrientNormal) return value;
  }
  return kOrientNormal;
}

void CmykToBgr(const JSAMPLE* in, int width, bool inverted, std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[3 * x] = static_cast<std::uint8_t>((y * k + 127) / 255);
    out[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    out[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

// The memory decoding needs besides the file and the picture: the
// coefficients of the whole picture when it comes in several scans
// (progressive files), a few rows of samples, a CMYK row, and a second
// picture to turn it upright.
std::uint64_t WorkBytes(const jpeg_decompress_struct& cinfo, int orientation) {
  const std::uint64_t width = cinfo.image_width, height = cinfo.image_height;
  std::uint64_t bytes = width * static_cast<std::uint64_t>(cinfo.num_components) * 64 + (1u << 20);
  if (cinfo.progressive_mode || cinfo.comps_in_scan < cinfo.num_components) {
    for (int c = 0; c < cinfo.num_components; ++c) {
      const jpeg_component_info& comp = cinfo.comp_info[c];
      const std::uint64_t h = static_cast<std::uint64_t>(comp.h_samp_factor);
      const std::uint64_t v = static_cast<std::uint64_t>(comp.v_samp_factor);
      const std::uint64_t columns = (comp.width_in_blocks + h - 1) / h * h;
      const std::uint64_t rows = (comp.height_in_blocks + v - 1) / v * v;
      bytes += columns * rows * sizeof(JBLOCK);
    }
  }
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) bytes += width * 4;
  if (orientation != kOrientNormal)
    bytes += PictureBytes(static_cast<long long>(width), static_cast<long long>(height));
  return bytes;
}

int RunDecode(Bytes file, DecodeState& s, bool pixels) {
  jpeg_decompress_struct& cinfo = s.cinfo;
  cinfo.err = &InitErrors(s.err)->pub;
  if (setjmp(s.err.jump)) {
    if (s.err.truncated) return kImgErrRead;
    if (s.err.tooManyScans) return kImgErrCorrupt;
    if (s.err.outOfMemory) return kImgErrNoMemory;
    return kImgErrDecoder;
  }
  jpeg_create_decompress(&cinfo);
  s.created = true;
  s.progress.progress_monitor = OnProgress;
  cinfo.progress = &s.progress;
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);

  const JDIMENSION width = cinfo.image_width, height = cinfo.image_height;
  s.orientation = FindOrientation(cinfo);
  const bool swap = SwapsSides(s.orientation);
  s.info.width = static_cast<int>(swap ? height : width);
  s.info.height = static_cast<int>(swap ? width : height);
  s.info.depth = cinfo.num_components * 8;
  if (width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return kImgErrDimensions;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return kImgErrTooLarge;
  s.info.workBytes = WorkBytes(cinfo, s.orientation);
  s.info.leastFileBytes = LeastDataBytes(static_cast<long long>(width) * height);
  if (!pixels) return kImgOk;
  if (file.size() < s.info.leastFileBytes) return kImgErrTooLittleData;

  bool cmyk = false;
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      cinfo.out_color_space = JCS_EXT_BGR;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      return kImgErrUnsupported;
  }
  if (int rc = AllocBgr24(s.image, static_cast<int>(width), static_cast<int>(height)); rc != kImgOk) return rc;
  if (cmyk) {
    s.cmykRow = ByteBuffer::Allocate(static_cast<std::size_t>(width) * 4);
    if (!s.cmykRow) return kImgErrNoMemory;
  }

  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != width || cinfo.output_height != height || cinfo.output_components != (cmyk ? 4 : 3)) {
    return kImgErrUnsupported;
  }
  const PixelBlock block = s.image.Block();
  while (cinfo.output_scanline < height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = cmyk ? s.cmykRow.data() : block.Row(y);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return kImgErrRead;
    if (cmyk) CmykToBgr(s.cmykRow.data(), static_cast<int>(width), cinfo.saw_Adobe_marker, block.Row(y));
  }
  jpeg_finish_decompress(&cinfo);
  // Cut short before a single row was whole: there is nothing to show.
  if (s.err.truncated && s.err.rowsBeforeCut == 0) return kImgErrRead;
  return kImgOk;
}

DecodeResult Decode(Bytes file, bool pixels, DecodeState& state) {
  if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF) return kImgErrSignature;
  if (file.size() > 0xFFFFFFFFu) return kImgErrTooLarge;
  const int rc = RunDecode(file, state, pixels);
  if (rc == kImgOk && state.err.pub.num_warnings == 0) return kImgOk;
  if (rc == kImgOk) return DecodeResult(kImgOk, pixels ? DamageText(state.err, state.cinfo.image_height) : "");
  if (rc == kImgErrRead && state.err.words[0] == '\0') return DecodeResult(rc, state.err.damage);
  return DecodeResult(rc, state.err.words);
}

// --- writing -------------------------------------------------------------

struct EncodeState {
  ErrorManager err;
  jpeg_compress_struct cinfo;
  bool created = false;
  unsigned char* buffer = nullptr;  // the library's growing output
  unsigned long size = 0;
  // Or the bytes go to the sink through a buffer of their own.
  JpegRowEncoder::Sink sink;
  jpeg_destination_mgr dest{};
  std::vector<JOCTET> sinkBuffer;

  EncodeState() { std::memset(&cinfo, 0, sizeof cinfo); }
  ~EncodeState() {
    if (created) jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
  EncodeState(const EncodeState&) = delete;
  EncodeState& operator=(const EncodeState&) = delete;
};

EncodeState& StateOf(j_compress_ptr cinfo) { return *static_cast<EncodeState*>(cinfo->client_data); }

void StartSinkBuffer(j_compress_ptr cinfo) {
  EncodeState& s = StateOf(cinfo);
  s.dest.next_output_byte = s.sinkBuffer.data();
  s.dest.free_in_buffer = s.sinkBuffer.size();
}

boolean PassFullSinkBuffer(j_compress_ptr cinfo) {
  EncodeState& s = StateOf(cinfo);
  if (!s.sink(s.sinkBuffer.data(), s.sinkBuffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
  StartSinkBuffer(cinfo);
  return TRUE;
}

void PassSinkBufferRest(j_compress_ptr cinfo) {
  EncodeState& s = StateOf(cinfo);
  const std::size_t n = s.sinkBuffer.size() - s.dest.free_in_buffer;
  if (n > 0 && !s.sink(s.sinkBuffer.data(), n)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

int StartEncode(int width, int height, int quality, std::string_view comment, EncodeState& s) {
  jpeg_compress_struct& cinfo = s.cinfo;
  cinfo.err = &InitErrors(s.err)->pub;
  if (setjmp(s.err.jump)) return kImgErrWrite;
  jpeg_create_compress(&cinfo);
  s.created = true;
  cinfo.client_data = &s;
  if (s.sink) {
    s.dest.init_destination = StartSinkBuffer;
    s.dest.empty_output_buffer = PassFullSinkBuffer;
    s.dest.term_destination = PassSinkBufferRest;
    cinfo.dest = &s.dest;
  } else {
    jpeg_mem_dest(&cinfo, &s.buffer, &s.size);
  }
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (quality >= kFullChromaQuality) {
    for (int c = 0; c < cinfo.num_components; ++c) {
      cinfo.comp_info[c].h_samp_factor = 1;
      cinfo.comp_info[c].v_samp_factor = 1;
    }
  }
  jpeg_start_compress(&cinfo, TRUE);
  // Right after the JFIF segment, where a comment added to a whole file goes.
  if (!comment.empty()) {
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                      static_cast<unsigned>(comment.size()));
  }
  return kImgOk;
}

int EncodeRows(const PixelBlock& picture, int end, EncodeState& s) {
  jpeg_compress_struct& cinfo = s.cinfo;
  if (setjmp(s.err.jump)) return kImgErrWrite;
  while (cinfo.next_scanline < static_cast<JDIMENSION>(end)) {
    JSAMPROW row = picture.Row(static_cast<int>(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  return kImgOk;
}

int FinishEncode(EncodeState& s) {
  if (setjmp(s.err.jump)) return kImgErrWrite;
  jpeg_finish_compress(&s.cinfo);
  return kImgOk;
}

}  // namespace

DecodeResult ReadJpegInfoWithWords(Bytes file, ImageInfo& info) {
  DecodeState state;
  DecodeResult result = Decode(file, false, state);
  if (result.ok()) info = state.info;
  return result;
}

DecodeResult DecodeJpegWithWords(Bytes file, Bgr24Image& out) {
  DecodeState state;
  DecodeResult result = Decode(file, true, state);
  if (!result.ok()) return result;
  if (state.orientation == kOrientNormal) {
    out = std::move(state.image);
    return result;
  }
  if (const int rc = OrientUpright(state.image, state.orientation, out); rc != kImgOk) return rc;
  return result;
}

int ReadJpegInfo(Bytes file, ImageInfo& info) { return ReadJpegInfoWithWords(file, info).code; }

int DecodeJpeg(Bytes file, Bgr24Image& out) { return DecodeJpegWithWords(file, out).code; }

struct JpegRowEncoder::State : EncodeState {};

JpegRowEncoder::JpegRowEncoder() = default;
JpegRowEncoder::~JpegRowEncoder() = default;

int JpegRowEncoder::Start(int width, int height, int quality, Sink sink, std::string_view comment) {
  if (m_state || width < 1 || height < 1 || quality < 1 || quality > 100) return m_result = kImgErrArgument;
  if (comment.size() > kMaxJpegCommentBytes) return m_result = kImgErrArgument;
  if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return m_result = kImgErrDimensions;
  const Done made = TryAllocate("the JPEG encoder", [&] {
    m_state = std::make_unique<State>();
    if (sink) {
      m_state->sink = std::move(sink);
      m_state->sinkBuffer.resize(std::size_t{1} << 18);
    }
  });
  if (!made) return m_result = kImgErrNoMemory;
  m_width = width;
  m_height = height;
  return m_result = StartEncode(width, height, quality, comment, *m_state);
}

int JpegRowEncoder::WriteRows(const PixelBlock& picture, int end) {
  if (m_result != kImgOk) return m_result;
  // The block may hold only the rows up to end (addressed as the picture's).
  end = std::min(end, m_height);
  if (!m_state || picture.width != m_width || picture.height < end || picture.stride < 3LL * picture.width)
    return m_result = kImgErrArgument;
  return m_result = EncodeRows(picture, end, *m_state);
}

int JpegRowEncoder::NextRow() const { return m_state ? static_cast<int>(m_state->cinfo.next_scanline) : 0; }

int JpegRowEncoder::Finish(std::vector<std::uint8_t>& out) {
  if (m_result != kImgOk) return m_result;
  if (!m_state || NextRow() != m_height) return m_result = kImgErrArgument;
  if ((m_result = FinishEncode(*m_state)) != kImgOk) return m_result;
  if (m_state->sink) {
    m_state.reset();
    return kImgOk;
  }
  if (!TryAllocate("the JPEG file", [&] { out.insert(out.end(), m_state->buffer, m_state->buffer + m_state->size); }))
    return m_result = kImgErrNoMemory;
  m_state.reset();
  return kImgOk;
}

int EncodeJpeg(const PixelBlock& picture, int quality, std::vector<std::uint8_t>& out) {
  if (!picture.IsValid() || picture.stride < 3LL * picture.width || quality < 1 || quality > 100) {
    return kImgErrArgument;
  }
  JpegRowEncoder encoder;
  if (const int rc = encoder.Start(picture.width, picture.height, quality); rc != kImgOk) return rc;
  if (const int rc = encoder.WriteRows(picture, picture.height); rc != kImgOk) return rc;
  return encoder.Finish(out);
}

}  // namespace brisol
