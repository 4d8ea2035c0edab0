// Shared set-up of the file operation suites: the shell started once, real media files in
// scratch folders behind records listed and selected in the Files list, a helper thread
// that answers the questions of a run in order, and the console lines a run wrote.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.h"
#include "shell/window_helpers.h"
#include "window_services/test_seams.h"
#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "views/files_list.h"

namespace operations_test {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool WriteText(const fs::path &file, const std::string &text) {
  return WriteFileBytes(file, text.data(), text.size());
}

// Distinct, recognisable media contents.
inline std::string Media(const char *tag, size_t bytes = 3000) {
  std::string text;
  while (text.size() < bytes) text += tag;
  return text;
}

// The same folder reached through Wine's drive for the Unix root (Z:), or empty where that
// drive does not exist.
inline std::wstring ThroughZ(const fs::path &windowsPath) {
  using UnixName = char *(*)(const wchar_t *);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return L"";
  char *name = unixName(windowsPath.wstring().c_str());
  if (name == nullptr) return L"";
  std::string text = name;
  HeapFree(GetProcessHeap(), 0, name);
  // Drive C: is the prefix's "dosdevices/c:" link; a colon cannot stand in a Z: path.
  size_t link = text.find("/dosdevices/c:/");
  if (link != std::string::npos) text.replace(link, 15, "/drive_c/");
  std::wstring path = L"Z:";
  for (char c : text)
    path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : L"";
}

// Answers the dialogs whose texts hold `needle` with the given buttons, one after the
// other. Questions beyond the list, and any other dialog, are answered Cancel and counted,
// so a faulty run ends instead of hanging the suite.
class Answers {
public:
  explicit Answers(std::vector<int> buttons, std::wstring needle = L"Are you sure")
      : buttons_(std::move(buttons)), needle_(std::move(needle)), thread_([this] { Serve(); }) {}
  ~Answers() { Finish(); }
  // Stops answering; returns every question's texts in order.
  const std::vector<std::wstring> &Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return texts_;
  }

private:
  void Serve() {
    while (!stop_) {
      HWND dialog = gui::FindDialog();
      if (dialog != nullptr) {
        std::wstring texts = gui::DialogTexts(dialog);
        size_t index = texts_.size();
        bool expected = texts.find(needle_) != std::wstring::npos && index < buttons_.size();
        texts_.push_back(texts);
        int button = expected ? buttons_[index] : IDCANCEL;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        // The next question is a new dialog: wait until this one is gone.
        while (!stop_ && IsWindow(dialog)) Sleep(5);
      }
      Sleep(10);
    }
  }
  std::vector<int> buttons_;
  std::wstring needle_;
  std::vector<std::wstring> texts_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

inline std::wstring g_targetFolder;

inline bool ChooseTargetFolder(HWND, wchar_t *path, size_t capacity) {
  if (g_targetFolder.empty() || g_targetFolder.size() >= capacity) return false;
  std::wcscpy(path, g_targetFolder.c_str());
  return true;
}

class OperationsTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    ClearFilesList();
    g_catalogue.ClearCatalogue();
    SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_FALSE(scratch.path.empty());
    source = scratch.path / "source";
    target = scratch.path / "target";
    fs::create_directories(source);
    fs::create_directories(target);
    g_targetFolder = target.wstring();
    previousBrowser = SetFolderBrowser(ChooseTargetFolder);
    logMark = gui::ListBoxLines(ConsoleListBox()).size();
  }
  void TearDown() override {
    SetFolderBrowser(previousBrowser);
    ClearFilesList();
    g_catalogue.ClearCatalogue();
    // Read-only files would keep the scratch folder from being removed.
    std::error_code ec;
    for (auto &entry : fs::recursive_directory_iterator(scratch.path, ec))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  // Writes a media file and lists its record, selected.
  MediaRecord *AddMedia(const std::wstring &folder, const wchar_t *name, const std::string &bytes,
                        DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
    fs::path file = fs::path(folder) / name;
    EXPECT_TRUE(WriteText(file, bytes));
    SetFileAttributesW(file.c_str(), attributes);
    MediaRecord r{};
    std::wcsncpy(r.folder, folder.c_str(), kPathChars - 1);
    std::wcsncpy(r.fileName, name, kPathChars - 1);
    std::wcscpy(r.project, L"P");
    r.size = bytes.size();
    r.attributes = attributes;
    MediaRecord *stored = g_catalogue.records.Insert(&r);
    AddRecordToFilesList(stored);
    SelectLastRow();
    return stored;
  }
  static void SelectLastRow() {
    int row = static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETITEMCOUNT, 0, 0)) - 1;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(g_shell.filesList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  // The console lines written since the test began.
  std::vector<std::wstring> Log() const {
    std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
    return {lines.begin() + static_cast<long>(std::min(logMark, lines.size())), lines.end()};
  }
  size_t LogCount(const std::wstring &line) const {
    size_t n = 0;
    for (const std::wstring &l : Log()) n += l == line;
    return n;
  }
  bool LogHas(const std::wstring &prefix) const {
    for (const std::wstring &l : Log())
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::wstring In(const fs::path &folder, const wchar_t *name) const {
    return (folder / name).wstring();
  }

  ScratchDir scratch;
  fs::path source, target;
  FolderBrowser previousBrowser = nullptr;
  size_t logMark = 0;
};

} // namespace operations_test
