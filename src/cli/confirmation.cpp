#include "confirmation.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace kelvo::cli {
namespace {

bool IsYes(std::string answer) {
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())))
    answer.pop_back();
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes";
}

std::string ReadLine(std::FILE* in) {
  std::string line;
  for (int c; (c = std::fgetc(in)) != EOF && c != '\n';) line.push_back(static_cast<char>(c));
  return line;
}

}  // namespace

Answer AskOnTerminal(const std::string& question, bool stdinCarriesData) {
  std::FILE* in = nullptr;
  bool own = false;
  if (!stdinCarriesData && ::isatty(STDIN_FILENO) == 1) {
    in = stdin;
  } else if (stdinCarriesData) {
    in = std::fopen("/dev/tty", "r");
    own = in != nullptr;
  }
  if (!in) return Answer::kNoTerminal;
  std::fputs(question.c_str(), stderr);
  std::fflush(stderr);
  const bool yes = IsYes(ReadLine(in));
  if (own) std::fclose(in);
  return yes ? Answer::kYes : Answer::kNo;
}

}  // namespace kelvo::cli
