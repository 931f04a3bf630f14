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
  lines.insert(lines.begin(), KeysMappingTextHeader);
  std::string error;
  const auto mapping = ImportMapping(lines, error);
  if (!mapping) return 0;
  std::vector<std::string> problems;
  const auto again = ImportMapping(ExportMapping(*mapping, problems), error);
  fuzz::Require(problems.empty() && again && *again == *mapping);
  return 0;
}
