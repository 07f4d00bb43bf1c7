#pragma once

#include <filesystem>

#include "chatlink/Types.h"

namespace kestar::chatlink {

// A text box's whole text as a plain file: the 8-bit code page, line breaks kept as they are.
// Each call opens, uses and closes its own handle, so a file the program holds open elsewhere
// (the chat log) is never read, written or closed by them.

// The file's whole content, final line break included; empty when it is missing or unreadable.
Text LoadText(const std::filesystem::path& path);
// Creates or empties the file and writes the text followed by CR LF. False when the file could
// not be created or written in full.
bool SaveText(TextView text, const std::filesystem::path& path);

}  // namespace kestar::chatlink
