#pragma once
// "Check targets" on the wizard window: how the window's check asks the
// print servers. The presenter runs the check (and the one before Deploy
// Now); the window runs it on a thread of its own behind a progress window
// with Cancel.

#include <functional>

#include "toolkit/core/TargetCheck.h"

namespace velloran {

class frmCheckProgress;
class frmWizard;

/// How the window's check asks servers; tests give an in-memory lister.
struct TargetCheckServices {
  /// The lister and its options, made when a check starts; unset: the
  /// program offers no check.
  std::function<TargetCheckSetup()> Setup;
  /// Called on the window's thread whenever the progress window changes
  /// (tests watch it and press Cancel).
  std::function<void(frmCheckProgress&)> ProgressWatcher;
};

/// The Linux program's check: SMB share lists with the user's Kerberos
/// ticket, else the directory bind's name and password file, else guest;
/// each server asked by a copy of this program in its helper mode
/// (`--smb-helper`, main.cpp), which must therefore be the toolkit.
TargetCheckServices SystemTargetCheck();

/// The command on the pair pages and the Tools menu: the pairs as the window
/// shows them, unsaved edits included.
void CheckTargetsOnWindow(frmWizard& wizard, const TargetCheckServices& services);

}  // namespace velloran
