// Asking the user on the terminal before anything is deleted.
#pragma once

#include <string>

namespace kelvo::cli {

enum class Answer { kYes, kNo, kNoTerminal };

// Shows question on stderr and reads the answer from standard input when that is a terminal, or
// from the controlling terminal when standard input carries data (a list read from "-"). Only "y"
// or "yes", in any case, is a yes.
Answer AskOnTerminal(const std::string& question, bool stdinCarriesData);

}  // namespace kelvo::cli
