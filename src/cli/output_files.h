#pragma once
// Output files that are never left half-written: each is written to a temporary file beside it
// and renamed over its name only when every output of the run is complete. "-" means standard
// output. The temporary files are created when the output is named, so that a path that cannot be
// written is reported before any work is done.

#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace tarn {

class OutputFiles {
 public:
  explicit OutputFiles(std::ostream& standard_output) : standard_output_(standard_output) {}
  ~OutputFiles();  // removes the temporary files of outputs not committed

  // Opens the output for `path` ("-": standard output, written only at commit). `option` names
  // the option in messages. Throws OutputError when the file cannot be created.
  std::ostream& open(const std::string& path, const std::string& option);

  // Flushes every output and renames each temporary file over its name. Throws OutputError (and
  // removes what it could not finish) when a write failed.
  void commit();

 private:
  struct Output {
    std::string path, temporary, option;
    std::unique_ptr<std::ofstream> file;
    std::unique_ptr<std::ostringstream> buffered;  // for standard output
  };
  std::ostream& standard_output_;
  std::vector<std::unique_ptr<Output>> outputs_;
  bool committed_ = false;
};

}  // namespace tarn
