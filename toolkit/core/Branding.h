#pragma once
// Names and addresses the toolkit shows to administrators and writes into the
// files it deploys.

namespace velloran {

inline constexpr const char* kProgramTitle = "Velloran - Deployment Toolkit";
inline constexpr const char* kMakerName = "Kestrane";
/// Where administrators ask for support (Support page, deployed files).
inline constexpr const char* kMakerWebAddress = "https://www.kestrane.example/velloran";
/// Background on the data-access components offered on the MDAC page.
inline constexpr const char* kMDACInformationAddress =
    "https://en.wikipedia.org/wiki/Microsoft_Data_Access_Components";
/// Shown in the e-mail format message as an address that would be accepted.
inline constexpr const char* kExampleEmailAddress = "printadmin@example.com";

}  // namespace velloran
