// The other views for scripts: xml, csv and keyvalue. Values are shown as they
// are (no units, no printf conversions); every field is shown unless --fields
// chose some.
#include "Format.h"

#include <charconv>

namespace CliKit::Detail {

using MetaObj::MetaBool;
using MetaObj::MetaInt;
using MetaObj::MetaList;
using MetaObj::MetaString;
using MetaObj::MetaType;

namespace {

const MetaStruct *AsStruct(const MetaObject *value) {
  return value && value->GetType() == MetaType::Struct ? static_cast<const MetaStruct *>(value) : nullptr;
}

// One plan per list, from its template or first row.
ColumnPlan ListPlan(const MetaList &list, const View &view, bool rootLevel, bool &found) {
  found = false;
  if (list.GetRowTemplate()) {
    found = true;
    return view.Plan(*list.GetRowTemplate(), rootLevel);
  }
  for (const auto &element : list.GetElements()) {
    if (const MetaStruct *row = AsStruct(element.get())) {
      found = true;
      return view.Plan(*row, rootLevel);
    }
  }
  return {};
}

const char *TypeWord(const MetaObject &value) {
  switch (value.GetType()) {
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

// The machine text of a scalar: unset booleans are empty.
std::string MachineText(const MetaObject &value) {
  if (value.GetType() == MetaType::Bool && !static_cast<const MetaBool &>(value).HasValue())
    return {};
  return PlainText(value);
}

// --- xml ---

void XmlEscape(const std::string &text, std::string &out) {
  size_t plainStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    const char *entity = nullptr;
    size_t span = 1; // the bytes the entity replaces
    switch (c) {
    case '&':
      entity = "&amp;";
      break;
    case '<':
      entity = "&lt;";
      break;
    case '>':
      entity = "&gt;";
      break;
    case '"':
      entity = "&quot;";
      break;
    default: {
      auto byte = static_cast<unsigned char>(c);
      // Control characters other than tab and line ends cannot appear in XML 1.0.
      if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
        entity = "?";
      } else if (byte >= 0x80) {
        // Neither can bytes that are not UTF-8, nor U+FFFE and U+FFFF: the
        // document says UTF-8, so they become U+FFFD, as in the json view.
        size_t length = Utf8Length(text, i);
        bool nonCharacter = length == 3 && byte == 0xEF && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                            static_cast<unsigned char>(text[i + 2]) >= 0xBE;
        if (length == 0 || nonCharacter) {
          entity = "\xEF\xBF\xBD";
          span = length == 0 ? 1 : length;
        } else {
          i += length - 1;
        }
      }
    }
    }
    if (!entity)
      continue;
    out.append(text, plainStart, i - plainStart);
    out += entity;
    plainStart = i + span;
    i += span - 1;
  }
  out.append(text, plainStart, std::string::npos);
}

void XmlValue(const MetaObject *value, const View &view, bool rootLevel, size_t depth, std::string &out);

void XmlIndent(size_t depth, std::string &out) {
  out.append(depth * 2, ' ');
}

void XmlStruct(const MetaStruct &record, const ColumnPlan &plan, const View &view, size_t depth,
               std::string &out) {
  XmlIndent(depth, out);
  out += "<struct name=\"";
  XmlEscape(record.GetName(), out);
  out += "\">\n";
  for (size_t c = 0; c < plan.names.size(); ++c) {
    const MetaObject *value = plan.Cell(record, c);
    XmlIndent(depth + 1, out);
    out += "<field name=\"";
    XmlEscape(plan.names[c], out);
    out += "\">";
    if (value && (value->GetType() == MetaType::Struct || value->GetType() == MetaType::List)) {
      out += '\n';
      XmlValue(value, view, false, depth + 2, out);
      XmlIndent(depth + 1, out);
    } else if (value) {
      XmlValue(value, view, false, 0, out);
      out.pop_back(); // keep a scalar on the field's line
    }
    out += "</field>\n";
  }
  XmlIndent(depth, out);
  out += "</struct>\n";
}

void XmlValue(const MetaObject *value, const View &view, bool rootLevel, size_t depth, std::string &out) {
  XmlIndent(depth, out);
  if (!value) {
    out += "<null/>\n";
    return;
  }
  switch (value->GetType()) {
  case MetaType::String:
  case MetaType::Int:
  case MetaType::Bool: {
    std::string text = MachineText(*value);
    const char *word = TypeWord(*value);
    if (text.empty() && value->GetType() == MetaType::Bool) {
      out += "<bool/>\n";
      return;
    }
    out += '<';
    out += word;
    out += '>';
    XmlEscape(text, out);
    out += "</";
    out += word;
    out += ">\n";
    return;
  }
  case MetaType::Struct: {
    out.resize(out.size() - depth * 2);
    const auto &record = static_cast<const MetaStruct &>(*value);
    XmlStruct(record, view.Plan(record, rootLevel), view, depth, out);
    return;
  }
  case MetaType::List: {
    const auto &list = static_cast<const MetaList &>(*value);
    out += list.GetElementType() == MetaType::Struct ? "<list elements=\"struct\">\n"
                                                     : "<list elements=\"string\">\n";
    bool found = false;
    ColumnPlan plan = ListPlan(list, view, rootLevel, found);
    for (const auto &element : list.GetElements()) {
      if (const MetaStruct *row = AsStruct(element.get()))
        XmlStruct(*row, plan, view, depth + 1, out);
      else
        XmlValue(element.get(), view, false, depth + 1, out);
    }
    XmlIndent(depth, out);
    out += "</list>\n";
    return;
  }
  }
}

// --- csv ---

void CsvField(const std::string &text, std::string &out) {
  bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
               (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"')
      out += '"';
    out += c;
  }
  out += '"';
}

void CsvRow(const MetaStruct &record, const ColumnPlan &plan, std::string &out) {
  for (size_t c = 0; c < plan.names.size(); ++c) {
    if (c > 0)
      out += ',';
    const MetaObject *value = plan.Cell(record, c);
    CsvField(value ? MachineText(*value) : std::string(), out);
  }
  out += '\n';
}

void CsvHeader(const ColumnPlan &plan, std::string &out) {
  for (size_t c = 0; c < plan.names.size(); ++c) {
    if (c > 0)
      out += ',';
    CsvField(plan.names[c], out);
  }
  out += '\n';
}

// --- keyvalue ---

void KvEscape(const std::string &text, std::string &out) {
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
}

void KvIndex(size_t index, std::string &key) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, index);
  key += '[';
  key.append(buffer, result.ptr);
  key += ']';
}

void KvValue(const MetaObject *value, const View &view, bool rootLevel, std::string &key, std::string &out);

void KvStruct(const MetaStruct &record, const ColumnPlan &plan, const View &view, std::string &key,
              std::string &out) {
  size_t keyLength = key.size();
  for (size_t c = 0; c < plan.names.size(); ++c) {
    if (!key.empty())
      key += '.';
    key += plan.names[c];
    KvValue(plan.Cell(record, c), view, false, key, out);
    key.resize(keyLength);
  }
}

void KvValue(const MetaObject *value, const View &view, bool rootLevel, std::string &key, std::string &out) {
  if (value && value->GetType() == MetaType::Struct) {
    const auto &record = static_cast<const MetaStruct &>(*value);
    KvStruct(record, view.Plan(record, rootLevel), view, key, out);
    return;
  }
  if (value && value->GetType() == MetaType::List) {
    const auto &list = static_cast<const MetaList &>(*value);
    if (list.Size() == 0) {
      out += key;
      out += "=\n";
      return;
    }
    bool found = false;
    ColumnPlan plan = ListPlan(list, view, rootLevel, found);
    size_t keyLength = key.size();
    size_t index = 0;
    for (const auto &element : list.GetElements()) {
      KvIndex(index++, key);
      if (const MetaStruct *row = AsStruct(element.get()))
        KvStruct(*row, plan, view, key, out);
      else
        KvValue(element.get(), view, false, key, out);
      key.resize(keyLength);
    }
    return;
  }
  out += key;
  out += '=';
  if (value)
    KvEscape(MachineText(*value), out);
  out += '\n';
}

} // namespace

std::string RenderXml(const MetaObject &root, const View &view) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<output>\n";
  if (root.GetType() == MetaType::List)
    out.reserve(static_cast<const MetaList &>(root).Size() * 512);
  XmlValue(&root, view, true, 1, out);
  out += "</output>\n";
  return out;
}

std::string RenderCsv(const MetaObject &root, const View &view) {
  std::string out;
  if (const MetaStruct *record = AsStruct(&root)) {
    ColumnPlan plan = view.Plan(*record, true);
    CsvHeader(plan, out);
    CsvRow(*record, plan, out);
    return out;
  }
  if (root.GetType() != MetaType::List) {
    CsvField(MachineText(root), out);
    out += '\n';
    return out;
  }
  const auto &list = static_cast<const MetaList &>(root);
  bool found = false;
  ColumnPlan plan = ListPlan(list, view, true, found);
  if (found)
    CsvHeader(plan, out);
  for (const auto &element : list.GetElements()) {
    if (const MetaStruct *row = AsStruct(element.get())) {
      CsvRow(*row, plan, out);
    } else {
      CsvField(element ? MachineText(*element) : std::string(), out);
      out += '\n';
    }
  }
  return out;
}

std::string RenderKeyValue(const MetaObject &root, const View &view) {
  std::string out;
  std::string key;
  if (const MetaStruct *record = AsStruct(&root))
    key = record->GetName();
  else if (root.GetType() == MetaType::List && static_cast<const MetaList &>(root).GetRowTemplate())
    key = static_cast<const MetaList &>(root).GetRowTemplate()->GetName();
  else if (root.GetType() == MetaType::List) {
    const auto &list = static_cast<const MetaList &>(root);
    const MetaStruct *first = list.Size() ? AsStruct(list.GetElements().front().get()) : nullptr;
    key = first ? first->GetName() : "value";
  } else
    key = "value";
  KvValue(&root, view, true, key, out);
  return out;
}

} // namespace CliKit::Detail
