// The command tree: namespaces, commands and the shell-command operation.
#pragma once

#include <clikit/CallSpec.h>
#include <clikit/Export.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CliKit::AutoCli {

class CLIKIT_API NamespaceNode : public std::enable_shared_from_this<NamespaceNode> {
public:
  NamespaceNode();
  virtual ~NamespaceNode();

  void SetDescription(const std::string &description) {
    description_ = description;
    hasDescription_ = true;
  }
  const std::string &GetDescription() const { return description_; }
  bool HasDescription() const { return hasDescription_; }

  // Attaches a namespace or command under `name`; children keep attachment order.
  // Registering and finding cost the same however many children a node has.
  virtual void RegisterNamespaceNode(std::shared_ptr<NamespaceNode> child, const std::string &name);
  std::shared_ptr<NamespaceNode> FindChild(const std::string &name) const;
  const std::vector<std::pair<std::string, std::shared_ptr<NamespaceNode>>> &GetChildren() const {
    return children_;
  }
  virtual bool IsCommand() const { return false; }

  // The owning shared pointer, filled when the node was created through New().
  std::shared_ptr<NamespaceNode> GetThis() { return shared_from_this(); }

private:
  std::string description_;
  bool hasDescription_ = false;
  std::vector<std::pair<std::string, std::shared_ptr<NamespaceNode>>> children_;
  // Name -> position in children_, built once a node has more than a handful of
  // children (a short scan is cheaper below that).
  struct ChildIndex;
  std::unique_ptr<ChildIndex> index_;
};

class CLIKIT_API Namespace : public NamespaceNode {
public:
  static std::shared_ptr<Namespace> New();
};

class CLIKIT_API CommandSpec {
public:
  virtual ~CommandSpec() = default;
  void SetDefaultOutputFormatter(const std::string &name) { formatter_ = name; }
  const std::string &GetDefaultOutputFormatter() const { return formatter_; }
  // Keys in the order set; setting a key again replaces its value in place.
  void SetDefaultOutputParameter(const std::string &key, const std::string &value);
  const std::vector<std::pair<std::string, std::string>> &GetDefaultOutputParameters() const {
    return outputParameters_;
  }
  void AddExample(const std::string &commandLineTail, const std::string &explanation) {
    examples_.push_back({commandLineTail, explanation});
  }
  const std::vector<CallSpec::Example> &GetExamples() const { return examples_; }

private:
  std::string formatter_;
  std::vector<std::pair<std::string, std::string>> outputParameters_;
  std::vector<CallSpec::Example> examples_;
};

class CLIKIT_API Command : public NamespaceNode, public CommandSpec {
public:
  Command() = default;
  bool IsCommand() const override { return true; }

  std::shared_ptr<CallSpec::InputSpec> GetInputSpec() { return GetInputSpecInternal(); }
  std::shared_ptr<CallSpec::OutputSpec> GetOutputSpec() { return GetOutputSpecInternal(); }
  void Execute(const std::shared_ptr<CallSpec::Input> &input,
               const std::shared_ptr<CallSpec::Output> &output) {
    ExecuteInternal(input, output);
  }

  virtual std::shared_ptr<CallSpec::InputSpec> GetInputSpecInternal() = 0;
  virtual std::shared_ptr<CallSpec::OutputSpec> GetOutputSpecInternal() = 0;
  virtual void ExecuteInternal(const std::shared_ptr<CallSpec::Input> &input,
                               const std::shared_ptr<CallSpec::Output> &output) = 0;
};

// Test seam for AutoCli_ShellCmd: the runner receives the command line and the
// text for its standard input, fills the captured output and returns the status.
using ShellRunner =
    std::function<int(const std::string &command, std::string &outputText, const std::string &inputText)>;
// Installs a runner and returns the previous one; an empty runner restores /bin/sh.
CLIKIT_API ShellRunner SetShellRunner(ShellRunner runner);
// What AutoCli_ShellCmd does without a runner: /bin/sh -c `command`. A runner
// that serves only some command lines hands the others to it.
CLIKIT_API int RunWithShell(const std::string &command, std::string &outputText,
                            const std::string &inputText);

} // namespace CliKit::AutoCli

// Runs `command` with /bin/sh -c, feeding `inputText` to its standard input and
// capturing its standard output into `outputText`. Returns 0 on success.
CLIKIT_API int AutoCli_ShellCmd(const std::string &command, std::string &outputText,
                                const std::string &inputText);
