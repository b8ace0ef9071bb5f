#pragma once
// The real wizard window, created in the test process with a scripted
// dialog service, and driven by control ID.

#include <gtest/gtest.h>

#include <memory>

#include "ScriptedDialogs.h"
#include "WindowDriver.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32::testing {

class WizardTest : public ::testing::Test {
 protected:
  /// A window past its start-up dialog with a new document of the mode.
  void Open(bool activeDirectory) {
    NewINIChoice choice;
    choice.Cancelled = false;
    choice.ActiveDirectory = activeDirectory;
    dialogs.NewINIChoices.push_back(choice);
    window = std::make_unique<frmWizard>(dialogs);
    ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
    ShowWindow(window->Handle(), SW_SHOWNA);
    ASSERT_TRUE(window->Start());
    PumpMessages();
  }
  HWND Control(int id) const { return window->Control(id); }
  /// The heading of the page shown.
  std::string Heading() const { return TextOf(Control(lblGeneral(window->CurrentPage()))); }

  ScriptedDialogs dialogs;
  std::unique_ptr<frmWizard> window;
};

}  // namespace velloran::win32::testing
