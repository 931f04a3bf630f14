// tvxtool on any file (dump and check) and on any text (import): what import accepts exports to lines
// that import again to the same file.
#include "core/files/MappingText.h"
#include "tests/fuzz/fuzz_input.h"
#include "tools/TvxTool.h"

using namespace tvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  Dump("fuzz.tvx", file);
  Check("fuzz.tvx", file);

  fuzz::Input input(data, size);
  std::vector<std::string> lines = input.Split('\n');
  lines.insert(lines.begin(), MappingTextHeader);
  std::string error;
  const auto record = ImportMapping(lines, error);
  if (!record) return 0;
  std::vector<std::string> problems;
  const auto again = ImportMapping(ExportMapping(*record, problems), error);
  fuzz::Require(problems.empty() && again && *again == *record);
  return 0;
}
