// Any bytes as a mapping file: loaded as the program loads it, then every table read the editors, the
// hook library and the printout make, and the text form, which must give back what it could export.
#include <array>

#include "core/common/IoError.h"
#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellText.h"
#include "tests/core/fake_files.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FakeFiles files;
  files.files["KEY.TVX"].assign(data, data + size);
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  const HotKeyAreaView hotKeys(hotKeyBytes.data());
  const RemapAreaView remap(remapBytes.data());
  try {
    FakeClock clock;
    const TavrixRead read = ReadTavrixFile(files, clock, "KEY.TVX");
    fuzz::Require(read.record.has_value());
    RecordToAreas(*read.record, hotKeys, remap);
  } catch (const IoError& error) {
    fuzz::Require(std::string(error.what()) == "Read beyond end of file" && size < MappingRecordSize);
    return 0;
  }
  fuzz::Require(size >= MappingRecordSize);
  // Out of range on purpose too: the views must refuse, never read beyond a table.
  for (int category = 0; category <= 6; ++category)
    for (int column = -1; column <= ModifierColumnCount + 1; ++column)
      for (int row = -1; row <= RowCount(category) + 1; ++row) {
        if (const auto action = hotKeys.ActionByCategory(category, column, row)) {
          HotKeyCellText(*action);
          IsReserved(category, column, row);
        }
        RowLabel(category, row);
      }
  for (const RemapTable& table : RemapTables)
    for (int row = -1; row <= table.rows + 1; ++row)
      if (const auto code = remap.Byte(table.id, row)) CharacterText(*code);

  const MappingRecord record = RecordFromAreas(hotKeys, remap);
  std::vector<std::string> problems;
  const std::vector<std::string> lines = ExportMapping({record, {}}, problems);
  if (problems.empty()) {
    std::string error;
    const auto back = ImportMapping(lines, error);
    fuzz::Require(back && back->record == record && back->characters.Empty());
  }
  return 0;
}
