#pragma once
// One option page of the wizard window: the heading between its rule and
// the fields, the fields the form declares for it with their captions, and
// Help, Back and Next. A page's controls are children of the window, made
// in reading order so that Tab and the mnemonics run from top to bottom;
// the window shows one page at a time and lays them all out.

#include <windows.h>

#include <string_view>
#include <vector>

#include "toolkit/core/Fields.h"
#include "toolkit/core/Prompter.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {

/// Anchors of a placed control.
enum Anchor : unsigned {
  kStretchWidth = 1,   ///< the right edge follows the page's
  kStretchHeight = 2,  ///< the bottom edge follows the page's
  kRight = 4,          ///< both edges follow the page's right edge
  kBottom = 8,         ///< both edges follow the page's bottom edge
};
/// A page's size at 96 DPI, before the window grows it.
inline constexpr int kDesignWidth = 560;
inline constexpr int kDesignHeight = 430;

/// What a page asks of the window it is on.
class PageHost {
 public:
  virtual ~PageHost() = default;
  virtual HWND Window() const = 0;
  /// The window's message box, for the core's questions.
  virtual Prompter& Questions() = 0;
  /// The user changed a value the document holds; `switches` when it was
  /// a check box, which may switch other controls.
  virtual void Edited(bool switches) = 0;
  virtual bool CanCheckTargets() const = 0;
  virtual void CheckTargetsNow() = 0;
  virtual void DeployNow() = 0;
  /// The "..." of a folder field.
  virtual void Browse(std::string_view control) = 0;
};

class Page {
 public:
  Page(PageHost& host, int number) : host_(host), number_(number) {}
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  int Number() const { return number_; }
  /// Makes the page's controls, hidden.
  void Build();
  /// Shows or hides every control of the page.
  virtual void Show(bool shown);
  /// The document's mode changed: texts that depend on it follow.
  virtual void ShowMode(bool activeDirectory);
  /// Places the controls on a page at (left, top) that is `extraWidth` and
  /// `extraHeight` larger than its design size.
  void Layout(HDWP& batch, int left, int top, int extraWidth, int extraHeight, unsigned dpi) const;
  void ApplyFonts(const Fonts& fonts) const;
  size_t ControlCount() const { return placed_.size(); }

  /// Adds the values of the page's declared controls to `fields`.
  virtual void ReadFields(PageFields& fields) const;
  /// Shows the values `fields` holds for the page's declared controls.
  virtual void ShowFields(const PageFields& fields);
  /// A notification from one of the page's controls; true when the page
  /// acted on it.
  virtual bool OnCommand(int id, int code, HWND control);

 protected:
  enum FontKind { kNormalFont, kBoldFont, kHeadingFont };

  /// The controls between the heading and the buttons.
  virtual void BuildBody() = 0;

  HWND Control(int id) const { return GetDlgItem(host_.Window(), id); }
  /// The declared control `name` of this page.
  HWND Control(std::string_view name) const;

  HWND Add(const wchar_t* windowClass, std::string_view text, DWORD style, int id, RECT design,
           unsigned anchors = 0, FontKind font = kNormalFont, DWORD exStyle = 0);
  HWND Label(std::string_view text, RECT design, unsigned anchors = 0, int id = -1);
  /// An explanation: it wraps, and "&" in it is a character.
  HWND Text(std::string_view text, RECT design, int id = -1, FontKind font = kNormalFont);
  HWND Button(int id, std::string_view caption, RECT design, unsigned anchors = 0, DWORD style = 0);
  /// The declared control `name` at `design` with its caption: on a check
  /// box, option or button itself, otherwise on a label at `label` (none
  /// when the caption or `label` is empty).
  HWND Declared(std::string_view name, RECT design, unsigned anchors = 0, RECT label = {},
                DWORD style = 0);

  /// The caption the form declares for `name`.
  static std::string_view CaptionOf(std::string_view name);

  PageHost& host_;

 private:
  /// A control and where it sits on its page, in 96-DPI units; the anchors
  /// say which edges follow the page when the window is resized.
  struct Placed {
    HWND Window;
    RECT Design;
    unsigned Anchors;
    FontKind Font;
  };

  int number_;
  std::vector<Placed> placed_;
};

/// A multi-line edit breaks lines with CR LF.
std::string WithCRLF(std::string_view text);
void SetListLines(HWND list, const std::vector<std::string>& lines);

}  // namespace velloran::win32
