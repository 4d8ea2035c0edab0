// The progress of long tasks as one line on standard error, redrawn in place, when standard
// error is a terminal; elsewhere (a file, a pipe) nothing is shown.
#pragma once

// Adds the progress receivers to the hooks installed so far; log lines written while the
// line is up first wipe it and then draw it again below themselves.
void InstallProgressLine();
