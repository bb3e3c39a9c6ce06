// Errors in words for the user.
#pragma once

#include <QString>
#include <system_error>

namespace kelvo::ui {

QString ErrorWords(std::error_code error);

}  // namespace kelvo::ui
