// UNFINISHED SKELETON: replaced by the real group implementation.
#include "core/PathCommands.h"
#include <stdexcept>
namespace TarvexCli::Storage {
PathList::PathList() {}
Frame::InputSpecPtr PathList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr PathList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void PathList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr PathList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
PathSet::PathSet() {}
Frame::InputSpecPtr PathSet::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr PathSet::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void PathSet::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
PathStats::PathStats() {}
Frame::InputSpecPtr PathStats::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr PathStats::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void PathStats::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr PathStats::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
ScsiPathList::ScsiPathList() {}
Frame::InputSpecPtr ScsiPathList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ScsiPathList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ScsiPathList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr ScsiPathList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
NvmePathList::NvmePathList() {}
Frame::InputSpecPtr NvmePathList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr NvmePathList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void NvmePathList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr NvmePathList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
}
