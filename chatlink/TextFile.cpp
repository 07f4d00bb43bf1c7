#include "chatlink/TextFile.h"

#include <array>
#include <fstream>

#include "chatlink/CodePage.h"

namespace kestar::chatlink {

Text LoadText(const std::filesystem::path& path) {
  // Binary, so that the line breaks come in exactly as they stand in the file.
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  // Read through the stream, not its buffer: the stream turns a failed read (a folder, a
  // device error) into its bad state instead of an exception.
  std::string bytes;
  std::array<char, 8192> chunk;
  do {
    file.read(chunk.data(), chunk.size());
    bytes.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
  } while (file);
  if (file.bad()) return {};
  return fromCodePage(bytes);
}

bool SaveText(TextView text, const std::filesystem::path& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  const std::string bytes = toCodePage(text) + "\r\n";
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace kestar::chatlink
