#include "usage_errors.h"

#include <CLI/CLI.hpp>

#include <regex>

namespace kelvo::cli {
namespace {

std::string SubcommandNames(const CLI::App& app) {
  std::string names;
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (!names.empty()) names += ", ";
    names += sub->get_name();
  }
  return names;
}

// The deepest subcommand the parser entered, or the program itself.
const CLI::App& ParsedCommand(const CLI::App& app) {
  for (const CLI::App* sub : app.get_subcommands({}))
    if (sub->parsed()) return ParsedCommand(*sub);
  return app;
}

std::string Unexpected(const CLI::App& app, const std::string& argument) {
  const CLI::App& command = ParsedCommand(app);
  if (!argument.empty() && argument.front() == '-')
    return argument.substr(0, argument.find('=')) + ": unknown option" +
           (&command == &app ? "" : " for " + command.get_name());
  if (&command == &app)
    return argument + ": unknown subcommand (one of " + SubcommandNames(app) + ")";
  return argument + ": unexpected argument for " + command.get_name();
}

}  // namespace

std::string DescribeParseError(const CLI::App& app, const CLI::ParseError& error) {
  // A subcommand that is not one is left over, and the parser then misses a subcommand.
  if (dynamic_cast<const CLI::ExtrasError*>(&error) ||
      dynamic_cast<const CLI::RequiredError*>(&error)) {
    // The first argument left over is the one to name.
    const std::vector<std::string> left = ParsedCommand(app).remaining();
    if (!left.empty()) return Unexpected(app, left.front());
  }
  const std::string what = error.what();
  std::smatch m;
  if (what == "A subcommand is required")
    return "a subcommand is required (one of " + SubcommandNames(app) + "); see --help";
  if (std::regex_match(what, m, std::regex("The value (.*) is not an allowed value for (.*)")))
    return m[2].str() + ": '" + m[1].str() + "' is not an allowed value";
  if (std::regex_match(what, m, std::regex("Could not convert: (\\S+) = (.*)")))
    return m[1].str() + ": '" + m[2].str() + "' is not a valid value";
  if (std::regex_match(what, m, std::regex("(-\\S+): \\d+ required \\S+ missing")))
    return m[1].str() + ": needs a value";
  if (std::regex_match(what, m, std::regex("(-\\S+): (.*) not in \\{(.*)\\}")))
    return m[1].str() + ": '" + m[2].str() + "' is not one of " + m[3].str();
  if (std::regex_match(what, m, std::regex("(-\\S+) excludes (-\\S+)")))
    return m[1].str() + ": cannot be given with " + m[2].str();
  return what;  // the parser's own messages name the option first: "--format: ..."
}

}  // namespace kelvo::cli
