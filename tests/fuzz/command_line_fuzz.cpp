// Any command line, argument by argument, through the option parser start-up uses.
#include "core/app/CommandLine.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  for (const std::string& argument : input.Split('\0')) {
    const ShortString param(argument);  // as start-up hands it over: cut to 255 characters
    const CommandOption option = ReadOption(param);
    if (option.kind == OptionKind::SyncMinutes) fuzz::Require(option.minutes >= 1 && option.minutes <= 98);
    if (option.kind == OptionKind::File) fuzz::Require(option.fileName.size() + 2 == param.size());
    if (option.kind != OptionKind::File) fuzz::Require(option.fileName.empty());
  }
  return 0;
}
