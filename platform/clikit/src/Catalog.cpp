// --catalog: one JSON document describing the registered tree, texts verbatim.
#include "Describe.h"
#include "Parser.h"

#include <nlohmann/json.hpp>

namespace CliKit::Detail {

using Json = nlohmann::ordered_json;
using MetaObj::MetaType;

namespace {

Json TextOrNull(bool present, const std::string &text) {
  return present ? Json(text) : Json(nullptr);
}

const char *MetaTypeWord(MetaType type) {
  switch (type) {
  case MetaType::String:
    return "string";
  case MetaType::Int:
    return "int";
  case MetaType::Bool:
    return "bool";
  case MetaType::Struct:
    return "struct";
  case MetaType::List:
    return "list";
  }
  return "string";
}

Json Fields(const MetaObj::MetaStruct *layout) {
  Json fields = Json::array();
  if (!layout)
    return fields;
  for (const auto &[name, value] : layout->GetFields())
    fields.push_back({{"name", name}, {"type", value ? MetaTypeWord(value->GetType()) : "string"}});
  return fields;
}

Json OutputShape(const MetaObj::MetaObjectPtr &root) {
  if (!root)
    return nullptr;
  Json shape = Json::object();
  shape["kind"] = MetaTypeWord(root->GetType());
  const MetaObj::MetaStruct *layout = nullptr;
  if (root->GetType() == MetaType::List) {
    const auto &list = static_cast<const MetaObj::MetaList &>(*root);
    shape["elements"] = MetaTypeWord(list.GetElementType());
    layout = list.GetRowTemplate().get();
  } else if (root->GetType() == MetaType::Struct) {
    layout = static_cast<const MetaObj::MetaStruct *>(root.get());
  }
  shape["structure"] = layout ? Json(layout->GetName()) : Json(nullptr);
  shape["fields"] = Fields(layout);
  return shape;
}

Json Constraint(const CallSpec::ParameterConstraint *constraint) {
  if (!constraint)
    return nullptr;
  if (constraint->GetKind() == CallSpec::ParameterConstraintType::IntRange)
    return {{"kind", "range"}, {"low", constraint->GetLow()}, {"high", constraint->GetHigh()}};
  Json values = Json::array();
  for (const auto &value : constraint->GetEnumValues())
    values.push_back(
        {{"value", value.value}, {"description", TextOrNull(value.hasDescription, value.description)}});
  return {{"kind", "enum"}, {"values", values}};
}

Json Command(const std::vector<std::string> &path, AutoCli::Command &command) {
  auto spec = command.GetInputSpec();
  Json entry = Json::object();
  entry["path"] = path;
  entry["description"] = TextOrNull(command.HasDescription(), command.GetDescription());
  const std::string &formatter = command.GetDefaultOutputFormatter();
  entry["formatter"] = TextOrNull(!formatter.empty(), formatter);
  Json parameters = Json::array();
  for (const auto &[key, value] : command.GetDefaultOutputParameters())
    parameters.push_back(Json::array({key, value}));
  entry["outputParameters"] = parameters;
  Json examples = Json::array();
  for (const auto &example : AllExamples(command, spec.get()))
    examples.push_back(Json::array({example.commandLineTail, example.explanation}));
  entry["examples"] = examples;
  Json params = Json::array();
  if (spec) {
    for (const auto &param : spec->GetParameters()) {
      Json item = Json::object();
      item["long"] = param->GetName();
      item["short"] = TextOrNull(!param->GetShortName().empty(), param->GetShortName());
      item["type"] = TypeName(param->GetType());
      item["required"] = param->IsRequired();
      item["secret"] = param->IsSecret();
      item["constraint"] = Constraint(param->GetConstraint().get());
      item["description"] = param->GetDescription();
      params.push_back(std::move(item));
    }
  }
  entry["parameters"] = params;
  auto outputSpec = command.GetOutputSpec();
  entry["output"] = OutputShape(outputSpec ? outputSpec->GetRootObject() : nullptr);
  return entry;
}

void Walk(const AutoCli::NamespaceNode &node, std::vector<std::string> &path, Json &namespaces,
          Json &commands) {
  for (const auto &[name, child] : node.GetChildren()) {
    path.push_back(name);
    if (child->IsCommand()) {
      commands.push_back(Command(path, dynamic_cast<AutoCli::Command &>(*child)));
    } else {
      namespaces.push_back(
          {{"path", path}, {"description", TextOrNull(child->HasDescription(), child->GetDescription())}});
      Walk(*child, path, namespaces, commands);
    }
    path.pop_back();
  }
}

} // namespace

std::string Catalog(const AutoCli::NamespaceNode &root) {
  Json namespaces = Json::array();
  Json commands = Json::array();
  std::vector<std::string> path;
  Walk(root, path, namespaces, commands);
  Json document = Json::object();
  document["schemaVersion"] = 1;
  document["namespaces"] = std::move(namespaces);
  document["commands"] = std::move(commands);
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace CliKit::Detail
