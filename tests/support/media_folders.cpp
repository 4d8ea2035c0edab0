#include "support/media_folders.h"

#include <fstream>
#include <system_error>

#include "support/scratch_dir.h"

#ifdef _WIN32
#include <windows.h>
#include <chrono>
#include <thread>
#endif

PmrEntry IndexEntryFor(const std::string &fileName, const OmfMediaSpec &media) {
  PmrEntry entry;
  entry.name = fileName;
  entry.project = media.project;
  entry.mediaId = media.fileMobKey;
  entry.clipMobKey = media.clipMobKey;
  return entry;
}

bool WriteIndexFile(const std::filesystem::path &file, const std::vector<PmrEntry> &entries,
                    const PmrLayout &layout) {
  PmrWriter writer = PmrBegin(layout);
  for (const PmrEntry &entry : entries) PmrAdd(writer, entry);
  return WriteFileBytes(file, writer.bytes);
}

FolderMedia Media(const char *name, const char *project, uint32_t number, uint64_t size,
                  OmfMediaKind kind) {
  FolderMedia m;
  m.name = name;
  m.size = size;
  m.plan.kind = kind;
  m.plan.project = project;
  m.plan.clipName = std::string("Clip of ") + name;
  m.plan.fileMobKey = {0x100 + number, 0x060A2B34};
  m.plan.clipMobKey = {0x200 + number, 0x060A2B34};
  m.plan.tapeKey = {0x300 + number % 2, 0x060A2B34};
  m.plan.tapeName = number % 2 == 0 ? "Tape A" : "Tape B";
  return m;
}

bool WriteMediaFolder(const std::filesystem::path &folder, const char *indexName,
                      const std::vector<FolderMedia> &media) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  PmrWriter index = PmrBegin();
  std::vector<OmfMediaSpec> described;
  for (const FolderMedia &m : media) {
    PmrAdd(index, IndexEntryFor(m.name, m.plan));
    if (m.inDatabase) described.push_back(m.plan);
    if (!m.onDisk) continue;
    if (m.size != 0 ? !WriteSizedFile(folder / m.name, m.size)
                    : !WriteFileBytes(folder / m.name, BuildMediaFile(m.plan)))
      return false;
  }
  return WriteFileBytes(folder / indexName, index.bytes) &&
         WriteMediaDatabase(folder / "msmMMOB.mdb", described);
}

bool WriteSizedFile(const std::filesystem::path &file, uint64_t size) {
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::resize_file(file, size, error);
  return !error;
}

#ifdef _WIN32

namespace {

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool IsLink(const std::filesystem::path &link) {
  DWORD attributes = GetFileAttributesW(link.wstring().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Gone(const std::filesystem::path &link) {
  return GetFileAttributesW(link.wstring().c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Runs a Unix program under Wine in folder (Wine starts ELF programs as Unix processes)
// and waits until done() holds; Wine does not tell when such a process ends.
template <typename Done>
bool RunUnixInFolder(const char *program, const std::wstring &arguments,
                     const std::filesystem::path &folder, Done done) {
  using DosName = WCHAR *(CDECL *)(const char *);
  auto toDos = reinterpret_cast<DosName>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos == nullptr) return false;
  WCHAR *dosProgram = toDos(program);
  if (dosProgram == nullptr) return false;
  std::wstring line = arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(dosProgram, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                folder.wstring().c_str(), &startup, &process);
  HeapFree(GetProcessHeap(), 0, dosProgram);
  if (!started) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int waited = 0; waited < 200 && !done(); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  return done();
}

} // namespace

bool MakeDirectoryLink(const std::filesystem::path &link, const std::string &relativeTarget,
                       std::string *why) {
  std::wstring target(relativeTarget.begin(), relativeTarget.end());
  if (CreateSymbolicLinkW(link.wstring().c_str(), target.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY |
                              SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
      IsLink(link))
    return true;
  if (RunningUnderWine() &&
      RunUnixInFolder("/bin/ln", L"ln -s " + target + L" \"" + link.filename().wstring() + L"\"",
                      link.parent_path(), [&] { return IsLink(link); }))
    return true;
  *why = RunningUnderWine() ? "neither CreateSymbolicLinkW nor /bin/ln made a link"
                            : "CreateSymbolicLinkW failed (no privilege for symbolic links?)";
  return false;
}

bool RemoveDirectoryLink(const std::filesystem::path &link) {
  if (RemoveDirectoryW(link.wstring().c_str()) && Gone(link)) return true;
  if (Gone(link)) return true;
  return RunningUnderWine() &&
         RunUnixInFolder("/bin/rm", L"rm \"" + link.filename().wstring() + L"\"",
                         link.parent_path(), [&] { return Gone(link); });
}

#else

bool MakeDirectoryLink(const std::filesystem::path &link, const std::string &relativeTarget,
                       std::string *why) {
  std::error_code error;
  std::filesystem::create_directory_symlink(relativeTarget, link, error);
  if (error) *why = error.message();
  return !error;
}

bool RemoveDirectoryLink(const std::filesystem::path &link) {
  std::error_code error;
  std::filesystem::remove(link, error);
  return !error;
}

#endif
