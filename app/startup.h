// The installer's start-up and teardown sequence.
#pragma once

// Exit code of a copy started while another one runs (the shell sees 255).
constexpr int kExitAnotherCopyRunning = -1;

// Removes module-search variables that could load code from a folder the user
// chose (see platform/environment.h). Never fails visibly.
void HardenLibraryLoading();

// The crash filter: makes the crash reports when a tracker exists; the process then
// ends by the default action of the signal. Runs on the crashing thread.
void CrashFilter();

// Runs the whole sequence and returns the process exit code.
int RunInstaller();
