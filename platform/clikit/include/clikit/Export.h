// Marks what libclikit exports. The library is built with hidden visibility, so
// only declarations carrying CLIKIT_API reach the dynamic symbol table: fewer
// symbols for the loader to look up at every start, and a boundary the plug-in
// cannot reach past by accident. Classes carry it too, so their type_info and
// vtables stay one per process (exceptions and dynamic_cast across libraries).
#pragma once

#define CLIKIT_API __attribute__((visibility("default")))
