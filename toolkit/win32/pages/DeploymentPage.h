#pragma once
// Deployment General: the share, the launchers to write and Deploy Now.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class DeploymentPage : public Page {
 public:
  explicit DeploymentPage(PageHost& host);
  void Show(bool shown) override;
  void ShowMode(bool activeDirectory) override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void BuildBody() override;
  bool activeDirectory_ = false;
};

}  // namespace velloran::win32
