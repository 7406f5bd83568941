// Printing: each formatter over the same small trees, with the command's
// default output parameters and the user's --formatter and --fields.
#include "clikit/FakeCommands.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace ClikitTest {
namespace {

std::shared_ptr<MetaStruct> DiskTemplate() {
  auto row = MetaStruct::New("Disk");
  row->SetField("Name", MetaString::New());
  row->SetField("Size", MetaInt::New());
  row->SetField("Flags", MetaInt::New());
  row->SetField("Online", MetaBool::New());
  row->SetField("Paths", MetaList::New(MetaType::String));
  row->SetField("Note", MetaString::New());
  return row;
}

std::shared_ptr<MetaList> Disks() {
  auto list = MetaList::New(MetaType::Struct, DiskTemplate());
  auto first = DiskTemplate();
  first->SetField("Name", "sda");
  first->SetField("Size", 512);
  first->SetField("Flags", 255);
  first->SetField("Online", true);
  first->SetField("Paths", std::vector<std::string>{"p1", "p2"});
  first->SetField("Note", "first, \"quoted\"");
  list->Add(first);
  auto second = DiskTemplate();
  second->SetField("Name", "sdb");
  second->SetField("Flags", 16);
  second->SetField("Online", false);
  list->Add(second);
  // A row the command left as the template, apart from its name.
  auto third = DiskTemplate();
  third->SetField("Name", "sdc");
  list->Add(third);
  return list;
}

struct DiskTree : FakeTree {
  std::shared_ptr<FakeCommand> list = Add("list");
  std::function<MetaObjectPtr()> result = [] { return Disks(); };

  DiskTree() {
    list->SetDefaultOutputFormatter("table");
    list->SetDefaultOutputParameter("header:Disk", "%Name%");
    list->SetDefaultOutputParameter("fields:Disk", " size , NAME,Bogus,online,Flags");
    list->SetDefaultOutputParameter("units:Disk.Size", "MiB");
    list->SetDefaultOutputParameter("printf:Disk.Flags", "0x%04x");
    list->makeShape = [] { return MetaList::New(MetaType::Struct, DiskTemplate()); };
    list->body = [this](const InputPtr &, const OutputPtr &output) { output->SetRootObject(result()); };
  }
};

TEST(Formatter, EachFormatPrintsTheDiskList) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{},
       "Size     Name  Online  Flags\n"
       "-------  ----  ------  ------\n"
       "512 MiB  sda   true    0x00ff\n"
       "0 MiB    sdb   false   0x0010\n"
       "0 MiB    sdc   false   0x0000\n"},
      {{"--formatter", "simple"},
       "sda\n   Size: 512 MiB\n   Online: true\n   Flags: 0x00ff\n\n"
       "sdb\n   Size: 0 MiB\n   Online: false\n   Flags: 0x0010\n\n"
       "sdc\n   Size: 0 MiB\n   Online: false\n   Flags: 0x0000\n"},
      {{"--fields", "note,name"},
       "Note             Name\n"
       "---------------  ----\n"
       "first, \"quoted\"  sda\n"
       "                 sdb\n"
       "                 sdc\n"},
      {{"--fields", "all"},
       "Name  Size     Flags   Online  Paths   Note\n"
       "----  -------  ------  ------  ------  ---------------\n"
       "sda   512 MiB  0x00ff  true    p1, p2  first, \"quoted\"\n"
       "sdb   0 MiB    0x0010  false\n"
       "sdc   0 MiB    0x0000  false\n"},
      {{"--formatter", "simple", "--fields", "Paths,Name,Note"},
       "sda\n   Paths: p1, p2\n   Note: first, \"quoted\"\n\n"
       "sdb\n   Paths:\n   Note:\n\n"
       "sdc\n   Paths:\n   Note:\n"},
      {{"--formatter", "csv"},
       "Name,Size,Flags,Online,Paths,Note\n"
       "sda,512,255,true,\"p1, p2\",\"first, \"\"quoted\"\"\"\n"
       "sdb,0,16,false,,\n"
       "sdc,0,0,,,\n"},
      {{"--formatter", "csv", "--fields", "Online,name"}, "Online,Name\ntrue,sda\nfalse,sdb\n,sdc\n"},
      {{"--formatter", "json", "--fields", "Flags, name"},
       "[\n  {\n    \"Flags\": 255,\n    \"Name\": \"sda\"\n  },\n  {\n    \"Flags\": 16,\n    \"Name\": "
       "\"sdb\"\n  },\n"
       "  {\n    \"Flags\": 0,\n    \"Name\": \"sdc\"\n  }\n]\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    DiskTree tree;
    Cli cli(tree.root);
    std::vector<std::string> args = {"demo", "list"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    RunResult run = RunCli(cli, args);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, c.expected);
  }
}

TEST(Formatter, JsonIsThePlainTreeWithEveryFieldInTemplateOrder) {
  DiskTree tree;
  Cli cli(tree.root);
  RunResult run = RunCli(cli, {"--formatter", "json", "demo", "list"});
  ASSERT_EQ(run.status, kExitOk);
  auto document = nlohmann::ordered_json::parse(run.out);
  ASSERT_TRUE(document.is_array());
  ASSERT_EQ(document.size(), 3u);
  EXPECT_EQ(
      document[0].dump(),
      R"({"Name":"sda","Size":512,"Flags":255,"Online":true,"Paths":["p1","p2"],"Note":"first, \"quoted\""})");
  // The untouched template row: empty text, zero, an unset boolean (null) and an empty list.
  EXPECT_EQ(document[2].dump(), R"({"Name":"sdc","Size":0,"Flags":0,"Online":null,"Paths":[],"Note":""})");
}

TEST(Formatter, RootsOtherThanStructureLists) {
  struct Case {
    std::function<MetaObjectPtr()> root;
    std::string formatter;
    std::string expected;
  };
  auto names = [] {
    auto list = MetaList::New(MetaType::String);
    list->AddAll(std::vector<std::string>{"alpha", "beta"});
    return list;
  };
  auto record = [] {
    auto row = MetaStruct::New("Summary");
    row->SetField("Total", 3);
    row->SetField("Label", "x<y & z");
    return row;
  };
  auto empty = [] { return MetaList::New(MetaType::Struct, DiskTemplate()); };
  // Counters of 2^63 and more: one declared unsigned in the template and set
  // from a signed value, one set from an unsigned type; both stay unsigned.
  auto counters = [] {
    auto row = MetaStruct::New("Stat");
    row->SetField("Count", MetaInt::NewUnsigned());
    row->SetField("Count", static_cast<long long>(-1));
    row->SetField("Half", static_cast<uint64_t>(1) << 63);
    return row;
  };
  const std::vector<Case> cases = {
      {[] { return MetaBool::New(true); }, "table", ""},
      {[] { return MetaBool::New(true); }, "json", "true\n"},
      {[] { return MetaBool::New(); }, "json", "null\n"},
      {[] { return MetaBool::New(); }, "xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<output>\n  <bool/>\n</output>\n"},
      {[] { return MetaBool::New(true); }, "xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<output>\n  <bool>true</bool>\n</output>\n"},
      {[] { return MetaString::New("done"); }, "simple", "done\n"},
      {[] { return MetaString::New("done"); }, "json", "\"done\"\n"},
      // Escapes, text that is UTF-8 already, and a byte that is not (replaced).
      {[] { return MetaString::New("a\"b\\c\n\x01\t\xc3\xa9\xff"); }, "json",
       "\"a\\\"b\\\\c\\n\\u0001\\t\xc3\xa9\\ufffd\"\n"},
      {[] { return MetaInt::New(-7); }, "table", "-7\n"},
      {names, "table", "alpha\nbeta\n"},
      {names, "json", "[\n  \"alpha\",\n  \"beta\"\n]\n"},
      {names, "csv", "alpha\nbeta\n"},
      {names, "keyvalue", "value[0]=alpha\nvalue[1]=beta\n"},
      {record, "simple", "Total: 3\nLabel: x<y & z\n"},
      {record, "table", "Total  Label\n-----  -------\n3      x<y & z\n"},
      {record, "keyvalue", "Summary.Total=3\nSummary.Label=x<y & z\n"},
      {record, "csv", "Total,Label\n3,x<y & z\n"},
      {record, "xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<output>\n  <struct name=\"Summary\">\n"
       "    <field name=\"Total\"><int>3</int></field>\n"
       "    <field name=\"Label\"><string>x&lt;y &amp; z</string></field>\n  </struct>\n</output>\n"},
      {empty, "table", "Name  Size  Flags  Online  Paths  Note\n----  ----  -----  ------  -----  ----\n"},
      {empty, "json", "[]\n"},
      {empty, "csv", "Name,Size,Flags,Online,Paths,Note\n"},
      {empty, "keyvalue", "Disk=\n"},
      {counters, "simple", "Count: 18446744073709551615\nHalf: 9223372036854775808\n"},
      {counters, "table",
       "Count                 Half\n--------------------  -------------------\n"
       "18446744073709551615  9223372036854775808\n"},
      {counters, "json", "{\n  \"Count\": 18446744073709551615,\n  \"Half\": 9223372036854775808\n}\n"},
      {counters, "csv", "Count,Half\n18446744073709551615,9223372036854775808\n"},
      {counters, "keyvalue", "Stat.Count=18446744073709551615\nStat.Half=9223372036854775808\n"},
      {counters, "xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<output>\n  <struct name=\"Stat\">\n"
       "    <field name=\"Count\"><int>18446744073709551615</int></field>\n"
       "    <field name=\"Half\"><int>9223372036854775808</int></field>\n  </struct>\n</output>\n"},
  };
  for (const Case &c : cases) {
    FakeTree tree;
    auto command = tree.Add("show");
    command->body = [&c](const InputPtr &, const OutputPtr &output) { output->SetRootObject(c.root()); };
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "show", "--formatter", c.formatter});
    SCOPED_TRACE(c.formatter + " expecting " + c.expected);
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, c.expected);
  }
}

TEST(Formatter, PlainFieldsKeyShapesOnlyTheRootStructure) {
  FakeTree tree;
  auto command = tree.Add("stats");
  command->SetDefaultOutputFormatter("simple");
  command->SetDefaultOutputParameter("header:Stat", "%Adapter%");
  command->SetDefaultOutputParameter("fields", "Adapter,Errors,Inner");
  command->body = [](const InputPtr &, const OutputPtr &output) {
    auto list = MetaList::New(MetaType::Struct);
    auto row = MetaStruct::New("Stat");
    row->SetField("Adapter", "hba0");
    row->SetField("Frames", 10);
    row->SetField("Errors", 2);
    auto inner = MetaStruct::New("Inner");
    inner->SetField("A", 1);
    inner->SetField("B", "b");
    row->SetField("Inner", inner);
    list->Add(row);
    output->SetRootObject(list);
  };
  Cli cli(tree.root);
  RunResult run = RunCli(cli, {"demo", "stats"});
  EXPECT_EQ(run.out, "hba0\n   Errors: 2\n   Inner:\n      A: 1\n      B: b\n");
}

TEST(Formatter, PrintfConversions) {
  struct Case {
    std::string format;
    std::function<MetaObjectPtr()> value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"%x", [] { return MetaInt::New(255); }, "ff"},
      {"0x%08x", [] { return MetaInt::New(4096); }, "0x00001000"},
      {"%d", [] { return MetaInt::New(-12); }, "-12"},
      {"%5d|", [] { return MetaInt::New(42); }, "   42|"},
      {"%u", [] { return MetaInt::New(-1); }, "18446744073709551615"},
      {"%d", [] { return MetaInt::NewUnsigned(UINT64_MAX); }, "18446744073709551615"},
      {"%.0f", [] { return MetaInt::NewUnsigned(static_cast<uint64_t>(1) << 63); }, "9223372036854775808"},
      {"%s", [] { return MetaInt::New(9); }, "9"},
      {"[%-4s]", [] { return MetaString::New("ab"); }, "[ab  ]"},
      {"%x", [] { return MetaString::New("16"); }, "10"},
      {"%x", [] { return MetaString::New("n/a"); }, "n/a"},
      {"%.1f%%", [] { return MetaInt::New(3); }, "3.0%"},
      {"no conversion", [] { return MetaInt::New(3); }, "3"},
  };
  for (const Case &c : cases) {
    FakeTree tree;
    auto command = tree.Add("show");
    command->SetDefaultOutputParameter("printf:Value.V", c.format);
    command->body = [&c](const InputPtr &, const OutputPtr &output) {
      auto row = MetaStruct::New("Value");
      row->SetField("V", c.value());
      output->SetRootObject(row);
    };
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "show"});
    EXPECT_EQ(run.out, "V: " + c.expected + "\n") << c.format;
  }
}

TEST(Formatter, LastTableColumnIsCutOrWrappedToTheWidth) {
  struct Case {
    bool wrapLast;
    int width;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {false, 0, "Id  Text\n--  ---------------------------\na   one two three four five six\nbb  short\n"},
      {false, 20, "Id  Text\n--  ----------------\na   one two three fo\nbb  short\n"},
      {true, 20, "Id  Text\n--  ----------------\na   one two three\n    four five six\nbb  short\n"},
      {true, 80, "Id  Text\n--  ---------------------------\na   one two three four five six\nbb  short\n"},
      // The last column keeps ten characters even when the others leave less room.
      {true, 8, "Id  Text\n--  ----------\na   one two\n    three four\n    five six\nbb  short\n"},
  };
  for (const Case &c : cases) {
    FakeTree tree;
    auto command = tree.Add("show");
    command->SetDefaultOutputFormatter("table");
    if (c.wrapLast)
      command->SetDefaultOutputParameter("wrap-last", "true");
    command->body = [](const InputPtr &, const OutputPtr &output) {
      auto list = MetaList::New(MetaType::Struct);
      for (auto [id, text] : {std::pair{"a", "one two three four five six"}, std::pair{"bb", "short"}}) {
        auto row = MetaStruct::New("Line");
        row->SetField("Id", id);
        row->SetField("Text", text);
        list->Add(row);
      }
      output->SetRootObject(list);
    };
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "show"}, c.width);
    EXPECT_EQ(run.out, c.expected) << "wrap " << c.wrapLast << " width " << c.width;
  }
}

TEST(Formatter, FieldsWithAnUnknownNameOrNoNameAreRefusedBeforeTheCommandRuns) {
  const std::string known = "Name, Size, Flags, Online, Paths, Note (or all)\n";
  const std::pair<std::string, std::string> cases[] = {
      {" name ,Bogus,nope", "Error: unknown field 'Bogus' in --fields; fields of Disk are: " + known},
      {" , ", "Error: --fields names no field of Disk; fields are: " + known},
  };
  for (const auto &[fields, expected] : cases) {
    DiskTree tree;
    Cli cli(tree.root);
    RunResult run = RunCli(cli, {"demo", "list", "--fields", fields});
    EXPECT_EQ(run.status, kExitUsage) << fields;
    EXPECT_EQ(run.err, expected);
    EXPECT_EQ(tree.list->runs, 0);
  }
}

} // namespace
} // namespace ClikitTest
