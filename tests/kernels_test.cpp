#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kernels.h"
#include "test_support.h"

namespace {

// Output through kernel and scalar tail, into a heap buffer of exactly the
// input's size so that AddressSanitizer sees any store past it.
std::vector<unsigned char> runKernel(const Kernel& kernel,
                                     const TranslationMap& map,
                                     const unsigned char* in, size_t size) {
  auto out = std::make_unique<unsigned char[]>(size);
  const TranslateProgress head = kernel.translate(map, in, size, out.get());
  EXPECT_LE(head.consumed, size);
  EXPECT_LE(head.produced, head.consumed);
  const size_t produced =
      translateBlock(kernel.translate, map, in, size, out.get());
  return {out.get(), out.get() + produced};
}

struct NamedMap {
  std::string name;
  TranslationMap map;
};

// The 25 code-page pairs, and a scrambled map that moves ASCII too and
// removes bytes from every 16-byte group, for the paths the real maps (all
// identities below 0x80) never take.
std::vector<NamedMap> maps() {
  std::vector<NamedMap> maps;
  for (int source = 0; source < codTableColumns; ++source)
    for (int target = 0; target < codTableColumns; ++target)
      maps.push_back({std::string(codNameOf(source)) + "->" + codNameOf(target),
                      buildTranslationMap(CodeId(source), CodeId(target))});
  TranslationMap scrambled;
  for (int byte = 0; byte < 256; ++byte)
    scrambled[byte] = byte % 16 == 5 ? 0 : (byte * 7 + 3) & 0xFF;
  maps.push_back({"scrambled", scrambled});
  return maps;
}

class KernelTest : public testing::TestWithParam<const Kernel*> {};

TEST_P(KernelTest, AllMapsAllBytesAllLengthsAllOffsetsMatchTheModel) {
  const Kernel& kernel = *GetParam();
  std::mt19937 random(20261206);
  // Three kinds of text: every byte value in turn (so every value meets
  // every lane as the offset moves), Russian-like (upper half with spaces),
  // and dense with the bytes that win and mac lose in koi.
  const unsigned char removable[] = {0xAB, 0xBB, 0x96, 0x97, 0xC7, 0xC8,
                                     0xD0, 0xD1, 0x00, 0x41};
  std::vector<unsigned char> pool(4096);
  for (int kind = 0; kind < 3; ++kind) {
    for (size_t i = 0; i < pool.size(); ++i) {
      const unsigned value = random();
      pool[i] = kind == 0   ? i & 0xFF
                : kind == 1 ? (value % 7 == 0 ? ' ' : 0x80 | (value & 0x7F))
                            : removable[value % sizeof removable];
    }
    for (const NamedMap& named : maps()) {
      for (size_t offset = 0; offset < 64; ++offset) {
        for (size_t size = 0; size <= 300; ++size) {
          const unsigned char* in = pool.data() + offset + size * 11;
          ASSERT_EQ(runKernel(kernel, named.map, in, size),
                    modelTranslate(named.map, in, size))
              << kernel.name << " " << named.name << " kind " << kind
              << " offset " << offset << " size " << size;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Supported, KernelTest,
                         testing::ValuesIn(supportedKernels()),
                         [](const auto& info) { return info.param->name; });

TEST(ChooseKernel, NamesAndFallbacks) {
  const Kernel* fastest = nullptr;
  ASSERT_EQ(chooseKernel(nullptr, &fastest), KernelChoice::chosen);
  EXPECT_EQ(fastest, supportedKernels().front());
  const Kernel* chosen = nullptr;
  EXPECT_EQ(chooseKernel("", &chosen), KernelChoice::chosen);
  EXPECT_EQ(chosen, fastest);
  EXPECT_EQ(chooseKernel("scalar", &chosen), KernelChoice::chosen);
  EXPECT_STREQ(chosen->name, "scalar");
  chosen = nullptr;
  EXPECT_EQ(chooseKernel("SCALAR", &chosen), KernelChoice::unknownName);
  EXPECT_EQ(chooseKernel("sse9", &chosen), KernelChoice::unknownName);
  EXPECT_EQ(chosen, nullptr);
  for (const Kernel& kernel : compiledKernels()) {
    EXPECT_EQ(chooseKernel(kernel.name, &chosen),
              kernel.supported() ? KernelChoice::chosen
                                 : KernelChoice::unsupported)
        << kernel.name;
  }
}

}  // namespace
