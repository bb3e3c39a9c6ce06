// The window's words for rows only an administrator may remove.
#pragma once

#include <QString>

#include <cstddef>

namespace kelvo::ui {

// The tooltip of such a row: "需要管理员权限".
QString NeedsAdminText();
// For the window's summaries: "N 个需要管理员权限".
QString NeedAdminCountText(std::size_t count);
// The offer after the user's own rows were removed: "以管理员身份清除 N 个".
QString AdminOfferText(std::size_t count);
// Why the administrator step gave no results for its rows.
QString AdminStepFailedText(const QString& why);

}  // namespace kelvo::ui
