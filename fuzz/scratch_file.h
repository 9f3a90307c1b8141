#pragma once
// A file of the fuzz target's own in the temporary folder, rewritten for every input and removed
// when the process ends.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz/fuzz_check.h"

namespace fuzz {

class ScratchFile {
 public:
  // A new name below the temporary folder, `stem` followed by a random number.
  explicit ScratchFile(std::string_view stem) {
    const auto tag = std::to_string(std::random_device{}());
    path_ = std::filesystem::temp_directory_path() / (std::string(stem) + "-" + tag + ".tmp");
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Makes the file hold exactly `bytes`; aborts when it cannot.
  void Write(std::string_view bytes) const {
    // A new file each time: rewriting a truncated file makes some file systems flush it.
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    FUZZ_CHECK(!out.fail());
  }
  std::u16string Path() const { return path_.u16string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace fuzz
