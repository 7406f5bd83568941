#include "iofilter/IOFilterCommands.h"

#include "frame/Params.h"

#include <hostctl/Exception.h>
#include <hostctl/Host.h>
#include <hostctl/System.h>

#include <string>
#include <vector>

namespace TarvexCli::IOFilterNamespace {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::System::IOFilter;

// --- list ---

FilterList::FilterList() {
  SetDescription("List the iofilters installed on this host.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("fields:IOFilter",
                            "Name,Vendor,Version,Description,ID,LocalID,Class,Release Date,Enabled");
}

Frame::InputSpecPtr FilterList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "filter", "f", ParameterType::String, Frame::Optional,
                  "Filter the output of this command to only show a single iofilter.");
  return spec;
}

// The structure keeps the host record's order; the default fields reorder the view.
Frame::MetaStructPtr FilterList::GetOutputStructure() const {
  return Frame::NewTemplate("IOFilter", {{"Name", FieldType::String},
                                         {"Vendor", FieldType::String},
                                         {"Version", FieldType::String},
                                         {"ID", FieldType::String},
                                         {"LocalID", FieldType::String},
                                         {"Class", FieldType::String},
                                         {"Release Date", FieldType::String},
                                         {"Enabled", FieldType::String},
                                         {"Description", FieldType::String}});
}

void FilterList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool filtered = input->HasParameter("filter");
  const std::string wanted = filtered ? input->GetParameter("filter") : std::string();
  try {
    // The whole list even for one name: the host has no look-up by name.
    std::vector<IOFilter> filters;
    {
      auto info = HostCtl::HostFactory::GetHost()->GetIOFilterInfo();
      filters = info->ListInstalledFilters();
    }
    if (filtered) {
      // Exact bytes, first match only: a second filter of that name stays hidden.
      auto match = filters.begin();
      while (match != filters.end() && match->name != wanted)
        ++match;
      if (match == filters.end()) {
        output->AddErrorMessage("Unable to find filter with name " + wanted);
        return;
      }
      filters = std::vector<IOFilter>{*match};
    }
    auto result = Frame::NewRowList(GetOutputStructure());
    result->Reserve(filters.size());
    for (const IOFilter &filter : filters) {
      auto row = GetOutputStructure();
      row->SetField("Name", filter.name);
      row->SetField("Vendor", filter.vendor);
      row->SetField("Version", filter.version);
      row->SetField("ID", filter.id);
      row->SetField("LocalID", filter.localId);
      row->SetField("Class", filter.filterClass);
      row->SetField("Release Date", filter.releaseDate);
      row->SetField("Enabled", filter.state == 0 ? "Yes" : "No");
      row->SetField("Description", filter.description);
      result->Add(row);
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Unable to list IOFilters. Error was: ", e);
  }
}

// --- enable ---

FilterEnable::FilterEnable() {
  SetDescription("Enable an iofilter.");
}

Frame::InputSpecPtr FilterEnable::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  Frame::AddParam(spec, "filter", "f", ParameterType::String, Frame::Required, "Name of the iofilter.");
  return spec;
}

// No look-up first: whether the name is installed is the host's to say.
void FilterEnable::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string name = input->GetParameter("filter");
  try {
    {
      auto info = HostCtl::HostFactory::GetHost()->GetIOFilterInfo();
      info->EnableFilter(name);
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    Frame::AddHostError(output, "Failed to enable iofilter " + name + ". Error was: ", e);
  }
}

} // namespace TarvexCli::IOFilterNamespace
