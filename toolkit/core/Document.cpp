#include "toolkit/core/Document.h"

#include <filesystem>

#include "toolkit/core/Branding.h"

namespace velloran {

Document::Document() { ResetINISettings(Settings); }

std::string Document::Caption() const { return std::string(kProgramTitle) + " [" + Name + "]"; }

std::string Document::Folder() const {
  if (Path.empty()) return {};
  return std::filesystem::absolute(std::filesystem::path(Path)).parent_path().string();
}

void Document::StartNew(bool activeDirectory) {
  ResetINISettings(Settings);
  Settings.UseActiveDirectory = activeDirectory;
  Settings.UseManualDefinitions = !activeDirectory;
  Path.clear();
  Name = "UNTITLED";
  Unsaved = false;
}

void Document::SetPath(std::string path) {
  Path = std::move(path);
  Name = std::filesystem::path(Path).filename().string();
}

}  // namespace velloran
