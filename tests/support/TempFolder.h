#pragma once

#include <filesystem>
#include <string>

namespace kestar::test {

// A fresh, empty folder of its own, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes the folder the working directory for the test's span and restores the previous one.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& folder);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// A file's bytes exactly as they are; empty when it cannot be read.
std::string fileBytes(const std::filesystem::path& path);
// Writes the bytes exactly as given, replacing the file.
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace kestar::test
