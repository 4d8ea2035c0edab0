// demo_drive FOLDER: writes the demo media drive into FOLDER (see demo/demo_drive.h), for
// trying Orvalis on media folders like an editor's. scripts/run.sh maps it as drive M:.
#include <cstdio>
#include <string>

#include "demo/demo_drive.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demo_drive FOLDER\n");
    return 2;
  }
  DemoDriveFacts facts;
  std::string why;
  if (!WriteDemoDrive(argv[1], &facts, &why)) {
    std::fprintf(stderr, "demo_drive: %s\n", why.c_str());
    return 1;
  }
  std::printf("demo drive written to %s: %u index files, %u listed media (%u not on disk), "
              "%u unlisted files, %u projects\n",
              argv[1], facts.indexFiles, facts.listedEntries, facts.listedMissing,
              facts.unlistedFiles, facts.projects);
  return 0;
}
