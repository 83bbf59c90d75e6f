// One recording written into several files at once (the one --record names
// and the kept run), line by line as the recording display hands the lines
// over, each line to the system at once so that a killed program loses
// nothing it showed. Each file fails on its own: its first failed write is
// reported once and nothing more is written to it, while the others go on.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace program {

class RecordingFiles {
 public:
  // Learns of a file's first failed write or close: its path and the error
  // number.
  using Report = std::function<void(const std::string& path, int error)>;

  explicit RecordingFiles(Report report);
  ~RecordingFiles();  // closes the files still open, without a report
  RecordingFiles(const RecordingFiles&) = delete;
  RecordingFiles& operator=(const RecordingFiles&) = delete;

  // Writes into `file`, open for writing, from now on; closes it at the end.
  void Add(std::FILE* file, const std::string& path);
  bool Empty() const { return files_.empty(); }
  // Appends `text` to every file that has not failed.
  void Write(std::string_view text);
  // Closes every file; a close that fails is reported as a failed write.
  void Close();
  // True when a write to `path`, or its close, failed.
  bool Failed(const std::string& path) const;
  // The keyboard snapshots written so far (lines that do not begin with '#').
  size_t Snapshots() const { return snapshots_; }

 private:
  struct File {
    std::FILE* file;
    std::string path;
    bool failed = false;
  };
  void Fail(File& file, int error);

  Report report_;
  std::vector<File> files_;
  size_t snapshots_ = 0;
};

}  // namespace program
