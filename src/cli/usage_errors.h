// Usage errors in one style, "kelvo-cli: --option: why", whatever part of the command line found
// them.
#pragma once

#include <string>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace kelvo::cli {

// The message for a command line the parser refused, without the program name and newline.
std::string DescribeParseError(const CLI::App& app, const CLI::ParseError& error);

}  // namespace kelvo::cli
