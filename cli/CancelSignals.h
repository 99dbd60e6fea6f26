#pragma once

// Ctrl-C, Ctrl-Break, the terminal closing and a request to end the process all act as the progress window's
// Cancel: the run puts the game files back before it ends, and a second signal does not cut that short.
void InstallCancelHandlers();
