// Why a file could not be deleted, in words for the user.
#pragma once

#include <QString>

#include "cleanup/deletion.h"

namespace kelvo::ui {

QString DeletionFailureWords(const cleanup::DeletionResult& result);

}  // namespace kelvo::ui
