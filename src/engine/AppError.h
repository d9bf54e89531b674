// AppError: the one kind of failure in TELVARN. It carries a number and a
// description, either the database engine's own (3010, 3265, ...) or the
// run-time library's (9, 13, 53, ...), because every trap in the program
// decides by the number alone.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace telvarn {

class AppError : public std::runtime_error {
 public:
  AppError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  int number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int number_;
};

// Builds the error with the catalogue text for `number`, its insertions
// ("|", "|1", "|2") filled from `args` by index.
AppError engineError(int number, std::initializer_list<std::string> args = {});

// The catalogue text of `number` with its insertions filled, or a generic
// "Application-defined or object-defined error" for numbers it does not know.
std::string errorDescription(int number, std::initializer_list<std::string> args = {});

// What a trap makes of any exception that reaches it, so that every failure
// has a number: an AppError is itself; running out of memory
// (std::bad_alloc) is 7; any other failure the C++ library raises is 3000,
// the engine's error without a message of its own, with the library's text
// as its insertion.
AppError asAppError(const std::exception& error);

}  // namespace telvarn
