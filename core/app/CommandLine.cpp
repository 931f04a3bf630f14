#include "core/app/CommandLine.h"

#include <string>

#include "core/common/Numbers.h"
#include "core/common/Text.h"

namespace tvx {
namespace {

constexpr std::int32_t MinSyncMinutes = 1;
constexpr std::int32_t MaxSyncMinutes = 98;

struct WholeOption {
  const char* text;
  OptionKind kind;
};
// The options matched as the whole argument come first, so "/B", "/S" and "/BA" never reach the
// prefix tests and "/SM30" is never taken for "/S".
constexpr WholeOption WholeOptions[] = {
    {"/B", OptionKind::BrowseOnly},
    {"/S", OptionKind::AutoSync},
    {"/BA", OptionKind::FullBrowseOnly},
};

CommandOption SyncMinutesOption(std::string_view number) {
  const std::int32_t minutes = ReadIntegerOrHex(number);
  if (minutes < MinSyncMinutes || minutes > MaxSyncMinutes) return {};
  return {OptionKind::SyncMinutes, {}, static_cast<std::uint16_t>(minutes)};
}

}  // namespace

CommandOption ReadOption(const ShortString& param) {
  const std::string upper = UpperCaseAscii(param.str());
  const std::string_view text = upper;
  for (const WholeOption& option : WholeOptions)
    if (text == option.text) return {option.kind, {}, 0};
  if (text.starts_with("/F")) return {OptionKind::File, ShortString(text.substr(2)), 0};
  if (text == "/N") return {OptionKind::NetworkMode, {}, 0};
  if (text.starts_with("/SM")) return SyncMinutesOption(text.substr(3));
  if (text == "/T") return {OptionKind::Tray, {}, 0};
  return {};
}

}  // namespace tvx
