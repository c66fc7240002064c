#pragma once

#include "hir.hpp"

namespace tovrin::regex {

// What an assertion sees at a position between two chars of the text.
struct Surroundings {
  static constexpr char32_t kNone = 0xFFFFFFFF;  // before the start or after the end
  char32_t left = kNone;
  char32_t right = kNone;
};

bool is_ascii_word_char(char32_t c);
bool is_unicode_word_char(char32_t c);  // the `\w` set

bool look_holds(Look look, const Surroundings& at);

}  // namespace tovrin::regex
