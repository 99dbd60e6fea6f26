#include "DataExchange.h"
#include "Dialog.h"
#include "LayoutCheck.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace
{

// The dialogs in which every push button, and every label of an edit or list, has a key.
constexpr int kKeyboardDialogs[] = {IDD_INSTALLER,          IDD_OPTIONS, IDD_CONFIRM, IDD_MISSION_SETUP,
                                    IDD_INSTALLED_MISSIONS, IDD_PREVIEW};

// The letter after a lone '&', in lower case; none for "&&", which shows an ampersand.
char AccessKey(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&' && text[++i] != '&')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    return 0;
}

bool NeedsKey(HWND control)
{
    const std::string kind = ClassOf(control);
    if (kind == "button")
    {
        const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        // A button that is never enabled, such as Help..., has nothing to press.
        return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && IsWindowEnabled(control);
    }
    // A label's key reaches the control after it.
    const std::string next = ClassOf(GetWindow(control, GW_HWNDNEXT));
    return kind == "static" && (next == "edit" || next == "combobox");
}

BOOL CALLBACK AddDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(ids)->push_back(
            static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
    return TRUE;
}

TEST(AccessKeysTest, NoDialogRepeatsAKeyAndTheKeyboardDialogsHaveOneOnEveryButtonAndLabel)
{
    std::vector<int> templates;
    EnumResourceNamesA(GetModuleHandleA(nullptr), RT_DIALOG, AddDialogId,
                       reinterpret_cast<LONG_PTR>(&templates));
    ASSERT_TRUE(std::find(templates.begin(), templates.end(), IDD_MISSION_SETUP) != templates.end());
    std::vector<std::string> problems;
    for (int id : templates)
    {
        CDialog dialog(id);
        ASSERT_TRUE(dialog.Create()) << id;
        const bool keyboard = std::find(std::begin(kKeyboardDialogs), std::end(kKeyboardDialogs), id) !=
                              std::end(kKeyboardDialogs);
        std::map<char, std::string> owners;
        for (HWND control = GetWindow(dialog.GetSafeHwnd(), GW_CHILD); control;
             control = GetWindow(control, GW_HWNDNEXT))
        {
            const std::string text = WindowText(control);
            const char key = ShowsAccessKeys(control) ? AccessKey(text) : 0;
            const std::string where = "dialog " + std::to_string(id) + ": '" + text + "'";
            if (key && !owners.emplace(key, text).second)
                problems.push_back(where + " repeats the key of '" + owners[key] + "'");
            if (!key && keyboard && NeedsKey(control))
                problems.push_back(where + " has no key");
        }
    }
    EXPECT_EQ(problems, std::vector<std::string>{});
}

} // namespace
