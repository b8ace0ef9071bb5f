// The message file: the event viewer renders the engine's events from it.

#include <gtest/gtest.h>

#include <string>

#include "platform/SystemDirectory.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

// EvntMsg.dll is built beside this test program.
std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n);
  return p.substr(0, p.find_last_of("\\/") + 1) + name;
}

std::string Render(HMODULE file, DWORD id, const std::string& insertion) {
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(insertion.c_str())};
  char* text = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      file, id, 0, reinterpret_cast<char*>(&text), 0, reinterpret_cast<va_list*>(args));
  std::string out = n ? std::string(text, n) : "<no message " + std::to_string(id) + ">";
  if (text) ::LocalFree(text);
  return out;
}

TEST(EventMessages, BothEventsShowTheirTextExactly) {
  HMODULE file =
      ::LoadLibraryExA(BesideThisProgram("EvntMsg.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(file, nullptr) << ::GetLastError();
  const std::string outcome = "\r\n* ----- My Networked Printers ----- *\r\nLaser3 (PRN01)";
  EXPECT_EQ(Render(file, 20001, outcome), outcome);
  EXPECT_EQ(Render(file, 20002, "Unable to create debug file within folder: C:\\x"),
            "Unable to create debug file within folder: C:\\x");
  EXPECT_EQ(Render(file, 20003, "x"), "<no message 20003>");
  ::FreeLibrary(file);
}

TEST(EventMessages, TheRegistrationNamesTheClientsOwnSystemDirectory) {
  const std::string dir = SystemDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '\\');
  DWORD attributes = ::GetFileAttributesA(dir.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << dir;
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
}  // namespace velloran
