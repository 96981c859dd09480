// Sprites drawn as text pixel grids: one character per pixel, '.' outside
// the sprite, every other character a colour of the file's palette.
//
//   palette          sets or changes colours for the sprites that follow
//   K 20 20 30
//   end
//   sprite name      rows of equal length, up to "end"
//   ..KK..
//   end
//   variant new base the base grid with some colours changed
//   K 250 250 250
//   end
#pragma once

#include <map>
#include <string>
#include <vector>

#include "image.h"

struct GridSource {
  std::vector<std::string> Rows;
  std::map<char, Rgb> Colours;
};

struct SpriteBook {
  std::map<std::string, Sprite> Sprites;
  std::map<std::string, GridSource> Sources;  // for variants
};

// Reads every *.txt of dir (in name order) into book; false with a message
// naming the file and line on the first error.
bool LoadGrids(const std::string& dir, SpriteBook* book, std::string* error);
bool ParseGrids(const std::string& text, const std::string& file, SpriteBook* book,
                std::string* error);
