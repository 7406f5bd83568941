// UNFINISHED SKELETON: replaced by the real group implementation.
#include "core/DeviceCommands.h"
#include <stdexcept>
namespace TarvexCli::Storage {
DeviceList::DeviceList() {}
Frame::InputSpecPtr DeviceList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr DeviceList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void DeviceList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr DeviceList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
}
