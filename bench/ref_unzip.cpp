// ref-unzip-zlib / ref-unzip-fast ARCHIVE FOLDER
//
// Reference extractors for the whole-archive benchmark: the same walk over
// local headers and the same I/O as tesmo-unzip (archive read in 64 KiB
// pieces, output written in 32 KiB pieces, CRC-32 and length checked, a
// "... OK" line per file, the header's time stamp), with the deflate data
// decoded by zlib or by libdeflate. Built with REF_LIBDEFLATE for the second.
// Not product code: stored and deflated entries only, no name checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#ifdef REF_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

namespace {

const size_t kReadSize = 65536;
const size_t kWriteSize = 32768;

// The archive, read in pieces as tesmo-unzip reads it.
struct Input {
  int fd;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kReadSize);
  size_t next = 0, end = 0;

  bool Fill() {
    ssize_t n = read(fd, buffer.data(), kReadSize);
    next = 0;
    end = n > 0 ? static_cast<size_t>(n) : 0;
    return end > 0;
  }
  // Up to count bytes into to (or dropped when to is null); the count taken.
  size_t Take(uint8_t* to, size_t count) {
    size_t taken = 0;
    while (taken < count) {
      if (next == end && !Fill()) break;
      size_t n = std::min(end - next, count - taken);
      if (to) memcpy(to + taken, buffer.data() + next, n);
      next += n;
      taken += n;
    }
    return taken;
  }
};

uint32_t Le(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; i--) v = v << 8 | p[i];
  return v;
}

// Writes in 32 KiB pieces and runs the CRC over them.
uint32_t WriteOut(int fd, const uint8_t* data, size_t n, uint32_t crc) {
  for (size_t done = 0; done < n; done += kWriteSize) {
    size_t piece = std::min(kWriteSize, n - done);
#ifdef REF_LIBDEFLATE
    crc = libdeflate_crc32(crc, data + done, piece);
#else
    crc = static_cast<uint32_t>(crc32(crc, data + done, static_cast<uInt>(piece)));
#endif
    if (fd >= 0 && write(fd, data + done, piece) != static_cast<ssize_t>(piece)) return ~crc;
  }
  return crc;
}

#ifdef REF_LIBDEFLATE
libdeflate_decompressor* Decompressor;

// A buffer that only grows and is never cleared: the library needs whole
// entries in memory, and filling them with zeros first is no one's work.
struct Buffer {
  uint8_t* data = nullptr;
  size_t size = 0;
  uint8_t* Get(size_t n) {
    if (n > size) {
      free(data);
      data = static_cast<uint8_t*>(malloc(n ? n : 1));
      size = n;
    }
    return data;
  }
} Packed, Unpacked;

bool Deflated(Input& in, int fd, uint32_t packed, uint32_t size, uint32_t* crc) {
  uint8_t* from = Packed.Get(packed);
  uint8_t* to = Unpacked.Get(size);
  if (in.Take(from, packed) != packed) return false;
  size_t out = 0;
  if (libdeflate_deflate_decompress(Decompressor, from, packed, to, size, &out) !=
      LIBDEFLATE_SUCCESS)
    return false;
  *crc = WriteOut(fd, to, out, 0);
  return out == size;
}
#else
bool Deflated(Input& in, int fd, uint32_t packed, uint32_t size, uint32_t* crc) {
  static uint8_t window[kWriteSize];
  z_stream z = {};
  inflateInit2(&z, -15);
  uint32_t left = packed, total = 0;
  int r = Z_OK;
  *crc = 0;
  while (r == Z_OK) {
    if (z.avail_in == 0 && left > 0) {
      if (in.next == in.end && !in.Fill()) break;
      size_t n = std::min<size_t>(in.end - in.next, left);
      z.next_in = in.buffer.data() + in.next;
      z.avail_in = static_cast<uInt>(n);
      in.next += n;
      left -= static_cast<uint32_t>(n);
    }
    z.next_out = window;
    z.avail_out = sizeof window;
    r = inflate(&z, Z_NO_FLUSH);
    size_t got = sizeof window - z.avail_out;
    *crc = WriteOut(fd, window, got, *crc);
    total += static_cast<uint32_t>(got);
  }
  in.next -= z.avail_in;  // bytes zlib did not use belong to the next header
  inflateEnd(&z);
  return r == Z_STREAM_END && total == size;
}
#endif

void SetTime(const std::string& path, uint16_t dosTime, uint16_t dosDate) {
  struct tm t = {};
  t.tm_year = (dosDate >> 9) + 80;
  t.tm_mon = ((dosDate >> 5) & 15) - 1;
  t.tm_mday = dosDate & 31;
  t.tm_hour = dosTime >> 11;
  t.tm_min = (dosTime >> 5) & 63;
  t.tm_sec = (dosTime & 31) * 2;
  t.tm_isdst = -1;
  struct timespec times[2] = {{mktime(&t), 0}, {mktime(&t), 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s ARCHIVE FOLDER\n", argv[0]);
    return 2;
  }
  Input in;
  in.fd = open(argv[1], O_RDONLY);
  if (in.fd < 0) return 2;
  mkdir(argv[2], 0777);
#ifdef REF_LIBDEFLATE
  Decompressor = libdeflate_alloc_decompressor();
#endif
  int level = 0;
  uint8_t h[30];
  while (in.Take(h, 30) == 30 && Le(h, 4) == 0x04034B50) {
    const uint32_t method = Le(h + 8, 2), crc = Le(h + 14, 4), packed = Le(h + 18, 4),
                   size = Le(h + 22, 4);
    std::string name(Le(h + 26, 2), '\0');
    in.Take(reinterpret_cast<uint8_t*>(&name[0]), name.size());
    in.Take(nullptr, Le(h + 28, 2));
    const std::string path = std::string(argv[2]) + "/" + name;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    uint32_t got = 0;
    bool ok;
    if (method == 0) {
      static uint8_t window[kWriteSize];
      ok = true;
      for (uint32_t done = 0; done < size && ok; done += kWriteSize) {
        uint32_t n = std::min<uint32_t>(kWriteSize, size - done);
        ok = in.Take(window, n) == n;
        got = WriteOut(fd, window, n, got);
      }
    } else if (method == 8) {
      ok = Deflated(in, fd, packed, size, &got);
    } else {
      in.Take(nullptr, packed);
      ok = false;
    }
    if (fd >= 0) close(fd);
    if (ok && got == crc) {
      printf("%s ... OK\n", path.c_str());
      SetTime(path, static_cast<uint16_t>(Le(h + 10, 2)), static_cast<uint16_t>(Le(h + 12, 2)));
    } else {
      fprintf(stderr, "message: %s ... compressed data CRC error\n", name.c_str());
      level = 1;
    }
  }
  close(in.fd);
  return level;
}
