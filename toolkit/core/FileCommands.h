#pragma once
// File > New, Open, Save, Save As and Exit, with their prompts, over the
// small view each front-end provides.

#include <optional>
#include <string>
#include <string_view>

#include "common/INISettings.h"
#include "platform/Error.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Document.h"
#include "toolkit/core/Fields.h"
#include "toolkit/core/Prompter.h"

namespace velloran {

/// The answer of the New-INI dialog.
struct NewDocumentChoice {
  bool ActiveDirectory = true;
  std::string ExistingPath;  ///< set when an existing file was chosen instead
};

/// What the file commands need of the window.
class FileView : public virtual Prompter {
 public:
  /// The Open dialog; "" when cancelled.
  virtual std::string ChooseFileToOpen(std::string_view title, std::string_view folder) = 0;
  /// The Save As dialog (asks before overwriting); "" when cancelled.
  virtual std::string ChooseFileToSave(std::string_view title, std::string_view folder,
                                       std::string_view initialName) = 0;
  /// The New-INI dialog; none when cancelled. `offerExisting` adds its page
  /// of existing files (at start-up).
  virtual std::optional<NewDocumentChoice> ChooseNewDocument(bool offerExisting) = 0;
  /// Shows `page` and puts the focus on `control` there ("" for none).
  virtual void ShowPage(int page, std::string_view control) = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  /// Every control's value.
  virtual PageFields ReadFields() = 0;
  /// Sets every control named in `fields`; the typed pair fields included.
  virtual void ShowFields(const PageFields& fields) = 0;
  /// Rebuilds the tree, the tools and the mode's texts, and shows page 0.
  virtual void ShowMode(bool activeDirectory) = 0;
};

/// Where documents are read and written.
class DocumentStore {
 public:
  virtual ~DocumentStore() = default;
  virtual void Read(const std::string& path, INISettings& settings) = 0;
  /// `settings` is a copy the writer may change.
  virtual Status Write(const std::string& path, INISettings settings) = 0;
};

/// INI files through the profile functions, saved whole or not at all.
class INIFileStore : public DocumentStore {
 public:
  explicit INIFileStore(ProfileFunctions& profile) : profile_(profile) {}
  void Read(const std::string& path, INISettings& settings) override;
  Status Write(const std::string& path, INISettings settings) override;

 private:
  ProfileFunctions& profile_;
};

enum class SaveOutcome { Written, NothingToDo, Cancelled, Failed, Refused };

class FileCommands {
 public:
  FileCommands(Document& document, FileView& view, DocumentStore& store)
      : document_(document), view_(view), store_(store) {}

  /// The start-up sequence: an untitled document shown, then the New-INI
  /// dialog with existing files offered. False when it was cancelled.
  bool Start();
  void New();
  void Open();
  /// Checks the pages, then writes when there are unsaved changes.
  SaveOutcome Save();
  /// Checks the pages, asks for a file name, then writes.
  SaveOutcome SaveAs();
  /// Whether the window may close; asks to save unsaved work first.
  bool Exit();

 private:
  /// Takes a typed pair that its page's Save has not added, then runs the
  /// checks (those of content only for Save and Save As). False (the user
  /// told, the page shown) when the pages cannot be saved.
  bool CheckPages(bool requireContent);
  bool TakeTypedPairs(PageFields& fields);
  SaveOutcome SaveToPathOrAs();
  SaveOutcome SaveAsChecked();
  SaveOutcome Write();
  bool AskToSaveBefore(std::string_view question);
  void ShowDocument();

  Document& document_;
  FileView& view_;
  DocumentStore& store_;
};

}  // namespace velloran
