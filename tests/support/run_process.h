// Running a program of the build with arguments and capturing what it prints.
#pragma once

#include <string>
#include <vector>

namespace kelvo::testing {

struct ProcessResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Runs program with args; stdin gets input (closed after it is written).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

}  // namespace kelvo::testing
