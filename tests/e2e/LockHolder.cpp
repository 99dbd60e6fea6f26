// Holds a game's lock, through the core's own call, for the lock tests: kx_lock_holder lock|open GAME READY
// RELEASE takes the lock (lock) or only opens the lock file as a scanner would (open), writes READY and
// waits until RELEASE exists, for two minutes at most.
#include "FileSystem.h"
#include "GameLock.h"

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const std::string mode = argv[1];
    const std::string game = argv[2];
    IFileSystem& fileSystem = NativeFileSystem();
    GameLock lock;
    std::unique_ptr<IFile> opened;
    if (mode == "lock")
        lock = LockGame(fileSystem, game);
    else
        opened = fileSystem.Open(game + "data\\Backup\\kxvuz.lock", OpenMode::ReadWrite);
    if (!lock.lock && !opened)
        return 1;
    std::ofstream(argv[3]) << "held\n";
    for (int waited = 0; waited < 2400 && !std::ifstream(argv[4]); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 0;
}
