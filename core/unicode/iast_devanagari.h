// Unicode IAST <-> Unicode Devanagari (both UTF-8), the usual transliteration
// of Sanskrit.
//
// IAST -> Devanagari (the text is read as in iast_normalize.h):
//   - a consonant before a consonant or at the end of a word takes the virama
//     (tr -> त्र, kṣ -> क्ष); before a vowel, the vowel sign; "a" is the
//     inherent vowel;
//   - a vowel at the start of a word or after a vowel is the vowel letter
//     (eva -> एव, prauga -> प्रउग is written "praüga": "ai" and "au" are the
//     diphthongs, "aï" and "aü" two vowels);
//   - ṃ (and ṁ) -> ं, ḥ -> ः, m̐ (m with U+0310) -> ँ, a vowel with U+0310 ->
//     the vowel and ँ, "oṃ" standing as a word's start -> ॐ;
//   - ' (and ’) -> ऽ, | -> ।, || -> ॥, 0-9 -> ०-९, ḻ -> ळ;
//   - spaces, line ends, other ASCII punctuation and the hidden-dash mark "_"
//     stay as they are;
//   - every other character (a Latin letter IAST does not use, f q w x z, or
//     anything else) is reported and stays as it is.
//
// Devanagari -> IAST:
//   - a consonant without a sign takes "a"; with the virama, none; with a
//     vowel sign, that vowel; ळ -> ḻ;
//   - the vowel letters as IAST vowels; इ and उ after an "a" as "ï" and "ü",
//     so that they read back as two vowels;
//   - ं -> ṃ, ः -> ḥ, ँ -> m̐ (m with U+0310), ऽ -> ', । -> |, ॥ -> ||,
//     ०-९ -> 0-9, ॐ -> oṃ;
//   - the nukta (़, and the letters with it, क़ to य़) is reported and left
//     out: the letter is written without it (Sanskrit has none);
//   - zero-width joiner and non-joiner (U+200D, U+200C) only choose a
//     glyph: they are reported and left out;
//   - a vowel sign or virama with no consonant before it is reported; the
//     sign is written as its vowel, the virama left out;
//   - ASCII stays as it is; any other character is reported and stays as it is.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "unicode_text.h"

namespace sfc {

// IAST to Devanagari over input given in blocks; any cut of the input gives
// the same output and the same reports.
class IastToDevanagariStream {
 public:
  explicit IastToDevanagariStream(UnicodeSink sink, RejectSink rejects = {});
  ~IastToDevanagariStream();
  IastToDevanagariStream(const IastToDevanagariStream&) = delete;
  IastToDevanagariStream& operator=(const IastToDevanagariStream&) = delete;

  void Feed(std::string_view block);
  // Ends the input; passes on the rest of the output. Call once.
  void Finish();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// Devanagari to IAST over input given in blocks, like IastToDevanagariStream.
class DevanagariToIastStream {
 public:
  explicit DevanagariToIastStream(UnicodeSink sink, RejectSink rejects = {});
  ~DevanagariToIastStream();
  DevanagariToIastStream(const DevanagariToIastStream&) = delete;
  DevanagariToIastStream& operator=(const DevanagariToIastStream&) = delete;

  void Feed(std::string_view block);
  void Finish();

  class Engine;

 private:
  std::unique_ptr<Engine> engine_;
};

// Whole-text faces.
UnicodeResult IastToDevanagari(std::string_view iast);
UnicodeResult DevanagariToIast(std::string_view devanagari);

}  // namespace sfc
