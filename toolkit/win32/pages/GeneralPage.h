#pragma once
// General: the document's file type, shown only, and Always Run.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class GeneralPage : public Page {
 public:
  explicit GeneralPage(PageHost& host);
  void ShowMode(bool activeDirectory) override;

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
