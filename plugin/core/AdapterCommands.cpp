// UNFINISHED SKELETON: replaced by the real group implementation.
#include "core/AdapterCommands.h"
#include <stdexcept>
namespace TarvexCli::Storage {
AdapterList::AdapterList() {}
Frame::InputSpecPtr AdapterList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr AdapterList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
AdapterDetailedList::AdapterDetailedList() {}
Frame::InputSpecPtr AdapterDetailedList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterDetailedList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterDetailedList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr AdapterDetailedList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
AdapterCapabilities::AdapterCapabilities() {}
Frame::InputSpecPtr AdapterCapabilities::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterCapabilities::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterCapabilities::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr AdapterCapabilities::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
AdapterStats::AdapterStats() {}
Frame::InputSpecPtr AdapterStats::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterStats::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterStats::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr AdapterStats::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
AdapterDeviceList::AdapterDeviceList() {}
Frame::InputSpecPtr AdapterDeviceList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterDeviceList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterDeviceList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr AdapterDeviceList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
AdapterRescan::AdapterRescan() {}
Frame::InputSpecPtr AdapterRescan::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr AdapterRescan::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void AdapterRescan::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
}
