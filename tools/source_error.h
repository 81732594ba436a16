// The error of a bad source or a build that cannot be done: where (file and line, when known) and
// what is wrong, worded for the sysop who wrote the source.
#pragma once

#include <stdexcept>
#include <string>

namespace vx::tools {

class SourceError : public std::runtime_error {
 public:
  SourceError(const std::string& file, int line, const std::string& what)
      : std::runtime_error(Format(file, line, what)) {}
  explicit SourceError(const std::string& what) : std::runtime_error(what) {}

 private:
  static std::string Format(const std::string& file, int line, const std::string& what) {
    std::string where = file;
    if (line > 0) where += ":" + std::to_string(line);
    return where.empty() ? what : where + ": " + what;
  }
};

}  // namespace vx::tools
