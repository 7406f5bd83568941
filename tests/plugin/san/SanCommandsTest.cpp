// storage san fc / fcoe / sas / iscsi: adapter selection, messages, round trips.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const std::string kInvalid = "Invalid adapter specified or unable to get adapter.";

// Without --adapter every adapter of the transport; with one, the first of
// exactly that name; an empty name selects nothing and is no error.
TEST(SanSelectionTest, ListingsSelectByExactName) {
  struct Case {
    std::string command;
    std::string field;
    std::vector<std::string> rows;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"fc list", "Adapter", {"olhba2", "olhba3"}, {}},
      {"fc list -A olhba3", "Adapter", {"olhba3"}, {}},
      {"fc list -A OLHBA3", "Adapter", {}, {kInvalid}},
      {"fc list -A \"\"", "Adapter", {}, {}},
      {"fc list -A olhba4", "Adapter", {}, {kInvalid}}, // FCoE is another transport
      {"fc stats get --adapter olhba2", "Adapter", {"olhba2"}, {}},
      {"fc stats get -A olhba", "Adapter", {}, {kInvalid}},
      {"fc stats get -A \"\"", "Adapter", {}, {}},
      {"fcoe list", "Adapter", {"olhba4"}, {}},
      {"fcoe list -A olhba2", "Adapter", {}, {kInvalid}},
      {"fcoe stats get -A olhba4", "Adapter", {"olhba4"}, {}},
      {"fcoe stats get -A Olhba4", "Adapter", {}, {kInvalid}},
      {"fcoe stats get -A \"\"", "Adapter", {}, {}},
      {"sas list", "Device Name", {"olhba0"}, {}},
      // An adapter without SAS address yields nothing but counts as found.
      {"sas list -A olhba6", "Device Name", {}, {}},
      {"sas list -A olhba9", "Device Name", {}, {kInvalid}},
      {"sas list -A \"\"", "Device Name", {}, {}},
      {"sas stats get", "Device Name", {"olhba0", "olhba6"}, {}},
      {"sas stats get -A olhba6", "Device Name", {"olhba6"}, {}},
      {"sas stats get -A OLHBA6", "Device Name", {}, {kInvalid}},
      {"sas stats get -A \"\"", "Device Name", {}, {}},
      // Only the software adapter; an empty name lists it too.
      {"iscsi list", "Adapter", {"olhba64"}, {}},
      {"iscsi list -A \"\"", "Adapter", {"olhba64"}, {}},
      {"iscsi list -A olhba7", "Adapter", {}, {kInvalid}},
      {"iscsi stats get -A olhba64", "Adapter", {"olhba64"}, {}},
      {"iscsi stats get -A olhba7", "Adapter", {}, {kInvalid}},
  };
  UseProfile();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    auto run = RunCommand("storage san " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(RootList(run.root) != nullptr, c.errors.empty());
    EXPECT_EQ(Column(run.root, c.field), c.rows);
  }
}

TEST(SanSelectionTest, EventsComeFromTheSelectedAdaptersInOrder) {
  UseProfile();
  struct Case {
    std::string options;
    size_t rows;
  };
  for (const Case &c : std::vector<Case>{{"", 2}, {"-A olhba2", 2}, {"-A olhba3", 0}, {"-A \"\"", 0}}) {
    SCOPED_TRACE(c.options);
    auto run = RunCommand("storage san fc events get " + c.options);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(Rows(run.root).size(), c.rows);
  }
  EXPECT_EQ(Column(RunCommand("storage san fc events get").root, "FC Event Log"),
            (std::vector<std::string>{"2026-11-30 08:13:57 UTC Link Up: 32 Gbps",
                                      "2026-11-30 08:15:02 UTC RSCN: affected port 0x0a0300"}));
}

// The actions: one adapter of exactly that name, true; else a message and no result.
TEST(SanSelectionTest, ActionsActOnOneAdapter) {
  struct Case {
    std::string command;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"fc reset -A olhba3", {}},
      {"fc reset -A OLHBA3", {kInvalid}},
      {"fc reset -A \"\"", {"No FC Adapters found"}},
      {"fc reset -A olhba4", {kInvalid}},
      {"fc events clear -A olhba2", {}},
      {"fc events clear -A olhba22", {kInvalid}},
      {"fc events clear -A \"\"", {"No FC Adapters found"}},
      {"fcoe reset -A olhba4", {}},
      {"fcoe reset -A olhba2", {kInvalid}},
      {"fcoe reset -A \"\"", {"No FCoE Adapters found"}},
      {"sas reset -A olhba6", {}},
      {"sas reset -A olhba4", {kInvalid}},
      {"sas reset -A \"\"", {"No SAS Adapters found"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    UseProfile();
    auto run = RunCommand("storage san " + c.command);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(Succeeded(run), c.errors.empty());
  }
  for (const char *command : {"fc reset", "fc events clear", "fcoe reset", "sas reset"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(RunCommand(std::string("storage san ") + command).status, CliKit::kExitUsage);
  }
}

// Every message, through a fault on the adapter acted on.
TEST(SanCommandsTest, HostFailures) {
  struct Case {
    std::string command;
    std::string operation;
    std::string target;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"fc list", "StorageInfo::GetFibreChannelInterfaces", "", "Error getting list of FC devices: boom"},
      {"fc list", "FibreChannelInterface::GetAttributes", "olhba3", "Error getting list of FC devices: boom"},
      {"fc events get", "FibreChannelInterface::GetEvents", "olhba2",
       "Error getting list of FC devices: boom"},
      {"fc events get", "FibreChannelInterface::FormatEvent", "olhba2",
       "Error getting list of FC devices: boom"},
      {"fc stats get", "FibreChannelInterface::GetStats", "olhba3", "Error getting FC device stats: boom"},
      {"fc events clear -A olhba2", "FibreChannelInterface::ClearEvents", "olhba2",
       "Error clearing events for FC Adapter. boom"},
      {"fc reset -A olhba2", "FibreChannelInterface::IssueLIP", "olhba2",
       "Error sending LIP to FC devices: boom"},
      {"fcoe list", "FibreChannelOverEthernetInterface::GetFcoeAttributes", "olhba4",
       "Error getting list of FCoE devices: boom"},
      {"fcoe list", "StorageInfo::GetFibreChannelOverEthernetInterfaces", "",
       "Error getting list of FCoE devices: boom"},
      {"fcoe stats get", "FibreChannelOverEthernetInterface::GetFcoeStats", "olhba4",
       "Error getting FCoE device stats: boom"},
      {"fcoe reset -A olhba4", "FibreChannelInterface::IssueLIP", "olhba4",
       "Error sending LIP to FCoE devices: boom"},
      {"sas list", "SerialAttachedScsiInterface::GetAttributes", "olhba6",
       "Error getting list of SAS devices: boom"},
      {"sas stats get -F", "StorageInfo::GetSerialAttachedScsiInterfaces", "",
       "Error getting SAS device stats: boom"},
      {"sas reset -A olhba0", "SerialAttachedScsiInterface::Reset", "olhba0",
       "Error sending reset to SAS device: boom"},
      {"iscsi list", "iScsiInterface::GetState", "olhba64", "Unable to list adapters."},
      {"iscsi list", "StorageInfo::GetiScsiInterfaces", "", "Unable to list adapters."},
      {"iscsi stats get", "iScsiInterface::GetStats", "olhba64", "Unable to get adapter statistics.boom"},
      // The hardware adapter is never asked.
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.operation + " on " + c.command);
    UseProfile();
    InjectFault(c.operation, c.target, "boom");
    auto run = RunCommand("storage san " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_FALSE(run.root);
  }
  UseProfile();
  InjectFault("iScsiInterface::GetInfo", "olhba7", "boom");
  EXPECT_EQ(Column(RunCommand("storage san iscsi list").root, "Adapter"),
            std::vector<std::string>{"olhba64"});
}

const char *kFourFcAdapters = R"({"adapters": [
    {"name": "f1", "transport": "fc"}, {"name": "f2", "transport": "fc"},
    {"name": "f3", "transport": "fc"}, {"name": "f4", "transport": "fc"}], "hwac": null})";

TEST(SanCommandsTest, AFailureOnOneAdapterDiscardsTheList) {
  UseHostJson(PatchedProfile(kFourFcAdapters));
  EXPECT_EQ(Rows(RunCommand("storage san fc stats get").root).size(), 4u);
  InjectFault("FibreChannelInterface::GetStats", "f3", "port gone");
  auto run = RunCommand("storage san fc stats get");
  EXPECT_FALSE(run.root);
  EXPECT_EQ(run.errors, std::vector<std::string>{"Error getting FC device stats: port gone"});
}

// Over all adapters a failing one is skipped unless --fail-on-error; a named one always reports.
TEST(SanCommandsTest, SasStatsSkipRules) {
  struct Case {
    std::string options;
    std::vector<std::string> rows;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"", {"s1", "s3"}, {}},
      {"--fail-on-error", {}, {"Error getting SAS device stats: PHY busy"}},
      {"-A s2", {}, {"Error getting SAS device stats: PHY busy"}},
      {"-A s3", {"s3"}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    UseHostJson(PatchedProfile(R"({"adapters": [{"name": "s1", "transport": "sas"},
        {"name": "s2", "transport": "sas"}, {"name": "s3", "transport": "sas"}], "hwac": null})"));
    InjectFault("SerialAttachedScsiInterface::GetPhyStats", "s2", "PHY busy");
    auto run = RunCommand("storage san sas stats get " + c.options);
    EXPECT_EQ(Column(run.root, "Device Name"), c.rows);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(RootList(run.root) != nullptr, c.errors.empty());
  }
}

TEST(SanCommandsTest, IscsiStateTextsAndDriverFilter) {
  // Without the default adapters, the iSCSI LUN they would find is gone: so is its HWAC entry.
  UseHostJson(PatchedProfile(R"({
    "hwac": null,
    "adapters": [{"name": "i0", "transport": "iscsi", "driver": "iscsi_olk"},
                 {"name": "i1", "transport": "iscsi", "driver": "iscsi_olk"},
                 {"name": "i2", "transport": "iscsi", "driver": "iscsi_olk"},
                 {"name": "i3", "transport": "iscsi", "driver": "iscsi_olk"},
                 {"name": "i4", "transport": "iscsivendor", "driver": "iscsi_olk"},
                 {"name": "h1", "transport": "iscsi", "driver": "iscsi_olk2"}],
    "san": [{"adapter": "i1", "iscsi": {"state": 1}}, {"adapter": "i2", "iscsi": {"state": 2}},
            {"adapter": "i3", "iscsi": {"state": 3}}, {"adapter": "i4", "iscsi": {"state": -1}},
            {"adapter": "h1", "iscsi": {"state": 0}}]})"));
  EXPECT_EQ(Lines(RunCommand("storage san iscsi list").root, {"Adapter", "State"}),
            (std::vector<std::string>{"i0 | online", "i1 | offline", "i2 | unbound", "i3 | unknown",
                                      "i4 | unknown"}));
}

// Unsigned counters are shown over their full range.
TEST(SanCommandsTest, CountersKeepTheirFullRange) {
  UseHostJson(PatchedProfile(R"({"san": [
    {"adapter": "olhba2", "fc": {"stats": {"txFrames": 18446744073709551615, "rxFrames": 4294967295}}},
    {"adapter": "olhba64", "iscsi": {"stats": {"sessions": 4294967295, "dataSent": 18446744073709551615}}}]})"));
  const Row fc = OnlyRow(RunCommand("storage san fc stats get -A olhba2").root);
  EXPECT_EQ(Field(fc, "Tx Frames"), "18446744073709551615");
  EXPECT_EQ(Field(fc, "Rx Frames"), "4294967295");
  const Row iscsi = OnlyRow(RunCommand("storage san iscsi stats get").root);
  EXPECT_EQ(Field(iscsi, "Total Number of Sessions"), "4294967295");
  EXPECT_EQ(Field(iscsi, "IO Data Sent"), "18446744073709551615");
}

// A LIP counts in the statistics and logs an event; clearing drops up to 200
// of the oldest events; SAS reset restarts the PHY counters.
TEST(SanCommandsTest, ActionsChangeWhatIsShownNext) {
  UseProfile();
  auto lips = [] {
    return Field(OnlyRow(RunCommand("storage san fc stats get -A olhba3").root), "Lip Count");
  };
  EXPECT_EQ(lips(), "1");
  ASSERT_TRUE(Succeeded(RunCommand("storage san fc reset -A olhba3")));
  EXPECT_EQ(lips(), "2");
  auto events = Column(RunCommand("storage san fc events get -A olhba3").root, "FC Event Log");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_NE(events[0].find(" UTC LIP: loop initialization issued by host"), std::string::npos) << events[0];

  ASSERT_TRUE(Succeeded(RunCommand("storage san fc events clear -A olhba2")));
  EXPECT_TRUE(Rows(RunCommand("storage san fc events get -A olhba2").root).empty());
  EXPECT_EQ(Rows(RunCommand("storage san fc events get -A olhba3").root).size(), 1u);

  ASSERT_TRUE(Succeeded(RunCommand("storage san sas reset -A olhba0")));
  EXPECT_EQ(Field(OnlyRow(RunCommand("storage san sas stats get -A olhba0").root), "Invalid DWORD Count"),
            "0");
}

TEST(SanCommandsTest, ClearEventsDropsAtMost200OldestEvents) {
  std::string events;
  for (int i = 0; i < 203; ++i)
    events += std::string(i ? "," : "") + R"({"time": )" + std::to_string(1796026437 + i) +
              R"(, "kind": "rscn", "detail": )" + std::to_string(i) + "}";
  UseHostJson(PatchedProfile(R"({"san": [{"adapter": "olhba3", "fc": {"events": [)" + events + "]}}]}"));
  ASSERT_TRUE(Succeeded(RunCommand("storage san fc events clear -A olhba3")));
  auto left = Column(RunCommand("storage san fc events get -A olhba3").root, "FC Event Log");
  ASSERT_EQ(left.size(), 3u);
  EXPECT_NE(left[0].find("port 0x0000c8"), std::string::npos) << left[0];
  EXPECT_NE(left[2].find("port 0x0000ca"), std::string::npos) << left[2];
}

// Each statistics record maps onto its fields one to one, in record order:
// counter i of the host's record shows as i + 1 under the i-th field.
TEST(SanCommandsTest, CountersFollowTheRecordOrder) {
  struct Case {
    std::string command;
    std::string adapter;
    std::string part;     // the adapter's transport entry
    std::string counters; // and its member of counters
    std::vector<std::string> keys;
    std::vector<std::string> fields;
  };
  const std::vector<Case> cases = {
      {"fc stats get -A olhba2",
       "olhba2",
       "fc",
       "stats",
       {"txFrames", "rxFrames", "lipCount", "errorFrames", "dumpedFrames", "linkFailureCount",
        "lossOfSignalCount", "primSeqProtocolErrCount", "invalidTxWordCount", "invalidCrcCount",
        "inputRequests", "outputRequests", "controlRequests"},
       {"Tx Frames", "Rx Frames", "Lip Count", "Error Frames", "Dumped Frames", "Link Failure Count",
        "Loss of Signal Count", "PrimSeq Protocol Err Count", "Invalid Tx Word Count", "Invalid CRC Count",
        "Input Requests", "Output Requests", "Control Requests"}},
      {"fcoe stats get",
       "olhba4",
       "fcoe",
       "stats",
       {"txFrames", "rxFrames", "errorFrames", "dumpedFrames", "linkFailureCount", "lossOfSignalCount",
        "invalidTxWordCount", "invalidCrcCount", "vlinkFailureCount", "missDiscAdvCount", "inputRequests",
        "outputRequests", "controlRequests"},
       {"Tx Frames", "Rx Frames", "Error Frames", "Dumped Frames", "Link Failure Count",
        "Loss of Signal Count", "Invalid Tx Word Count", "Invalid CRC Count", "VLink Failure Count",
        "Miss Disc Adv Count", "Input Requests", "Output Requests", "Control Requests"}},
      {"sas stats get -A olhba0",
       "olhba0",
       "sas",
       "phyStats",
       {"invalidDwordCount", "runningDisparityErrorCount", "lossOfDwordSyncCount", "phyResetProblemCount"},
       {"Invalid DWORD Count", "Running Disparity Error Count", "Loss of DWORD Sync Count",
        "Phy Reset Problem Count"}},
      {"iscsi stats get",
       "olhba64",
       "iscsi",
       "stats",
       {"sessions",
        "connections",
        "dataSent",
        "dataReceived",
        "commandPdus",
        "readCommandPdus",
        "writeCommandPdus",
        "bidiCommandPdus",
        "noDataCommandPdus",
        "responsePdus",
        "r2tPdus",
        "dataInPdus",
        "dataOutPdus",
        "taskMgmtRequestPdus",
        "taskMgmtResponsePdus",
        "loginRequestPdus",
        "loginResponsePdus",
        "textRequestPdus",
        "textResponsePdus",
        "logoutRequestPdus",
        "logoutResponsePdus",
        "nopOutPdus",
        "nopInPdus",
        "asyncEventPdus",
        "snackPdus",
        "rejectPdus",
        "digestErrors",
        "timeouts",
        "noTxBufCount",
        "noRxDataCount"},
       {"Total Number of Sessions",
        "Total Number of Connections",
        "IO Data Sent",
        "IO Data Received",
        "Command PDUs",
        "Read Command PDUs",
        "Write Command PDUs",
        "Bidirectional Command PDUs",
        "No-data Command PDUs",
        "Response PDUs",
        "R2T PDUs",
        "Data-in PDUs",
        "Data-out PDUs",
        "Task Mgmt Request PDUs",
        "Task Mgmt Response PDUs",
        "Login Request PDUs",
        "Login Response PDUs",
        "Text Request PDUs",
        "Text Response PDUs",
        "Logout Request PDUs",
        "Logout Response PDUs",
        "NOP-Out PDUs",
        "NOP-In PDUs",
        "Async Event PDUs",
        "SNACK PDUs",
        "Reject PDUs",
        "Digest Errors",
        "Timeouts",
        "No Tx Buf Count",
        "No Rx Data Count"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_EQ(c.keys.size(), c.fields.size());
    std::string counters;
    for (size_t i = 0; i < c.keys.size(); ++i)
      counters += (i ? ", \"" : "\"") + c.keys[i] + "\": " + std::to_string(i + 1);
    // An FCoE entry needs the FC port it carries.
    const std::string fcPort = c.part == "fcoe" ? R"(, "fc": {})" : "";
    UseHostJson(PatchedProfile(R"({"san": [{"adapter": ")" + c.adapter + R"(", ")" + c.part + R"(": {")" +
                               c.counters + R"(": {)" + counters + "}}" + fcPort + "}]}"));
    const Row row = OnlyRow(RunCommand("storage san " + c.command).root);
    for (size_t i = 0; i < c.fields.size(); ++i)
      EXPECT_EQ(Field(row, c.fields[i]), std::to_string(i + 1)) << c.fields[i];
  }
}

// Resets and clears disrupt I/O on a real host: each is tried once. A fault
// that fails only the first call still fails the command, and the next run
// succeeds.
TEST(SanCommandsTest, ActionsAreNeverRetried) {
  struct Case {
    std::string command;
    std::string operation;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"san fc reset -A olhba2", "FibreChannelInterface::IssueLIP", "Error sending LIP to FC devices: once"},
      {"san fc events clear -A olhba2", "FibreChannelInterface::ClearEvents",
       "Error clearing events for FC Adapter. once"},
      {"san fcoe reset -A olhba4", "FibreChannelInterface::IssueLIP",
       "Error sending LIP to FCoE devices: once"},
      {"san sas reset -A olhba0", "SerialAttachedScsiInterface::Reset",
       "Error sending reset to SAS device: once"},
      {"fpin fc clear -a olhba2 -H 21:00:00:24:ff:3d:5a:10 -t 50:00:09:73:b8:00:1c:04",
       "FpinFcAdapter::ClearFpin", "Error clearing FPIN: once"},
      {"fpin info set -e true", "FpinFcAdapter::SetEnableKsish", "Error enabling FPIN : once"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    UseHostJson(PatchedProfile(R"({"faults": [{"operation": ")" + c.operation +
                               R"(", "message": "once", "times": 1}]})"));
    auto run = RunCommand("storage " + c.command);
    EXPECT_EQ(run.errors, std::vector<std::string>{c.error});
    EXPECT_TRUE(Succeeded(RunCommand("storage " + c.command)));
  }
}

} // namespace
