// A small well-formedness check for the xml formatter's output, so the fuzzer
// notices output an XML reader would refuse, not only crashes.
#pragma once

#include <string>

namespace FuzzCheck {

// Empty when `text` is a well-formed XML document as far as the formatter's
// vocabulary goes: valid UTF-8 of characters XML allows, an optional
// declaration, one root element, balanced elements, quoted attributes and only
// the predefined or numeric entities. Otherwise the first problem found.
std::string XmlProblem(const std::string &text);

} // namespace FuzzCheck
