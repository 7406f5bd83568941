// Registration functions of the areas whose commands are not built yet. Each
// attaches nothing: an area's tree appears, with its own registration source in
// its directory, when its commands exist. Placeholder nodes would show users
// namespaces that cannot do anything.
#include "frame/Registration.h"

extern "C" {

void Nmp_RegisterNamespaces(NamespaceNodePtr) {}

} // extern "C"
