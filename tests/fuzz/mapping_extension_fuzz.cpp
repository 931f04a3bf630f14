// Any bytes as the extension after a mapping file's record. The first byte chooses the record (the
// defaults, or one with a hot key and a remap of its own) and whether the harness puts both checksums
// right, so that the entries are reached rather than stopped at the checksum. What loads must hold only
// characters a key can type and texts that read, on cells whose record holds the fallback, and must save
// and load again the same; nothing may be fatal.
#include <array>
#include <cstring>

#include "core/common/IoError.h"
#include "core/files/MappingExtension.h"
#include "core/files/MappingText.h"
#include "core/keymap/TextSyntax.h"
#include "tests/core/fake_files.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

void Reseal(const MappingRecord& record, std::vector<std::uint8_t>& extension) {
  if (extension.size() < ExtensionHeaderSize + ExtensionChecksumSize) return;
  const std::uint32_t recordCrc = Crc32(record);
  std::memcpy(extension.data() + 12, &recordCrc, sizeof recordCrc);
  const std::size_t body = extension.size() - ExtensionChecksumSize;
  const std::uint32_t crc = Crc32(std::span(extension).first(body));
  std::memcpy(extension.data() + body, &crc, sizeof crc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t mode = input.Byte();
  MappingRecord record = DefaultRecord();
  if (mode & 2) {
    record[0] = 'x';              // Alt+A types x
    record[HotKeyRunSize] = 'B';  // A types B
  }
  std::vector<std::uint8_t> extension = input.Bytes(size);
  if (mode & 1) Reseal(record, extension);

  const ExtensionRead read = ReadExtension(record, extension);
  const bool loaded = read.state == ExtensionState::Loaded || read.state == ExtensionState::TextsLeftOut ||
                      read.state == ExtensionState::KeysLeftOut;
  fuzz::Require(loaded || read.characters.Empty());
  if (loaded) {
    for (int cell = 0; cell < CellCount; ++cell) {
      const char32_t code = read.characters.At(cell);
      fuzz::Require(code == 0 || IsCellCharacter(code) ||
                    (IsTextId(code) && cell < HotKeyCellCount && !ParseTextSyntax(TextOfId(code)).error));
    }
    for (const KeyRemap& remap : read.characters.keys.List()) fuzz::Require(!KeyRemapProblem(remap));
    MappingRecord fallbacks = record;
    PutFallbacks(fallbacks, read.characters);
    fuzz::Require(fallbacks == record);
    const std::vector<std::uint8_t> again = ExtensionBytes(record, read.characters);
    const ExtensionRead reread = ReadExtension(record, again);
    fuzz::Require(read.characters.Empty() ? again.empty() : reread.state == ExtensionState::Loaded);
    fuzz::Require(reread.characters == read.characters);
  }

  // The whole file as the program loads it: the record always reaches the areas.
  FakeFiles files;
  Bytes& file = files.files["KEY.TVX"];
  file.assign(record.begin(), record.end());
  file.insert(file.end(), extension.begin(), extension.end());
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  const HotKeyAreaView hotKeys(hotKeyBytes.data());
  const RemapAreaView remap(remapBytes.data());
  MappingCharacters characters;
  const auto inForce = LoadMapping(files, "KEY.TVX", hotKeys, remap, characters);
  fuzz::Require(inForce && inForce->state == read.state && characters == read.characters);
  fuzz::Require(RecordFromAreas(hotKeys, remap) == record);
  ExtensionReports().NoticeFor("KEY.TVX", *inForce);
  return 0;
}
