#include <windows.h>

#include <gtest/gtest.h>

// The shipped programs are 32-bit; their suites run under 32-bit Wine, which an emulator starts. A 64-bit
// Wine handed this program starts nothing and still exits 0, so each suite of this build shows what ran it.
TEST(ThirtyTwoBit, RunsAs32BitCodeOnWhateverWindowsRunsIt)
{
    EXPECT_EQ(sizeof(void*), 4u);
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    // Windows XP before its second service pack lacks it.
    const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (isWow64Process == nullptr || !isWow64Process(GetCurrentProcess(), &wow64))
        return;
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    // On 64-bit Windows a 32-bit process runs under WOW64, and on 32-bit Windows without it.
    EXPECT_EQ(wow64 != FALSE, system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
        << "processor architecture " << system.wProcessorArchitecture;
}
