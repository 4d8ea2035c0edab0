#include "window_services/test_seams.h"

namespace {

struct Seams {
  FolderBrowser folderBrowser;
  FileDialogFunction viewerFileDialog;
  DriveQueries driveQueries;
};

Seams &Installed() {
  static Seams seams{};
  return seams;
}

template <class T> T Exchange(T &slot, T value) {
  T previous = slot;
  slot = value;
  return previous;
}

} // namespace

FolderBrowser SetFolderBrowser(FolderBrowser browser) {
  return Exchange(Installed().folderBrowser, browser);
}
FolderBrowser FolderBrowserSeam() {
  return Installed().folderBrowser;
}

FileDialogFunction SetViewerFileDialog(FileDialogFunction dialog) {
  return Exchange(Installed().viewerFileDialog, dialog);
}
FileDialogFunction ViewerFileDialogSeam() {
  return Installed().viewerFileDialog;
}

DriveQueries SetDriveQueries(const DriveQueries &queries) {
  return Exchange(Installed().driveQueries, queries);
}

DriveQueries CurrentDriveQueries() {
  DriveQueries q = Installed().driveQueries;
  if (q.logicalDriveStrings == nullptr) q.logicalDriveStrings = GetLogicalDriveStringsW;
  if (q.diskFreeSpace == nullptr) q.diskFreeSpace = GetDiskFreeSpaceExW;
  if (q.volumeInformation == nullptr) q.volumeInformation = GetVolumeInformationW;
  if (q.driveType == nullptr) q.driveType = GetDriveTypeW;
  return q;
}
