// tvxtool: looks inside mapping files (.TVX) for the people who look after them; see tools/TvxTool.h.
#include "tools/TvxTool.h"

int main(int argc, char** argv) { return tvx::RunTvxTool(argc, argv); }
