// What became of a row handed to the deletion, in the command line's words.
#pragma once

#include <string>

#include "cleanup/deletion.h"

namespace kelvo::cli {

// "deleted", "already gone", or why the row was not deleted ("changed since the scan", ...).
std::string DeletionWords(const cleanup::DeletionResult& result);

}  // namespace kelvo::cli
