/* Prints librcd's guess for each file, as "FILE: name", for
   guess_accuracy.py to set beside the other detectors. librcd chooses
   among four Cyrillic pages and Latin-1 only. */
#include <librcd.h>
#include <stdio.h>

int main(int argc, char** argv) {
  static const char* names[] = {"win", "koi", "utf", "dos", "latin"};
  static char text[1 << 20];
  for (int i = 1; i < argc; ++i) {
    FILE* file = fopen(argv[i], "rb");
    if (!file) continue;
    size_t size = fread(text, 1, sizeof text, file);
    fclose(file);
    if (size == 0) continue;
    rcd_russian_charset guess = rcdGetRussianCharset(text, (int)size);
    printf("%s: %s\n", argv[i], guess >= 0 && guess <= 4 ? names[guess] : "?");
  }
  return 0;
}
