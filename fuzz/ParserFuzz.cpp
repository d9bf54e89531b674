// Fuzz target for the dialect's lexer and parser: any text either parses or
// is refused with an AppError that carries a number and a description.
// Anything else (a crash, another exception, an error without a number)
// is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/AppError.h"
#include "engine/jetsql/Lexer.h"
#include "engine/jetsql/Parser.h"

namespace {

void check(const std::string& sql) {
  try {
    telvarn::jetsql::parseStatement(sql);
  } catch (const telvarn::AppError& error) {
    if (error.number() <= 0 || error.description().empty()) {
      std::fprintf(stderr, "error without a number or text for: %s\n", sql.c_str());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  telvarn::jetsql::tokenize(text);
  telvarn::jetsql::beginsWithVerb(text);
  check(text);
  // The same text as a condition and as a value, where most of the
  // expression grammar is.
  check("DELETE FROM t WHERE " + text);
  check("UPDATE t SET a = " + text);
  return 0;
}
