// PNG files whose pixel data is stored without compression (internal to the
// platform layer). The browser build has no zlib: the native build decodes
// the artwork into this form, and the browser's screenshots are written in it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

// The top-left w x h of s as an 8-bit RGB PNG with stored deflate blocks.
std::string EncodeStoredPng(const Surface& s, int32_t w, int32_t h);
// Reads what EncodeStoredPng writes (8-bit RGB, not interlaced, stored
// blocks, no row filters); anything else is refused with the reason.
bool DecodeStoredPng(Surface& s, const unsigned char* data, std::size_t size, std::string* error);
