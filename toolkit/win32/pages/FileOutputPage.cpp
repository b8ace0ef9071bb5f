#include "toolkit/win32/pages/FileOutputPage.h"

#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

FileOutputPage::FileOutputPage(PageHost& host) : Page(host, kPageFileOutput) {}

void FileOutputPage::BuildBody() {
  Declared("chkUseFileOutput", R(16, 58, 300, 20), kStretchWidth);
  Declared("txtFileOutputPath", R(200, 86, 300, 24), kStretchWidth, R(36, 89, 160, 20));
  Declared("cmdBrowseFileOutput", R(508, 85, 36, 26), kRight);
  Declared("txtFileOutputName", R(200, 118, 344, 24), kStretchWidth, R(36, 121, 160, 20));
  Declared("chkIncludeComputerName", R(36, 156, 400, 20), kStretchWidth);
  Declared("chkIncludeFinalStatus", R(36, 182, 400, 20), kStretchWidth);
}

bool FileOutputPage::OnCommand(int id, int code, HWND control) {
  if (code == BN_CLICKED && ControlNameOf(id) == "cmdBrowseFileOutput") {
    host_.Browse("txtFileOutputPath");
    return true;
  }
  return Page::OnCommand(id, code, control);
}

}  // namespace velloran::win32
