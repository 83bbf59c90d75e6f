// One recording written into several files.
#include "programs/linux/recording_files.h"

#include <cerrno>
#include <utility>

namespace program {

RecordingFiles::RecordingFiles(Report report) : report_(std::move(report)) {}

RecordingFiles::~RecordingFiles() {
  for (File& file : files_)
    if (file.file != nullptr) std::fclose(file.file);
}

void RecordingFiles::Add(std::FILE* file, const std::string& path) {
  files_.push_back({file, path});
}

// The recording display hands over one line at a time.
void RecordingFiles::Write(std::string_view text) {
  if (!text.empty() && text[0] != '#') ++snapshots_;
  for (File& file : files_) {
    if (file.failed || file.file == nullptr) continue;
    if (std::fwrite(text.data(), 1, text.size(), file.file) != text.size() ||
        std::fflush(file.file) != 0)
      Fail(file, errno);
  }
}

void RecordingFiles::Close() {
  for (File& file : files_) {
    if (file.file == nullptr) continue;
    if (std::fclose(file.file) != 0 && !file.failed) Fail(file, errno);
    file.file = nullptr;
  }
}

bool RecordingFiles::Failed(const std::string& path) const {
  for (const File& file : files_)
    if (file.path == path && file.failed) return true;
  return false;
}

void RecordingFiles::Fail(File& file, int error) {
  file.failed = true;
  if (report_) report_(file.path, error);
}

}  // namespace program
