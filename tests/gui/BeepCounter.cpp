#include "BeepCounter.h"

#include <cstring>
#include <stdexcept>

namespace
{

using BeepFunction = BOOL(WINAPI*)(UINT);

std::vector<UINT> beeps;
BeepFunction* importSlot = nullptr;
BeepFunction original = nullptr;

BOOL WINAPI RecordBeep(UINT type)
{
    beeps.push_back(type);
    return TRUE;
}

BeepFunction* FindImport(const char* library, const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name; ++import)
    {
        if (_stricmp(reinterpret_cast<char*>(base + import->Name), library) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots)
        {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<BeepFunction*>(&slots->u1.Function);
        }
    }
    throw std::runtime_error(std::string("this program does not import ") + function);
}

void Point(BeepFunction target)
{
    DWORD protection = 0;
    VirtualProtect(importSlot, sizeof(*importSlot), PAGE_READWRITE, &protection);
    *importSlot = target;
    VirtualProtect(importSlot, sizeof(*importSlot), protection, &protection);
}

} // namespace

CBeepCounter::CBeepCounter()
{
    importSlot = FindImport("user32.dll", "MessageBeep");
    original = *importSlot;
    beeps.clear();
    Point(RecordBeep);
}

CBeepCounter::~CBeepCounter()
{
    Point(original);
}

const std::vector<UINT>& CBeepCounter::Beeps() const
{
    return beeps;
}
