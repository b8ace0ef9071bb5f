#include "toolkit/win32/ControlNames.h"

#include "toolkit/win32/ControlIds.h"

namespace velloran::win32 {
namespace {

#define TEXT_FIELD(control) \
  { #control, control, FieldKind::Text }
#define CHECK_FIELD(control) \
  { #control, control, FieldKind::Check }
#define LIST_FIELD(control) \
  { #control, control, FieldKind::List }

constexpr NamedControl kControls[] = {
    CHECK_FIELD(chkAlwaysRun),
    TEXT_FIELD(cboDomainName),
    TEXT_FIELD(txtFromServer),
    TEXT_FIELD(txtToServer),
    LIST_FIELD(lstServerPairs),
    TEXT_FIELD(txtFromPrinter),
    TEXT_FIELD(txtToPrinter),
    LIST_FIELD(lstPrinterPairs),
    TEXT_FIELD(txtMixedFromServer),
    TEXT_FIELD(txtMixedFromPrinter),
    TEXT_FIELD(txtMixedToServer),
    TEXT_FIELD(txtMixedToPrinter),
    LIST_FIELD(lstMixedPrintersAndServers),
    CHECK_FIELD(chkUseSMTP),
    TEXT_FIELD(txtSMTPServerName),
    TEXT_FIELD(txtSMTPServerPort),
    TEXT_FIELD(txtSMTPEmailAddress),
    TEXT_FIELD(txtSendEmailTo),
    LIST_FIELD(lstToEmailAddresses),
    TEXT_FIELD(txtEmailSubject),
    CHECK_FIELD(chkUseFileOutput),
    TEXT_FIELD(txtFileOutputPath),
    TEXT_FIELD(txtFileOutputName),
    CHECK_FIELD(chkIncludeComputerName),
    CHECK_FIELD(chkIncludeFinalStatus),
    CHECK_FIELD(chkUseNotifyUser),
    TEXT_FIELD(txtSucessMessage),
    CHECK_FIELD(chkNotifyMessageOnFailure),
    TEXT_FIELD(txtFailureMessage),
    CHECK_FIELD(chkWriteToEventLog),
    CHECK_FIELD(chkDebugOn),
    TEXT_FIELD(txtNetworkSharePath),
    CHECK_FIELD(chkBatchFile),
    CHECK_FIELD(chkCreateHTML),
    CHECK_FIELD(chkDriverScript),
    CHECK_FIELD(chkIncludeMDAC),
    {"optMDACVersion(0)", optMDACVersion(0), FieldKind::Check},
    {"optMDACVersion(1)", optMDACVersion(1), FieldKind::Check},
    {"optMDACVersion(2)", optMDACVersion(2), FieldKind::Check},
};

#undef TEXT_FIELD
#undef CHECK_FIELD
#undef LIST_FIELD

// Buttons the core names: a check box switches them with its fields.
struct NamedButton {
  std::string_view Name;
  int Id;
};
constexpr NamedButton kButtons[] = {
    {"cmdAddSendEmail", cmdAddSendEmail},
    {"cmdRemoveSendEmail", cmdRemoveSendEmail},
    {"cmdBrowseFileOutput", cmdBrowseFileOutput},
};

}  // namespace

std::span<const NamedControl> NamedControls() { return kControls; }

int ControlIdOf(std::string_view name) {
  for (const NamedControl& c : kControls) {
    if (c.Name == name) return c.Id;
  }
  for (const NamedButton& b : kButtons) {
    if (b.Name == name) return b.Id;
  }
  return 0;
}

std::string_view ControlNameOf(int id) {
  for (const NamedControl& c : kControls) {
    if (c.Id == id) return c.Name;
  }
  for (const NamedButton& b : kButtons) {
    if (b.Id == id) return b.Name;
  }
  return {};
}

}  // namespace velloran::win32
