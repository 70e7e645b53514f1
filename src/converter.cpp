#include "converter.h"

Converter makeConverter(CodeId source, CodeId target, const Kernel& kernel) {
  Converter converter{};
  converter.kernel = &kernel;
  if (source == codUtf && target != codUtf) {
    converter.kind = Converter::Kind::fromUtf8;
    converter.encoder = buildPageEncoder(target);
  } else if (target == codUtf && source != codUtf) {
    converter.kind = Converter::Kind::toUtf8;
    converter.utf8Chart = buildUtf8Chart(source);
  } else {
    converter.kind = Converter::Kind::byteMap;
    // Between two 8-bit pages the map; utf to utf copies.
    converter.map = source == codUtf ? buildTranslationMap(codKoi, codKoi)
                                     : buildTranslationMap(source, target);
  }
  return converter;
}

bool growsText(const Converter& converter) {
  return converter.kind == Converter::Kind::toUtf8;
}

TranslateProgress convertChunk(const Converter& converter,
                               const unsigned char* in, std::size_t size,
                               unsigned char* out, bool startOfInput,
                               bool final) {
  const Kernel& kernel = *converter.kernel;
  TranslateProgress head{0, 0};
  switch (converter.kind) {
    case Converter::Kind::toUtf8:
      if (kernel.toUtf8) head = kernel.toUtf8(converter.utf8Chart, in, size, out);
      return {size, head.produced + pageToUtf8(converter.utf8Chart, in + head.consumed,
                                               size - head.consumed, out + head.produced)};
    case Converter::Kind::fromUtf8: {
      // The reference alone sees the start, where a byte-order mark may be.
      if (kernel.fromUtf8 && !startOfInput)
        head = kernel.fromUtf8(converter.encoder, in, size, out);
      const TranslateProgress tail =
          utf8ToPage(converter.encoder, in + head.consumed, size - head.consumed,
                     out + head.produced, startOfInput, final);
      return {head.consumed + tail.consumed, head.produced + tail.produced};
    }
    case Converter::Kind::byteMap:
      break;
  }
  return {size, translateBlock(kernel.translate, converter.map, in, size, out)};
}
