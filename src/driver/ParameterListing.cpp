#include "driver/ParameterListing.hpp"

#include "numbers/ShortestNumber.hpp"
#include "run/ParameterTable.hpp"
#include "ui/ControlValues.hpp"
#include "ui/FieldCatalogue.hpp"

namespace recmod {

namespace {

std::string CheckBoxAlias(const ParameterInfo& parameter) {
  CheckBox box{};
  std::string_view rest = parameter.aliases;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    const std::string_view alias = rest.substr(0, blank);
    if (CheckBoxFromName(alias, box)) return std::string(alias);
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return std::string();
}

}  // namespace

std::vector<ParameterRow> ParameterRows() {
  std::vector<ParameterRow> rows;
  for (const ParameterInfo& parameter : Parameters()) {
    ParameterRow row;
    row.name = parameter.name;
    row.aliases = parameter.aliases;
    if (const FieldEntry* entry = FindFieldByParameter(parameter.name)) {
      row.field = std::to_string(entry->index);
      row.windowRange = ShortestNumber(entry->minimum) + " .. " + ShortestNumber(entry->maximum);
    } else if (parameter.kind == ParameterKind::Switch) {
      row.field = CheckBoxAlias(parameter);
      row.windowRange = "0 .. 1";
    } else if (parameter.name == "loci") {
      row.field = "AllelesNumber";
      row.windowRange = "2 .. 3";
    }
    row.modelDomain = DomainText(parameter);
    row.startValue = ShortestNumber(parameter.startValue);
    row.kind = KindName(parameter.kind);
    row.role = LaneRoleName(parameter.role);
    row.description = parameter.description;
    if (parameter.singlePrecision) row.description += " (held in single precision)";
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ParameterListingText() {
  std::string text;
  for (std::size_t i = 0; i < kParameterColumns.size(); ++i) {
    text += std::string(i == 0 ? "" : "\t") + kParameterColumns[i];
  }
  text += "\n";
  for (const ParameterRow& row : ParameterRows()) {
    text += row.name + "\t" + row.aliases + "\t" + row.field + "\t" + row.windowRange + "\t" +
            row.modelDomain + "\t" + row.startValue + "\t" + row.kind + "\t" + row.role + "\t" +
            row.description + "\n";
  }
  return text;
}

}  // namespace recmod
