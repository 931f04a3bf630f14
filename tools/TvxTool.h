#pragma once
// tvxtool: looks inside mapping files (.TVX) for the people who look after them.
//   tvxtool dump FILE             every entry that differs from the default tables, in words
//   tvxtool check FILE            what the program would refuse or never have written; exit 1 when damaged
//   tvxtool export FILE           the entries as text lines (see core/files/MappingText.h) on standard output
//   tvxtool import TEXT FILE      writes the mapping file the text describes; exit 1 on a wrong line
//   tvxtool diff FILE1 FILE2      the entries that differ; exit 0 when none, 1 when some, 2 on an error

#include <cstdint>
#include <vector>

namespace tvx {

int RunTvxTool(int argc, char** argv);
// The two commands that read any bytes, for the fuzzing harness as much as for RunTvxTool.
int Dump(const char* path, const std::vector<std::uint8_t>& file);
int Check(const char* path, const std::vector<std::uint8_t>& file);

}  // namespace tvx
