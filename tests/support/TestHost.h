// Running plug-in commands in-process, through the real framework and the
// registered tree, on an in-memory host, and reading what they produced.
//
//   using namespace TestSupport;
//   UseProfile(); // or UseHostJson(PatchedProfile(R"({"devices": [...]})"))
//   auto run = RunCommand("storage core device list -d naa.1");
//   EXPECT_EQ(run.status, CliKit::kExitCommandError);
//   EXPECT_EQ(run.errors, std::vector<std::string>{"Unable to find device with name naa.1"});
//   InjectFault("Lun::GetRaidInfo"); // later commands meet this host failure
//   for (const Row &row : Rows(RunCommand("storage core device list --skip-slow-fields").root))
//     EXPECT_EQ(Field(row, "RAID Level"), "<skipped>");
//
// Field() reads any field as text and fails the test when it is missing;
// Text/Number/Flag/Texts read one type and also fail it on another; Rows() fails
// it when a row's field has another type than the list's row template. Keep
// tests to behaviour and exact messages: the transcripts carry output shape.
// The built tools are run with support/Tools.h.
#pragma once

#include <clikit/Cli.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

// --- hosts ---

// Makes an in-memory host current (no file is touched).
void UseHostJson(const std::string &jsonText);
void UseProfile(const std::string &profileName = "default");

// The default profile's document with `patch` (a JSON merge patch, RFC 7396)
// applied: the usual way to write a small variation of the default host inline.
std::string PatchedProfile(const std::string &patch, const std::string &profileName = "default");

// Makes the current host fail `operation` on `target` ("" or "*": any) with `message`.
void InjectFault(const std::string &operation, const std::string &target = "",
                 const std::string &message = "injected failure");

// --- running a command ---

struct CommandRun {
  int status = CliKit::kExitOk;        // what orlocli would exit with
  CliKit::MetaObj::MetaObjectPtr root; // the result; null when none was set
  std::vector<std::string> errors;     // the command's error messages, in order
  CliKit::Execution execution;         // the rest: command, input, usageError, failure
};

// Runs a command line without the tool name. Words are split at blanks; double
// quotes group words and are dropped, as a shell would for these examples.
CommandRun RunCommand(const std::string &line);
CommandRun RunCommand(const std::vector<std::string> &args);
// The same in the tool's internal tree (what `orlocli --internal ...` reaches).
CommandRun RunInternalCommand(const std::string &line);
std::vector<std::string> SplitWords(const std::string &line);

// --- shell commands ---

// What a command ran through the framework's shell operation. Every host set up
// here serves those lines as orlocli does: a line naming one of the host's
// scripts runs that script against the simulated host; any other line is not
// run at all (status 127), so no test reaches a real script.
struct ShellCall {
  std::string command;
  std::string input;
  int status = 0;
};
// The calls since the host was set up or since the last TakeShellCalls().
std::vector<ShellCall> TakeShellCalls();

// True when the result is boolean true (what an action command returns on success).
bool Succeeded(const CommandRun &run);
// The text of a string result; "(none)" when the result is not a string.
std::string RootText(const CliKit::MetaObj::MetaObjectPtr &root);

// --- host failures ---

// One command line meeting one injected host failure, and the one error it adds.
struct HostFailureCase {
  std::string command;
  std::string operation;
  std::string target; // "" : any
  std::string error;
};
// Runs each case on a fresh default host whose `operation` fails with the
// message "boom", and checks that it adds exactly its error and sets no result.
void ExpectHostFailures(const std::vector<HostFailureCase> &cases);

// --- reading results ---

using Row = std::shared_ptr<CliKit::MetaObj::MetaStruct>;

// The structures of a root list (empty when the root is not a list of them),
// or the root structure itself.
std::vector<Row> Rows(const CliKit::MetaObj::MetaObjectPtr &root);
// The one row of a root list; fails the test (and returns an empty row) otherwise.
Row OnlyRow(const CliKit::MetaObj::MetaObjectPtr &root);
// The root as a list; null when it is none.
std::shared_ptr<CliKit::MetaObj::MetaList> RootList(const CliKit::MetaObj::MetaObjectPtr &root);

// Any field as text: integers in decimal, booleans "true"/"false" ("" when
// unset), lists of strings joined by ", "; fails the test when missing.
std::string Field(const Row &row, const std::string &name);
std::string Text(const Row &row, const std::string &name);
int64_t Number(const Row &row, const std::string &name);
bool Flag(const Row &row, const std::string &name);
std::vector<std::string> Texts(const Row &row, const std::string &name);

// Field(row, name) of every row of the root.
std::vector<std::string> Column(const CliKit::MetaObj::MetaObjectPtr &root, const std::string &name);
// Each row as the values (Field) of `fields`, joined by " | ": compact rows to compare.
std::vector<std::string> Lines(const CliKit::MetaObj::MetaObjectPtr &root,
                               const std::vector<std::string> &fields);
// Every field of a row, in order, as (name, Field) pairs; and only the names.
std::vector<std::pair<std::string, std::string>> Fields(const Row &row);
std::vector<std::string> FieldNames(const Row &row);

// --- places ---

// Path of a built tool or library in the build's bin directory, and of the source tree.
std::string BinPath(const std::string &tool);
std::string SourcePath(const std::string &relative);

} // namespace TestSupport
