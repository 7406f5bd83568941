#include "sim/Json.h"

#include <algorithm>

namespace OlkCtl::Sim {

namespace {

const char *TypeName(const Json &value) {
  switch (value.type()) {
  case Json::value_t::null:
    return "null";
  case Json::value_t::object:
    return "an object";
  case Json::value_t::array:
    return "an array";
  case Json::value_t::string:
    return "a string";
  case Json::value_t::boolean:
    return "a boolean";
  case Json::value_t::number_integer:
  case Json::value_t::number_unsigned:
    return "an integer";
  case Json::value_t::number_float:
    return "a number with a fraction";
  default:
    return "an unsupported value";
  }
}

std::string Member(const std::string &place, const std::string &key) {
  return place.empty() ? key : place + "." + key;
}

} // namespace

void Node::Fail(const std::string &problem) const {
  throw StateError((place_.empty() ? std::string("top level") : place_) + ": " + problem);
}

bool Node::Has(const char *key) const {
  if (!value_->is_object())
    Fail(std::string("expected an object, found ") + TypeName(*value_));
  used_.emplace_back(key);
  return value_->contains(key);
}

Node Node::Field(const char *key) const {
  if (!value_->is_object())
    Fail(std::string("expected an object, found ") + TypeName(*value_));
  if (std::find(used_.begin(), used_.end(), key) == used_.end())
    used_.emplace_back(key);
  auto it = value_->find(key);
  if (it == value_->end())
    throw StateError(Member(place_, key) + ": required member is missing");
  return Node(*it, Member(place_, key));
}

std::string Node::AsString() const {
  if (!value_->is_string())
    Fail(std::string("expected a string, found ") + TypeName(*value_));
  return value_->get<std::string>();
}

int64_t Node::AsInt() const {
  if (value_->is_number_unsigned()) {
    if (value_->get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
      Fail("integer out of range");
    return static_cast<int64_t>(value_->get<uint64_t>());
  }
  if (!value_->is_number_integer())
    Fail(std::string("expected an integer, found ") + TypeName(*value_));
  return value_->get<int64_t>();
}

uint64_t Node::AsUInt() const {
  if (value_->is_number_unsigned())
    return value_->get<uint64_t>();
  if (value_->is_number_integer())
    Fail("expected a non-negative integer");
  Fail(std::string("expected a non-negative integer, found ") + TypeName(*value_));
}

bool Node::AsBool() const {
  if (!value_->is_boolean())
    Fail(std::string("expected a boolean, found ") + TypeName(*value_));
  return value_->get<bool>();
}

std::vector<std::string> Node::AsStringList() const {
  if (!value_->is_array())
    Fail(std::string("expected an array of strings, found ") + TypeName(*value_));
  std::vector<std::string> out;
  out.reserve(value_->size());
  Each([&](const Node &element) { out.push_back(element.AsString()); });
  return out;
}

void Node::Each(const std::function<void(const Node &)> &fn) const {
  if (!value_->is_array())
    Fail(std::string("expected an array, found ") + TypeName(*value_));
  size_t index = 0;
  for (const Json &element : *value_) {
    fn(Node(element, place_ + "[" + std::to_string(index) + "]"));
    ++index;
  }
}

void Node::Done() const {
  if (!value_->is_object())
    return;
  for (auto it = value_->begin(); it != value_->end(); ++it)
    if (std::find(used_.begin(), used_.end(), it.key()) == used_.end())
      throw StateError(Member(place_, it.key()) + ": unknown member");
}

} // namespace OlkCtl::Sim
