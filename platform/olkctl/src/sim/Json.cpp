#include "sim/Json.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace OlkCtl::Sim {

namespace {

using Kind = Tape::Kind;

const char *TypeName(Kind kind) {
  switch (kind) {
  case Kind::Null:
    return "null";
  case Kind::Object:
    return "an object";
  case Kind::Array:
    return "an array";
  case Kind::String:
    return "a string";
  case Kind::Boolean:
    return "a boolean";
  case Kind::Integer:
  case Kind::Unsigned:
    return "an integer";
  case Kind::Float:
    return "a number with a fraction";
  case Kind::Key:
    break;
  }
  return "an unsupported value";
}

std::string Member(const std::string &place, std::string_view key) {
  std::string out = place;
  if (!out.empty())
    out += '.';
  out += key;
  return out;
}

// Builds the tape from nlohmann's SAX events. Refuses a member that appears
// twice in one object, which nlohmann's own parser silently accepts (keeping
// the last).
class TapeBuilder {
public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  TapeBuilder(std::size_t textSize, std::string_view place) : place_(place) {
    // About one entry per 16 bytes of an indented host file, and half its
    // bytes in texts: enough that the vectors rarely grow (and double) at the end.
    tape.entries.reserve(textSize / 14 + 16);
    tape.texts.reserve(textSize / 2 + 64);
  }

  Tape tape;
  std::string error;

  bool null() { return Scalar(Kind::Null); }
  bool boolean(bool v) {
    Tape::Entry &e = Push(Kind::Boolean);
    e.boolean = v;
    return Close(e);
  }
  bool number_integer(number_integer_t v) {
    Tape::Entry &e = Push(Kind::Integer);
    e.integer = v;
    return Close(e);
  }
  bool number_unsigned(number_unsigned_t v) {
    Tape::Entry &e = Push(Kind::Unsigned);
    e.unsignedInteger = v;
    return Close(e);
  }
  bool number_float(number_float_t v, const string_t &) {
    Tape::Entry &e = Push(Kind::Float);
    e.number = v;
    return Close(e);
  }
  bool string(string_t &v) { return String(v); }
  bool String(std::string_view v) {
    Tape::Span span{};
    if (!Store(v, span))
      return false;
    Tape::Entry &e = Push(Kind::String);
    e.text = span;
    return Close(e);
  }
  bool binary(binary_t &) { return Fail("binary values are not JSON"); }

  bool start_object(std::size_t) { return Open(Kind::Object); }
  bool start_array(std::size_t) { return Open(Kind::Array); }
  bool end_object() { return End(); }
  bool end_array() { return End(); }

  bool key(string_t &k) { return Key(k); }
  bool Key(std::string_view k) {
    Level &top = stack_.back();
    // The records of an array repeat their member names in one order, so the
    // name at this position in the last object read at this depth is tried
    // first. That list starts with this object's names so far and holds
    // distinct names, so a name found there is no repeat.
    std::vector<Tape::Span> &previous = namesByDepth_[stack_.size() - 1];
    Tape::Span span{};
    if (top.count < previous.size() && Name(previous[top.count]) == k) {
      span = previous[top.count];
    } else {
      auto known = keys_.find(k);
      if (known != keys_.end()) {
        span = known->second;
        if (Repeated(top, span))
          return Fail(Place() + ": member \"" + std::string(k) + "\" appears twice");
      } else {
        if (!Store(k, span))
          return false;
        keys_.emplace(k, span);
      }
      if (previous.size() > top.count)
        previous.resize(top.count);
      previous.push_back(span);
    }
    top.key = span;
    Tape::Entry &e = Push(Kind::Key);
    e.text = span;
    e.end = static_cast<uint32_t>(tape.entries.size());
    return true;
  }

  bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &ex) {
    // nlohmann words it "[json.exception.parse_error.101] parse error at line 1,
    // column 5: syntax error ..."; keep "line 1, column 5: syntax error ...".
    std::string text = ex.what();
    std::string::size_type at = text.find(" at line ");
    error = at == std::string::npos ? text : text.substr(at + 4);
    return false;
  }

private:
  struct Level {
    uint32_t index;       // the container's entry
    uint32_t count = 0;   // members or elements so far
    Tape::Span key{0, 0}; // the member being read, for objects
  };

  std::string_view Name(Tape::Span span) const { return {tape.texts.data() + span.offset, span.length}; }
  // Whether the object being read already has a member of that name. Each name
  // is stored once, so equal names have equal offsets.
  bool Repeated(const Level &object, Tape::Span name) const {
    for (uint32_t at = object.index + 1; at < tape.entries.size(); at = tape.entries[at + 1].end)
      if (tape.entries[at].text.offset == name.offset)
        return true;
    return false;
  }

  Tape::Entry &Push(Kind kind) {
    Tape::Entry entry{};
    entry.kind = kind;
    tape.entries.push_back(entry);
    return tape.entries.back();
  }
  // A finished value: it ends right after itself, and counts in its container.
  bool Close(Tape::Entry &e) {
    e.end = static_cast<uint32_t>(tape.entries.size());
    if (!stack_.empty())
      ++stack_.back().count;
    return Check();
  }
  bool Scalar(Kind kind) { return Close(Push(kind)); }
  bool Open(Kind kind) {
    Push(kind);
    stack_.push_back(Level{static_cast<uint32_t>(tape.entries.size() - 1)});
    if (namesByDepth_.size() < stack_.size())
      namesByDepth_.resize(stack_.size());
    return Check();
  }
  bool End() {
    Level level = stack_.back();
    stack_.pop_back();
    Tape::Entry &e = tape.entries[level.index];
    e.count = level.count;
    return Close(e);
  }
  bool Store(std::string_view text, Tape::Span &span) {
    if (tape.texts.size() + text.size() > UINT32_MAX)
      return Fail("the document is too large (4 GiB of text at most)");
    span = Tape::Span{static_cast<uint32_t>(tape.texts.size()), static_cast<uint32_t>(text.size())};
    tape.texts += text;
    return true;
  }
  bool Check() {
    return tape.entries.size() < UINT32_MAX || Fail("the document is too large (too many values)");
  }
  bool Fail(std::string message) {
    error = std::move(message);
    return false;
  }
  // The place of the object being read, as "devices[3].uids".
  std::string Place() const {
    std::string place(place_);
    for (size_t i = 0; i + 1 < stack_.size(); ++i) {
      const Level &parent = stack_[i];
      if (tape.entries[parent.index].kind == Kind::Array) {
        place += "[" + std::to_string(parent.count) + "]";
      } else {
        if (!place.empty())
          place += ".";
        place += tape.texts.substr(parent.key.offset, parent.key.length);
      }
    }
    return place.empty() ? "top level" : place;
  }

  // Heterogeneous look-up: member names are found without making a string.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };

  std::string_view place_; // of the tape's top level
  std::vector<Level> stack_;
  std::unordered_map<std::string, Tape::Span, NameHash, std::equal_to<>> keys_;
  // Per depth, the member names of the last object read there, in order.
  std::vector<std::vector<Tape::Span>> namesByDepth_;
};

// Bytes that stand for themselves in a string: printable ASCII but the quote
// and the backslash.
struct PlainTable {
  bool plain[256];
  constexpr PlainTable() : plain() {
    for (int c = 0x20; c < 0x80; ++c)
      plain[c] = c != '"' && c != '\\';
  }
  constexpr bool operator[](unsigned char c) const { return plain[c]; }
};
constexpr PlainTable kPlain;

// Eight bytes at once (SWAR): a host file is mostly indentation and plain text.
uint64_t Load8(const char *at) {
  uint64_t v;
  std::memcpy(&v, at, 8);
  return v;
}
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighs = 0x8080808080808080ULL;
constexpr uint64_t kEightBlanks = kOnes * ' ';
// Non-zero when a byte of v is below n (n <= 128); exact when none is.
constexpr uint64_t HasBelow(uint64_t v, uint8_t n) {
  return (v - kOnes * n) & ~v & kHighs;
}
constexpr uint64_t HasByte(uint64_t v, uint8_t b) {
  return HasBelow(v ^ (kOnes * b), 1);
}
// The high bit of each byte of v that is not plain string text (see kPlain);
// only the lowest is exact.
constexpr uint64_t Special(uint64_t v) {
  return HasByte(v, '"') | HasByte(v, '\\') | HasBelow(v, 0x20) | (v & kHighs);
}
// The position in memory of the first byte flagged in a non-zero mask.
int FirstByte(uint64_t mask) {
  static_assert(std::endian::native == std::endian::little, "bytes are counted from the low end");
  return std::countr_zero(mask) / 8;
}

// A reader's place in a text, and the steps every reader here takes.
class Cursor {
protected:
  explicit Cursor(std::string_view text)
      : at_(text.data()), begin_(text.data()), end_(text.data() + text.size()) {}

  // Indentation comes in runs of blanks, eight at a time.
  void SkipBlanks() {
    for (;;) {
      if (end_ - at_ >= 8) {
        const uint64_t other = Load8(at_) ^ kEightBlanks;
        if (other == 0) {
          at_ += 8;
          continue;
        }
        at_ += FirstByte(other);
      }
      if (at_ == end_ || (*at_ != ' ' && *at_ != '\n' && *at_ != '\r' && *at_ != '\t'))
        return;
      ++at_;
    }
  }
  // The colon after a member name, with the blanks around it.
  bool Colon() {
    SkipBlanks();
    if (at_ == end_ || *at_ != ':')
      return false;
    ++at_;
    SkipBlanks();
    return true;
  }
  bool Literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - at_) < word.size() || std::string_view(at_, word.size()) != word)
      return false;
    at_ += word.size();
    return true;
  }

  const char *at_;
  const char *begin_;
  const char *end_;
};

// A reader for the JSON a host file usually holds, several times faster than
// nlohmann's lexer: ASCII strings with the short escapes, integers of up to 18
// digits, true, false and null. Anything else (\u escapes, other bytes,
// fractions, long numbers, a byte order mark, deep nesting) and every error
// make it give up; nlohmann's parser then reads the document again, so what
// is accepted and every message are nlohmann's.
class FastReader : Cursor {
public:
  FastReader(std::string_view text, TapeBuilder &builder) : Cursor(text), builder_(builder) {}

  bool Read() {
    SkipBlanks();
    if (!Value(0))
      return false;
    SkipBlanks();
    return at_ == end_;
  }

private:
  static constexpr int kMaxDepth = 256;

  bool Value(int depth) {
    if (at_ == end_)
      return false;
    switch (*at_) {
    case '{':
      return Object(depth);
    case '[':
      return Array(depth);
    case '"': {
      std::string_view text;
      return String(text) && builder_.String(text);
    }
    case 't':
      return Literal("true") && builder_.boolean(true);
    case 'f':
      return Literal("false") && builder_.boolean(false);
    case 'n':
      return Literal("null") && builder_.null();
    default:
      return Number();
    }
  }

  bool Object(int depth) {
    if (depth >= kMaxDepth || !builder_.start_object(0))
      return false;
    ++at_;
    SkipBlanks();
    if (at_ < end_ && *at_ == '}') {
      ++at_;
      return builder_.end_object();
    }
    for (;;) {
      std::string_view name;
      if (at_ == end_ || *at_ != '"' || !String(name) || !builder_.Key(name))
        return false;
      if (!Colon())
        return false;
      if (!Value(depth + 1))
        return false;
      SkipBlanks();
      if (at_ == end_)
        return false;
      if (*at_ == '}') {
        ++at_;
        return builder_.end_object();
      }
      if (*at_ != ',')
        return false;
      ++at_;
      SkipBlanks();
    }
  }

  bool Array(int depth) {
    if (depth >= kMaxDepth || !builder_.start_array(0))
      return false;
    ++at_;
    SkipBlanks();
    if (at_ < end_ && *at_ == ']') {
      ++at_;
      return builder_.end_array();
    }
    for (;;) {
      if (!Value(depth + 1))
        return false;
      SkipBlanks();
      if (at_ == end_)
        return false;
      if (*at_ == ']') {
        ++at_;
        return builder_.end_array();
      }
      if (*at_ != ',')
        return false;
      ++at_;
      SkipBlanks();
    }
  }

  // The text of a string at `at_` (its opening quote): a view into the
  // document when it has no escape, else the decoded copy in scratch_.
  bool String(std::string_view &text) {
    const char *start = ++at_;
#if defined(__SSE2__)
    // Sixteen bytes at a time up to the first quote, backslash, control byte
    // or non-ASCII byte (the last two are below 0x20 as signed bytes).
    while (end_ - at_ >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at_));
      const __m128i stops = _mm_or_si128(
          _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))),
          _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
      if (mask) {
        at_ += std::countr_zero(mask);
        break;
      }
      at_ += 16;
    }
#endif
    while (at_ < end_) {
      const unsigned char c = static_cast<unsigned char>(*at_);
      if (c == '"') {
        text = std::string_view(start, static_cast<std::size_t>(at_ - start));
        ++at_;
        return true;
      }
      if (c == '\\')
        return Escaped(start, text);
      if (c < 0x20 || c >= 0x80)
        return false;
      ++at_;
    }
    return false;
  }
  bool Escaped(const char *start, std::string_view &text) {
    scratch_.assign(start, at_);
    while (at_ < end_) {
      const unsigned char c = static_cast<unsigned char>(*at_++);
      if (c == '"') {
        text = scratch_;
        return true;
      }
      if (c < 0x20 || c >= 0x80 || at_ == end_)
        return false;
      if (c != '\\') {
        scratch_ += static_cast<char>(c);
        continue;
      }
      switch (*at_++) {
      case '"':
        scratch_ += '"';
        break;
      case '\\':
        scratch_ += '\\';
        break;
      case '/':
        scratch_ += '/';
        break;
      case 'b':
        scratch_ += '\b';
        break;
      case 'f':
        scratch_ += '\f';
        break;
      case 'n':
        scratch_ += '\n';
        break;
      case 'r':
        scratch_ += '\r';
        break;
      case 't':
        scratch_ += '\t';
        break;
      default: // \u and anything else
        return false;
      }
    }
    return false;
  }

  bool Number() {
    const bool negative = *at_ == '-';
    if (negative)
      ++at_;
    const char *digits = at_;
    uint64_t value = 0;
    while (at_ < end_ && *at_ >= '0' && *at_ <= '9')
      value = value * 10 + static_cast<uint64_t>(*at_++ - '0');
    const std::size_t count = static_cast<std::size_t>(at_ - digits);
    if (count == 0 || count > 18 || (count > 1 && *digits == '0'))
      return false;
    if (at_ < end_ && (*at_ == '.' || *at_ == 'e' || *at_ == 'E'))
      return false;
    if (negative)
      return builder_.number_integer(-static_cast<int64_t>(value));
    return builder_.number_unsigned(value);
  }

  TapeBuilder &builder_;
  std::string scratch_;
};

// Checks the plain JSON of a host file without building anything: the first
// step of loading, which must see the whole document but converts none of it.
// A host file is mostly indentation and ASCII text, so each of those is one
// short loop. Anything it does not know (escapes in member names, \u, other
// bytes, deep nesting) and every error make it give up.
class Scanner : Cursor {
public:
  Scanner(std::string_view text, bool lenient) : Cursor(text), lenient_(lenient) {}

  bool Read(std::vector<TopMember> &members) {
    SkipBlanks();
    if (at_ == end_ || *at_ != '{')
      return false;
    ++at_;
    SkipBlanks();
    if (at_ < end_ && *at_ == '}') {
      ++at_;
      return AtEnd();
    }
    for (;;) {
      const char *name = at_ + 1;
      if (at_ == end_ || *at_ != '"' || !String(false))
        return false;
      std::string_view key(name, static_cast<std::size_t>(at_ - 1 - name));
      if (!Colon())
        return false;
      const std::size_t begin = static_cast<std::size_t>(at_ - begin_);
      if (!Value(1))
        return false;
      members.push_back(TopMember{key, begin, static_cast<std::size_t>(at_ - begin_)});
      SkipBlanks();
      if (at_ == end_)
        return false;
      if (*at_ == '}') {
        ++at_;
        return AtEnd();
      }
      if (*at_ != ',')
        return false;
      ++at_;
      SkipBlanks();
    }
  }

private:
  static constexpr int kMaxDepth = 256;

  bool AtEnd() {
    SkipBlanks();
    return at_ == end_;
  }
  bool Value(int depth) {
    if (at_ == end_)
      return false;
    switch (*at_) {
    case '{':
    case '[':
      return Container(depth);
    case '"':
      return String(true);
    case 't':
      return Literal("true");
    case 'f':
      return Literal("false");
    case 'n':
      return Literal("null");
    default:
      return Number();
    }
  }
  bool Container(int depth) {
    if (depth >= kMaxDepth)
      return false;
    const char close = *at_ == '{' ? '}' : ']';
    const bool object = close == '}';
    ++at_;
    SkipBlanks();
    if (at_ < end_ && *at_ == close) {
      ++at_;
      return true;
    }
    for (;;) {
      if (object) {
        if (at_ == end_ || *at_ != '"' || !String(true))
          return false;
        if (!Colon())
          return false;
      }
      if (!Value(depth + 1))
        return false;
      SkipBlanks();
      if (at_ == end_)
        return false;
      if (*at_ == close) {
        ++at_;
        return true;
      }
      if (*at_ != ',')
        return false;
      ++at_;
      SkipBlanks();
    }
  }
  // A string at `at_` (its opening quote), with the short escapes when
  // `escapes` is true.
  bool String(bool escapes) {
    ++at_;
    for (;;) {
      if (end_ - at_ >= 8) {
        const uint64_t special = Special(Load8(at_));
        if (special == 0) {
          at_ += 8;
          continue;
        }
        at_ += FirstByte(special);
      } else {
        while (at_ < end_ && kPlain[static_cast<unsigned char>(*at_)])
          ++at_;
      }
      if (at_ == end_)
        return false;
      if (*at_ == '"') {
        ++at_;
        return true;
      }
      if (lenient_ && static_cast<unsigned char>(*at_) >= 0x80) {
        ++at_;
        continue;
      }
      if (*at_ != '\\' || !(escapes || lenient_) || end_ - at_ < 2)
        return false;
      if (lenient_) {
        at_ += 2;
        continue;
      }
      switch (at_[1]) {
      case '"':
      case '\\':
      case '/':
      case 'b':
      case 'f':
      case 'n':
      case 'r':
      case 't':
        at_ += 2;
        break;
      default: // \u and anything else
        return false;
      }
    }
  }
  bool Digits() {
    const char *start = at_;
    while (at_ < end_ && *at_ >= '0' && *at_ <= '9')
      ++at_;
    return at_ != start;
  }
  bool Number() {
    if (*at_ == '-')
      ++at_;
    const char *digits = at_;
    if (!Digits() || (*digits == '0' && at_ - digits > 1))
      return false;
    if (at_ < end_ && *at_ == '.') {
      ++at_;
      if (!Digits())
        return false;
    }
    if (at_ < end_ && (*at_ == 'e' || *at_ == 'E')) {
      ++at_;
      if (at_ < end_ && (*at_ == '+' || *at_ == '-'))
        ++at_;
      if (!Digits())
        return false;
    }
    return true;
  }

  bool lenient_;
};

} // namespace

namespace {

// The positions of the quotes, backslashes and brackets in a 64-byte block,
// found 16 bytes at a time. Other bytes (UTF-8 sequences and control bytes
// included) never change where a value ends; the family parser checks them.
struct BlockBits {
  uint64_t quotes = 0;
  uint64_t backslashes = 0;
  uint64_t opens = 0;
  uint64_t closes = 0;
};

#if defined(__SSE2__)
uint64_t Mask16(__m128i matches, int shift) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(matches))) << shift;
}

BlockBits ClassifyBlock(const char *block) {
  BlockBits bits;
  for (int i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * i));
    const int shift = 16 * i;
    bits.quotes |= Mask16(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), shift);
    bits.backslashes |= Mask16(_mm_cmpeq_epi8(v, _mm_set1_epi8('\\')), shift);
    bits.opens |= Mask16(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('{')), _mm_cmpeq_epi8(v, _mm_set1_epi8('['))), shift);
    bits.closes |= Mask16(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('}')), _mm_cmpeq_epi8(v, _mm_set1_epi8(']'))), shift);
  }
  return bits;
}
#endif

// The characters a backslash escapes; `carry` says whether the first one is
// escaped by a backslash that ended the previous block, and is set for the next.
uint64_t EscapedBits(uint64_t backslashes, bool &carry) {
  uint64_t escaped = carry ? 1 : 0;
  carry = false;
  backslashes &= ~escaped; // an escaped backslash escapes nothing
  while (backslashes) {
    const int bit = std::countr_zero(backslashes);
    if (bit == 63) {
      carry = true;
      break;
    }
    escaped |= uint64_t{1} << (bit + 1);
    backslashes &= ~(uint64_t{3} << bit); // this one, and the next if it is escaped
  }
  return escaped;
}

// Bit i set when an odd number of bits at positions <= i are set in x.
uint64_t PrefixXor(uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

} // namespace

bool TopLevelSkim::Classify(std::size_t index) {
#if !defined(__SSE2__)
  (void)index;
  return false;
#else
  char tail[64];
  while (!classified_ && values_.size() <= index) {
    const std::size_t at = block_;
    if (at >= text_.size()) {
      classified_ = true;
      break;
    }
    block_ += 64;
    const char *block = text_.data() + at;
    if (text_.size() - at < 64) {
      std::memset(tail, ' ', sizeof tail);
      std::memcpy(tail, block, text_.size() - at);
      block = tail;
    }
    const BlockBits bits = ClassifyBlock(block);
    const uint64_t quotes = bits.backslashes || escapeCarry_
                                ? bits.quotes & ~EscapedBits(bits.backslashes, escapeCarry_)
                                : bits.quotes;
    const uint64_t strings = PrefixXor(quotes) ^ inString_;
    inString_ = static_cast<uint64_t>(-static_cast<int64_t>(strings >> 63));
    uint64_t brackets = (bits.opens | bits.closes) & ~strings;
    while (brackets) {
      const int bit = std::countr_zero(brackets);
      brackets &= brackets - 1;
      const std::size_t position = at + static_cast<std::size_t>(bit);
      if ((bits.opens >> bit) & 1) {
        if (++depth_ == 2)
          valueBegin_ = position;
      } else {
        if (--depth_ == 1)
          values_.push_back(Range{valueBegin_, position + 1});
        if (depth_ < 0)
          return false;
      }
    }
  }
  return !classified_ || (depth_ == 0 && !inString_);
#endif
}

void TopLevelSkim::SkipBlanks() {
  while (at_ < text_.size() && IsBlank(text_[at_]))
    ++at_;
}

TopLevelSkim::Step TopLevelSkim::Next(TopMember &member) {
  if (failed_)
    return Step::Unfollowed;
  if (ended_)
    return Step::End;
  if (!opened_) {
    opened_ = true;
    SkipBlanks();
    if (at_ == text_.size() || text_[at_] != '{')
      return Fail();
    ++at_;
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == '}') {
      ++at_;
      SkipBlanks();
      if (at_ != text_.size() || !Classify(SIZE_MAX) || !values_.empty())
        return Fail();
      ended_ = true;
      return Step::End;
    }
  } else {
    // After a member: the top level closes or goes on.
    SkipBlanks();
    if (at_ == text_.size())
      return Fail();
    if (text_[at_] == '}') {
      ++at_;
      SkipBlanks();
      if (at_ != text_.size() || !Classify(SIZE_MAX) || next_ != values_.size())
        return Fail();
      ended_ = true;
      return Step::End;
    }
    if (text_[at_] != ',')
      return Fail();
    ++at_;
    SkipBlanks();
  }
  if (at_ == text_.size() || text_[at_] != '"')
    return Fail();
  const std::size_t nameEnd = text_.find('"', at_ + 1);
  if (nameEnd == std::string_view::npos)
    return Fail();
  const std::string_view name = text_.substr(at_ + 1, nameEnd - at_ - 1);
  if (name.find('\\') != std::string_view::npos)
    return Fail();
  at_ = nameEnd + 1;
  SkipBlanks();
  if (at_ == text_.size() || text_[at_] != ':')
    return Fail();
  ++at_;
  SkipBlanks();
  if (at_ == text_.size())
    return Fail();
  const std::size_t begin = at_;
  if (text_[at_] == '{' || text_[at_] == '[') {
    if (!Classify(next_) || next_ == values_.size() || values_[next_].begin != at_)
      return Fail();
    at_ = values_[next_++].end;
  } else if (text_[at_] == '"') {
    const std::size_t close = text_.find('"', at_ + 1);
    if (close == std::string_view::npos ||
        text_.substr(at_, close - at_).find('\\') != std::string_view::npos)
      return Fail();
    at_ = close + 1;
  } else {
    while (at_ < text_.size() && !IsBlank(text_[at_]) && text_[at_] != ',' && text_[at_] != '}')
      ++at_;
    if (at_ == begin)
      return Fail();
  }
  member = TopMember{name, begin, at_};
  return Step::Member;
}

bool SkimTopLevel(std::string_view text, std::vector<TopMember> &members) {
  members.clear();
  TopLevelSkim skim(text);
  TopMember member{};
  for (;;) {
    switch (skim.Next(member)) {
    case TopLevelSkim::Step::Member:
      members.push_back(member);
      break;
    case TopLevelSkim::Step::End:
      return true;
    case TopLevelSkim::Step::Unfollowed:
      members.clear();
      return false;
    }
  }
}

bool ScanTopLevel(std::string_view text, std::vector<TopMember> &members, bool lenient) {
  members.clear();
  return Scanner(text, lenient).Read(members);
}

Tape ParseTape(std::string_view text, std::string_view place) {
  {
    TapeBuilder builder(text.size(), place);
    if (FastReader(text, builder).Read())
      return std::move(builder.tape);
  }
  TapeBuilder builder(text.size(), place);
  if (!Json::sax_parse(text, &builder, Json::input_format_t::json, true))
    throw StateError(builder.error);
  return std::move(builder.tape);
}

std::size_t TapeValue::size() const {
  switch (Kind()) {
  case Tape::Kind::Object:
  case Tape::Kind::Array:
    return Entry().count;
  case Tape::Kind::Null:
    return 0;
  default:
    return 1;
  }
}

TapeValue TapeValue::operator[](std::size_t i) const {
  uint32_t at = index_ + 1;
  for (; i > 0; --i)
    at = tape_->entries[at].end;
  return TapeValue(*tape_, at);
}

std::string Node::Place() const {
  if (!parent_)
    return std::string(rootPlace_);
  std::string place = parent_->Place();
  if (parent_->Entry().kind == Kind::Array)
    return place + "[" + std::to_string(element_) + "]";
  return Member(place, std::string_view(tape_->texts.data() + key_.offset, key_.length));
}

void Node::Fail(const std::string &problem) const {
  const std::string place = Place();
  throw StateError((place.empty() ? std::string("top level") : place) + ": " + problem);
}

void Node::RequireObject() const {
  if (Entry().kind != Kind::Object)
    Fail(std::string("expected an object, found ") + TypeName(Entry().kind));
}

uint32_t Node::Find(std::string_view key) const {
  const uint32_t count = Entry().count;
  if (count == 0)
    return 0;
  if (cursorKey_ == 0) {
    cursorKey_ = index_ + 1;
    cursorMember_ = 0;
  }
  uint32_t at = cursorKey_;
  uint32_t member = cursorMember_;
  const std::vector<Tape::Entry> &entries = tape_->entries;
  for (uint32_t tried = 0; tried < count; ++tried) {
    const Tape::Entry &name = entries[at];
    if (name.text.length == key.size() &&
        std::memcmp(tape_->texts.data() + name.text.offset, key.data(), key.size()) == 0) {
      cursorKey_ = at;
      cursorMember_ = member;
      return at;
    }
    at = entries[at + 1].end;
    if (++member == count) {
      member = 0;
      at = index_ + 1;
    }
  }
  return 0;
}

void Node::MarkUsed(uint32_t member) const {
  if (member < 64) {
    used_ |= uint64_t{1} << member;
    return;
  }
  if (usedMore_.size() <= member - 64)
    usedMore_.resize(Entry().count - 64);
  usedMore_[member - 64] = true;
}

bool Node::IsUsed(uint32_t member) const {
  if (member < 64)
    return (used_ >> member) & 1;
  return member - 64 < usedMore_.size() && usedMore_[member - 64];
}

bool Node::Has(const char *key) const {
  RequireObject();
  if (Find(key) == 0)
    return false;
  MarkUsed(cursorMember_);
  return true;
}

Node Node::Field(const char *key) const {
  RequireObject();
  const uint32_t at = Find(key);
  if (at == 0)
    throw StateError(Member(Place(), key) + ": required member is missing");
  MarkUsed(cursorMember_);
  return Node(*this, at + 1, tape_->entries[at].text, 0);
}

std::string Node::AsString() const {
  if (Entry().kind != Kind::String)
    Fail(std::string("expected a string, found ") + TypeName(Entry().kind));
  return std::string(tape_->Text(Entry()));
}

int64_t Node::AsInt() const {
  const Tape::Entry &e = Entry();
  if (e.kind == Kind::Unsigned) {
    if (e.unsignedInteger > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
      Fail("integer out of range");
    return static_cast<int64_t>(e.unsignedInteger);
  }
  if (e.kind != Kind::Integer)
    Fail(std::string("expected an integer, found ") + TypeName(e.kind));
  return e.integer;
}

uint64_t Node::AsUInt() const {
  const Tape::Entry &e = Entry();
  if (e.kind == Kind::Unsigned)
    return e.unsignedInteger;
  if (e.kind == Kind::Integer)
    Fail("expected a non-negative integer");
  Fail(std::string("expected a non-negative integer, found ") + TypeName(e.kind));
}

bool Node::AsBool() const {
  if (Entry().kind != Kind::Boolean)
    Fail(std::string("expected a boolean, found ") + TypeName(Entry().kind));
  return Entry().boolean;
}

std::vector<std::string> Node::AsStringList() const {
  if (Entry().kind != Kind::Array)
    Fail(std::string("expected an array of strings, found ") + TypeName(Entry().kind));
  std::vector<std::string> out;
  out.reserve(Entry().count);
  Each([&](const Node &element) { out.push_back(element.AsString()); });
  return out;
}

void Node::Each(const std::function<void(const Node &)> &fn) const {
  if (Entry().kind != Kind::Array)
    Fail(std::string("expected an array, found ") + TypeName(Entry().kind));
  const uint32_t end = Entry().end;
  uint32_t element = 0;
  for (uint32_t at = index_ + 1; at < end; at = tape_->entries[at].end)
    fn(Node(*this, at, Tape::Span{0, 0}, element++));
}

void Node::Done() const {
  if (Entry().kind != Kind::Object)
    return;
  const uint32_t end = Entry().end;
  uint32_t member = 0;
  for (uint32_t at = index_ + 1; at < end; at = tape_->entries[at + 1].end, ++member)
    if (!IsUsed(member))
      throw StateError(Member(Place(), tape_->Text(tape_->entries[at])) + ": unknown member");
}

} // namespace OlkCtl::Sim
