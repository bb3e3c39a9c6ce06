// Sizes as people read them ("4.0 KB", "1.2 GB"), in steps of 1024.
#pragma once

#include <QString>
#include <cstdint>

namespace kelvo::ui {

QString SizeText(std::uint64_t bytes);
// A difference, with its sign when it is negative.
QString SignedSizeText(std::int64_t bytes);

}  // namespace kelvo::ui
