// The mount tool ("Mount/Substitute Tool", class QELMountTool): maps sub-folders of a base
// folder to free drive letters from E: on and removes folder mappings, in the manner of the
// system's substitute command. It runs on a thread of its own; its context belongs to that
// thread once it has started.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kDriveTableEntries = 30; // A to Z, and four that always stay empty
constexpr int kFirstMountLetter = 4;   // new mappings start at E:

struct DriveTableEntry {
  wchar_t deviceName[3]; // "X:"
  wchar_t target[260];   // the device's first target; empty when the letter has none
  uint32_t substituted;  // 1 when the target is a folder mapping ("\??\" + path)
};

// The tool window's context.
struct MountTool {
  HWND window;
  HWND browseButton; // "..."
  HWND baseEdit;     // the base folder
  HWND foldersTree;
  HWND drivesTree;
  HWND unmountButton; // "Unmount All"
  HWND applyButton;   // "Apply"
  HFONT font;
  DriveTableEntry drives[kDriveTableEntries];
};

bool RegisterMountToolClass(HINSTANCE instance);
// Opens the tool unless *tool is its window still; returns once its window exists or has
// failed, with *tool set to that window (none when it failed).
void StartMountTool(HINSTANCE instance, HFONT font, HWND *tool);
LRESULT CALLBACK MountToolWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The tool's work, on its thread.
void RefreshMountedDrives(MountTool &tool); // the drive table and the mounted drives tree
void RefreshFolders(MountTool &tool); // the sub-folders of the base folder, checked when mapped
void ApplyMounts(MountTool &tool);    // unchecked mappings removed, checked folders mapped
void UnmountAll();                    // every folder mapping of the system removed
