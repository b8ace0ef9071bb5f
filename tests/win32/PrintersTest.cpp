// The printer-connection network object over COM, as far as the system
// under test implements it.

#include <gtest/gtest.h>

#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

// Wine registers the network object but implements none of its members.
bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

TEST(NetworkObject, TheComputerNameIsTheSystems) {
  auto factory = MakeComNetworkFactory();
  auto network = factory->Create("WScript.Network");
  ASSERT_TRUE(network.ok()) << network.error().Description;
  if (UnderWine()) GTEST_SKIP() << "the network object's members need Windows";
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  ASSERT_TRUE(::GetComputerNameA(name, &size));
  auto computer = (*network)->ComputerName();
  ASSERT_TRUE(computer.ok()) << computer.error().Number << " " << computer.error().Description;
  EXPECT_EQ(*computer, std::string(name, size));
}

TEST(NetworkObject, TheDefaultPrinterIsTheSpoolers) {
  auto network = MakeComNetworkFactory()->Create("WScript.Network");
  ASSERT_TRUE(network.ok()) << network.error().Description;
  auto before = (*network)->GetDefaultPrinter();
  ASSERT_TRUE(before.ok()) << before.error().Description;
  wchar_t name[512] = {};
  DWORD size = 512;
  EXPECT_EQ(*before,
            ::GetDefaultPrinterW(name, &size) ? FromWide(name, wcslen(name)) : std::string());

  // A connection the user does not have cannot become the default, and the
  // failure says why instead of passing as done.
  Status set = (*network)->SetDefaultPrinter("\\\\NOSUCHSRV\\NoSuchQueue");
  ASSERT_FALSE(set.ok());
  EXPECT_NE(set.error().Number, 0);
  EXPECT_EQ((*network)->GetDefaultPrinter().value(), *before);
}

TEST(NetworkObject, AnUnknownObjectCannotBeCreated) {
  auto factory = MakeComNetworkFactory();
  auto network = factory->Create("Velloran.NoSuchObject");
  ASSERT_FALSE(network.ok());
  EXPECT_EQ(network.error().Number, 429);
  EXPECT_EQ(network.error().Description.rfind("ActiveX component can't create object", 0), 0u);
}

}  // namespace
}  // namespace velloran
