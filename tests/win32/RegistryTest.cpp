// The registry as the settings store: the run-once markers and the event
// source registration live here on Windows.

#include <gtest/gtest.h>

#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

struct Registry : ::testing::Test {
  // A key of its own per test, removed again afterwards.
  std::string key = "Software\\VelloranTest\\" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::unique_ptr<SettingsStore> store = MakeRegistrySettingsStore();
  void TearDown() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
  }
};

TEST_F(Registry, WrittenValuesReadBackInBothHives) {
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, key, "SUCCESS", "True").ok());
  ASSERT_TRUE(
      store->WriteValue(Hive::LocalMachine, key, "EventMessageFile", "C:\\x\\EvntMsg.dll").ok());
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key, "SUCCESS").value(), "True");
  EXPECT_EQ(store->ReadValue(Hive::LocalMachine, key, "EventMessageFile").value(),
            "C:\\x\\EvntMsg.dll");
  // The hives are separate.
  EXPECT_EQ(store->ReadValue(Hive::LocalMachine, key, "SUCCESS").value(), std::nullopt);

  // Overwriting, and a value longer than the first read buffer.
  const std::string longValue(1000, 'x');
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, key, "SUCCESS", longValue).ok());
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key, "SUCCESS").value(), longValue);
}

TEST_F(Registry, KeysAndValuesKeepCharactersBeyondASCII) {
  // A marker's key holds the INI path, which may hold any character.
  const std::string marker = key + "\\Z:\\Büro\\Straße é.ini";
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, marker, "SUCCESS", "Grüße").ok());
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, marker, "SUCCESS").value(), "Grüße");
  // Other tools (regedit, scripts) see the same characters.
  const std::wstring wideKey =
      std::wstring(key.begin(), key.end()) + L"\\Z:\\B\u00FCro\\Stra\u00DFe \u00E9.ini";
  wchar_t value[32] = {};
  DWORD size = sizeof value;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"SUCCESS", RRF_RT_REG_SZ, nullptr,
                           value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(value), L"Gr\u00FC\u00DFe");
}

TEST_F(Registry, MissingKeysAndValuesAreNotFailures) {
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key + "\\nothing", "SUCCESS").value(),
            std::nullopt);
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, key, "other", "1").ok());
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key, "SUCCESS").value(), std::nullopt);
}

TEST_F(Registry, ATrailingBackslashNamesTheKeyItself) {
  // The marker of a run without an INI file: "Software\Velloran\" + "".
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, key + "\\", "SUCCESS", "True").ok());
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key, "SUCCESS").value(), "True");
}

TEST_F(Registry, ANonStringValueIsAFailureNotText) {
  HKEY k = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &k, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  ::RegSetValueExA(k, "SUCCESS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  // A string stored without its terminating zero still reads whole.
  ::RegSetValueExA(k, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("True"), 4);
  ::RegCloseKey(k);
  auto v = store->ReadValue(Hive::CurrentUser, key, "SUCCESS");
  ASSERT_FALSE(v.ok());
  EXPECT_EQ(v.error().Number, ERROR_DATATYPE_MISMATCH);
  EXPECT_EQ(store->ReadValue(Hive::CurrentUser, key, "bare").value(), "True");
}

}  // namespace
}  // namespace velloran
