#include "tools/drive_info_tool.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdlib>
#include <new>

#include "window_services/window_helpers.h"
#include "window_services/tool_windows.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kDriveToolClass[] = L"QELHWTool";
constexpr int kRowHeight = 18;
constexpr int kBaseHeight = 36;
constexpr int kBarColumn = 90;
constexpr int kFullBar = 320;
constexpr UINT kSizeChars = 59;
constexpr DWORD kRootChars = 260;

// The tool window's context.
struct DriveInfoTool {
  HWND window;
  HINSTANCE instance;
  HFONT font;
  DriveQueries queries;
  int borderX; // the window's border widths: the origin of the rows
  int borderY;
};

struct DriveSpace {
  uint64_t total;
  uint64_t free;
};

bool QuerySpace(const DriveInfoTool &tool, const wchar_t *root, DriveSpace *space) {
  ULARGE_INTEGER toCaller, total, totalFree;
  if (!tool.queries.diskFreeSpace(root, &toCaller, &total, &totalFree)) return false;
  space->total = total.QuadPart;
  space->free = totalFree.QuadPart;
  return true;
}

// The roots as consecutive terminated strings and a final terminator; null when the system
// cannot list them. The caller frees the buffer.
wchar_t *ReadDriveRoots(const DriveInfoTool &tool) {
  DWORD chars = kRootChars;
  for (int attempt = 0; attempt < 4; ++attempt) {
    wchar_t *roots = static_cast<wchar_t *>(std::calloc(chars + 1, sizeof(wchar_t)));
    if (roots == nullptr) return nullptr;
    DWORD needed = tool.queries.logicalDriveStrings(chars, roots);
    if (needed != 0 && needed <= chars) return roots;
    std::free(roots);
    // The set of drives may change between two calls: ask again, a few times at most.
    if (needed == 0) return nullptr;
    chars = needed + 1;
  }
  return nullptr;
}

HWND MakeCell(const DriveInfoTool &tool, const wchar_t *text, DWORD alignment, int x, int y,
              int width) {
  HWND cell = CreateWindowExW(WS_EX_STATICEDGE, L"Static", text,
                              WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_WORDELLIPSIS | alignment,
                              tool.borderX + x, y, width, kRowHeight, tool.window, nullptr,
                              tool.instance, nullptr);
  SendMessageW(cell, WM_SETFONT, reinterpret_cast<WPARAM>(tool.font), FALSE);
  return cell;
}

void MakeBar(const DriveInfoTool &tool, const DriveSpace &space, uint64_t largest, UINT driveType,
             int y) {
  int width = DriveBarPixels(space.total, largest);
  uint64_t used = space.total > space.free ? space.total - space.free : 0;
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                             tool.borderX + kBarColumn, y, width, kRowHeight, tool.window, nullptr,
                             tool.instance, nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, width);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(DriveBarPixels(used, largest)), 0);
  SendMessageW(bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(DriveBarColour(driveType)));
}

void MakeDriveRow(const DriveInfoTool &tool, const wchar_t *root, const DriveSpace &space,
                  uint64_t largest, int y) {
  // A volume whose name cannot be read shows an empty name, like one without a name.
  wchar_t name[MAX_PATH + 1] = {};
  if (!tool.queries.volumeInformation(root, name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                      0)) {
    name[0] = 0;
  }
  uint64_t used = space.total > space.free ? space.total - space.free : 0;
  wchar_t text[kSizeChars];
  MakeCell(tool, root, SS_LEFT, 0, y, 30);
  MakeCell(tool, FormatByteSize(text, kSizeChars, space.free), SS_CENTER, 30, y, 60);
  MakeBar(tool, space, largest, tool.queries.driveType(root), y);
  MakeCell(tool, name, SS_CENTER, 415, y, 150);
  MakeCell(tool, FormatByteSize(text, kSizeChars, space.total), SS_CENTER, 565, y, 60);
  MakeCell(tool, FormatByteSize(text, kSizeChars, used), SS_CENTER, 625, y, 60);
}

// The header row lies at the window's border widths; the drive rows follow it.
void MakeHeaderRow(DriveInfoTool &tool) {
  WINDOWINFO info = {};
  info.cbSize = sizeof info;
  GetWindowInfo(tool.window, &info);
  tool.borderX = static_cast<int>(info.cxWindowBorders);
  tool.borderY = static_cast<int>(info.cyWindowBorders);
  int y = tool.borderY;
  MakeCell(tool, L"Drive", SS_LEFT, 0, y, 30);
  MakeCell(tool, L"Free", SS_CENTER, 30, y, 60);
  MakeCell(tool, L"Name", SS_CENTER, 415, y, 150);
  MakeCell(tool, L"Total", SS_CENTER, 565, y, 60);
  MakeCell(tool, L"Used", SS_CENTER, 625, y, 60);
}

// Builds the drive rows; returns how many drives answered.
int FillDriveRows(const DriveInfoTool &tool, const wchar_t *roots) {
  uint64_t largest = 0;
  DriveSpace space;
  for (const wchar_t *root = roots; *root != 0; root += lstrlenW(root) + 1) {
    if (QuerySpace(tool, root, &space) && space.total > largest) largest = space.total;
  }

  int rows = 0;
  for (const wchar_t *root = roots; *root != 0; root += lstrlenW(root) + 1) {
    if (!QuerySpace(tool, root, &space)) continue; // e.g. a removable drive without a medium
    MakeDriveRow(tool, root, space, largest, tool.borderY + kRowHeight * (rows + 1));
    ++rows;
  }
  return rows;
}

} // namespace

int DriveBarPixels(uint64_t bytes, uint64_t largest) {
  if (largest == 0) return 0; // every drive is empty: no bar has a width
  if (bytes >= largest) return kFullBar;
  // The fraction first, so that the largest drive is exactly 320 and half of it exactly 160
  // whatever rounding a bytes-per-pixel factor would bring.
  return static_cast<int>(static_cast<double>(bytes) / static_cast<double>(largest) * kFullBar);
}

COLORREF DriveBarColour(UINT driveType) {
  switch (driveType) {
  case DRIVE_REMOTE:
    return RGB(223, 255, 223);
  case DRIVE_CDROM:
    return RGB(255, 255, 223);
  default:
    return RGB(255, 223, 255);
  }
}

void OpenDriveInfoTool(HINSTANCE instance, HFONT font, HWND reference, HWND *tool) {
  if (IsWindow(*tool)) return;
  auto *context = new (std::nothrow) DriveInfoTool{};
  if (context == nullptr) return;
  *context = {nullptr, instance, font, CurrentDriveQueries(), 0, 0};
  HWND window = CreateContextWindow(context, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE,
                                    kDriveToolClass, L"Hardware Tool", WS_CAPTION | WS_SYSMENU, 0,
                                    0, 700, kBaseHeight, instance);
  *tool = window;
  if (window == nullptr) return;

  MakeHeaderRow(*context);
  int rows = 0;
  wchar_t *roots = ReadDriveRoots(*context);
  if (roots != nullptr) {
    rows = FillDriveRows(*context, roots);
    std::free(roots);
  }

  RECT outer;
  GetWindowRect(window, &outer);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
               kBaseHeight + kRowHeight * (1 + rows), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow(window, reference);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
}

LRESULT CALLBACK DriveInfoWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_NCCREATE:
    return AttachContext<DriveInfoTool>(window, wParam, lParam);
  case WM_PAINT:
    PaintNothing(window);
    return 0;
  case WM_NCDESTROY:
    FreeContext<DriveInfoTool>(window);
    break;
  default:
    break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
