#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "converter.h"
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
    else if (kind == "typographic")  // a quote or dash koi lacks every 80 bytes or so
      byte = value % 80 == 0 ? 0xAB : value % 6 == 0 ? ' ' : 0xE0 + value % 32;
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
  const TranslationMap map = kind == "removed" || kind == "typographic"
                                 ? buildTranslationMap(codWin, codKoi)
                                 : buildTranslationMap(codKoi, codWin);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        translateBlock(kernel->translate, map, in.data(), size, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// The UTF-8 kernels through the converter, as the streaming loop runs them:
// Russian text from koi into UTF-8, and that UTF-8 back into koi.
void transcode(benchmark::State& state, const Kernel* kernel, bool toUtf8) {
  if (!kernel->supported()) {
    state.SkipWithError("not supported on this CPU");
    return;
  }
  const auto size = static_cast<size_t>(state.range(0));
  std::vector<unsigned char> text = makeText("russian", size);
  const Converter into = makeConverter(codKoi, codUtf, *kernel);
  std::vector<unsigned char> utf8(maxConversionGrowth * size + 1);
  utf8.resize(convertChunk(into, text.data(), size, utf8.data(), false, true).produced);
  if (!toUtf8) text = utf8;
  const Converter converter = toUtf8 ? into : makeConverter(codUtf, codKoi, *kernel);
  std::vector<unsigned char> out(maxConversionGrowth * text.size() + 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        convertChunk(converter, text.data(), text.size(), out.data(), false, true));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

const bool registered = [] {
  for (const Kernel& kernel : compiledKernels()) {
    for (const char* kind : {"russian", "ascii", "typographic", "removed"}) {
      benchmark::RegisterBenchmark(
          (std::string(kernel.name) + "/" + kind).c_str(), translate, &kernel,
          std::string(kind))
          ->RangeMultiplier(16)
          ->Range(64, 1 << 20);
    }
    for (const bool toUtf8 : {true, false}) {
      benchmark::RegisterBenchmark(
          (std::string(kernel.name) + (toUtf8 ? "/koi-to-utf" : "/utf-to-koi")).c_str(),
          transcode, &kernel, toUtf8)
          ->RangeMultiplier(16)
          ->Range(64, 1 << 20);
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
