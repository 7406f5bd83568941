// Marks what libolkctl exports. The library is built with hidden visibility, so
// only declarations carrying OLKCTL_API reach the dynamic symbol table: fewer
// symbols for the loader to look up at every start, and a boundary the plug-in
// and the tools cannot reach past by accident. Classes carry it too, so their
// type_info and vtables stay one per process (a HostCtlException thrown in the
// library is caught by its type in the plug-in; dynamic_cast keeps working).
#pragma once

#define OLKCTL_API __attribute__((visibility("default")))
