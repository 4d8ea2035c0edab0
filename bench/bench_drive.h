// Generated media drives for the loading benchmark and for runs of the program at scale:
// "Avid MediaFiles/MXF/<n>" folders, each with an index file, a media database and sparse
// media files. A drive is written once below $ORVALIS_BENCH_DATA (default: the system's
// temporary folder) and reused while its "complete" stamp is there; never in the repository.
#pragma once

#include <cstdint>
#include <filesystem>

struct BenchDrive {
  uint32_t folders;
  uint32_t filesPerFolder;
  uint32_t tocEntriesPerMedia; // about this many database TOC entries per media
};

inline constexpr uint64_t kBenchMediaFileBytes = 3u << 20; // apparent size; the files are sparse

std::filesystem::path BenchDataRoot();
// "drive-<folders>x<files>-<entries>" below the data root.
std::filesystem::path BenchDrivePath(const BenchDrive &drive);
std::filesystem::path BenchMediaFolder(const std::filesystem::path &root, uint32_t folder);
// Writes the drive unless a finished one is there already; returns its root, or an empty
// path when a file could not be written.
std::filesystem::path PrepareBenchDrive(const BenchDrive &drive);
