// The SDL2 backend of the window, keyboard and clock (internal to the platform layer).
// The browser build implements the same calls over the page (web_window.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

bool SdlInit(const PlatformOptions& options, std::string* error);
void SdlShutdown();
void SdlShowWindow();
// Processes pending events; returns false when the user asked to close.
bool SdlPumpEvents();
void SdlPresent(const Surface& screen);
bool SdlKeyDown(int32_t vk);
int32_t SdlClockMs();
// Sleeps until the frame clock reads ms.
void SdlSleepUntilMs(int32_t ms);
void SdlSetHelpQuery(HelpScreen (*query)());
void SdlSetVolumeHandler(void (*handler)(int32_t, int32_t, bool));
void SdlMessageBox(const std::string& title, const std::string& message);
