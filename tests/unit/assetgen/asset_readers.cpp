#include "asset_readers.h"

#include <jpeglib.h>
#include <vorbis/vorbisfile.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>

namespace assetgen::test {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DecodePng(const std::string& path, Image& out, std::string& why) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    why = cairo_status_to_string(cairo_surface_status(s));
    cairo_surface_destroy(s);
    return false;
  }
  out.width = cairo_image_surface_get_width(s);
  out.height = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    std::memcpy(&out.pixels[static_cast<size_t>(y) * out.width], data + y * stride, static_cast<size_t>(out.width) * 4);
  }
  cairo_surface_destroy(s);
  return true;
}

namespace {
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};
void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
}  // namespace

bool DecodeJpeg(const std::string& path, Image& out, std::string& why) {
  const std::vector<uint8_t> bytes = ReadAll(path);
  if (bytes.empty()) {
    why = "empty or missing";
    return false;
  }
  jpeg_decompress_struct info{};
  JpegError err{};
  info.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnJpegError;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    why = "corrupt JPEG";
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  std::vector<unsigned char> row(static_cast<size_t>(out.width) * info.output_components);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < out.width; ++x) {
      out.pixels[static_cast<size_t>(y) * out.width + x] =
          0xFF000000u | (uint32_t{row[x * 3]} << 16) | (uint32_t{row[x * 3 + 1]} << 8) | row[x * 3 + 2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

namespace {
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
}  // namespace

bool DecodeWav(const std::string& path, Pcm& out, std::string& why) {
  const std::vector<uint8_t> b = ReadAll(path);
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    why = "not a RIFF WAVE file";
    return false;
  }
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = U32(b, at + 4);
    const size_t body = at + 8;
    if (size > b.size() - body) {
      why = "chunk runs past the end";
      return false;
    }
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
      if (U16(b, body) != 1) {
        why = "not PCM";
        return false;
      }
      out.channels = U16(b, body + 2);
      out.sampleRate = static_cast<int>(U32(b, body + 4));
      out.bitsPerSample = U16(b, body + 14);
      haveFormat = true;
    } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
      if (!haveFormat || out.bitsPerSample != 16) {
        why = "data before a 16-bit format";
        return false;
      }
      out.samples.resize(size / 2);
      for (size_t i = 0; i < out.samples.size(); ++i) out.samples[i] = static_cast<int16_t>(U16(b, body + i * 2));
      return true;
    }
    at = body + size + (size & 1);
  }
  why = "no data chunk";
  return false;
}

bool DecodeOgg(const std::string& path, Pcm& out, std::string& why) {
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) {
    why = "not an Ogg Vorbis file";
    return false;
  }
  const vorbis_info* info = ov_info(&file, -1);
  out.channels = info->channels;
  out.sampleRate = static_cast<int>(info->rate);
  out.bitsPerSample = 16;
  char buffer[8192];
  int section = 0;
  for (;;) {
    const long n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (n < 0) {
      ov_clear(&file);
      why = "corrupt Vorbis stream";
      return false;
    }
    if (n == 0) break;
    const size_t old = out.samples.size();
    out.samples.resize(old + static_cast<size_t>(n) / 2);
    std::memcpy(out.samples.data() + old, buffer, static_cast<size_t>(n) / 2 * 2);
  }
  ov_clear(&file);
  return true;
}

}  // namespace assetgen::test
