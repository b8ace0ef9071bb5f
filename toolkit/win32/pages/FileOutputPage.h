#pragma once
// File Output: the result file's folder, chosen or typed, and its name.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class FileOutputPage : public Page {
 public:
  explicit FileOutputPage(PageHost& host);
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
