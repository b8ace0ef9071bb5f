#pragma once
// The real wizard window, created in the test process with a scripted
// dialog service, a fixed clock and user, and a toolkit folder of its own;
// driven by control ID.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ScriptedDialogs.h"
#include "WindowDriver.h"
#include "platform/Clock.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32::testing {

class FixedClock : public Clock {
 public:
  LocalTime Now() const override { return {2004, 7, 9, 14, 5, 33, 0}; }
};

/// A control of the window by its ID, or by the name the form declares it
/// under.
struct ControlRef {
  ControlRef(int id) : Id(id) {}                                // NOLINT: either names a control
  ControlRef(const char* name) : Id(ControlIdOf(name)) {}       // NOLINT
  ControlRef(std::string_view name) : Id(ControlIdOf(name)) {}  // NOLINT
  int Id;
};

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// The services the window gets: the scripted dialogs, the system's
  /// profile functions, and a deployment whose \\srv\deploy is `share`.
  WizardServices Services();
  /// A window past its start-up dialog with a new document of the mode.
  void Open(bool activeDirectory);
  HWND Control(ControlRef c) const { return window->Control(c.Id); }
  /// The heading of the page shown.
  std::string Heading() const { return TextOf(Control(lblGeneral(window->CurrentPage()))); }
  /// A file below the test's folder, as Windows names it.
  std::string PathOf(const std::string& name) const;

  ScriptedDialogs dialogs;
  std::unique_ptr<frmWizard> window;
  FixedClock clock;
  std::filesystem::path root, toolkit, share;
  std::vector<std::string> domains;
};

/// The bytes of a file ("<missing>" when it cannot be read).
std::string ReadBytes(const std::filesystem::path& path);
/// A golden file of the toolkit's tests, "@FOLDER@" replaced by `folder`.
std::string Golden(const std::string& name, const std::string& folder = {});

}  // namespace velloran::win32::testing
