#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace recmod::testing {

// The lines of a report file without their CR LF; a line that does not end
// with CR LF fails the current test.
std::vector<std::string> ReportLines(const std::filesystem::path& path);

// The fields of a line between its TABs (a trailing TAB leaves "" last).
std::vector<std::string> SplitTabs(const std::string& line);

}  // namespace recmod::testing
