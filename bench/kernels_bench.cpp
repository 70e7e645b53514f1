#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "kernels.h"

namespace {

// Russian-like text in KOI8-R: letters from the upper half, with the
// spaces, digits and punctuation of prose.
std::vector<unsigned char> makeText(const std::string& kind, size_t size) {
  std::mt19937 random(1);
  std::vector<unsigned char> text(size);
  for (unsigned char& byte : text) {
    const unsigned value = random();
    if (kind == "russian")
      byte = value % 6 == 0 ? ' ' : value % 31 == 0 ? '\n' : 0xC0 + value % 64;
    else if (kind == "ascii")
      byte = value % 6 == 0 ? ' ' : 'a' + value % 26;
    else  // dense with quotes and dashes that koi lacks
      byte = value % 3 == 0 ? 0xAB : 0xE0 + value % 32;
  }
  return text;
}

void translate(benchmark::State& state, const Kernel* kernel, std::string kind) {
  if (!kernel->supported()) {
    state.SkipWithError("not supported on this CPU");
    return;
  }
  const auto size = static_cast<size_t>(state.range(0));
  const std::vector<unsigned char> in = makeText(kind, size);
  std::vector<unsigned char> out(size);
  const TranslationMap map = kind == "removed"
                                 ? buildTranslationMap(codWin, codKoi)
                                 : buildTranslationMap(codKoi, codWin);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        translateBlock(kernel->translate, map, in.data(), size, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

const bool registered = [] {
  for (const Kernel& kernel : compiledKernels()) {
    for (const char* kind : {"russian", "ascii", "removed"}) {
      benchmark::RegisterBenchmark(
          (std::string(kernel.name) + "/" + kind).c_str(), translate, &kernel,
          std::string(kind))
          ->RangeMultiplier(16)
          ->Range(64, 1 << 20);
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
