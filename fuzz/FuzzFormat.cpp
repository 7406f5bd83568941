// Random output trees through every formatter. The first byte picks the
// formatter; the rest builds the tree (structures, lists, strings with control
// characters and broken UTF-8, extreme integers, booleans with and without a
// value) and the command's default output parameters, printf conversions
// included. The tree comes from a command in a private tree, run with Cli::Run
// exactly as the tool runs a plug-in command.
#include "FuzzSupport.h"
#include "XmlCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <sstream>

namespace {

using CliKit::MetaObj::MetaBool;
using CliKit::MetaObj::MetaInt;
using CliKit::MetaObj::MetaList;
using CliKit::MetaObj::MetaObjectPtr;
using CliKit::MetaObj::MetaString;
using CliKit::MetaObj::MetaStruct;
using CliKit::MetaObj::MetaType;

const char *const kFormatters[] = {"table", "simple", "json", "xml", "csv", "keyvalue"};
constexpr size_t kMaxDepth = 4;
constexpr size_t kMaxFields = 8;
constexpr size_t kMaxRows = 12;

// Returns the tree it was given; the OutputSpec shows the same tree,
// as a plug-in command's template does.
class TreeCommand : public CliKit::AutoCli::Command {
public:
  std::shared_ptr<CliKit::CallSpec::InputSpec> GetInputSpecInternal() override {
    return CliKit::CallSpec::InputSpec::New();
  }
  std::shared_ptr<CliKit::CallSpec::OutputSpec> GetOutputSpecInternal() override {
    auto outputs = CliKit::CallSpec::OutputSpec::New();
    outputs->SetRootObject(shape);
    return outputs;
  }
  void ExecuteInternal(const std::shared_ptr<CliKit::CallSpec::Input> &,
                       const std::shared_ptr<CliKit::CallSpec::Output> &output) override {
    output->SetRootObject(result);
    for (const std::string &error : errors)
      output->AddErrorMessage(error);
  }

  MetaObjectPtr shape;
  MetaObjectPtr result;
  std::vector<std::string> errors;
};

const std::vector<std::string> kNames = {"Name",   "HBA Name",    "Size",  "Device", "Flags", "Paths",
                                         " name ", "SIZE",        "Na%me", "a,b",    "x=y",   "Ünïcode",
                                         "",       "line\nbreak", "<tag>", "%Name%"};
const std::vector<std::string> kStructNames = {"Adapter", "Path", "Row", "Nested", "", "Ärger", "a.b"};
const std::vector<std::string> kTexts = {"",
                                         " ",
                                         "plain",
                                         "with, comma",
                                         "quote\"d",
                                         "<tag a=\"1\">&amp;</tag>",
                                         "tab\there",
                                         "line\nbreak\n",
                                         "cr\rend",
                                         std::string("nul\0inside", 10),
                                         "\x01\x1f\x7f",
                                         "é日本🙂",
                                         "\xff\xfe",
                                         "\xc3",
                                         "\xed\xa0\x80",
                                         "\xf4\x90\x80\x80",
                                         "%s%n%d%%",
                                         "key=value",
                                         "back\\slash",
                                         "-12",
                                         "3.5e10",
                                         "9223372036854775808",
                                         "trailing ",
                                         "word word word word word word word word word word word word"};
const int64_t kInts[] = {std::numeric_limits<int64_t>::min(),
                         std::numeric_limits<int64_t>::max(),
                         -1,
                         0,
                         1,
                         255,
                         int64_t{1} << 31,
                         -(int64_t{1} << 31) - 1,
                         int64_t{1} << 53};

class TreeBuilder {
public:
  explicit TreeBuilder(FuzzedDataProvider &in) : in_(in) {}

  template <class T> const T &Pick(const std::vector<T> &pool) {
    return pool[in_.ConsumeIntegralInRange<size_t>(0, pool.size() - 1)];
  }

  std::string Name() {
    std::string name = in_.ConsumeBool() ? Pick(kNames) : in_.ConsumeRandomLengthString(16);
    names_.push_back(name);
    return name;
  }
  std::string StructName() {
    std::string name = in_.ConsumeBool() ? Pick(kStructNames) : in_.ConsumeRandomLengthString(12);
    structNames_.push_back(name);
    return name;
  }
  std::string Text() {
    switch (in_.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return Pick(kTexts);
    case 1:
      // Long enough to be cut or wrapped by a narrow table.
      return std::string(in_.ConsumeIntegralInRange<size_t>(0, 300), in_.ConsumeBool() ? ' ' : 'w') +
             Pick(kTexts);
    default:
      return in_.ConsumeRandomLengthString(64);
    }
  }
  int64_t Int() {
    if (in_.ConsumeBool())
      return kInts[in_.ConsumeIntegralInRange<size_t>(0, std::size(kInts) - 1)];
    return in_.ConsumeIntegral<int64_t>();
  }

  MetaObjectPtr Value(size_t depth) {
    switch (in_.ConsumeIntegralInRange(0, depth < kMaxDepth ? 9 : 4)) {
    case 0:
    case 1:
      return MetaString::New(Text());
    case 2:
      return MetaInt::New(Int());
    case 3:
      return in_.ConsumeBool() ? MetaBool::New(in_.ConsumeBool()) : MetaBool::New();
    case 4:
      // A field set to nothing: the API allows it, so formatters must cope.
      return in_.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : MetaString::New(Text());
    case 5:
    case 6:
      return Struct(depth + 1, StructName());
    case 7:
      return StringList(depth + 1);
    default:
      return StructList(depth + 1);
    }
  }

  std::shared_ptr<MetaStruct> Struct(size_t depth, const std::string &name) {
    auto record = MetaStruct::New(name);
    size_t count = in_.ConsumeIntegralInRange<size_t>(0, kMaxFields);
    for (size_t i = 0; i < count; ++i)
      record->SetField(Name(), Value(depth));
    return record;
  }

  std::shared_ptr<MetaList> StringList(size_t depth) {
    // Mostly strings; sometimes other scalars or a stray structure, which the
    // list's element type does not forbid.
    auto list = MetaList::New(in_.ConsumeBool() ? MetaType::String : MetaType::Int);
    size_t count = in_.ConsumeIntegralInRange<size_t>(0, kMaxRows);
    for (size_t i = 0; i < count; ++i) {
      if (in_.ConsumeIntegralInRange(0, 5) == 0)
        list->Add(Value(depth));
      else
        list->Add(Text());
    }
    return list;
  }

  // Rows built from one template, as commands build them; a few rows stray
  // from it (missing, extra or reordered fields, non-structures).
  std::shared_ptr<MetaList> StructList(size_t depth) {
    std::string name = StructName();
    std::shared_ptr<MetaStruct> layout = Struct(depth, name);
    auto list = MetaList::New(MetaType::Struct, in_.ConsumeIntegralInRange(0, 4) == 0 ? nullptr : layout);
    size_t count = in_.ConsumeIntegralInRange<size_t>(0, kMaxRows);
    for (size_t i = 0; i < count && in_.remaining_bytes() > 0; ++i) {
      switch (in_.ConsumeIntegralInRange(0, 9)) {
      case 0:
        list->Add(Struct(depth, StructName()));
        break;
      case 1:
        list->Add(Value(depth));
        break;
      default: {
        auto row = MetaStruct::New(name);
        for (const auto &field : layout->GetFields()) {
          if (in_.ConsumeIntegralInRange(0, 9) != 0)
            row->SetField(field.first, Value(depth));
        }
        if (in_.ConsumeIntegralInRange(0, 9) == 0)
          row->SetField(Name(), Value(depth));
        list->Add(row);
      }
      }
    }
    return list;
  }

  MetaObjectPtr Root() {
    switch (in_.ConsumeIntegralInRange(0, 9)) {
    case 0:
      return MetaString::New(Text());
    case 1:
      return MetaInt::New(Int());
    case 2:
      return in_.ConsumeBool() ? MetaBool::New(in_.ConsumeBool()) : MetaBool::New();
    case 3:
      return StringList(0);
    case 4:
    case 5:
      return Struct(0, StructName());
    default:
      return StructList(0);
    }
  }

  // A field name seen in the tree, a near miss or anything.
  std::string KnownName() {
    if (!names_.empty() && in_.ConsumeIntegralInRange(0, 3) != 0) {
      std::string name = Pick(names_);
      switch (in_.ConsumeIntegralInRange(0, 5)) {
      case 0:
        return "  " + name + " ";
      case 1:
        for (char &c : name)
          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name;
      default:
        return name;
      }
    }
    return in_.ConsumeRandomLengthString(12);
  }
  std::string KnownStruct() {
    if (!structNames_.empty() && in_.ConsumeIntegralInRange(0, 3) != 0)
      return Pick(structNames_);
    return in_.ConsumeRandomLengthString(8);
  }

  std::string FieldList() {
    if (in_.ConsumeIntegralInRange(0, 7) == 0)
      return in_.ConsumeBool() ? "all" : " ALL ";
    std::string list;
    size_t count = in_.ConsumeIntegralInRange<size_t>(0, 5);
    for (size_t i = 0; i < count; ++i)
      list += (i ? "," : "") + KnownName();
    return list;
  }

  // A printf conversion as a command would declare one, or a broken one.
  std::string Printf() {
    if (in_.ConsumeIntegralInRange(0, 4) == 0)
      return FuzzSupport::BoundedWidths(in_.ConsumeRandomLengthString(24));
    static const std::vector<std::string> prefixes = {"", "0x", "%%", "v=", "%", "%% %"};
    static const std::vector<std::string> lengths = {"", "", "h", "hh", "l", "ll", "L", "j", "z", "t", "q"};
    static const std::string flags = "-+ #0'";
    static const std::string conversions = "diouxXcsfFeEgGaApn%*$m";
    std::string format = Pick(prefixes) + "%";
    size_t flagCount = in_.ConsumeIntegralInRange<size_t>(0, 3);
    for (size_t i = 0; i < flagCount; ++i)
      format += flags[in_.ConsumeIntegralInRange<size_t>(0, flags.size() - 1)];
    format += Number();
    if (in_.ConsumeBool())
      format += "." + Number();
    format += Pick(lengths);
    format += conversions[in_.ConsumeIntegralInRange<size_t>(0, conversions.size() - 1)];
    if (in_.ConsumeBool())
      format += in_.ConsumeBool() ? " %s" : Pick(prefixes);
    return FuzzSupport::BoundedWidths(format);
  }
  // A width or precision: none, a star, small, large, or past what printf takes.
  std::string Number() {
    static const std::vector<std::string> huge = {"2147483648", "4294967295", "99999999999999999999"};
    switch (in_.ConsumeIntegralInRange(0, 6)) {
    case 0:
      return "";
    case 1:
      return "*";
    case 2:
      return std::to_string(in_.ConsumeIntegralInRange(0, 99999));
    case 3:
      return Pick(huge);
    default:
      return std::to_string(in_.ConsumeIntegralInRange(0, 40));
    }
  }

  std::string Header() {
    std::string pattern;
    size_t pieces = in_.ConsumeIntegralInRange<size_t>(0, 4);
    for (size_t i = 0; i < pieces; ++i) {
      switch (in_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        pattern += in_.ConsumeRandomLengthString(8);
        break;
      case 1:
        pattern += "%%";
        break;
      default:
        pattern += "%" + KnownName() + "%";
      }
    }
    return pattern;
  }

  std::vector<std::pair<std::string, std::string>> Defaults() {
    std::vector<std::pair<std::string, std::string>> defaults;
    size_t count = in_.ConsumeIntegralInRange<size_t>(0, 6);
    for (size_t i = 0; i < count; ++i) {
      switch (in_.ConsumeIntegralInRange(0, 6)) {
      case 0:
        defaults.emplace_back("fields", FieldList());
        break;
      case 1:
        defaults.emplace_back("fields:" + KnownStruct(), FieldList());
        break;
      case 2:
        defaults.emplace_back("header:" + KnownStruct(), Header());
        break;
      case 3:
        defaults.emplace_back("units:" + KnownStruct() + "." + KnownName(), in_.ConsumeRandomLengthString(6));
        break;
      case 4:
        defaults.emplace_back("printf:" + KnownStruct() + "." + KnownName(), Printf());
        break;
      case 5:
        defaults.emplace_back("wrap-last", in_.ConsumeBool() ? "true" : in_.ConsumeRandomLengthString(5));
        break;
      default:
        defaults.emplace_back(in_.ConsumeRandomLengthString(12), in_.ConsumeRandomLengthString(12));
      }
    }
    return defaults;
  }

private:
  FuzzedDataProvider &in_;
  std::vector<std::string> names_;
  std::vector<std::string> structNames_;
};

// The machine formats show every field of a structure root, in template
// order, unless --fields chose some.
void CheckJson(const std::string &text, const MetaObjectPtr &root, bool fieldsGiven,
               const std::string &context) {
  nlohmann::ordered_json parsed;
  try {
    parsed = nlohmann::ordered_json::parse(text);
  } catch (const std::exception &error) {
    FuzzSupport::Fail(std::string("json output does not parse: ") + error.what(),
                      context + "\noutput:\n" + text);
  }
  if (fieldsGiven || !root || root->GetType() != MetaType::Struct)
    return;
  // Names with bytes past ASCII are left out of the comparison: broken UTF-8 is
  // replaced in the output, so two such names can print the same.
  const auto &fields = static_cast<const MetaStruct &>(*root).GetFields();
  for (const auto &field : fields) {
    if (std::any_of(field.first.begin(), field.first.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      return;
  }
  if (!parsed.is_object() || parsed.size() != fields.size())
    FuzzSupport::Fail("json output of a structure lacks fields", context + "\noutput:\n" + text);
  size_t index = 0;
  for (const auto &item : parsed.items()) {
    if (item.key() != fields[index++].first)
      FuzzSupport::Fail("json output changed the field order or names", context + "\noutput:\n" + text);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  // 0-5: chosen with --formatter; 6-11: the command's default; 12-13: an
  // unknown default, which falls back to simple; 14-15: an unknown --formatter.
  const unsigned choice = data[0] % 16;
  FuzzedDataProvider in(data + 1, size - 1);
  TreeBuilder builder(in);

  auto command = std::make_shared<TreeCommand>();
  command->result = builder.Root();
  command->shape = in.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : command->result;
  for (const auto &[key, value] : builder.Defaults())
    command->SetDefaultOutputParameter(key, FuzzSupport::BoundedWidths(value));
  if (in.ConsumeIntegralInRange(0, 5) == 0)
    command->errors.push_back(in.ConsumeRandomLengthString(20));

  std::string formatter;
  std::vector<std::string> args;
  if (choice < 6) {
    formatter = kFormatters[choice];
    args = {"--formatter", formatter};
  } else if (choice < 12) {
    formatter = kFormatters[choice - 6];
    command->SetDefaultOutputFormatter(formatter);
  } else if (choice < 14) {
    formatter = "simple";
    command->SetDefaultOutputFormatter(in.ConsumeRandomLengthString(8));
  } else {
    args = {"--formatter", in.ConsumeRandomLengthString(8)};
  }
  bool fieldsGiven = in.ConsumeIntegralInRange(0, 3) == 0;
  if (fieldsGiven) {
    args.push_back("--fields");
    args.push_back(builder.FieldList());
  }
  static const int widths[] = {0, 0, 1, 12, 40, 80, 200};
  int width = widths[in.ConsumeIntegralInRange<size_t>(0, std::size(widths) - 1)];
  args.push_back("fuzz");
  args.push_back("show");

  auto root = CliKit::AutoCli::Namespace::New();
  auto group = CliKit::AutoCli::Namespace::New();
  group->RegisterNamespaceNode(command, "show");
  root->RegisterNamespaceNode(group, "fuzz");
  CliKit::Cli cli(root);

  std::ostringstream out;
  std::ostringstream err;
  std::istringstream input;
  CliKit::Terminal terminal{&input, &out, &err, false, width};
  int status = cli.Run(args, terminal);

  const std::string context = "formatter choice " + std::to_string(choice) + ", width " +
                              std::to_string(width) + "\narguments:\n" + FuzzSupport::Describe(args) +
                              "stderr:\n" + err.str();
  if (status == CliKit::kExitException)
    FuzzSupport::Fail("printing failed with an internal error", context);
  if (status == CliKit::kExitUsage) {
    // Only an unknown --formatter or a --fields naming nothing is refused.
    if (choice < 14 && !fieldsGiven)
      FuzzSupport::Fail("a valid command line was refused", context);
    return 0;
  }
  if (status != (command->errors.empty() ? CliKit::kExitOk : CliKit::kExitCommandError))
    FuzzSupport::Fail("unexpected status " + std::to_string(status), context);
  if (formatter == "json" && command->result)
    CheckJson(out.str(), command->result, fieldsGiven, context);
  if (formatter == "xml" && command->result) {
    std::string problem = FuzzCheck::XmlProblem(out.str());
    if (!problem.empty())
      FuzzSupport::Fail("xml output is not well-formed: " + problem, context + "\noutput:\n" + out.str());
  }
  return 0;
}
