#pragma once
// The INI document being edited: where it lives, whether it has unsaved
// changes, and its settings as last taken from the pages.

#include <string>
#include <string_view>

#include "common/INISettings.h"

namespace velloran {

struct Document {
  std::string Path;  ///< "" until the document is saved or opened
  std::string Name = "UNTITLED";
  bool Unsaved = false;
  INISettings Settings;

  Document();
  bool ActiveDirectory() const { return Settings.UseActiveDirectory; }
  /// "Velloran - Deployment Toolkit [" + name + "]".
  std::string Caption() const;
  /// The folder the file dialogs start in: the document's own, or "".
  std::string Folder() const;

  /// A new, untitled document of the given mode.
  void StartNew(bool activeDirectory);
  /// Takes `path` as the document's file (its name from the last part).
  void SetPath(std::string path);
};

}  // namespace velloran
