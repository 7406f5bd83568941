#include "Format.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace CliKit::Detail {

using MetaObj::MetaBool;
using MetaObj::MetaInt;
using MetaObj::MetaList;
using MetaObj::MetaString;
using MetaObj::MetaType;

std::string NormalizeName(const std::string &name) {
  size_t begin = 0;
  size_t end = name.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(name[begin])))
    ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(name[end - 1])))
    --end;
  std::string normalized = name.substr(begin, end - begin);
  for (char &c : normalized)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return normalized;
}

std::vector<std::string> SplitList(const std::string &text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos)
      comma = text.size();
    parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

std::string UnknownField(const MetaStruct &layout, const std::string &names) {
  for (const std::string &name : SplitList(names)) {
    const std::string key = NormalizeName(name);
    if (key.empty())
      continue;
    bool known = false;
    for (const auto &field : layout.GetFields())
      known = known || NormalizeName(field.first) == key;
    if (!known)
      return name;
  }
  return {};
}

size_t TextWidth(const std::string &text) {
  size_t width = 0;
  for (unsigned char c : text)
    width += (c & 0xC0) != 0x80;
  return width;
}

const MetaObject *ColumnPlan::Cell(const MetaStruct &row, size_t column) const {
  const auto &fields = row.GetFields();
  size_t at = hint[column];
  if (at < fields.size() && fields[at].first == names[column])
    return fields[at].second.get();
  for (const auto &field : fields) {
    if (field.first == names[column])
      return field.second.get();
  }
  return nullptr;
}

namespace {

bool IsOn(const std::string &value) {
  std::string normalized = NormalizeName(value);
  return normalized == "true" || normalized == "yes" || normalized == "1";
}

} // namespace

void AppendInteger(const MetaInt &value, std::string &out) {
  char buffer[24];
  auto result = value.IsUnsigned() ? std::to_chars(buffer, buffer + sizeof buffer, value.GetUnsignedValue())
                                   : std::to_chars(buffer, buffer + sizeof buffer, value.GetValue());
  out.append(buffer, result.ptr);
}

void AppendPlainText(const MetaObject &value, std::string &out) {
  switch (value.GetType()) {
  case MetaType::String:
    out += static_cast<const MetaString &>(value).GetValue();
    return;
  case MetaType::Int:
    AppendInteger(static_cast<const MetaInt &>(value), out);
    return;
  case MetaType::Bool:
    out += static_cast<const MetaBool &>(value).GetValue() ? "true" : "false";
    return;
  case MetaType::List: {
    bool first = true;
    for (const auto &element : static_cast<const MetaList &>(value).GetElements()) {
      if (!first)
        out += ", ";
      first = false;
      if (element)
        AppendPlainText(*element, out);
    }
    return;
  }
  case MetaType::Struct: {
    bool first = true;
    for (const auto &field : static_cast<const MetaStruct &>(value).GetFields()) {
      if (!first)
        out += ", ";
      first = false;
      out += field.first;
      out += ": ";
      if (field.second)
        AppendPlainText(*field.second, out);
    }
    return;
  }
  }
}

std::string PlainText(const MetaObject &value) {
  std::string text;
  AppendPlainText(value, text);
  return text;
}

namespace {

// The integer a value stands for, if any; `isUnsigned` when its bits are an
// unsigned value.
bool IntegerOf(const MetaObject &value, int64_t &number, bool &isUnsigned) {
  isUnsigned = false;
  switch (value.GetType()) {
  case MetaType::Int:
    number = static_cast<const MetaInt &>(value).GetValue();
    isUnsigned = static_cast<const MetaInt &>(value).IsUnsigned();
    return true;
  case MetaType::Bool:
    number = static_cast<const MetaBool &>(value).GetValue() ? 1 : 0;
    return true;
  case MetaType::String: {
    const std::string &text = static_cast<const MetaString &>(value).GetValue();
    auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
  }
  default:
    return false;
  }
}

std::string Literal(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
      ++i;
  }
  return out;
}

template <class... Args> std::string Formatted(const std::string &directive, Args... args) {
  char buffer[128];
  int length = std::snprintf(buffer, sizeof buffer, directive.c_str(), args...);
  if (length < 0)
    return {};
  if (static_cast<size_t>(length) < sizeof buffer)
    return std::string(buffer, static_cast<size_t>(length));
  std::string large(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(large.data(), large.size(), directive.c_str(), args...);
  large.resize(static_cast<size_t>(length));
  return large;
}

} // namespace

std::string ApplyPrintf(const std::string &format, const MetaObject &value) {
  size_t percent = 0;
  for (;; percent += 2) {
    percent = format.find('%', percent);
    if (percent == std::string::npos || percent + 1 >= format.size())
      return PlainText(value);
    if (format[percent + 1] != '%')
      break;
  }
  size_t at = percent + 1;
  std::string directive = "%";
  while (at < format.size() && std::string_view("-+ #0").find(format[at]) != std::string_view::npos)
    directive += format[at++];
  while (at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])))
    directive += format[at++];
  if (at < format.size() && format[at] == '.') {
    directive += format[at++];
    while (at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])))
      directive += format[at++];
  }
  // Length modifiers are dropped: the value's own type decides.
  while (at < format.size() && std::string_view("hljztLq").find(format[at]) != std::string_view::npos)
    ++at;
  if (at >= format.size())
    return PlainText(value);
  char conversion = format[at];
  std::string prefix = Literal(format.substr(0, percent));
  std::string suffix = Literal(format.substr(at + 1));

  int64_t number = 0;
  bool isUnsigned = false;
  std::string body;
  switch (conversion) {
  case 'd':
  case 'i':
    if (!IntegerOf(value, number, isUnsigned))
      return PlainText(value);
    body = isUnsigned ? Formatted(directive + "llu", static_cast<unsigned long long>(number))
                      : Formatted(directive + "lld", static_cast<long long>(number));
    break;
  case 'u':
  case 'x':
  case 'X':
  case 'o':
    if (!IntegerOf(value, number, isUnsigned))
      return PlainText(value);
    body = Formatted(directive + "ll" + conversion, static_cast<unsigned long long>(number));
    break;
  case 'c':
    if (!IntegerOf(value, number, isUnsigned))
      return PlainText(value);
    body = Formatted(directive + "c", static_cast<int>(number));
    break;
  case 'e':
  case 'E':
  case 'f':
  case 'F':
  case 'g':
  case 'G': {
    if (IntegerOf(value, number, isUnsigned)) {
      body = Formatted(directive + conversion, isUnsigned ? static_cast<double>(static_cast<uint64_t>(number))
                                                          : static_cast<double>(number));
      break;
    }
    std::string text = PlainText(value);
    char *end = nullptr;
    double real = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
      return text;
    body = Formatted(directive + conversion, real);
    break;
  }
  case 's':
    body = Formatted(directive + "s", PlainText(value).c_str());
    break;
  default:
    return PlainText(value);
  }
  return prefix + body + suffix;
}

View::View(const std::vector<std::pair<std::string, std::string>> &defaults, bool fieldsGiven,
           const std::string &fieldsOption, bool machine, int width)
    : fieldsGiven_(fieldsGiven), fieldsOption_(fieldsOption), machine_(machine), width_(width) {
  allFields_ = fieldsGiven && NormalizeName(fieldsOption) == "all";
  for (const auto &[key, value] : defaults) {
    // An init-capture: clang 14 cannot capture a structured binding directly.
    auto afterPrefix = [&key = key](const char *prefix) {
      return key.substr(std::char_traits<char>::length(prefix));
    };
    auto fieldKey = [](const std::string &rest) {
      size_t point = rest.find('.');
      if (point == std::string::npos)
        return FieldKey{rest, std::string()};
      return FieldKey{rest.substr(0, point), NormalizeName(rest.substr(point + 1))};
    };
    if (key == "fields") {
      hasRootFields_ = true;
      rootFields_ = value;
    } else if (key.rfind("fields:", 0) == 0) {
      structFields_[afterPrefix("fields:")] = value;
    } else if (key.rfind("header:", 0) == 0) {
      headers_[afterPrefix("header:")] = value;
    } else if (key.rfind("units:", 0) == 0) {
      units_.emplace_back(fieldKey(afterPrefix("units:")), value);
    } else if (key.rfind("printf:", 0) == 0) {
      printfs_.emplace_back(fieldKey(afterPrefix("printf:")), value);
    } else if (key == "wrap-last") {
      wrapLast_ = IsOn(value);
    }
  }
}

const std::string *View::Lookup(const std::vector<std::pair<FieldKey, std::string>> &table,
                                const std::string &structName, const std::string &fieldName) const {
  if (table.empty())
    return nullptr;
  std::string normalized = NormalizeName(fieldName);
  for (const auto &[key, value] : table) {
    if (key.structName == structName && key.field == normalized)
      return &value;
  }
  return nullptr;
}

ColumnPlan View::Plan(const MetaStruct &layout, bool rootLevel) const {
  const std::string *wanted = nullptr;
  if (allFields_) {
    wanted = nullptr;
  } else if (rootLevel && fieldsGiven_) {
    wanted = &fieldsOption_;
  } else if (!machine_) {
    auto found = structFields_.find(layout.GetName());
    if (found != structFields_.end())
      wanted = &found->second;
    else if (rootLevel && hasRootFields_)
      wanted = &rootFields_;
  }

  ColumnPlan plan;
  plan.structName = layout.GetName();
  const auto &fields = layout.GetFields();
  auto add = [&](size_t index) {
    plan.names.push_back(fields[index].first);
    plan.hint.push_back(index);
    plan.printfs.push_back(machine_ ? nullptr : Lookup(printfs_, layout.GetName(), fields[index].first));
    plan.units.push_back(machine_ ? nullptr : Lookup(units_, layout.GetName(), fields[index].first));
  };
  if (!wanted) {
    for (size_t i = 0; i < fields.size(); ++i)
      add(i);
    return plan;
  }
  std::vector<std::string> normalized;
  normalized.reserve(fields.size());
  for (const auto &field : fields)
    normalized.push_back(NormalizeName(field.first));
  std::vector<bool> taken(fields.size(), false);
  for (const std::string &name : SplitList(*wanted)) {
    std::string key = NormalizeName(name);
    for (size_t i = 0; i < fields.size(); ++i) {
      if (!taken[i] && normalized[i] == key) {
        taken[i] = true;
        add(i);
        break;
      }
    }
  }
  return plan;
}

const std::string *View::Header(const std::string &structName) const {
  auto found = headers_.find(structName);
  return found == headers_.end() ? nullptr : &found->second;
}

namespace {
std::string WithDecoration(const std::string *printfFormat, const std::string *unit,
                           const MetaObject &value) {
  std::string text = printfFormat ? ApplyPrintf(*printfFormat, value) : PlainText(value);
  if (unit && !text.empty()) {
    text += ' ';
    text += *unit;
  }
  return text;
}
} // namespace

std::string View::Decorate(const std::string &structName, const std::string &fieldName,
                           const MetaObject &value) const {
  if (machine_)
    return PlainText(value);
  return WithDecoration(Lookup(printfs_, structName, fieldName), Lookup(units_, structName, fieldName),
                        value);
}

std::string View::Decorate(const ColumnPlan &plan, size_t column, const MetaObject &value) const {
  if (!plan.printfs[column] && !plan.units[column])
    return PlainText(value);
  return WithDecoration(plan.printfs[column], plan.units[column], value);
}

std::string ExpandHeader(const std::string &pattern, const MetaStruct &row, const View &view,
                         std::vector<std::string> *usedFields) {
  std::string out;
  size_t at = 0;
  while (at < pattern.size()) {
    size_t open = pattern.find('%', at);
    if (open == std::string::npos) {
      out.append(pattern, at, std::string::npos);
      break;
    }
    out.append(pattern, at, open - at);
    size_t close = pattern.find('%', open + 1);
    if (close == std::string::npos) {
      out.append(pattern, open, std::string::npos);
      break;
    }
    std::string key = NormalizeName(pattern.substr(open + 1, close - open - 1));
    const std::pair<std::string, MetaObj::MetaObjectPtr> *match = nullptr;
    for (const auto &field : row.GetFields()) {
      if (NormalizeName(field.first) == key) {
        match = &field;
        break;
      }
    }
    if (close == open + 1) {
      out += '%';
    } else if (!match) {
      out.append(pattern, open, close - open + 1);
    } else {
      if (match->second)
        out += view.Decorate(row.GetName(), match->first, *match->second);
      if (usedFields)
        usedFields->push_back(match->first);
    }
    at = close + 1;
  }
  return out;
}

bool IsFormatterName(const std::string &name) {
  return name == "table" || name == "simple" || IsMachineFormatter(name);
}

bool IsMachineFormatter(const std::string &name) {
  return name == "json" || name == "xml" || name == "csv" || name == "keyvalue";
}

const char *FormatterNames() {
  return "table, simple, json, xml, csv, keyvalue";
}

std::string Render(const std::string &name, const MetaObj::MetaObjectPtr &root, const View &view) {
  if (!root)
    return {};
  if (name == "table")
    return RenderTable(*root, view);
  if (name == "json")
    return RenderJson(*root, view);
  if (name == "xml")
    return RenderXml(*root, view);
  if (name == "csv")
    return RenderCsv(*root, view);
  if (name == "keyvalue")
    return RenderKeyValue(*root, view);
  return RenderSimple(*root, view);
}

} // namespace CliKit::Detail
