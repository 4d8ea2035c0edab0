// Media folders on disk for the catalogue's tests and benchmarks: ".pmr" index files, the
// media database "msmMMOB.mdb" beside them, and media files; plus the folder links that
// loop tests need.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/omf_media.h"
#include "support/pmr_writer.h"

// The index entry that names fileName with the media's project and keys.
PmrEntry IndexEntryFor(const std::string &fileName, const OmfMediaSpec &media);

bool WriteIndexFile(const std::filesystem::path &file, const std::vector<PmrEntry> &entries,
                    const PmrLayout &layout = PmrLayout{});

// A file of size bytes whose content does not matter (loading never opens media files);
// sparse where the file system allows.
bool WriteSizedFile(const std::filesystem::path &file, uint64_t size);

// A link at link to the folder relativeTarget (relative to the link's own folder, e.g. ".."):
// a symbolic link natively; on Windows a directory symbolic link, or under Wine (whose
// CreateSymbolicLinkW makes nothing) a Unix symbolic link made by /bin/ln, which Wine shows
// as a reparse point. False, with the reason in *why, when no link could be made.
bool MakeDirectoryLink(const std::filesystem::path &link, const std::string &relativeTarget,
                       std::string *why);
// Removes such a link itself, never what it leads to; true when it is gone.
bool RemoveDirectoryLink(const std::filesystem::path &link);

bool RunningUnderWine();
