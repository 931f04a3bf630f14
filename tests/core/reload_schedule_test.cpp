// When the bound files are read again, as a sentence of events and the readings they lead to.
#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "core/app/ReloadSchedule.h"

namespace tvx {
namespace {

// Events at ticks: "change@T" a folder changed, "focus@T" a foreground change, "ok@T" / "failed@T" how a
// reading at T went (all files read or not). The ticks, from the start, where a reading fell due.
std::string ReadingsOf(const std::string& events, std::uint32_t start, std::uint32_t until) {
  std::vector<std::pair<std::string, std::uint32_t>> list;
  std::istringstream in(events);
  for (std::string event; in >> event;)
    list.emplace_back(event.substr(0, event.find('@')), std::stoul(event.substr(event.find('@') + 1)));
  ReloadSchedule schedule;
  std::string readings;
  const auto at = [&](std::uint32_t now, bool outcomes) {
    for (const auto& [kind, tick] : list) {
      if (tick != now || (kind == "ok" || kind == "failed") != outcomes) continue;
      if (kind == "change") schedule.FolderChanged(now);
      if (kind == "focus") schedule.ForegroundChanged(now);
      if (outcomes) schedule.Read(now, kind == "ok");
    }
  };
  for (std::uint32_t now = start; now != until; ++now) {
    at(now, false);
    if (schedule.TakeDue(now)) readings += (readings.empty() ? "" : " ") + std::to_string(now - start);
    at(now, true);
  }
  return readings;
}

TEST(ReloadSchedule, ReadsAfterAChangeSettlesAndRetriesAFailedFileForAMinute) {
  const struct {
    const char* what;
    const char* events;
    std::uint32_t start, until;
    const char* readings;  // ticks from the start
  } rows[] = {
      {"a change: read once the folder settled", "change@10", 0, 1000, "110"},
      {"two changes close together: one reading", "change@10 change@50", 0, 1000, "110"},
      {"a read that went through schedules nothing", "ok@0", 0, 10000, ""},
      {"a failed file: every 3 s", "failed@0 failed@3000 failed@6000", 0, 9500, "3000 6000 9000"},
      {"... and at a foreground change", "failed@0 focus@500", 0, 2000, "500"},
      {"a foreground change with nothing failing reads nothing", "ok@0 focus@500", 0, 2000, ""},
      {"no more retries once a minute has passed", "failed@0 failed@59000 failed@62000", 0, 70000,
       "3000 62000"},
      {"... but a foreground change still reads it", "failed@0 failed@62000 focus@65000", 0, 66000,
       "3000 65000"},
      {"the clock wraps", "change@4294967290", 4294967200u, 300, "190"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ReadingsOf(row.events, row.start, row.until), row.readings) << row.what;
}

}  // namespace
}  // namespace tvx
