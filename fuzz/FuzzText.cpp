#include "FuzzText.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace FuzzSupport {

std::vector<std::string> SplitArguments(const uint8_t *data, size_t size, size_t maxArgs) {
  std::vector<std::string> args;
  if (size == 0)
    return args;
  const std::string_view all(reinterpret_cast<const char *>(data), size);
  const char separator = all.find('\0') != std::string_view::npos ? '\0' : '\n';
  size_t start = 0;
  size_t lastEnd = 0;
  while (start <= size && args.size() < maxArgs) {
    size_t end = all.find(separator, start);
    if (end == std::string_view::npos)
      end = size;
    args.emplace_back(all.substr(start, end - start));
    lastEnd = end;
    start = end + 1;
  }
  // The empty piece after a final separator is no argument.
  if (args.size() > 1 && args.back().empty() && lastEnd == size)
    args.pop_back();
  return args;
}

std::string Describe(const std::vector<std::string> &args) {
  std::string text;
  for (const std::string &arg : args) {
    text += "  [";
    for (unsigned char c : arg) {
      if (c >= 0x20 && c < 0x7F && c != '\\') {
        text += static_cast<char>(c);
      } else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        text += escaped;
      }
    }
    text += "]\n";
  }
  return text;
}

std::vector<std::string> SplitCommandLine(const std::string &line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (char c : line) {
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        word += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord)
        words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord)
    words.push_back(word);
  return words;
}

std::string BoundedWidths(const std::string &format) {
  std::string bounded;
  size_t at = 0;
  while (at < format.size()) {
    size_t end = at;
    while (end < format.size() && std::isdigit(static_cast<unsigned char>(format[end])))
      ++end;
    if (end == at) {
      bounded += format[at++];
      continue;
    }
    size_t run = end - at;
    bounded.append(format, at, run >= 6 && run <= 10 ? 5 : run);
    at = end;
  }
  return bounded;
}

} // namespace FuzzSupport
