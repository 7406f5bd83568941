// A minimal orlocli plug-in: the namespace `hello` with one command, `greet`.
#include <clikit/AutoCli.h>
#include <clikit/CallSpec.h>
#include <clikit/MetaObj.h>

#include <memory>
#include <string>

using namespace CliKit;

namespace {

class Greet : public AutoCli::Command {
public:
  Greet() {
    SetDescription("Greet someone by name.");
    SetDefaultOutputFormatter("simple");
    AddExample("--name Ada", "Greet Ada.");
  }

  std::shared_ptr<CallSpec::InputSpec> GetInputSpecInternal() override {
    auto spec = CallSpec::InputSpec::New();
    auto name = CallSpec::ParameterSpec::New("name", CallSpec::ParameterType::String);
    name->SetShortName("n");
    name->SetDescription("Who to greet (default: world).");
    spec->AddParameter(name);
    return spec;
  }

  std::shared_ptr<CallSpec::OutputSpec> GetOutputSpecInternal() override {
    auto spec = CallSpec::OutputSpec::New();
    spec->SetRootObject(MetaObj::MetaString::New());
    return spec;
  }

  void ExecuteInternal(const std::shared_ptr<CallSpec::Input> &input,
                       const std::shared_ptr<CallSpec::Output> &output) override {
    std::string name = input->HasParameter("name") ? input->GetParameter("name") : "world";
    if (name.empty()) {
      output->AddErrorMessage("The name must not be empty.");
      return;
    }
    output->SetRootObject(MetaObj::MetaString::New("Hello, " + name + "!"));
  }
};

} // namespace

// orlocli calls this once with the root of its tree. Attach a whole subtree at
// once, after it is complete.
extern "C" __attribute__((visibility("default"))) void
AutoCli_RegisterNamespaces(std::shared_ptr<AutoCli::NamespaceNode> root) {
  auto hello = AutoCli::Namespace::New();
  hello->SetDescription("Example plug-in commands.");
  auto greet = std::make_shared<Greet>();
  hello->RegisterNamespaceNode(greet, "greet");
  root->RegisterNamespaceNode(hello, "hello");
}
