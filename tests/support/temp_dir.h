// Test support: a fresh temporary directory, removed with everything in it at the end of the test,
// and small file helpers.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vx::test {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vxtest.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "/tmp";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Puts a length-prefixed string at a 1-based position of a record, by hand.
inline void PutString(std::vector<uint8_t>& bytes, size_t position, const std::string& text) {
  bytes.at(position - 1) = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) bytes.at(position + i) = static_cast<uint8_t>(text[i]);
}

inline void PutWord(std::vector<uint8_t>& bytes, size_t position, unsigned value) {
  bytes.at(position - 1) = static_cast<uint8_t>(value & 0xFF);
  bytes.at(position) = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Changes the current directory for the life of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedChdir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
  }

 private:
  std::filesystem::path old_;
};

}  // namespace vx::test
