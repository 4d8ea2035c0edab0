// A demo media drive as an editor's machine holds one, written with the test writers: the
// "OMFI MediaFiles" folder and "AVID MediaFiles\MXF\1", "\2", "\3", each with its ".pmr"
// index file and "msmMMOB.mdb" database; media of a feature, a documentary and a commercial
// in several video compressions and WAVE, AIFC and PCM audio, from tapes and imported files,
// precomputes among them; listed media missing from disk, files that no index lists, the
// same media in two folders, one damaged index file and one damaged database. Every media
// file is a small OMF container that describes itself. Used by the demo drive program, the
// walkthrough and the file-operation window tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// What the written drive holds, as its files state it. The files beside a damaged index file
// count as unlisted, since no index that can be read lists them.
struct DemoDriveFacts {
  uint32_t indexFiles = 0;       // ".pmr" files written, the damaged one included
  uint32_t listedEntries = 0;    // entries of the readable index files
  uint32_t listedMissing = 0;    // of those, entries whose file is not on disk
  uint32_t unlistedFiles = 0;    // media files that no readable index lists
  uint32_t distinctMediaIds = 0; // among the listed entries
  uint32_t projects = 0;         // distinct project names among the listed entries
  uint64_t diskSize = 0;         // bytes of every file but the databases
  uint64_t unlistedSize = 0;     // bytes of the unlisted files
};

// Writes the drive below root (made when absent; files there are replaced). False, with
// the reason in *why, when a file could not be written.
bool WriteDemoDrive(const std::filesystem::path &root, DemoDriveFacts *facts, std::string *why);
