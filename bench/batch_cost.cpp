// The price of one batch: RunBatch with a title (preamble values, the file,
// cmd started and waited for, the output read back into the log, clean-up).
//
//   bench_batch [RUNS]
//
// Prints the median and the range of RUNS runs (default 15) in milliseconds,
// the share of that spent on the preamble's 42 folder values, and the floor:
// cmd started with "/c exit" and waited for the same way.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/process.h"
#include "core/wide.h"
#include "portable/batch_text.h"
#include "portable/variables.h"
#include "script/batch.h"
#include "script/folder_variables.h"

namespace {

double Millis(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace ks;
  int runs = argc > 1 ? _wtoi(argv[1]) : 15;
  if (runs < 1) runs = 1;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::u16string folder = U16(temp) + u"ks-bench-batch";
  CreateDirectoryW(W(folder), nullptr);

  InstallValues values;
  values.install_dir = folder;
  values.product_name = u"Bench Product";
  values.version = u"1.0";
  InstallLog log;
  BatchContext context;
  context.value = [&values](int id) { return VariableValue(id, values); };
  context.install_dir = folder;
  context.silent = true;
  context.log = &log;

  std::vector<double> whole, preamble, floor;
  std::u16string bare = u"\"" + CommandInterpreter() + u"\" /c exit";
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER a, b, c;
    QueryPerformanceCounter(&a);
    BatchPreamble(context.value);
    QueryPerformanceCounter(&b);
    if (!RunBatch(context, "echo %ProductName% %InstallDir%\r\n", u"Bench Batch", true)) {
      std::fprintf(stderr, "bench_batch: the batch did not run\n");
      return 1;
    }
    QueryPerformanceCounter(&c);
    LARGE_INTEGER d;
    Launch(bare, kLaunchWait | kLaunchPumpWhileWaiting | kLaunchHidden, folder);
    QueryPerformanceCounter(&d);
    floor.push_back(Millis(c, d));
    preamble.push_back(Millis(a, b));
    whole.push_back(Millis(b, c));
  }
  RemoveDirectoryW(W(folder));
  std::printf("batch run: median %.1f ms (%.1f-%.1f) over %d runs; preamble values %.1f ms of it; "
              "bare cmd /c exit %.1f ms\n",
              Median(whole), *std::min_element(whole.begin(), whole.end()),
              *std::max_element(whole.begin(), whole.end()), runs, Median(preamble), Median(floor));
  return 0;
}
