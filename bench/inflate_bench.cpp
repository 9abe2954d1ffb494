// Throughput of Inflate with its CRC-32 against zlib's raw inflate plus
// crc32 and libdeflate's raw decompress plus its crc32, on the same
// generated data compressed by zlib at levels 1, 6, 9. Ours reads from an
// in-memory file through the archive buffer and writes to a null file; the
// libraries decode into one buffer. Best of several runs, in
// processor time.
//
//   inflate_bench [MiB per sample, default 8] [runs, default 5]
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "tests/support/MemoryFile.h"

namespace {

std::string EnglishLike(size_t n) {
  static const char* kWords[] = {
      "the", "of", "and", "to", "a", "in", "is", "that", "drawing", "layer", "line", "circle",
      "sheet", "scale", "with", "for", "as", "on", "be", "this", "plot", "block", "text", "arc",
      "dimension", "tutorial", "lesson", "select", "point", "command", "window", "hatching"};
  std::mt19937 rng(1);
  std::string s;
  s.reserve(n + 64);
  while (s.size() < n) {
    // Zipf-like: short common words far more often than the rest.
    unsigned r = rng() % 1000;
    unsigned w = r < 500 ? r % 8 : r < 800 ? 8 + r % 8 : 16 + r % 16;
    s += kWords[w];
    s += rng() % 12 == 0 ? ".\n" : rng() % 7 == 0 ? ", " : " ";
  }
  s.resize(n);
  return s;
}

// Records of a drawing file: kinds, counters and coordinates that wander.
std::string StructuredBinary(size_t n) {
  std::mt19937 rng(2);
  std::string s;
  s.reserve(n + 32);
  int32_t x = 0, y = 0;
  for (uint32_t i = 0; s.size() < n; i++) {
    x += static_cast<int32_t>(rng() % 201) - 100;
    y += static_cast<int32_t>(rng() % 201) - 100;
    uint32_t kind = 0x0100u | static_cast<uint32_t>(rng() % 4);
    uint32_t colour = rng() % 16 == 0 ? static_cast<uint32_t>(rng()) : 0xFF0000u;
    uint32_t rec[5] = {kind, i, static_cast<uint32_t>(x), static_cast<uint32_t>(y), colour};
    s.append(reinterpret_cast<const char*>(rec), sizeof rec);
  }
  s.resize(n);
  return s;
}

std::string Random(size_t n) {
  std::mt19937 rng(3);
  std::string s(n, '\0');
  for (size_t i = 0; i + 4 <= n; i += 4) {
    uint32_t v = rng();
    memcpy(&s[i], &v, 4);
  }
  return s;
}

// Long runs and a few repeated phrases.
std::string Repetitive(size_t n) {
  std::mt19937 rng(4);
  std::string s;
  s.reserve(n + 1024);
  while (s.size() < n) {
    if (rng() % 3)
      s.append(1 + rng() % 1000, static_cast<char>('a' + rng() % 3));
    else
      s += "Tesmo Tutorial Setup - Tesmo Tutorial Setup - ";
  }
  s.resize(n);
  return s;
}

std::string RawDeflate(const std::string& data, int level) {
  z_stream z = {};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Processor time of this process, not wall time: the machine may be shared,
// and time spent waiting for the processor is no one's decoding.
double Now() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double Seconds(double since) {
  return Now() - since;
}

double TimeOurs(const std::string& stream, const std::string& data, uint32_t crc) {
  MemoryFile in(stream);
  NullFile out;
  double start = Now();
  AttachArchive(&in);
  Expansion.output = &out;
  Expansion.bytesWritten = 0;
  CrcUpdate(nullptr, 0);
  int status = Inflate();
  ReleaseFixedTables();
  uint32_t ours = CrcUpdate(Expansion.window, 0);
  double t = Seconds(start);
  AttachArchive(nullptr);
  Expansion.output = nullptr;
  if (status != 0 || out.written != data.size() || ours != crc) {
    fprintf(stderr, "inflate_bench: our decode is wrong (status %d)\n", status);
    exit(1);
  }
  return t;
}

double TimeZlib(const std::string& stream, const std::string& data, uint32_t crc,
                std::string* buffer) {
  double start = Now();
  z_stream z = {};
  inflateInit2(&z, -15);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reinterpret_cast<Bytef*>(&(*buffer)[0]);
  z.avail_out = static_cast<uInt>(buffer->size());
  int r = inflate(&z, Z_FINISH);
  uLong theirs = crc32(0, reinterpret_cast<const Bytef*>(buffer->data()),
                       static_cast<uInt>(z.total_out));
  inflateEnd(&z);
  double t = Seconds(start);
  if (r != Z_STREAM_END || z.total_out != data.size() || theirs != crc) {
    fprintf(stderr, "inflate_bench: zlib's decode is wrong\n");
    exit(1);
  }
  return t;
}

double TimeFast(libdeflate_decompressor* d, const std::string& stream, const std::string& data,
                uint32_t crc, std::string* buffer) {
  double start = Now();
  size_t out = 0;
  libdeflate_result r = libdeflate_deflate_decompress(d, stream.data(), stream.size(),
                                                      &(*buffer)[0], buffer->size(), &out);
  uint32_t theirs = libdeflate_crc32(0, buffer->data(), out);
  double t = Seconds(start);
  if (r != LIBDEFLATE_SUCCESS || out != data.size() || theirs != crc) {
    fprintf(stderr, "inflate_bench: libdeflate's decode is wrong\n");
    exit(1);
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? strtoul(argv[1], nullptr, 10) : 8;
  const int runs = argc > 2 ? atoi(argv[2]) : 5;
  const size_t size = mib << 20;
  struct Sample {
    const char* name;
    std::string data;
  };
  std::vector<Sample> samples = {{"text", EnglishLike(size)},
                                 {"binary", StructuredBinary(size)},
                                 {"random", Random(size)},
                                 {"repetitive", Repetitive(size)}};
  std::string buffer(size, '\0');
  libdeflate_decompressor* fast = libdeflate_alloc_decompressor();
  double oursTotal = 0, zlibTotal = 0, fastTotal = 0, worst = 1e9;
  printf("%-11s %5s %7s %8s %8s %8s %9s %9s\n", "data", "level", "ratio", "ours", "zlib", "fast",
         "ours/zlib", "ours/fast");
  for (const Sample& s : samples) {
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(s.data.data()), static_cast<uInt>(s.data.size())));
    for (int level : {1, 6, 9}) {
      std::string stream = RawDeflate(s.data, level);
      double ours = 1e9, zlib = 1e9, lib = 1e9;
      for (int i = 0; i < runs; i++) {
        ours = std::min(ours, TimeOurs(stream, s.data, crc));
        zlib = std::min(zlib, TimeZlib(stream, s.data, crc, &buffer));
        lib = std::min(lib, TimeFast(fast, stream, s.data, crc, &buffer));
      }
      oursTotal += ours;
      zlibTotal += zlib;
      fastTotal += lib;
      worst = std::min(worst, zlib / ours);
      double out = static_cast<double>(s.data.size()) / (1 << 20);
      printf("%-11s %5d %6.1f%% %8.0f %8.0f %8.0f %9.2f %9.2f\n", s.name, level,
             100.0 * stream.size() / s.data.size(), out / ours, out / zlib, out / lib,
             zlib / ours, lib / ours);
    }
  }
  libdeflate_free_decompressor(fast);
  printf("(MiB/s of output; fast = libdeflate)\n");
  printf("aggregate ours/zlib %.2f (lowest sample %.2f), ours/fast %.2f\n", zlibTotal / oursTotal,
         worst, fastTotal / oursTotal);
  return 0;
}
