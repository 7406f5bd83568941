// The json view: the tree as it is, with nothing wrapped around the root, so
// scripts can index it directly. Written in one pass into one string (two-space
// indentation), because building a document tree first costs several times more
// on long lists.
#include "Format.h"

namespace CliKit::Detail {

using MetaObj::MetaBool;
using MetaObj::MetaInt;
using MetaObj::MetaList;
using MetaObj::MetaString;
using MetaObj::MetaType;

// Length of the valid UTF-8 sequence at `at`, or 0 when it is not valid.
size_t Utf8Length(const std::string &text, size_t at) {
  auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  size_t length = 0;
  unsigned minimum = 0;
  unsigned code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size())
    return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

namespace {

// A JSON string; text that is not valid UTF-8 is replaced (U+FFFD) rather than failing the output.
void AppendString(const std::string &text, std::string &out) {
  static const char hex[] = "0123456789abcdef";
  out += '"';
  size_t plainStart = 0;
  auto flush = [&](size_t upTo) { out.append(text, plainStart, upTo - plainStart); };
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0x80) {
      size_t length = Utf8Length(text, i);
      if (length) {
        i += length;
        continue;
      }
      flush(i);
      out += "\\ufffd";
      plainStart = ++i;
      continue;
    }
    flush(i);
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\b':
      out += "\\b";
      break;
    case '\f':
      out += "\\f";
      break;
    default:
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 0xF];
    }
    plainStart = ++i;
  }
  flush(text.size());
  out += '"';
}

void NewLine(size_t depth, std::string &out) {
  out += '\n';
  out.append(depth * 2, ' ');
}

void AppendValue(const MetaObject *value, const View &view, bool rootLevel, size_t depth, std::string &out);

void AppendStruct(const MetaStruct &record, const ColumnPlan &plan, const View &view, size_t depth,
                  std::string &out) {
  if (plan.names.empty()) {
    out += "{}";
    return;
  }
  out += '{';
  for (size_t c = 0; c < plan.names.size(); ++c) {
    if (c > 0)
      out += ',';
    NewLine(depth + 1, out);
    AppendString(plan.names[c], out);
    out += ": ";
    AppendValue(plan.Cell(record, c), view, false, depth + 1, out);
  }
  NewLine(depth, out);
  out += '}';
}

void AppendValue(const MetaObject *value, const View &view, bool rootLevel, size_t depth, std::string &out) {
  if (!value) {
    out += "null";
    return;
  }
  switch (value->GetType()) {
  case MetaType::String:
    AppendString(static_cast<const MetaString *>(value)->GetValue(), out);
    return;
  case MetaType::Int:
    AppendInteger(*static_cast<const MetaInt *>(value), out);
    return;
  case MetaType::Bool: {
    const auto *flag = static_cast<const MetaBool *>(value);
    out += !flag->HasValue() ? "null" : flag->GetValue() ? "true" : "false";
    return;
  }
  case MetaType::Struct: {
    const auto &record = static_cast<const MetaStruct &>(*value);
    AppendStruct(record, view.Plan(record, rootLevel), view, depth, out);
    return;
  }
  case MetaType::List: {
    const auto &list = static_cast<const MetaList &>(*value);
    if (list.Size() == 0) {
      out += "[]";
      return;
    }
    // Rows of one list share a plan, made from the template when there is one.
    const MetaStruct *layout = list.GetRowTemplate().get();
    ColumnPlan plan;
    bool planned = false;
    out += '[';
    bool first = true;
    for (const auto &element : list.GetElements()) {
      if (!first)
        out += ',';
      first = false;
      NewLine(depth + 1, out);
      if (element && element->GetType() == MetaType::Struct) {
        const auto &row = static_cast<const MetaStruct &>(*element);
        if (!planned) {
          plan = view.Plan(layout ? *layout : row, rootLevel);
          planned = true;
        }
        AppendStruct(row, plan, view, depth + 1, out);
      } else {
        AppendValue(element.get(), view, false, depth + 1, out);
      }
    }
    NewLine(depth, out);
    out += ']';
    return;
  }
  }
}

} // namespace

std::string RenderJson(const MetaObject &root, const View &view) {
  std::string out;
  if (root.GetType() == MetaType::List)
    out.reserve(static_cast<const MetaList &>(root).Size() * 256);
  AppendValue(&root, view, true, 0, out);
  out += '\n';
  return out;
}

} // namespace CliKit::Detail
