#pragma once

#include "Control.h"

#include <string>
#include <vector>

// A drop-down list without sorting: a position in it is an index in the list it shows.
class CDropDownList : public CControl
{
public:
    void Fill(const std::vector<std::string>& entries)
    {
        Send(CB_RESETCONTENT);
        for (const std::string& entry : entries)
            Add(entry);
    }
    void Add(const std::string& entry) { Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str())); }
    void Delete(int position) { Send(CB_DELETESTRING, static_cast<WPARAM>(position)); }
    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    // -1 when nothing is selected.
    int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    // A position outside the list leaves nothing selected.
    void Select(int position) { Send(CB_SETCURSEL, static_cast<WPARAM>(position)); }
    void SelectLast() { Select(Count() - 1); }
};
