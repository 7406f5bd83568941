// Arbitrary documents through the host-state loader. A document either loads
// or is refused with a StateError; anything else escaping is a finding. A
// document that loads must save and load again to the same document, and the
// listings must run and print on it without an internal failure.
#include "FuzzSupport.h"

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <typeinfo>

namespace {

// Commands named "list" or "get" that need no parameter, found in the tree.
std::vector<std::vector<std::string>> &Listings() {
  static std::vector<std::vector<std::string>> listings;
  return listings;
}

void CollectListings(CliKit::AutoCli::NamespaceNode &node, std::vector<std::string> &path) {
  for (const auto &[name, child] : node.GetChildren()) {
    path.push_back(name);
    if (child->IsCommand()) {
      auto &command = static_cast<CliKit::AutoCli::Command &>(*child);
      bool needsParameter = false;
      if (auto declared = command.GetInputSpec()) {
        for (const auto &parameter : declared->GetParameters())
          needsParameter = needsParameter || parameter->IsRequired();
      }
      if (!needsParameter && (name == "list" || name == "get"))
        Listings().push_back(path);
    } else {
      CollectListings(*child, path);
    }
    path.pop_back();
  }
}

std::string Context(const std::string &document) {
  std::string shown = document.size() > 4000 ? document.substr(0, 4000) + "..." : document;
  return "document:\n" + shown;
}

// Loads `text`; true when it loaded, false when refused with a StateError.
bool Load(const std::string &text, const std::string &context) {
  try {
    OlkCtl::Sim::UseHostFromJson(text);
    return true;
  } catch (const OlkCtl::Sim::StateError &error) {
    if (std::string(error.what()).find_first_of("\r\n") != std::string::npos)
      FuzzSupport::Fail("a StateError of more than one line: " + std::string(error.what()), context);
    return false;
  } catch (const std::exception &error) {
    FuzzSupport::Fail(std::string("the loader threw ") + typeid(error).name() +
                          " instead of StateError: " + error.what(),
                      context);
  } catch (...) {
    FuzzSupport::Fail("the loader threw something that is not an exception", context);
  }
}

// ---- structure-aware mutation ----
// Byte mutations of a host document rarely keep it loadable, so most
// mutations parse the document and change one value: a name swapped for
// another name of the document (a path naming another device), an extreme
// number, a removed or repeated list element, a member dropped or retyped.

using Document = nlohmann::ordered_json;
using Random = std::minstd_rand;

size_t Below(Random &random, size_t bound) {
  return bound == 0 ? 0 : random() % bound;
}

void Collect(Document &node, std::vector<Document *> &nodes, std::vector<std::string> &texts) {
  nodes.push_back(&node);
  if (node.is_string())
    texts.push_back(node.get<std::string>());
  if (node.is_structured()) {
    for (auto &child : node)
      Collect(child, nodes, texts);
  }
}

void MutateString(Document &node, const std::vector<std::string> &texts, Random &random) {
  static const char *const odd[] = {"", " ", "-", "*", "0", "\u00e9\u65e5", "a\tb", "a\nb", "naa.", "olhba0"};
  switch (Below(random, 5)) {
  case 0:
  case 1:
    node = texts[Below(random, texts.size())];
    break;
  case 2:
    node = odd[Below(random, std::size(odd))];
    break;
  case 3:
    node = std::string(Below(random, 3) == 0 ? 70000 : 300, 'x');
    break;
  default: {
    std::string text = node.get<std::string>();
    if (!text.empty())
      text.erase(Below(random, text.size()), 1);
    node = text;
  }
  }
}

void MutateNumber(Document &node, Random &random) {
  switch (Below(random, 8)) {
  case 0:
    node = 0;
    break;
  case 1:
    node = -1;
    break;
  case 2:
    node = std::numeric_limits<int64_t>::max();
    break;
  case 3:
    node = std::numeric_limits<int64_t>::min();
    break;
  case 4:
    node = std::numeric_limits<uint64_t>::max();
    break;
  case 5:
    node = 0.5;
    break;
  case 6:
    node = 1e300;
    break;
  default:
    // One off, wrapping at the ends of the range.
    if (node.is_number_integer())
      node = static_cast<int64_t>(node.get<uint64_t>() + (Below(random, 2) ? 1 : UINT64_MAX));
    else
      node = 7;
  }
}

void MutateContainer(Document &node, Random &random) {
  if (node.empty()) {
    node = nullptr;
    return;
  }
  if (node.is_array()) {
    size_t at = Below(random, node.size());
    switch (Below(random, 3)) {
    case 0:
      node.erase(at);
      break;
    case 1: {
      Document copy = node[at];
      node.insert(node.begin() + static_cast<long>(Below(random, node.size() + 1)), std::move(copy));
      break;
    }
    default:
      std::swap(node[at], node[Below(random, node.size())]);
    }
    return;
  }
  auto member = node.begin();
  std::advance(member, static_cast<long>(Below(random, node.size())));
  static const Document others[] = {nullptr, 0, "", Document::array(), Document::object(), true};
  if (Below(random, 2) == 0)
    node.erase(member);
  else
    member.value() = others[Below(random, std::size(others))];
}

bool MutateDocument(Document &document, Random &random) {
  std::vector<Document *> nodes;
  std::vector<std::string> texts;
  Collect(document, nodes, texts);
  if (nodes.size() < 2)
    return false;
  size_t changes = 1 + Below(random, 3);
  for (size_t i = 0; i < changes; ++i) {
    Document &node = *nodes[1 + Below(random, nodes.size() - 1)];
    if (node.is_string() && !texts.empty())
      MutateString(node, texts, random);
    else if (node.is_number())
      MutateNumber(node, random);
    else if (node.is_boolean())
      node = !node.get<bool>();
    else if (node.is_structured())
      MutateContainer(node, random);
    else
      node = texts.empty() ? Document(0) : Document(texts[Below(random, texts.size())]);
    // Pointers into a changed container may dangle: collect again.
    nodes.clear();
    texts.clear();
    Collect(document, nodes, texts);
    if (nodes.size() < 2)
      break;
  }
  return true;
}

} // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed) {
  Random random(seed);
  if (Below(random, 4) != 0) {
    Document document = Document::parse(data, data + size, nullptr, false);
    if (!document.is_discarded() && MutateDocument(document, random)) {
      std::string text =
          document.dump(Below(random, 2) ? 2 : -1, ' ', false, Document::error_handler_t::replace);
      if (text.size() <= maxSize) {
        std::memcpy(data, text.data(), text.size());
        return text.size();
      }
    }
  }
  return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  FuzzSupport::InstallDefaultHost();
  std::vector<std::string> path;
  CollectListings(FuzzSupport::PluginRoot(), path);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string document(reinterpret_cast<const char *>(data), size);
  const std::string context = Context(document);
  const bool loaded = Load(document, context);
  if (std::getenv("ORLOCLI_FUZZ_VERBOSE"))
    std::fprintf(stderr, "%s\n", loaded ? "loaded" : "refused");
  if (!loaded)
    return 0;

  std::string saved;
  try {
    OlkCtl::Sim::FillFeatureList();
    saved = OlkCtl::Sim::CurrentStateJson();
  } catch (const std::exception &error) {
    FuzzSupport::Fail(std::string("a loaded host could not be saved: ") + error.what(), context);
  }
  if (!Load(saved, context + "\nsaved as:\n" + saved))
    FuzzSupport::Fail("the saved form of a loaded host does not load", context + "\nsaved as:\n" + saved);
  const std::string again = OlkCtl::Sim::CurrentStateJson();
  if (again != saved)
    FuzzSupport::Fail("saving, loading and saving again changed the document",
                      context + "\nfirst save:\n" + saved + "\nsecond save:\n" + again);

  // Whatever the loader accepts, the commands and formatters must cope with.
  // Injected faults are cleared first: they make commands fail on purpose.
  OlkCtl::Sim::ClearFaults();
  static const char *const formatters[] = {nullptr, "json", "xml"};
  const char *formatter = formatters[size % 3];
  for (const auto &listing : Listings()) {
    std::vector<std::string> args = listing;
    if (formatter)
      args.insert(args.begin(), {"--formatter", formatter});
    FuzzSupport::NullStream out;
    std::ostringstream err;
    std::istringstream in;
    CliKit::Terminal terminal{&in, &out, &err, false, 80};
    if (FuzzSupport::PluginCli().Run(args, terminal) == CliKit::kExitException)
      FuzzSupport::Fail("an internal failure on a host the loader accepted: " + err.str(),
                        context + "\ncommand:\n" + FuzzSupport::Describe(args));
  }
  return 0;
}
