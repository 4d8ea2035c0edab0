// Media folders as an editing application leaves them, generated for the views' end-to-end
// tests: an index file, a media database and the media files themselves.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/omf_media.h"
#include "support/pmr_writer.h"
#include "support/scratch_dir.h"

namespace views_test {

struct FolderMedia {
  std::string name; // file name in the folder
  OmfMediaSpec plan;
  bool inDatabase = true; // described by the folder's "msmMMOB.mdb"
  bool onDisk = true;     // the media file itself is in the folder
};

// One media of a project with keys derived from a number unique across the test.
inline FolderMedia Media(const char *name, const char *project, uint32_t number,
                         uint32_t clipUsage = 7, OmfMediaKind kind = OmfMediaKind::Video) {
  FolderMedia m;
  m.name = name;
  m.plan.kind = kind;
  m.plan.project = project;
  m.plan.clipName = std::string("Clip of ") + name;
  m.plan.clipUsage = clipUsage;
  m.plan.fileMobKey = {0x100 + number, 0x060A2B34};
  m.plan.clipMobKey = {0x200 + number, 0x060A2B34};
  m.plan.tapeKey = {0x300 + number % 2, 0x060A2B34};
  m.plan.tapeName = number % 2 == 0 ? "Tape A" : "Tape B";
  return m;
}

// Writes the folder: the index file listing every media, the database of those it
// describes and the media files that are on disk. False when a file could not be written.
inline bool WriteMediaFolder(const std::filesystem::path &folder, const char *indexName,
                             const std::vector<FolderMedia> &media) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  PmrWriter index = PmrBegin();
  std::vector<OmfMediaSpec> described;
  for (const FolderMedia &m : media) {
    PmrEntry entry;
    entry.name = m.name;
    entry.project = m.plan.project;
    entry.mediaId = m.plan.fileMobKey;
    entry.clipMobKey = m.plan.clipMobKey;
    PmrAdd(index, entry);
    if (m.inDatabase) described.push_back(m.plan);
    if (m.onDisk && !WriteFileBytes(folder / m.name, BuildMediaFile(m.plan))) return false;
  }
  return WriteFileBytes(folder / indexName, index.bytes) &&
         WriteMediaDatabase(folder / "msmMMOB.mdb", described);
}

// A drop as the desktop shell hands it over: a global DROPFILES block with wide paths.
// The receiver releases it (DragFinish).
inline HDROP MakeDrop(const std::vector<std::wstring> &paths) {
  size_t chars = 1;
  for (const std::wstring &p : paths) chars += p.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto *drop = static_cast<DROPFILES *>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto *out = reinterpret_cast<wchar_t *>(drop + 1);
  for (const std::wstring &p : paths) {
    p.copy(out, p.size());
    out += p.size() + 1;
  }
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

inline void Drop(HWND view, const std::vector<std::wstring> &paths) {
  SendMessageW(view, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

} // namespace views_test
