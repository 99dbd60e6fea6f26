#pragma once

#include "MissionDefinition.h"

#include <windows.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// A user's acts on a dialog's controls, and what the controls show; all of them act at once.

// Puts the focus into the edit, sets its text and moves the focus on, so that the edit loses it.
void EnterText(HWND dialog, int id, const std::string& text);
// Types into the edit key by key, as its styles filter them.
void TypeText(HWND dialog, int id, const std::string& text);
// Selects a drop-down list's entry as the user would, with its notification.
void ChooseEntry(HWND dialog, int id, int position);
// Answers the system's file dialog with a path, whatever characters it has.
void ChooseFile(HWND fileDialog, const std::filesystem::path& path);

CStringArray ListEntries(HWND dialog, int id);
int ListSelection(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// The push button that Enter presses while the focus is on no other push button.
bool IsDefaultButton(HWND dialog, int id);
// The ids of the controls, among these, that are enabled.
std::vector<int> EnabledOf(HWND dialog, const std::vector<int>& ids);

// A sample mission as its file holds it, and the path of that file for a file dialog.
CMissionDefinition SampleMission(const std::string& name);
std::string SampleMissionPath(const std::string& name);

// A record in a failure message, field by field.
void PrintTo(const CMissionDefinition& mission, std::ostream* out);
