// The human views: "table" (one row per element under column headers) and
// "simple" (one block of "Name: value" lines per element).
#include "Format.h"

#include <algorithm>
#include <limits>

namespace CliKit::Detail {

using MetaObj::MetaList;
using MetaObj::MetaString;
using MetaObj::MetaType;

namespace {

constexpr size_t kColumnGap = 2;
constexpr size_t kIndent = 3;
// A cut or wrapped last column keeps at least this many characters, even past the width.
constexpr size_t kMinLastColumn = 10;

const MetaStruct *AsStruct(const MetaObject *value) {
  return value && value->GetType() == MetaType::Struct ? static_cast<const MetaStruct *>(value) : nullptr;
}

// The structure layout the rows of a list follow: its template, else its first row.
const MetaStruct *RowLayout(const MetaList &list) {
  if (list.GetRowTemplate())
    return list.GetRowTemplate().get();
  for (const auto &element : list.GetElements()) {
    if (const MetaStruct *row = AsStruct(element.get()))
      return row;
  }
  return nullptr;
}

bool HoldsStructs(const MetaList &list) {
  return list.GetElementType() == MetaType::Struct || (!list.GetElements().empty() && RowLayout(list));
}

// Byte offset of the first `columns` code points of `text`.
size_t OffsetOfColumn(const std::string &text, size_t columns) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (seen == columns)
        return i;
      ++seen;
    }
  }
  return text.size();
}

void FlattenLines(std::string &text) {
  if (text.find_first_of("\n\r\t") == std::string::npos)
    return;
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
}

// Pieces of at most `width` code points, broken after a blank where one is near.
std::vector<std::string> Wrap(const std::string &text, size_t width) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    std::string rest = text.substr(start);
    if (TextWidth(rest) <= width) {
      pieces.push_back(rest);
      break;
    }
    size_t cut = OffsetOfColumn(rest, width);
    size_t blank = rest.rfind(' ', cut);
    size_t take = (blank != std::string::npos && blank > 0) ? blank : cut;
    pieces.push_back(rest.substr(0, take));
    start += take;
    while (start < text.size() && text[start] == ' ')
      ++start;
  }
  if (pieces.empty())
    pieces.emplace_back();
  return pieces;
}

void AppendPadding(std::string &out, size_t count) {
  out.append(count, ' ');
}

void TrimLineEnd(std::string &out, size_t lineStart) {
  size_t end = out.size();
  while (end > lineStart && out[end - 1] == ' ')
    --end;
  out.resize(end);
}

// Lays out `cells` (row-major, names.size() per row) under the column names.
std::string TableText(const std::vector<std::string> &names, const std::vector<std::string> &cells,
                      const View &view) {
  size_t columns = names.size();
  if (columns == 0)
    return {};
  size_t rows = cells.size() / columns;
  std::vector<size_t> widths(columns);
  std::vector<size_t> cellWidths(cells.size());
  for (size_t c = 0; c < columns; ++c)
    widths[c] = TextWidth(names[c]);
  for (size_t i = 0; i < cells.size(); ++i) {
    cellWidths[i] = TextWidth(cells[i]);
    widths[i % columns] = std::max(widths[i % columns], cellWidths[i]);
  }
  size_t lastStart = 0;
  for (size_t c = 0; c + 1 < columns; ++c)
    lastStart += widths[c] + kColumnGap;
  size_t last = columns - 1;
  size_t lastWidth = std::numeric_limits<size_t>::max();
  if (view.Width() > 0 && lastStart + widths[last] > static_cast<size_t>(view.Width()))
    lastWidth = std::max(static_cast<size_t>(view.Width()) > lastStart ? view.Width() - lastStart : 0,
                         kMinLastColumn);
  bool wrap = view.WrapLast();

  std::string out;
  out.reserve((rows + 2) * (lastStart + std::min(widths[last], lastWidth) + 1));
  auto emitRow = [&](const std::string *rowCells, const size_t *rowWidths) {
    size_t lineStart = out.size();
    for (size_t c = 0; c < last; ++c) {
      out += rowCells[c];
      AppendPadding(out, widths[c] - rowWidths[c] + kColumnGap);
    }
    const std::string &lastCell = rowCells[last];
    if (rowWidths[last] <= lastWidth) {
      out += lastCell;
    } else if (!wrap) {
      out.append(lastCell, 0, OffsetOfColumn(lastCell, lastWidth));
    } else {
      std::vector<std::string> pieces = Wrap(lastCell, lastWidth);
      for (size_t p = 0; p < pieces.size(); ++p) {
        if (p > 0) {
          TrimLineEnd(out, lineStart);
          out += '\n';
          lineStart = out.size();
          AppendPadding(out, lastStart);
        }
        out += pieces[p];
      }
    }
    TrimLineEnd(out, lineStart);
    out += '\n';
  };

  std::vector<size_t> nameWidths(columns);
  std::vector<std::string> dashes(columns);
  std::vector<size_t> dashWidths(columns);
  for (size_t c = 0; c < columns; ++c) {
    nameWidths[c] = TextWidth(names[c]);
    dashWidths[c] = c == last ? std::min(widths[c], lastWidth) : widths[c];
    dashes[c].assign(dashWidths[c], '-');
  }
  emitRow(names.data(), nameWidths.data());
  emitRow(dashes.data(), dashWidths.data());
  for (size_t r = 0; r < rows; ++r)
    emitRow(&cells[r * columns], &cellWidths[r * columns]);
  return out;
}

void AppendRowCells(const MetaStruct &row, const ColumnPlan &plan, const View &view,
                    std::vector<std::string> &cells) {
  for (size_t c = 0; c < plan.names.size(); ++c) {
    const MetaObject *value = plan.Cell(row, c);
    cells.push_back(value ? view.Decorate(plan, c, *value) : std::string());
    FlattenLines(cells.back());
  }
}

std::string LinesOf(const MetaList &list) {
  std::string out;
  for (const auto &element : list.GetElements()) {
    if (element)
      AppendPlainText(*element, out);
    out += '\n';
  }
  return out;
}

std::string ScalarText(const MetaObject &root) {
  if (root.GetType() == MetaType::Bool)
    return {}; // the exit status tells the result
  std::string text = PlainText(root);
  if (!text.empty())
    text += '\n';
  return text;
}

void AppendBlock(const MetaStruct &record, const ColumnPlan &plan, const View &view, size_t indent,
                 const std::vector<std::string> &skip, std::string &out);

void AppendNestedValue(const std::string &name, const MetaObject &value, const ColumnPlan &plan,
                       size_t column, const View &view, size_t indent, std::string &out) {
  AppendPadding(out, indent);
  out += name;
  out += ':';
  if (const MetaStruct *nested = AsStruct(&value)) {
    out += '\n';
    AppendBlock(*nested, view.Plan(*nested, false), view, indent + kIndent, {}, out);
    return;
  }
  if (value.GetType() == MetaType::List && HoldsStructs(static_cast<const MetaList &>(value))) {
    const auto &list = static_cast<const MetaList &>(value);
    out += '\n';
    const MetaStruct *layout = RowLayout(list);
    if (!layout)
      return;
    ColumnPlan nestedPlan = view.Plan(*layout, false);
    for (const auto &element : list.GetElements()) {
      if (const MetaStruct *row = AsStruct(element.get()))
        AppendBlock(*row, nestedPlan, view, indent + kIndent, {}, out);
    }
    return;
  }
  std::string text = view.Decorate(plan, column, value);
  if (!text.empty()) {
    out += ' ';
    out += text;
  }
  out += '\n';
}

void AppendBlock(const MetaStruct &record, const ColumnPlan &plan, const View &view, size_t indent,
                 const std::vector<std::string> &skip, std::string &out) {
  for (size_t c = 0; c < plan.names.size(); ++c) {
    if (std::find(skip.begin(), skip.end(), plan.names[c]) != skip.end())
      continue;
    const MetaObject *value = plan.Cell(record, c);
    if (!value) {
      AppendPadding(out, indent);
      out += plan.names[c];
      out += ":\n";
      continue;
    }
    AppendNestedValue(plan.names[c], *value, plan, c, view, indent, out);
  }
}

} // namespace

std::string RenderTable(const MetaObject &root, const View &view) {
  if (const MetaStruct *record = AsStruct(&root)) {
    ColumnPlan plan = view.Plan(*record, true);
    std::vector<std::string> cells;
    AppendRowCells(*record, plan, view, cells);
    return TableText(plan.names, cells, view);
  }
  if (root.GetType() != MetaType::List)
    return ScalarText(root);
  const auto &list = static_cast<const MetaList &>(root);
  if (!HoldsStructs(list))
    return LinesOf(list);
  const MetaStruct *layout = RowLayout(list);
  if (!layout)
    return {};
  ColumnPlan plan = view.Plan(*layout, true);
  std::vector<std::string> cells;
  cells.reserve(list.Size() * plan.names.size());
  for (const auto &element : list.GetElements()) {
    if (const MetaStruct *row = AsStruct(element.get()))
      AppendRowCells(*row, plan, view, cells);
  }
  return TableText(plan.names, cells, view);
}

std::string RenderSimple(const MetaObject &root, const View &view) {
  std::string out;
  if (const MetaStruct *record = AsStruct(&root)) {
    AppendBlock(*record, view.Plan(*record, true), view, 0, {}, out);
    return out;
  }
  if (root.GetType() != MetaType::List)
    return ScalarText(root);
  const auto &list = static_cast<const MetaList &>(root);
  if (!HoldsStructs(list))
    return LinesOf(list);
  const MetaStruct *layout = RowLayout(list);
  if (!layout)
    return {};
  ColumnPlan plan = view.Plan(*layout, true);
  const std::string *header = view.Header(layout->GetName());
  out.reserve(list.Size() * 64 * (plan.names.size() + 1));
  bool first = true;
  std::vector<std::string> skip;
  for (const auto &element : list.GetElements()) {
    const MetaStruct *row = AsStruct(element.get());
    if (!row)
      continue;
    if (!first)
      out += '\n';
    first = false;
    if (!header) {
      AppendBlock(*row, plan, view, 0, {}, out);
      continue;
    }
    skip.clear();
    out += ExpandHeader(*header, *row, view, &skip);
    out += '\n';
    AppendBlock(*row, plan, view, kIndent, skip, out);
  }
  return out;
}

} // namespace CliKit::Detail
