#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "converter.h"
#include "test_support.h"

namespace {

// A pair for the sweep: a code-page pair, or a scrambled map that moves
// ASCII too, keeps NUL (which a removed byte must not be taken for) and
// removes bytes from every 16-byte group, for the paths the real maps (all
// identities below 0x80) never take.
struct Subject {
  std::string name;
  CodeId source, target;
  std::unique_ptr<TranslationMap> scrambled;
};

std::vector<Subject> subjects() {
  std::vector<Subject> subjects;
  for (int source = 0; source < codAfterLast; ++source)
    for (int target = 0; target < codAfterLast; ++target)
      if (source != codUtf || target != codUtf)
        subjects.push_back({std::string(codNameOf(source)) + "->" + codNameOf(target),
                            CodeId(source), CodeId(target), nullptr});
  auto scrambled = std::make_unique<TranslationMap>();
  for (int byte = 0; byte < 256; ++byte)
    (*scrambled)[byte] = byte % 16 == 5 || byte == 0 ? 0 : (byte * 7 + 3) & 0xFF;
  subjects.push_back({"scrambled", codKoi, codWin, std::move(scrambled)});
  return subjects;
}

// Runs a chunk through converter into a heap buffer of exactly the room the
// contract asks for, so that AddressSanitizer sees any store past it; in
// place (out == in) where the text cannot grow.
Bytes runChunk(const Converter& converter, const unsigned char* in, size_t size) {
  const bool grows = growsText(converter);
  const size_t room = grows ? maxConversionGrowth * size + 1 : size;
  auto buffer = std::make_unique<unsigned char[]>(room + (grows ? size : 0));
  unsigned char* out = buffer.get();
  unsigned char* source = grows ? out + room : out;
  std::copy_n(in, size, source);
  const TranslateProgress progress = convertChunk(converter, source, size, out, false, true);
  EXPECT_EQ(progress.consumed, size);
  return {out, out + progress.produced};
}

// Text of four kinds: every byte value in turn (so every value meets every
// lane as the offset moves), Russian-like 8-bit text dense, then sparse,
// with the bytes that win and mac lose in koi, UTF-8 of every sort
// (Cyrillic, marks, three- and four-byte forms, malformed bytes), and mostly
// ASCII UTF-8, so that a letter or a lone lead meets the end of a vector
// while nothing has shrunk yet.
std::vector<Bytes> texts() {
  std::mt19937 random(20261207);
  const std::vector<std::string> pieces = {
      "\xD0\xB0", "\xD1\x8F", "\xD0\x81", " ", "a", "\n", "\xD0\xB8\xCC\x86",
      "\xD0\xB5", "\xCC\x88", "\xC2\xAB", "\xE2\x80\x94", "\xF0\x9F\x98\x80",
      "\x80", "\xD0", "\xE2\x82", "\xD1\x91", "\xD0\xBF\xD1\x80"};
  const unsigned char removable[] = {0xAB, 0xBB, 0x96, 0x97, 0xC7, 0xC8,
                                     0xD0, 0xD1, 0x00, 0x41};
  std::vector<Bytes> texts(4);
  for (size_t i = 0; i < 4096; ++i) {
    texts[0].push_back(i & 0xFF);
    const unsigned value = random();
    // Dense, then sparse: vectors that lose several bytes, then one or none.
    texts[1].push_back(value % (i < 2048 ? 5 : 37) == 0 ? removable[value % sizeof removable]
                                                        : 0x80 | (value & 0x7F));
  }
  while (texts[2].size() < 4096) {
    const unsigned value = random();
    // Mostly Cyrillic and ASCII, as real text, so the vector paths run.
    const std::string& piece = pieces[value % 8 < 6 ? value % 4 : value % pieces.size()];
    texts[2].insert(texts[2].end(), piece.begin(), piece.end());
    // Now and then a lead without its continuation, which may end a vector.
    const std::string& rare = pieces[value % 29 == 0 ? value % 3 : value % 89 == 0 ? 13 : 4];
    texts[3].insert(texts[3].end(), rare.begin(), rare.end());
  }
  return texts;
}

class KernelTest : public testing::TestWithParam<const Kernel*> {};

// Every kernel against the reference (the byte model for maps, the scalar
// transcoders for utf), at every offset and length up to past a few vectors.
TEST_P(KernelTest, EveryPairLengthAndOffsetMatchesTheReference) {
  const Kernel& kernel = *GetParam();
  const Kernel& scalar = referenceKernel();
  const std::vector<Bytes> pool = texts();
  // All four in a row: long enough for a kernel that picks how to store by
  // what the last few kilobytes held to switch both ways.
  Bytes all;
  for (const Bytes& text : pool) all.insert(all.end(), text.begin(), text.end());
  for (const Subject& subject : subjects()) {
    Converter converter = makeConverter(subject.source, subject.target, kernel);
    Converter reference = makeConverter(subject.source, subject.target, scalar);
    if (subject.scrambled) converter.map = *subject.scrambled;
    const auto expect = [&](const unsigned char* in, size_t size) {
      return converter.kind == Converter::Kind::byteMap
                 ? modelTranslate(converter.map, in, size)
                 : runChunk(reference, in, size);
    };
    for (size_t kind = 0; kind < pool.size(); ++kind) {
      for (size_t offset = 0; offset < 64; offset += kind >= 2 ? 1 : 3) {
        for (size_t size = 0; size <= 300; ++size) {
          const unsigned char* in = pool[kind].data() + offset + size * 11;
          ASSERT_EQ(runChunk(converter, in, size), expect(in, size))
              << kernel.name << " " << subject.name << " kind " << kind
              << " offset " << offset << " size " << size;
        }
      }
    }
    ASSERT_EQ(runChunk(converter, all.data(), all.size()), expect(all.data(), all.size()))
        << kernel.name << " " << subject.name << " all texts";
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
  chosen = nullptr;
  EXPECT_EQ(chooseKernel("SCALAR", &chosen), KernelChoice::unknownName);
  EXPECT_EQ(chosen, nullptr);
  for (const Kernel& kernel : compiledKernels()) {
    EXPECT_EQ(chooseKernel(kernel.name, &chosen),
              kernel.supported() ? KernelChoice::chosen : KernelChoice::unsupported)
        << kernel.name;
  }
}

}  // namespace
