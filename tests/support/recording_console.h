// Test support: a console that records its message boxes ("title|text") and gives a chosen answer
// to yes/no questions, at a terminal or headless as the test says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"

namespace vx::test {

struct RecordingConsole : platform::Console {
  bool is_interactive = false;
  int answer = platform::box::kNo;
  std::vector<std::string> boxes;  // "title|text"
  int MessageBox(std::string_view text, std::string_view title, int style) override {
    boxes.push_back(std::string(title) + "|" + std::string(text));
    return (style & 7) == platform::box::kYesNo ? answer : platform::box::kOk;
  }
  bool interactive() const override { return is_interactive; }
};

}  // namespace vx::test
