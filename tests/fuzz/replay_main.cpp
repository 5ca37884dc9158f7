// Without libFuzzer: runs a fuzz target once on each file named on the
// command line, so the targets build and replay crash inputs with any compiler.
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::FILE* f = std::fopen(argv[i], "rb");
    if (!f) { std::fprintf(stderr, "cannot open %s\n", argv[i]); return 2; }
    std::vector<uint8_t> data;
    for (int c; (c = std::fgetc(f)) != EOF;) data.push_back(uint8_t(c));
    std::fclose(f);
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  return 0;
}
