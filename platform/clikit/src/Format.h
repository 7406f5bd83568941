// Printing an output tree (internal to the framework). Formatters walk the
// tree; the View carries everything they need from the command's defaults and
// the user's --fields, so they know nothing of commands.
#pragma once

#include <clikit/MetaObj.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace CliKit::Detail {

using MetaObj::MetaObject;
using MetaObj::MetaStruct;

// The fields of one structure layout to show, in order. `hint` is each field's
// position in the layout it was planned from, so rows built from the same
// template are read without a search.
struct ColumnPlan {
  std::string structName;
  std::vector<std::string> names;
  std::vector<size_t> hint;
  // The printf conversion and unit of each column, null when it has none.
  std::vector<const std::string *> printfs;
  std::vector<const std::string *> units;
  // The field's value in `row`, or null when the row lacks it.
  const MetaObject *Cell(const MetaStruct &row, size_t column) const;
};

class View {
public:
  View(const std::vector<std::pair<std::string, std::string>> &defaults, bool fieldsGiven,
       const std::string &fieldsOption, bool machine, int width);

  // `rootLevel` is true for the root structure and the rows of a root list:
  // the plain "fields" default and the user's --fields apply to them only.
  ColumnPlan Plan(const MetaStruct &layout, bool rootLevel) const;
  // The header template ("%HBA Name%") of a structure, or null.
  const std::string *Header(const std::string &structName) const;
  // How a field's value is shown in the human formats: printf conversion and unit.
  std::string Decorate(const std::string &structName, const std::string &fieldName,
                       const MetaObject &value) const;
  std::string Decorate(const ColumnPlan &plan, size_t column, const MetaObject &value) const;
  bool WrapLast() const { return wrapLast_; }
  int Width() const { return width_; }

private:
  struct FieldKey {
    std::string structName;
    std::string field; // normalized
  };
  const std::string *Lookup(const std::vector<std::pair<FieldKey, std::string>> &table,
                            const std::string &structName, const std::string &fieldName) const;

  std::map<std::string, std::string> structFields_; // "fields:<Struct>"
  bool hasRootFields_ = false;
  std::string rootFields_;                     // "fields"
  std::map<std::string, std::string> headers_; // "header:<Struct>"
  std::vector<std::pair<FieldKey, std::string>> units_;
  std::vector<std::pair<FieldKey, std::string>> printfs_;
  bool wrapLast_ = false;
  bool fieldsGiven_ = false;
  bool allFields_ = false;
  std::string fieldsOption_;
  bool machine_ = false;
  int width_ = 0;
};

// Field names are matched ignoring case and surrounding blanks.
std::string NormalizeName(const std::string &name);
std::vector<std::string> SplitList(const std::string &text);
// The first non-blank name of the comma-separated `names` that matches no field
// of `layout`, as written; empty when every name matches.
std::string UnknownField(const MetaStruct &layout, const std::string &names);

// The plain text of a value: strings as they are, integers in decimal, booleans
// true/false (false when unset), lists joined with ", ", structures as
// "Name: value" pairs joined with ", ".
// An integer's decimal digits, unsigned when the value is.
void AppendInteger(const MetaObj::MetaInt &value, std::string &out);
std::string PlainText(const MetaObject &value);
void AppendPlainText(const MetaObject &value, std::string &out);

// Applies one printf conversion (%s %d %i %u %x %X %o %c %e %f %g with flags,
// width and precision) with the text around it; a value that does not suit the
// conversion is shown as plain text.
std::string ApplyPrintf(const std::string &format, const MetaObject &value);

// Substitutes each "%Field Name%" of `pattern` with the field's decorated value.
std::string ExpandHeader(const std::string &pattern, const MetaStruct &row, const View &view,
                         std::vector<std::string> *usedFields);

// Display width of UTF-8 text (code points).
size_t TextWidth(const std::string &text);
// Length of the valid UTF-8 sequence at `at` of `text`, or 0 when it is not valid.
size_t Utf8Length(const std::string &text, size_t at);

bool IsFormatterName(const std::string &name);
bool IsMachineFormatter(const std::string &name);
const char *FormatterNames();

// The printed form of `root` in formatter `name`, ending with a newline unless empty.
std::string Render(const std::string &name, const MetaObj::MetaObjectPtr &root, const View &view);

std::string RenderTable(const MetaObject &root, const View &view);
std::string RenderSimple(const MetaObject &root, const View &view);
std::string RenderJson(const MetaObject &root, const View &view);
std::string RenderXml(const MetaObject &root, const View &view);
std::string RenderCsv(const MetaObject &root, const View &view);
std::string RenderKeyValue(const MetaObject &root, const View &view);

} // namespace CliKit::Detail
