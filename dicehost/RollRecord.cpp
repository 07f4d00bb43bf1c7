#include "dicehost/RollRecord.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kestar::dicehost {
namespace {

using Clock = std::chrono::system_clock;

std::tm utc(Clock::time_point when) {
  const std::time_t seconds = Clock::to_time_t(when);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  return parts;
}

std::string day(const std::tm& parts) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday);
  return text;
}

std::string timeOfRoll(Clock::time_point when) {
  const std::tm parts = utc(when);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                          when.time_since_epoch() % std::chrono::seconds(1))
                          .count();
  char text[48];
  std::snprintf(text, sizeof text, "T%02d:%02d:%02d.%03dZ", parts.tm_hour, parts.tm_min,
                parts.tm_sec, static_cast<int>(millis));
  return day(parts) + text;
}

// A field of a line: no tab or line break of its own.
std::string field(std::string_view text) {
  std::string clean(text);
  for (char& c : clean)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return clean;
}

// The channel without its "#", a "/" in it written as "%2F" (the room rule never makes "%2F").
std::string fileStem(std::string_view channel) {
  if (channel.starts_with('#')) channel.remove_prefix(1);
  std::string stem;
  for (const char c : channel) {
    if (c == '/') {
      stem += "%2F";
    } else {
      stem += c;
    }
  }
  return stem;
}

bool append(const std::filesystem::path& file, std::string_view line) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
  if (fd < 0) return false;
  while (!line.empty()) {
    const ssize_t written = ::write(fd, line.data(), line.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return false;
    }
    line.remove_prefix(static_cast<std::size_t>(written));
  }
  return ::close(fd) == 0;
}

}  // namespace

RollRecord::RollRecord(std::filesystem::path folder, Report report)
    : folder_(std::move(folder)), report_(std::move(report)) {}

bool RollRecord::write(std::string_view channel, Clock::time_point when, std::string_view nick,
                       std::string_view request, const std::vector<int>& values) {
  if (folder_.empty()) return false;
  std::string line = timeOfRoll(when) + '\t' + field(nick) + '\t' + field(request) + '\t';
  for (std::size_t i = 0; i < values.size(); ++i)
    line += (i == 0 ? "" : " ") + std::to_string(values[i]);
  line += '\n';
  const std::filesystem::path file = folder_ / (fileStem(channel) + "." + day(utc(when)) + ".log");
  if (!append(file, line)) {
    const int error = errno;
    if (!failing_)
      report_("Cannot write the record of rolls " + file.string() + ": " + std::strerror(error) +
              "; serving goes on, this is said once until a roll is recorded again");
    failing_ = true;
    return false;
  }
  if (failing_) report_("The record of rolls is written again: " + file.string());
  failing_ = false;
  return true;
}

}  // namespace kestar::dicehost
