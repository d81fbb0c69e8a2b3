// Finds the data files the game's code names: string literals such as
// "data\\hbl1.png", "sound\\hit.WAV" or printf patterns like
// "data\\terr%d%s%d.png", in the C++ sources under a folder.
#pragma once

#include <string>
#include <vector>

namespace assetgen::test {

struct NamedFile {
  std::string name;    // with '/' separators, as written otherwise
  std::string where;   // "file:line", for messages
  bool isPattern = false;  // contains printf conversions
};

// Literals in one source text that name a data file made by the generator
// (files the game writes itself, such as ".dat" records, are left out).
std::vector<NamedFile> ScanSourceText(const std::string& text, const std::string& fileName);
// Every .cpp/.h/.hpp/.cc file under dir, recursively.
std::vector<NamedFile> ScanSourceTree(const std::string& dir);
// The manifest paths a name or pattern stands for, compared without regard
// to case as the game resolves names.
std::vector<std::string> Resolve(const NamedFile& named, const std::vector<std::string>& manifestPaths);

}  // namespace assetgen::test
