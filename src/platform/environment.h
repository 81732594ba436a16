// The process environment as the node reads it: entries scanned in order, names compared exactly.
// A value object so that tests can hand the node any environment they like.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx::platform {

class Environment {
 public:
  Environment() = default;
  explicit Environment(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  static Environment FromProcess();

  // The value of the first entry that begins with NAME + "=" after NAME is upper-cased; empty when
  // none matches. Matches the DOS habit of upper-case variable names.
  std::string Value(std::string_view name) const;
  // The value of the first entry named exactly `name` (no upper-casing).
  std::string ExactValue(std::string_view name) const;
  bool Has(std::string_view name) const;

  void Set(std::string_view name, std::string_view value);
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace vx::platform
