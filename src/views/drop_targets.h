// Files and folders dropped from the desktop shell on the two views that accept them.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Each runs as a long task; a drop that arrives while another task runs waits for its end
// (the views' procedures hold it back).
// On the Bases tree: folders are searched for index files, ".pmr" files are added, and the
// tree is rebuilt with the user's check marks kept.
void OnDatabaseDrop(HDROP drop);
// On the Projects list: media files and folders are added, the catalogue linked again and
// the projects listed anew.
void OnMediaDrop(HDROP drop);
