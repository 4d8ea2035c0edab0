// Finding the media databases on the drives and loading them into the catalogue.
#pragma once

#include <cstdint>

void ScanAllDrives();                   // looks for index files in the media folders of every drive
void LoadAll();                         // rebuilds the media records from every enabled database
void AddDatabase(const wchar_t *path);  // one ".pmr" index file
void ScanFolder(const wchar_t *folder); // every ".pmr" file below the folder

// The work of ScanAllDrives on drive roots given as the system gives them: strings one
// after the other, each with its terminator, length characters in all.
void ScanDriveRoots(const wchar_t *roots, uint32_t length);

// 1 (the default): LoadAll looks up each folder's files in name order before matching them
// in the order listed; 0 looks each up as it is listed. Both give the same catalogue; tests
// compare them.
extern int g_matchInNameOrder;
