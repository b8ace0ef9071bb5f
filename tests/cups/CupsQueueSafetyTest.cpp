// What a queue takes with it through a move and a roll-back: every setting
// an administrator gave it and its unfinished jobs.

#include "platform/cups/CupsNetwork.h"
#include "tests/cups/CupsSafetyFixture.h"

namespace velloran::test {
namespace {

TEST_F(CupsSafety, EverySettingLpadminSetsSurvivesARollBackAndAMove) {
  struct Setting {
    std::vector<std::string> lpadmin;
    const char* attribute;
    const char* value;
  };
  const Setting settings[] = {
      {{"-o", "job-quota-period=3600"}, "job-quota-period", "3600"},
      {{"-o", "job-page-limit=50"}, "job-page-limit", "50"},
      {{"-o", "job-k-limit=2048"}, "job-k-limit", "2048"},
      {{"-u", "allow:alice,bob"}, "requesting-user-name-allowed", "alice,bob"},
      {{"-o", "printer-error-policy=retry-job"}, "printer-error-policy", "retry-job"},
      {{"-o", "printer-geo-location=geo:52.5,13.4"}, "printer-geo-location", "geo:52.5,13.4"},
      {{"-D", "Second floor"}, "printer-info", "Second floor"},
      {{"-L", "Room 2.14"}, "printer-location", "Room 2.14"},
      {{"-o", "media-default=iso_a5_148x210mm"}, "media-default", "iso_a5_148x210mm"},
      {{"-o", "sides-default=two-sided-short-edge"}, "sides-default", "two-sided-short-edge"},
      {{"-o", "number-up-default=2"}, "number-up-default", "2"},
      {{"-o", "job-priority-default=60"}, "job-priority-default", "60"},
      {{"-o", "copies-default=3"}, "copies-default", "3"},
      {{"-o", "fit-to-page-default=true"}, "fit-to-page-default", "true"},
      {{"-o", "job-hold-until-default=indefinite"}, "job-hold-until-default", "indefinite"},
  };
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  // A second queue of the same connection goes and comes back with the
  // first. Over http:// it is a queue the scheduler shares by default, where
  // the ipp:// one can never be shared.
  client.AddQueue("Laser-copy",
                  std::string("http://") + kOld + ":" + std::to_string(port) + "/printers/Laser",
                  false);
  client.Command("lpadmin",
                 {"-p", "Laser-copy", "-u", "deny:mallory", "-o", "printer-is-shared=false"});
  for (const Setting& s : settings) {
    std::vector<std::string> args{"-p", "Laser"};
    args.insert(args.end(), s.lpadmin.begin(), s.lpadmin.end());
    client.Command("lpadmin", args);
  }
  auto expectAll = [&](const char* after) {
    SCOPED_TRACE(after);
    for (const Setting& s : settings)
      EXPECT_EQ(Attribute("Laser", s.attribute), s.value) << s.attribute;
    EXPECT_EQ(Attribute("Laser-copy", "requesting-user-name-denied"), "mallory");
    EXPECT_EQ(Attribute("Laser-copy", "printer-is-shared"), "false");
  };

  auto network = Object();
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  ASSERT_FALSE(network->AddWindowsPrinterConnection(Path("127.0.0.9", "Laser")).ok());
  ASSERT_TRUE(network->AddWindowsPrinterConnection(Path(kOld, "Laser")).ok());
  expectAll("a roll-back");

  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  Status moved = network->AddWindowsPrinterConnection(Path(kNew, "Laser"));
  ASSERT_TRUE(moved.ok()) << moved.error().Description;
  EXPECT_EQ(client.Devices().at("Laser"), Uri(kNew, "Laser"));
  expectAll("a move");
  // Nothing is left to restore once the queues are in place.
  EXPECT_TRUE(SavedFiles().empty());
}

TEST_F(CupsSafety, UnfinishedJobsGoWithTheQueueAndComeBackWithARollBack) {
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  TwoJobsWaitIn("Laser");
  ASSERT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"}));

  auto network = Object();
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  ASSERT_FALSE(network->AddWindowsPrinterConnection(Path("127.0.0.9", "Laser")).ok());
  ASSERT_TRUE(network->AddWindowsPrinterConnection(Path(kOld, "Laser")).ok());
  EXPECT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"})) << "after a roll-back";

  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  ASSERT_TRUE(network->AddWindowsPrinterConnection(Path(kNew, "Laser")).ok());
  EXPECT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"})) << "after a move";
  // The queue that kept them meanwhile is gone.
  EXPECT_EQ(client.Devices(), (std::map<std::string, std::string>{{"Laser", Uri(kNew, "Laser")}}));
}

}  // namespace
}  // namespace velloran::test
