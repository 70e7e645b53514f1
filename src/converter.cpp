#include "converter.h"

Converter makeConverter(CodeId source, CodeId target, const Kernel& kernel) {
  Converter converter{};
  converter.kernel = kernel.translate;
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

TranslateProgress convertChunk(const Converter& converter,
                               const unsigned char* in, std::size_t size,
                               unsigned char* out, bool startOfInput,
                               bool final) {
  switch (converter.kind) {
    case Converter::Kind::toUtf8:
      return {size, pageToUtf8(converter.utf8Chart, in, size, out)};
    case Converter::Kind::fromUtf8:
      return utf8ToPage(converter.encoder, in, size, out, startOfInput, final);
    case Converter::Kind::byteMap:
      break;
  }
  return {size, translateBlock(converter.kernel, converter.map, in, size, out)};
}
