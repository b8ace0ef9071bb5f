// The driver questions asked of this computer: the Point and Print policy
// values read from the registry (written here first, as a policy would),
// and the spooler's local driver list. The tests change HKLM policy keys, so
// they run in the test stage's own prefix (or a throwaway machine) only.

#include <gtest/gtest.h>

#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

constexpr wchar_t kPrinters[] = L"Software\\Policies\\Microsoft\\Windows NT\\Printers";

struct Policy : ::testing::Test {
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "changes this computer's printer policy";
    Clear();
  }
  void TearDown() override {
    if (UnderWine()) Clear();
  }
  static void Clear() {
    for (const wchar_t* sub : {L"\\PointAndPrint", L"\\PackagePointAndPrint", L"\\WPP"})
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kPrinters) + sub).c_str());
  }
  static void Number(const wchar_t* sub, const wchar_t* name, DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kPrinters) + sub).c_str(), name,
                                REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
  }
  static void Text(const wchar_t* sub, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kPrinters) + sub).c_str(), name, REG_SZ,
                          value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
  }
};

TEST_F(Policy, NothingSetReadsAsNothingSet) {
  auto policy = MakeWindowsSpooler()->ReadPolicy();
  ASSERT_TRUE(policy.ok());
  EXPECT_EQ(policy->RestrictDriverInstallationToAdministrators, std::nullopt);
  EXPECT_EQ(policy->Restricted, std::nullopt);
  EXPECT_EQ(policy->ServerList, "");
  EXPECT_TRUE(policy->PackageServers.empty());
  EXPECT_EQ(policy->WindowsProtectedPrintGroupPolicyState, std::nullopt);
}

TEST_F(Policy, EveryValueIsReadFromItsKey) {
  Number(L"\\PointAndPrint", L"RestrictDriverInstallationToAdministrators", 0);
  Number(L"\\PointAndPrint", L"Restricted", 1);
  Number(L"\\PointAndPrint", L"TrustedServers", 1);
  Text(L"\\PointAndPrint", L"ServerList", L"PRT01;prt02.corp.example");
  Number(L"\\PointAndPrint", L"NoWarningNoElevationOnInstall", 1);
  Number(L"\\PointAndPrint", L"UpdatePromptSettings", 2);
  Number(L"\\PackagePointAndPrint", L"PackagePointAndPrintOnly", 1);
  Number(L"\\PackagePointAndPrint", L"PackagePointAndPrintServerList", 1);
  Text(L"\\PackagePointAndPrint\\ListofServers", L"1", L"PRT01");
  Text(L"\\PackagePointAndPrint\\ListofServers", L"2", L"Dru\u00e8ck01");
  Number(L"\\WPP", L"WindowsProtectedPrintGroupPolicyState", 1);

  auto policy = MakeWindowsSpooler()->ReadPolicy();
  ASSERT_TRUE(policy.ok());
  EXPECT_EQ(policy->RestrictDriverInstallationToAdministrators, 0u);
  EXPECT_EQ(policy->Restricted, 1u);
  EXPECT_EQ(policy->TrustedServers, 1u);
  EXPECT_EQ(policy->ServerList, "PRT01;prt02.corp.example");
  EXPECT_EQ(policy->NoWarningNoElevationOnInstall, 1u);
  EXPECT_EQ(policy->UpdatePromptSettings, 2u);
  EXPECT_EQ(policy->PackagePointAndPrintOnly, 1u);
  EXPECT_EQ(policy->PackagePointAndPrintServerList, 1u);
  EXPECT_EQ(policy->PackageServers, (std::vector<std::string>{"PRT01",
                                                              "Dru\xc3\xa8"
                                                              "ck01"}));
  EXPECT_EQ(policy->WindowsProtectedPrintGroupPolicyState, 1u);

  // The same values through the decision: a user may install from PRT01,
  // and protected print mode is on.
  auto drivers = MakeSpoolerDrivers(MakeWindowsSpooler());
  auto rules = drivers->Rules("PRT01");
  ASSERT_TRUE(rules.ok());
  EXPECT_TRUE(rules->ProtectedPrint);
}

TEST_F(Policy, AValueOfAnotherTypeCountsAsNotSet) {
  // A policy value written as text is ignored by the system as well: the
  // restriction stays on.
  Text(L"\\PointAndPrint", L"RestrictDriverInstallationToAdministrators", L"0");
  auto policy = MakeWindowsSpooler()->ReadPolicy();
  ASSERT_TRUE(policy.ok());
  EXPECT_EQ(policy->RestrictDriverInstallationToAdministrators, std::nullopt);
}

TEST(Spooler, TheLocalDriverListCanBeRead) {
  auto local = MakeWindowsSpooler()->LocalDrivers();
  ASSERT_TRUE(local.ok()) << local.error().Description;
  for (const PrinterDriver& d : *local) EXPECT_FALSE(d.Name.empty());
}

TEST(Spooler, AQueueOnAServerThatCannotBeAskedIsAFailure) {
  auto driver = MakeWindowsSpooler()->QueueDriver("\\\\VELLORAN-NO-SUCH-SERVER\\Q");
  EXPECT_FALSE(driver.ok());
  EXPECT_FALSE(MakeWindowsSpooler()->QueueDriver("not a connection name").ok());
}

TEST(Spooler, TheNoPromptAddFailsRatherThanAsks) {
  // No server by that name: the add is a failure with its number, and the
  // process goes on (Wine's spooler has no such call at all).
  Status added = AddPrinterConnectionWithoutPrompt("\\\\VELLORAN-NO-SUCH-SERVER\\Q");
  ASSERT_FALSE(added.ok());
  EXPECT_NE(added.error().Number, 0);
  EXPECT_FALSE(added.error().Description.empty());
  EXPECT_FALSE(AddPrinterConnectionWithoutPrompt("no connection name").ok());
}

}  // namespace
}  // namespace velloran
