#include "window_services/window_helpers.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "window_services/test_seams.h"

bool ModifyStyle(HWND window, DWORD remove, DWORD add, UINT extraPositionFlags) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  DWORD wanted = (style & ~remove) | add;
  if (wanted == style) return false;
  SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(wanted));
  if (extraPositionFlags != 0) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | extraPositionFlags);
  }
  return true;
}

BOOL CenterWindow(HWND window, HWND reference) {
  bool child = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
  if (reference == nullptr) reference = child ? GetParent(window) : GetWindow(window, GW_OWNER);

  RECT own;
  GetWindowRect(window, &own);
  int w = own.right - own.left;
  int h = own.bottom - own.top;

  RECT area;
  RECT centre;
  if (child) {
    HWND parent = GetParent(window);
    GetClientRect(parent, &area);
    GetClientRect(reference, &centre);
    MapWindowPoints(reference, parent, reinterpret_cast<POINT *>(&centre), 2);
  } else {
    if (reference != nullptr && (!IsWindowVisible(reference) || IsIconic(reference))) {
      reference = nullptr;
    }
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (reference != nullptr)
      GetWindowRect(reference, &centre);
    else
      centre = area;
  }

  int x = (centre.left + centre.right) / 2 - w / 2;
  int y = (centre.top + centre.bottom) / 2 - h / 2;
  if (x < area.left)
    x = area.left;
  else if (x + w > area.right)
    x = area.right - w;
  if (y < area.top)
    y = area.top;
  else if (y + h > area.bottom)
    y = area.bottom - h;
  return SetWindowPos(window, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RegisterToolWindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC proc) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = proc;
  cls.hInstance = instance;
  cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(32512));
  cls.hIconSm = cls.hIcon;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = name;
  return RegisterClassExW(&cls) != 0;
}

bool BrowseForFolder(HWND owner, wchar_t *path, size_t capacity) {
  if (path == nullptr || capacity == 0) return false;
  if (FolderBrowser seam = FolderBrowserSeam(); seam != nullptr) return seam(owner, path, capacity);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return false;

  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = L"Select folder";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
  bool chosen = false;
  LPITEMIDLIST item = SHBrowseForFolderW(&info);
  if (item != nullptr) {
    // The shell writes up to MAX_PATH characters: go through a buffer of that size so a
    // smaller caller buffer is never overrun.
    wchar_t full[MAX_PATH];
    if (SHGetPathFromIDListW(item, full) && static_cast<size_t>(lstrlenW(full)) < capacity) {
      lstrcpynW(path, full, static_cast<int>(capacity));
      chosen = true;
    }
    CoTaskMemFree(item);
  }
  CoUninitialize();
  return chosen;
}

wchar_t *FormatByteSize(wchar_t *buffer, UINT capacity, uint64_t bytes) {
  if (buffer == nullptr || capacity == 0) return buffer;
  if (StrFormatByteSizeW(static_cast<LONGLONG>(bytes), buffer, capacity) == nullptr) buffer[0] = 0;
  return buffer;
}
