#pragma once
// A fresh folder under the system's temporary folder, removed with this object; when entered, the
// working folder for its life.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tarn::test {

class TemporaryFolder {
 public:
  explicit TemporaryFolder(bool enter = false) {
    std::string name = (std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    path_ = name;
    if (enter) {
      home_ = std::filesystem::current_path();
      std::filesystem::current_path(path_);
    }
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!home_.empty()) std::filesystem::current_path(home_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_, home_;
};

}  // namespace tarn::test
