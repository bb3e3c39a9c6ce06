#include "commands.h"

int main(int argc, char** argv) {
  return kelvo::cli::RunCommandLine(argc, argv);
}
