#include "AdvancedDialog.h"
#include "AddBitmapDialog.h"
#include "DialogControls.h"
#include "DialogScript.h"
#include "LayoutCheck.h"
#include "Screenshot.h"
#include "TestFiles.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace
{

const char* const kEffects = "KXB Effects";
const std::vector<int> kSwitches = {IDC_TRANSPARENCY, IDC_SCROLL, IDC_ANIMATION};
const std::vector<int> kEffectControls = {IDC_COLORKEY_RED, IDC_COLORKEY_GREEN, IDC_COLORKEY_BLUE,
                                          IDC_SCROLL_X,     IDC_SCROLL_Y,       IDC_SCROLL_Z,
                                          IDC_CYCLE,        IDC_OSCILLATED,     IDC_INTERVAL,
                                          IDC_TEXTURES,     IDC_ADD_TEXTURE,    IDC_REMOVE_TEXTURE};

class EffectsTest : public ::testing::Test
{
protected:
    CDialogScript script;

    void TearDown() override
    {
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
    }
};

// A material without effects is shown: check boxes clear, texts empty, "cycle", no textures.
void ExpectPlainMaterial(HWND effects)
{
    for (int id : kSwitches)
        EXPECT_FALSE(IsChecked(effects, id)) << id;
    EXPECT_EQ(EnabledOf(effects, kEffectControls), std::vector<int>{});
    for (int id : {IDC_COLORKEY_RED, IDC_COLORKEY_GREEN, IDC_COLORKEY_BLUE, IDC_SCROLL_X, IDC_SCROLL_Y,
                   IDC_SCROLL_Z, IDC_INTERVAL})
        EXPECT_EQ(ItemText(effects, id), "") << id;
    EXPECT_TRUE(IsChecked(effects, IDC_CYCLE));
    EXPECT_FALSE(IsChecked(effects, IDC_OSCILLATED));
    EXPECT_EQ(ListEntries(effects, IDC_TEXTURES), CStringArray{});
}

TEST_F(EffectsTest, WithoutMaterialsTheEffectsAreOffUntilAMaterialIsAdded)
{
    CAdvancedDialog dialog(nullptr);
    script
        .Then(kEffects,
              [](HWND effects)
              {
                  ExpectPlainMaterial(effects);
                  EXPECT_EQ(EnabledOf(effects, kSwitches), std::vector<int>{});
                  EXPECT_EQ(ListEntries(effects, IDC_MATERIALS), CStringArray{});
                  EXPECT_EQ(LayoutProblems(effects), std::vector<std::string>{});
                  EXPECT_TRUE(IsDefaultButton(effects, IDOK));
                  SaveScreenshot(effects, "kxb-effects-empty");
                  // A texture needs a material: no Add Bitmap dialog.
                  PostMessageA(effects, WM_COMMAND, MAKEWPARAM(IDC_ADD_TEXTURE, BN_CLICKED), 0);
              })
        .ThenAgain(kEffects, [](HWND effects) { Click(effects, IDC_ADD_MATERIAL); })
        .Then("Add Bitmap",
              [](HWND add)
              {
                  EXPECT_EQ(ItemText(add, IDC_BITMAP_PROMPT), "New Material:");
                  EXPECT_EQ(ItemText(add, IDC_BITMAP_NAME), "");
                  EXPECT_EQ(LayoutProblems(add), std::vector<std::string>{});
                  EXPECT_TRUE(IsDefaultButton(add, IDOK));
                  SaveScreenshot(add, "add-bitmap-empty");
                  SetDlgItemTextA(add, IDC_BITMAP_NAME, "water");
                  Click(add, IDOK);
              })
        .Then(kEffects,
              [](HWND effects)
              {
                  EXPECT_EQ(ListEntries(effects, IDC_MATERIALS), CStringArray{"water.bmp"});
                  EXPECT_EQ(ListSelection(effects, IDC_MATERIALS), 0);
                  EXPECT_EQ(EnabledOf(effects, kSwitches), kSwitches);
                  ExpectPlainMaterial(effects);
                  Click(effects, IDC_REMOVE_MATERIAL);
              })
        .ThenAgain(kEffects,
                   [](HWND effects)
                   {
                       EXPECT_EQ(ListEntries(effects, IDC_MATERIALS), CStringArray{});
                       EXPECT_EQ(EnabledOf(effects, kSwitches), std::vector<int>{});
                       ExpectPlainMaterial(effects);
                       Click(effects, IDOK);
                   });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.effects, CMissionDefinition{});
}

TEST_F(EffectsTest, EachMaterialKeepsItsOwnEffectsAndTextures)
{
    const CMissionDefinition glasshouse = SampleMission("Glasshouse03.kxm");
    CMissionDefinition expected;
    CopyEffects(glasshouse, expected);
    // A mission file may bring a colorkey longer than anyone could type.
    expected.colorkeyRed[3] = "1000";
    CAdvancedDialog dialog(nullptr);
    dialog.effects = expected;
    script
        .Then(kEffects,
              [](HWND effects)
              {
                  EXPECT_EQ(ListEntries(effects, IDC_MATERIALS),
                            (CStringArray{"gh_glass_pane", "gh_irrigation_water", "gh_neon_sign",
                                          "gh_fern_shadow"}));
                  EXPECT_EQ(ListSelection(effects, IDC_MATERIALS), 0);
                  EXPECT_TRUE(IsChecked(effects, IDC_TRANSPARENCY));
                  EXPECT_EQ(ItemText(effects, IDC_COLORKEY_GREEN), "255");
                  EXPECT_EQ(EnabledOf(effects, kEffectControls),
                            (std::vector<int>{IDC_COLORKEY_RED, IDC_COLORKEY_GREEN, IDC_COLORKEY_BLUE}));
                  EXPECT_EQ(ListEntries(effects, IDC_TEXTURES), CStringArray{"gh_glass01.bmp"});

                  ChooseEntry(effects, IDC_MATERIALS, 2);
                  EXPECT_TRUE(IsChecked(effects, IDC_OSCILLATED));
                  EXPECT_EQ(ItemText(effects, IDC_INTERVAL), "400");
                  EXPECT_EQ(ListEntries(effects, IDC_TEXTURES),
                            (CStringArray{"gh_neon_on.bmp", "gh_neon_off.bmp"}));
                  EXPECT_EQ(ListSelection(effects, IDC_TEXTURES), 0);
                  EXPECT_EQ(LayoutProblems(effects), std::vector<std::string>{});
                  SaveScreenshot(effects, "kxb-effects-filled");

                  ChooseEntry(effects, IDC_MATERIALS, 3);
                  EXPECT_EQ(ItemText(effects, IDC_COLORKEY_RED), "1000");
                  SetFocus(GetDlgItem(effects, IDC_COLORKEY_RED));
                  HWND green = GetDlgItem(effects, IDC_COLORKEY_GREEN);
                  SetFocus(green);
                  SetWindowTextA(green, "");
                  // Digits only, three at most.
                  TypeText(effects, IDC_COLORKEY_GREEN, "12a34");
                  EXPECT_EQ(ItemText(effects, IDC_COLORKEY_GREEN), "123");
                  Click(effects, IDC_SCROLL);
              })
        .ThenAgain(kEffects,
                   [](HWND effects)
                   {
                       EXPECT_TRUE(IsEnabled(effects, IDC_SCROLL_X));
                       EnterText(effects, IDC_SCROLL_X, "1");
                       ChooseEntry(effects, IDC_MATERIALS, 2);
                       EXPECT_EQ(ItemText(effects, IDC_SCROLL_X), "");
                       ChooseEntry(effects, IDC_MATERIALS, 3);
                       EXPECT_EQ(ItemText(effects, IDC_SCROLL_X), "1");
                       ChooseEntry(effects, IDC_MATERIALS, 1);
                       Click(effects, IDC_OSCILLATED);
                   })
        .ThenAgain(kEffects,
                   [&](HWND effects)
                   {
                       EXPECT_EQ(dialog.effects.animationModes[1], "1");
                       Click(effects, IDC_CYCLE);
                   })
        .ThenAgain(kEffects,
                   [&](HWND effects)
                   {
                       EXPECT_EQ(dialog.effects.animationModes[1], "0");
                       Click(effects, IDC_ADD_TEXTURE);
                   })
        .Then("Add Bitmap",
              [](HWND add)
              {
                  EXPECT_EQ(ItemText(add, IDC_BITMAP_PROMPT), "New Texture:");
                  SetDlgItemTextA(add, IDC_BITMAP_NAME, "gh_water04.kxb");
                  Click(add, IDOK);
              })
        .Then(kEffects,
              [&](HWND effects)
              {
                  EXPECT_EQ(
                      ListEntries(effects, IDC_TEXTURES),
                      (CStringArray{"gh_water01.bmp", "gh_water02.bmp", "gh_water03.bmp", "gh_water04.bmp"}));
                  EXPECT_EQ(ListSelection(effects, IDC_TEXTURES), 3);
                  EXPECT_EQ(dialog.effects.textureStarts, (CIntArray{0, 1, 5, 7}));
                  ChooseEntry(effects, IDC_TEXTURES, 0);
                  Click(effects, IDC_REMOVE_TEXTURE);
              })
        .ThenAgain(kEffects,
                   [](HWND effects)
                   {
                       EXPECT_EQ(ListEntries(effects, IDC_TEXTURES),
                                 (CStringArray{"gh_water02.bmp", "gh_water03.bmp", "gh_water04.bmp"}));
                       // Enter inside an edit keeps what was typed there.
                       HWND interval = GetDlgItem(effects, IDC_INTERVAL);
                       SetFocus(interval);
                       SetWindowTextA(interval, "250");
                       PostMessageA(interval, WM_KEYDOWN, VK_RETURN, 0);
                   });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    expected.SetColorkeyGreen(3, "123");
    expected.SetScrollFlag(3, true);
    expected.SetScrollX(3, "1");
    expected.AddTexture(1, "gh_water04.bmp");
    expected.RemoveTexture(1, 0);
    expected.SetAnimationInterval(1, "250");
    EXPECT_EQ(dialog.effects, expected);
}

TEST_F(EffectsTest, AddBitmapEndsEveryNameInBmpAndTakesABrowsedKxbAsItsBmp)
{
    CScratchFolder folder;
    WriteBytes(folder / "kxbsky.kxb", "");
    CAddBitmapDialog dialog(nullptr);
    script
        .Then("Add Bitmap",
              [](HWND add)
              {
                  EXPECT_EQ(ItemText(add, IDC_BITMAP_PROMPT), "New Texture:");
                  const std::pair<const char*, const char*> names[] = {{"water", "water.bmp"},
                                                                       {"water.kxb", "water.bmp"},
                                                                       {"water.BMP", "water.BMP.bmp"},
                                                                       {"sky.kxb.kxb", "sky.kxb.bmp"},
                                                                       {"sky.bmp ", "sky.bmp .bmp"}};
                  for (const auto& [typed, shown] : names)
                  {
                      EnterText(add, IDC_BITMAP_NAME, typed);
                      EXPECT_EQ(ItemText(add, IDC_BITMAP_NAME), shown) << typed;
                  }
                  Click(add, IDC_BITMAP_BROWSE);
              })
        .Then("Open", [&](HWND files) { ChooseFile(files, folder / "kxbsky.kxb"); })
        .Then("Add Bitmap",
              [](HWND add)
              {
                  // Only the file's own extension becomes "bmp".
                  EXPECT_EQ(ItemText(add, IDC_BITMAP_NAME), "kxbsky.bmp");
                  SaveScreenshot(add, "add-bitmap-filled");
                  Click(add, IDOK);
              });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.name, "kxbsky.bmp");
}

} // namespace
