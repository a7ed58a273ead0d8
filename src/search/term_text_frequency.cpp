#include "search/term_text_frequency.h"

double TextFrequency(unsigned char byte) {
  // Letter frequencies of German prose in percent, a-z; ä, ö, ü and ß follow below.
  static constexpr double kLetters[26] = {6.51, 1.89, 3.06, 5.08, 17.4, 1.66, 3.01, 4.76, 7.55,
                                          0.27, 1.21, 3.44, 2.53, 9.78, 2.51, 0.79, 0.02, 7.00,
                                          7.27, 6.15, 4.35, 0.67, 1.89, 0.03, 0.04, 1.13};
  constexpr double kLettersShare = 0.78;  // of all bytes
  constexpr double kCapitalShare = 0.12;  // of all letters (German capitalises nouns)
  double percent = 0.01;
  if (byte >= 'a' && byte <= 'z') {
    percent = kLetters[byte - 'a'] * kLettersShare * (1 - kCapitalShare);
  } else if (byte >= 'A' && byte <= 'Z') {
    percent = kLetters[byte - 'A'] * kLettersShare * kCapitalShare + 0.05;
  } else if (byte == ' ') {
    percent = 14;
  } else if (byte >= '0' && byte <= '9') {
    percent = 0.3;
  } else if (byte == '.' || byte == ',' || byte == '\n' || byte == '\r') {
    percent = 1.2;
  } else if (byte == 0xE4 || byte == 0xF6 || byte == 0xFC) {  // ä ö ü
    percent = 0.45;
  } else if (byte == 0xDF) {  // ß
    percent = 0.25;
  } else if (byte == 0xC4 || byte == 0xD6 || byte == 0xDC) {  // Ä Ö Ü
    percent = 0.06;
  } else if (byte == '-' || byte == '\t' || byte == ':' || byte == ';' || byte == '(' ||
             byte == ')' || byte == '"' || byte == '\'' || byte == '/') {
    percent = 0.15;
  } else if (byte < 0x80 && byte >= 0x20) {
    percent = 0.03;
  } else if (byte == 0) {
    percent = 0.05;  // padding in binary files
  }
  return percent / 100;
}
