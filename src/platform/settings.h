// settings.ini: what the player set in the window, kept between runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// The user's folder for our files: $VAR/kurunoa/, else
// $HOME/homeRelative/kurunoa/; empty when neither is set.
std::string UserFolder(const char* xdgVariable, const char* homeRelative);
// $XDG_CONFIG_HOME/kurunoa/settings.ini, else ~/.config/kurunoa/settings.ini;
// empty when neither folder is known.
std::string SettingsPath();
// Reads the text over the defaults in *s. Each line it cannot use leaves
// that setting as it was and adds one message naming the line.
void SettingsParse(std::string_view text, Settings* s, std::vector<std::string>* problems);
std::string SettingsFormat(const Settings& s);
// A missing file gives the defaults silently; problems go to stderr.
Settings SettingsLoad(const std::string& path);
// Writes the whole file (to a temporary file renamed into place).
bool SettingsSave(const std::string& path, const Settings& s);
