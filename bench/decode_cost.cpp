// The CPU price of extraction without the file system: an installer's payload
// checked and decoded record by record as the engine does it, each phase
// timed on its own (median of the runs).
//
//   bench_decode SETUP.EXE [RUNS]
//
// Prints the milliseconds of: the payload's Sum32, decoding every record with
// its content (chunk checks, inflation, content checks), and copying every
// content piece once more (what a write adds in user space at most).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "portable/archive.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/sum32.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const int runs = argc > 2 ? _wtoi(argv[2]) : 5;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  std::vector<uint8_t> image(size_t(size.QuadPart));
  DWORD got = 0;
  for (size_t at = 0; at < image.size(); at += got)
    if (!ReadFile(file, image.data() + at, DWORD(std::min<size_t>(image.size() - at, 1 << 24)), &got, nullptr) || !got)
      return 1;
  CloseHandle(file);

  ks::SetupSection section;
  if (ks::LocateSetupSection(image, section) != 0) return 1;
  std::span<const uint8_t> data(image.data() + section.raw_pointer, section.raw_size);
  ks::ByteReader cursor(data);
  ks::ArchiveHeader header;
  if (ks::ReadArchiveHeader(cursor, header) != 0) return 1;
  const size_t script_end = cursor.Position() + header.ScriptSize;
  std::span<const uint8_t> area = data.subspan(script_end, header.ArchiveEnd - script_end);

  std::vector<double> sums, decodes, copies;
  std::vector<uint8_t> sink(1 << 21);
  uint64_t bytes = 0;
  for (int run = 0; run < runs; ++run) {
    double t0 = Now();
    volatile uint32_t sum = ks::Sum32(area.data(), (long long)area.size());
    (void)sum;
    double t1 = Now();
    for (int copy = 0; copy < 2; ++copy) {
      ks::PayloadReader reader(area, {true, nullptr});
      bytes = 0;
      double start = Now();
      for (uint32_t file_size : header.FileSizes) {
        ks::FileRecord record;
        if (int error = reader.Begin(file_size, record)) return error;
        std::span<const uint8_t> piece;
        do {
          if (int error = reader.Content().Read(piece)) return error;
          if (copy && !piece.empty()) memcpy(sink.data(), piece.data(), std::min(piece.size(), sink.size()));
          bytes += piece.size();
        } while (!piece.empty());
      }
      (copy ? copies : decodes).push_back(Now() - start);
    }
    sums.push_back(t1 - t0);
  }
  std::printf("payload %.1f MiB stored, %.1f MiB of content, %u files; median of %d runs:\n",
              area.size() / 1048576.0, bytes / 1048576.0, unsigned(header.FileSizes.size()), runs);
  std::printf("  Sum32 of the payload area %7.1f ms\n", Median(sums));
  std::printf("  decode every record       %7.1f ms\n", Median(decodes));
  std::printf("  decode and copy once more %7.1f ms\n", Median(copies));
  return 0;
}
