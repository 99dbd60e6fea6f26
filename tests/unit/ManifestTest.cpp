// The manifests that Windows reads from the built programs themselves.
#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace
{

// The program's process manifest, or nothing when it has none.
std::string ManifestOf(const char* program)
{
    const HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return {};
    std::string manifest;
    if (const HRSRC resource = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST))
        if (const HGLOBAL loaded = LoadResource(module, resource))
            manifest.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource));
    FreeLibrary(module);
    return manifest;
}

TEST(ManifestTest, EachProgramAsksForItsLevelAndNamesEveryWindowsItKnows)
{
    const struct
    {
        const char* program;
        const char* level;
    } programs[] = {
        // Unvirtualized: a write under "C:\Program Files" without elevation fails where the user sees it.
        {KX_KXVUZ_PROGRAM, "asInvoker"},
        {KX_DIALOG_PROGRAM, "requireAdministrator"},
    };
    const char* const windows[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
    };
    for (const auto& [program, level] : programs)
    {
        SCOPED_TRACE(program);
        const std::string manifest = ManifestOf(program);
        ASSERT_NE(manifest, "");
        EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"" + std::string(level) +
                                "\" uiAccess=\"false\"/>"),
                  std::string::npos)
            << manifest;
        for (const char* id : windows)
            EXPECT_NE(manifest.find("<supportedOS Id=\"" + std::string(id) + "\"/>"), std::string::npos)
                << id;
    }
}

} // namespace
