#pragma once

#include <string>
#include <vector>

// One installation run in windows, on its own or started from the main dialog, answered as a user would,
// for the window run tests to start in a process of its own: the run ends its process. What the windows
// showed goes to a report file, a line "key: value" each. Arguments: scenario, mission file, game folder, log
// file, report file.
int RunWindowScenario(const std::vector<std::string>& arguments);
