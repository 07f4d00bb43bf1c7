#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestar::dicehost {

// The record of the rolls the dice host answered: in its state folder, one file per room and day
// (UTC), "Spar_Arena.2026-12-07.log" for "#Spar_Arena", UTF-8, one line a roll:
//
//   2026-12-07T08:30:00.250Z<TAB>Bob<TAB>//roll-dice3-sides6<TAB>4 1 6
//
// Each line is written to the file as its roll is answered, never kept back for the next. A write
// that fails is reported once, until one succeeds again; serving goes on either way.
class RollRecord final {
 public:
  using Report = std::function<void(const std::string&)>;

  // An empty folder keeps no record.
  RollRecord(std::filesystem::path folder, Report report);

  void setFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
  const std::filesystem::path& folder() const { return folder_; }

  // False when the line could not be written.
  bool write(std::string_view channel, std::chrono::system_clock::time_point when,
             std::string_view nick, std::string_view request, const std::vector<int>& values);

 private:
  std::filesystem::path folder_;
  Report report_;
  bool failing_ = false;
};

}  // namespace kestar::dicehost
