#pragma once

// The hourglass while the program works; the calls nest.
void BeginWaitCursor();
void EndWaitCursor();
bool WaitCursorShown();
