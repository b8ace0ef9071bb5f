// The CUPS backend run as root for a logged-on user (SUDO_USER): what the
// user plants in ~/.cups must not lend root's rights, stop the run or eat
// its memory. Needs root and a real second user, made here and removed after.

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/cups/CupsNetwork.h"
#include "tests/cups/Child.h"
#include "tests/cups/CupsFixture.h"
#include "tests/support/SecondUser.h"

namespace velloran::test {
namespace {

namespace fs = std::filesystem;

struct CupsAsRoot : CupsMachines {
  TempDir root;  // root's own files, which the user must not reach
  std::unique_ptr<SecondUser> user;

  void SetUp() override {
    if (!SecondUser::Possible())
      GTEST_SKIP() << "needs root and useradd: the backend only acts for SUDO_USER as root";
    CupsMachines::SetUp();
    fs::permissions(home.path(), fs::perms(0755));
    user = std::make_unique<SecondUser>(home.path());
    user->Own(home.path());
    fs::create_directory(home / ".cups");
    user->Own(home / ".cups");
    ::setenv("SUDO_USER", user->Name().c_str(), 1);
    // sudo keeps root's HOME; the backend must take the user's from the
    // password database.
    ::setenv("HOME", root.str().c_str(), 1);
    client.AddQueue("Desk", "file:///dev/null", false);
    client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  }
  void TearDown() override {
    ::unsetenv("SUDO_USER");
    user.reset();
  }

  /// What the user's default looks like to the backend and what keeping it
  /// does: "get: ..." and "set: ..." lines, "ok" or the error's text.
  std::string GetAndSet() const {
    return InChild([&] {
      auto made = MakeCupsNetwork();
      auto network = (*made)->Create("WScript.Network");
      auto current = (*network)->GetDefaultPrinter();
      Status set = (*network)->SetDefaultPrinter(Path(kOld, "Laser"));
      return "get: " + (current.ok() ? *current : current.error().Description) +
             "\nset: " + (set.ok() ? std::string("ok") : set.error().Description) + "\n";
    });
  }
};

TEST_F(CupsAsRoot, WhatTheUserPlantsInPlaceOfLpoptionsIsRefusedAndTheRunGoesOn) {
  const fs::path secret = root / "secret";
  WriteFile(secret, "Default Desk\nroot's own text\n");
  fs::permissions(secret, fs::perms(0600));
  fs::create_directory(root / "rootcups");
  WriteFile(root / "rootcups/lpoptions", "Default Desk\n");
  const fs::path lpoptions = home / ".cups/lpoptions";

  struct Plant {
    const char* what;
    std::function<void()> make;
  };
  const Plant plants[] = {
      {"a link to a file only root may read",
       [&] {
         fs::create_symlink(secret, lpoptions);
         user->Own(lpoptions);
       }},
      {"a hard link to that file", [&] { fs::create_hard_link(secret, lpoptions); }},
      {"a link to /dev/zero",
       [&] {
         fs::create_symlink("/dev/zero", lpoptions);
         user->Own(lpoptions);
       }},
      {"a FIFO",
       [&] {
         ASSERT_EQ(::mkfifo(lpoptions.c_str(), 0644), 0);
         user->Own(lpoptions);
       }},
      {"a .cups that links to root's folder",
       [&] {
         fs::remove(home / ".cups");
         fs::create_directory_symlink(root / "rootcups", home / ".cups");
         user->Own(home / ".cups");
       }},
  };
  for (const Plant& plant : plants) {
    SCOPED_TRACE(plant.what);
    fs::remove_all(home / ".cups");
    fs::create_directory(home / ".cups");
    user->Own(home / ".cups");
    plant.make();

    const std::string report = GetAndSet();
    // Both steps fail, saying which file and why, and return.
    EXPECT_TRUE(Contains(report, "get: Not reading " + lpoptions.string() + ": ")) << report;
    EXPECT_TRUE(Contains(report, "set: Not reading " + lpoptions.string() + ": ")) << report;
    // Root's files are as they were, and still root's.
    EXPECT_EQ(ReadFile(secret), "Default Desk\nroot's own text\n");
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0600));
    EXPECT_EQ(ReadFile(root / "rootcups/lpoptions"), "Default Desk\n");
    struct stat st {};
    ASSERT_EQ(::stat(secret.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    // Nor does a failed choice of the user's change the machine's default.
    EXPECT_EQ(SystemDefault(), "");
  }
}

TEST_F(CupsAsRoot, AUsersCupsFolderThatAnotherUserOwnsIsRefusedSayingSo) {
  const fs::path lpoptions = home / ".cups/lpoptions";
  // The file itself is the user's and well formed: the folder is what is wrong.
  WriteFile(lpoptions, "Default Desk\n");
  user->Own(lpoptions);
  struct Owner {
    const char* what;
    uid_t uid;
  };
  const Owner owners[] = {{"root", 0}, {"nobody", 65534}};
  for (const Owner& owner : owners) {
    SCOPED_TRACE(owner.what);
    ASSERT_EQ(::lchown((home / ".cups").c_str(), owner.uid, owner.uid), 0);
    const std::string report = GetAndSet();
    const std::string why =
        ": " + (home / ".cups").string() + " is not a folder of the user's own.";
    EXPECT_TRUE(Contains(report, "get: Not reading " + lpoptions.string() + why)) << report;
    EXPECT_TRUE(Contains(report, "set: Not reading " + lpoptions.string() + why)) << report;
    EXPECT_EQ(ReadFile(lpoptions), "Default Desk\n");
    EXPECT_EQ(SystemDefault(), "");
  }
}

TEST_F(CupsAsRoot, TheUsersOwnFileIsRewrittenAsTheUsersWithItsMode) {
  const fs::path lpoptions = home / ".cups/lpoptions";
  WriteFile(lpoptions, "Default Desk media=A4\nDest Laser\n");
  fs::permissions(lpoptions, fs::perms(0640));
  user->Own(lpoptions);

  EXPECT_EQ(GetAndSet(), "get: Desk\nset: ok\n");
  EXPECT_EQ(ReadFile(lpoptions), "Dest Desk media=A4\nDefault Laser\n");
  struct stat st {};
  ASSERT_EQ(::lstat(lpoptions.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, user->Uid());
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lpoptions)));
  // No temp file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(home / ".cups"), fs::directory_iterator()), 1);
}

TEST_F(CupsAsRoot, AnEngineRunFindingAFifoForLpoptionsStillMovesThePrinterAndEnds) {
  oldServer.AddSharedQueue("Laser");
  newServer.AddSharedQueue("Laser");
  const fs::path lpoptions = home / ".cups/lpoptions";
  ASSERT_EQ(::mkfifo(lpoptions.c_str(), 0644), 0);
  user->Own(lpoptions);

  EngineFolder engine{VELLORAN_ENGINE_PATH};
  engine.Env["VELLORAN_PRINTERS"] = "cups";
  engine.Env["CUPS_SERVER"] = client.Address();
  engine.Env["SUDO_USER"] = user->Name();
  engine.Env["HOME"] = root.str();
  engine.Env["VELLORAN_QUEUE_STATE"] = (state / "queues").string();
  fs::create_directories(engine.Root() / "out");
  const fs::path ini = engine.Folder() / "move.ini";
  WriteFile(ini,
            std::string("[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\n"
                        "AlwaysRun=True\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=") +
                kOld + "\r\nToServers=" + kNew +
                "\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                (engine.Root() / "out").string() +
                "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                "IncludeOutcome=True\r\n[SUPPORT]\r\nDebugOn=True\r\n");

  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(Contains(ReadFile(engine.Root() / "out/SUCCESS_outcome.txt"),
                       "\r\nPrinter migrated: Laser (127.0.0.2)\r\n"));
  EXPECT_EQ(client.Devices().at("Laser"), Uri(kNew, "Laser"));
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(lpoptions)));
}

}  // namespace
}  // namespace velloran::test
