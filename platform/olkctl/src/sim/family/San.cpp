#include "sim/family/San.h"

#include "sim/family/IndexedLoad.h"

#include <olkctl/storage/FibreChannelInterfaceImpl.h>

#include <hostctl/Exception.h>

namespace OlkCtl::Sim {

using HostCtl::Storage::FcoeStats;
using HostCtl::Storage::FcStats;
using HostCtl::Storage::iScsiStats;
using HostCtl::Storage::SasPhyStats;

const std::vector<SanEventKind> &SanEventKinds() {
  static const std::vector<SanEventKind> kinds = {{"lip", 1}, {"linkup", 2}, {"linkdown", 3}, {"rscn", 4}};
  return kinds;
}

namespace {

const Mapping<FcStats> &FcStatsMapping() {
  static const Mapping<FcStats> mapping =
      Mapping<FcStats>()
          .Member("txFrames", &FcStats::txFrames)
          .Member("rxFrames", &FcStats::rxFrames)
          .Member("lipCount", &FcStats::lipCount)
          .Member("errorFrames", &FcStats::errorFrames)
          .Member("dumpedFrames", &FcStats::dumpedFrames)
          .Member("linkFailureCount", &FcStats::linkFailureCount)
          .Member("lossOfSignalCount", &FcStats::lossOfSignalCount)
          .Member("primSeqProtocolErrCount", &FcStats::primSeqProtocolErrCount)
          .Member("invalidTxWordCount", &FcStats::invalidTxWordCount)
          .Member("invalidCrcCount", &FcStats::invalidCrcCount)
          .Member("inputRequests", &FcStats::inputRequests)
          .Member("outputRequests", &FcStats::outputRequests)
          .Member("controlRequests", &FcStats::controlRequests);
  return mapping;
}

const Mapping<FcoeStats> &FcoeStatsMapping() {
  static const Mapping<FcoeStats> mapping = Mapping<FcoeStats>()
                                                .Member("txFrames", &FcoeStats::txFrames)
                                                .Member("rxFrames", &FcoeStats::rxFrames)
                                                .Member("errorFrames", &FcoeStats::errorFrames)
                                                .Member("dumpedFrames", &FcoeStats::dumpedFrames)
                                                .Member("linkFailureCount", &FcoeStats::linkFailureCount)
                                                .Member("lossOfSignalCount", &FcoeStats::lossOfSignalCount)
                                                .Member("invalidTxWordCount", &FcoeStats::invalidTxWordCount)
                                                .Member("invalidCrcCount", &FcoeStats::invalidCrcCount)
                                                .Member("vlinkFailureCount", &FcoeStats::vlinkFailureCount)
                                                .Member("missDiscAdvCount", &FcoeStats::missDiscAdvCount)
                                                .Member("inputRequests", &FcoeStats::inputRequests)
                                                .Member("outputRequests", &FcoeStats::outputRequests)
                                                .Member("controlRequests", &FcoeStats::controlRequests);
  return mapping;
}

const Mapping<SasPhyStats> &SasPhyStatsMapping() {
  static const Mapping<SasPhyStats> mapping =
      Mapping<SasPhyStats>()
          .Member("invalidDwordCount", &SasPhyStats::invalidDwordCount)
          .Member("runningDisparityErrorCount", &SasPhyStats::runningDisparityErrorCount)
          .Member("lossOfDwordSyncCount", &SasPhyStats::lossOfDwordSyncCount)
          .Member("phyResetProblemCount", &SasPhyStats::phyResetProblemCount);
  return mapping;
}

const Mapping<iScsiStats> &IscsiStatsMapping() {
  static const Mapping<iScsiStats> mapping =
      Mapping<iScsiStats>()
          .Member("sessions", &iScsiStats::sessions)
          .Member("connections", &iScsiStats::connections)
          .Member("dataSent", &iScsiStats::dataSent)
          .Member("dataReceived", &iScsiStats::dataReceived)
          .Member("commandPdus", &iScsiStats::commandPdus)
          .Member("readCommandPdus", &iScsiStats::readCommandPdus)
          .Member("writeCommandPdus", &iScsiStats::writeCommandPdus)
          .Member("bidiCommandPdus", &iScsiStats::bidiCommandPdus)
          .Member("noDataCommandPdus", &iScsiStats::noDataCommandPdus)
          .Member("responsePdus", &iScsiStats::responsePdus)
          .Member("r2tPdus", &iScsiStats::r2tPdus)
          .Member("dataInPdus", &iScsiStats::dataInPdus)
          .Member("dataOutPdus", &iScsiStats::dataOutPdus)
          .Member("taskMgmtRequestPdus", &iScsiStats::taskMgmtRequestPdus)
          .Member("taskMgmtResponsePdus", &iScsiStats::taskMgmtResponsePdus)
          .Member("loginRequestPdus", &iScsiStats::loginRequestPdus)
          .Member("loginResponsePdus", &iScsiStats::loginResponsePdus)
          .Member("textRequestPdus", &iScsiStats::textRequestPdus)
          .Member("textResponsePdus", &iScsiStats::textResponsePdus)
          .Member("logoutRequestPdus", &iScsiStats::logoutRequestPdus)
          .Member("logoutResponsePdus", &iScsiStats::logoutResponsePdus)
          .Member("nopOutPdus", &iScsiStats::nopOutPdus)
          .Member("nopInPdus", &iScsiStats::nopInPdus)
          .Member("asyncEventPdus", &iScsiStats::asyncEventPdus)
          .Member("snackPdus", &iScsiStats::snackPdus)
          .Member("rejectPdus", &iScsiStats::rejectPdus)
          .Member("digestErrors", &iScsiStats::digestErrors)
          .Member("timeouts", &iScsiStats::timeouts)
          .Member("noTxBufCount", &iScsiStats::noTxBufCount)
          .Member("noRxDataCount", &iScsiStats::noRxDataCount);
  return mapping;
}

const Mapping<SanEventRecord> &EventMapping() {
  static const Mapping<SanEventRecord> mapping = Mapping<SanEventRecord>()
                                                     .Member("time", &SanEventRecord::time)
                                                     .Member("kind", &SanEventRecord::kind)
                                                     .Member("detail", &SanEventRecord::detail);
  return mapping;
}

const Mapping<SanFcPort> &FcPortMapping() {
  static const Mapping<SanFcPort> mapping = Mapping<SanFcPort>()
                                                .Member("portId", &SanFcPort::portId)
                                                .Member("speed", &SanFcPort::speed)
                                                .Member("portType", &SanFcPort::portType)
                                                .Member("portState", &SanFcPort::portState)
                                                .Member("modelDescription", &SanFcPort::modelDescription)
                                                .Member("hardwareVersion", &SanFcPort::hardwareVersion)
                                                .Member("optionRomVersion", &SanFcPort::optionRomVersion)
                                                .Nested("stats", &SanFcPort::stats, FcStatsMapping());
  return mapping;
}

const Mapping<SanFcoeLink> &FcoeLinkMapping() {
  static const Mapping<SanFcoeLink> mapping = Mapping<SanFcoeLink>()
                                                  .Member("controllerMac", &SanFcoeLink::controllerMac)
                                                  .Member("fcfMac", &SanFcoeLink::fcfMac)
                                                  .Member("vnPortMac", &SanFcoeLink::vnPortMac)
                                                  .Member("vlanId", &SanFcoeLink::vlanId)
                                                  .Member("nic", &SanFcoeLink::nic)
                                                  .Nested("stats", &SanFcoeLink::stats, FcoeStatsMapping());
  return mapping;
}

const Mapping<SanSasPort> &SasPortMapping() {
  static const Mapping<SanSasPort> mapping =
      Mapping<SanSasPort>()
          .Member("sasAddress", &SanSasPort::sasAddress)
          .Member("physicalId", &SanSasPort::physicalId)
          .Member("minimumLinkRate", &SanSasPort::minimumLinkRate)
          .Member("maximumLinkRate", &SanSasPort::maximumLinkRate)
          .Member("negotiatedLinkRate", &SanSasPort::negotiatedLinkRate)
          .Member("modelDescription", &SanSasPort::modelDescription)
          .Member("hardwareVersion", &SanSasPort::hardwareVersion)
          .Member("optionRomVersion", &SanSasPort::optionRomVersion)
          .Nested("phyStats", &SanSasPort::phyStats, SasPhyStatsMapping());
  return mapping;
}

const Mapping<SanIscsiPort> &IscsiPortMapping() {
  static const Mapping<SanIscsiPort> mapping =
      Mapping<SanIscsiPort>()
          .Member("state", &SanIscsiPort::state)
          .Member("description", &SanIscsiPort::description)
          .Nested("stats", &SanIscsiPort::stats, IscsiStatsMapping());
  return mapping;
}

const Mapping<SanRecord> &SanMapping() {
  static const Mapping<SanRecord> mapping = Mapping<SanRecord>().Member("adapter", &SanRecord::name);
  return mapping;
}

// Reads the optional part `key` of a record with its mapping.
template <class T>
void LoadPart(const Node &element, const char *key, const Mapping<T> &mapping, std::optional<T> &part) {
  if (!element.Has(key))
    return;
  part.emplace();
  mapping.Load(element.Field(key), *part);
}

void LoadEvents(const Node &fc, SanFcPort &port) {
  if (!fc.Has("events"))
    return;
  const Node events = fc.Field("events");
  port.events = EventMapping().LoadList(events);
  size_t i = 0;
  events.Each([&](const Node &element) {
    const std::string &kind = port.events[i++].kind;
    bool known = false;
    for (const SanEventKind &k : SanEventKinds())
      known = known || kind == k.word;
    if (!known)
      element.Field("kind").Fail("unknown event kind \"" + kind + "\" (lip, linkup, linkdown, rscn)");
  });
}

} // namespace

std::pair<std::string, std::string> WorldWideNamesOfUid(const std::string &uid) {
  using Storage::FibreChannelInterfaceImpl;
  const size_t dot = uid.find('.');
  const size_t colon = uid.find(':', dot == std::string::npos ? 0 : dot);
  if (dot == std::string::npos || colon == std::string::npos)
    return {};
  try {
    const uint64_t node =
        FibreChannelInterfaceImpl::GetWorldWideNumberFromString(uid.substr(dot + 1, colon - dot - 1));
    const uint64_t port = FibreChannelInterfaceImpl::GetWorldWideNumberFromString(uid.substr(colon + 1));
    return {FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(node),
            FibreChannelInterfaceImpl::GetWorldWideNumberStringFromInt(port)};
  } catch (const HostCtl::Lib::HostCtlException &) {
    return {};
  }
}

void LoadFamily(const Node &node, SanFamily &family) {
  LoadIndexed(
      node, family, SanMapping(), {"san adapter", "a san entry needs an adapter"},
      [](const Node &element, SanRecord &record) {
        // The parts are read before the mapping, which refuses members it was not told about.
        if (element.Has("fc")) {
          const Node fc = element.Field("fc");
          record.fc.emplace();
          LoadEvents(fc, *record.fc);
          FcPortMapping().Load(fc, *record.fc);
        }
        LoadPart(element, "fcoe", FcoeLinkMapping(), record.fcoe);
        LoadPart(element, "sas", SasPortMapping(), record.sas);
        LoadPart(element, "iscsi", IscsiPortMapping(), record.iscsi);
      },
      [](const Node &element, const SanRecord &record) {
        if (record.fcoe && !record.fc)
          element.Field("fcoe").Fail("an FCoE link needs the FC port (\"fc\") it carries");
      });
}

nlohmann::ordered_json SaveFamily(const SanFamily &family) {
  Json out = Json::array();
  for (const SanRecord &record : family.records) {
    Json j = SanMapping().Save(record);
    // Only the parts an adapter has are written.
    if (record.fc) {
      j["fc"] = FcPortMapping().Save(*record.fc);
      j["fc"]["events"] = EventMapping().SaveList(record.fc->events);
    }
    if (record.fcoe)
      j["fcoe"] = FcoeLinkMapping().Save(*record.fcoe);
    if (record.sas)
      j["sas"] = SasPortMapping().Save(*record.sas);
    if (record.iscsi)
      j["iscsi"] = IscsiPortMapping().Save(*record.iscsi);
    out.push_back(std::move(j));
  }
  return out;
}

} // namespace OlkCtl::Sim
