// The window's settings and conveniences, seen from the game: the options
// the window opens with, the screen its help describes, and the volume.
#pragma once

#include "platform/platform.h"

// The window's options: settings.ini, with the command line over it for
// this run only. Headless runs read no settings.
PlatformOptions DesktopOptions();
// Tells the window which screen is up and hands the volume to the sound.
void DesktopConnect();
