// UNFINISHED SKELETON: replaced by the real group implementation.
#include "core/ClaimRuleCommands.h"
#include <stdexcept>
namespace TarvexCli::Storage {
ClaimRuleAdd::ClaimRuleAdd() {}
Frame::InputSpecPtr ClaimRuleAdd::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleAdd::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleAdd::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
ClaimRuleDelete::ClaimRuleDelete() {}
Frame::InputSpecPtr ClaimRuleDelete::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleDelete::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleDelete::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
ClaimRuleList::ClaimRuleList() {}
Frame::InputSpecPtr ClaimRuleList::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleList::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleList::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr ClaimRuleList::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
ClaimRuleMove::ClaimRuleMove() {}
Frame::InputSpecPtr ClaimRuleMove::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleMove::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleMove::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
ClaimRuleRun::ClaimRuleRun() {}
Frame::InputSpecPtr ClaimRuleRun::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleRun::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleRun::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
ClaimRuleLoad::ClaimRuleLoad() {}
Frame::InputSpecPtr ClaimRuleLoad::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleLoad::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleLoad::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
ClaimRuleConvert::ClaimRuleConvert() {}
Frame::InputSpecPtr ClaimRuleConvert::GetInputSpecInternal() { return CliKit::CallSpec::InputSpec::New(); }
Frame::OutputSpecPtr ClaimRuleConvert::GetOutputSpecInternal() { return Frame::BoolOutputSpec(); }
void ClaimRuleConvert::ExecuteInternal(const Frame::InputPtr &, const Frame::OutputPtr &) { throw std::logic_error("unfinished"); }
Frame::MetaStructPtr ClaimRuleConvert::GetOutputStructure() const { return Frame::NewTemplate("X", {}); }
}
