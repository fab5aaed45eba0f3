#pragma once

#include <array>
#include <string>
#include <vector>

namespace recmod {

// One row of the parameter listing: the parameter table joined with the
// window's field or check box that holds each parameter.
struct ParameterRow {
  std::string name;
  std::string aliases;  // blank-separated
  std::string field;    // the txt index, the check box or the loci label; blank when none
  std::string windowRange;
  std::string modelDomain;
  std::string startValue;
  std::string kind;
  std::string role;  // "per lane", "per batch" or "loop"
  std::string description;
};

inline constexpr std::array<const char*, 9> kParameterColumns = {
    "name",    "aliases", "field", "window range", "model domain",
    "default", "kind",    "role",  "description"};

std::vector<ParameterRow> ParameterRows();

// The listing as TAB-separated text: a header line of kParameterColumns, then
// one line per row, each ending in "\n".
std::string ParameterListingText();

}  // namespace recmod
