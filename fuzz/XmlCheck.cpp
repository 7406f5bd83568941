#include "XmlCheck.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace FuzzCheck {

namespace {

bool IsXmlChar(uint32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The first offset that is not a valid UTF-8 encoded XML character, or npos.
size_t BadCharacter(const std::string &text) {
  size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80    ? 1
                    : lead >= 0xF8 ? 0
                    : lead >= 0xF0 ? 4
                    : lead >= 0xE0 ? 3
                    : lead >= 0xC0 ? 2
                                   : 0;
    if (length == 0 || at + length > text.size())
      return at;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80)
        return at;
      code = (code << 6) | (next & 0x3F);
    }
    static const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < minimum[length] || !IsXmlChar(code))
      return at;
    at += length;
  }
  return std::string::npos;
}

bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

class Scanner {
public:
  explicit Scanner(const std::string &text) : text_(text) {}

  std::string Run() {
    if (text_.compare(0, 5, "<?xml") == 0) {
      size_t end = text_.find("?>");
      if (end == std::string::npos)
        return "unterminated declaration";
      at_ = end + 2;
    }
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (c == '<') {
        std::string problem = Tag();
        if (!problem.empty())
          return problem;
      } else if (c == '&') {
        if (!Entity())
          return Where("unknown or unterminated entity");
      } else {
        if (stack_.empty() && !std::isspace(static_cast<unsigned char>(c)))
          return Where("text outside the root element");
        ++at_;
      }
    }
    if (!stack_.empty())
      return "element <" + stack_.back() + "> is not closed";
    if (roots_ != 1)
      return "expected one root element, found " + std::to_string(roots_);
    return {};
  }

private:
  std::string Where(const std::string &problem) const {
    return problem + " at offset " + std::to_string(at_);
  }

  std::string Name() {
    size_t start = at_;
    if (at_ >= text_.size() || !IsNameStart(text_[at_]))
      return {};
    while (at_ < text_.size() && IsNameChar(text_[at_]))
      ++at_;
    return text_.substr(start, at_ - start);
  }
  void Blanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
      ++at_;
  }
  bool Entity() {
    size_t semicolon = text_.find(';', at_);
    if (semicolon == std::string::npos || semicolon - at_ > 10)
      return false;
    std::string name = text_.substr(at_ + 1, semicolon - at_ - 1);
    bool known = name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
    if (!known && name.size() > 1 && name[0] == '#') {
      bool hex = name[1] == 'x';
      std::string digits = name.substr(hex ? 2 : 1);
      known = !digits.empty();
      for (char d : digits)
        known = known && (hex ? std::isxdigit(static_cast<unsigned char>(d))
                              : std::isdigit(static_cast<unsigned char>(d)));
    }
    at_ = semicolon + 1;
    return known;
  }

  std::string Tag() {
    ++at_; // '<'
    if (at_ < text_.size() && text_[at_] == '/') {
      ++at_;
      std::string name = Name();
      Blanks();
      if (name.empty() || at_ >= text_.size() || text_[at_] != '>')
        return Where("malformed end tag");
      if (stack_.empty() || stack_.back() != name)
        return Where("end tag </" + name + "> does not match");
      stack_.pop_back();
      ++at_;
      return {};
    }
    std::string name = Name();
    if (name.empty())
      return Where("'<' that starts no element");
    if (stack_.empty())
      ++roots_;
    for (;;) {
      Blanks();
      if (at_ >= text_.size())
        return Where("unterminated tag <" + name + ">");
      if (text_.compare(at_, 2, "/>") == 0) {
        at_ += 2;
        return {};
      }
      if (text_[at_] == '>') {
        ++at_;
        stack_.push_back(name);
        return {};
      }
      if (Name().empty())
        return Where("malformed attribute in <" + name + ">");
      Blanks();
      if (at_ >= text_.size() || text_[at_] != '=')
        return Where("attribute without a value in <" + name + ">");
      ++at_;
      Blanks();
      if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
        return Where("unquoted attribute value in <" + name + ">");
      char quote = text_[at_++];
      while (at_ < text_.size() && text_[at_] != quote) {
        if (text_[at_] == '<')
          return Where("'<' inside an attribute value");
        if (text_[at_] == '&') {
          if (!Entity())
            return Where("unknown or unterminated entity in an attribute value");
        } else {
          ++at_;
        }
      }
      if (at_ >= text_.size())
        return Where("unterminated attribute value");
      ++at_;
    }
  }

  const std::string &text_;
  size_t at_ = 0;
  std::vector<std::string> stack_;
  int roots_ = 0;
};

} // namespace

std::string XmlProblem(const std::string &text) {
  size_t bad = BadCharacter(text);
  if (bad != std::string::npos)
    return "byte " + std::to_string(static_cast<unsigned char>(text[bad])) + " at offset " +
           std::to_string(bad) + " is not a valid UTF-8 encoded XML character";
  return Scanner(text).Run();
}

} // namespace FuzzCheck
