// The scan's type labels and pattern texts in the language of the interface. The scan gives them in
// Chinese; the Chinese interface shows them as they are.
#pragma once

#include <QString>
#include <string_view>

namespace kelvo::ui {

// A type label of a result row ("tmp临时文件", "Temp临时文件", "空文件夹", ...).
QString TypeWords(const QString& label);

// A pattern option text ("*.tmp(临时文件)").
QString PatternWords(std::string_view text);

// The name of a kind of rows: the rule's option text, or the location's label.
QString KindWords(int rule, bool emptyFolder);

// What listed a row, for its tooltip: "规则: *.tmp(临时文件)" or "位置: 软件包缓存".
QString ListedByWords(int rule, bool emptyFolder);

}  // namespace kelvo::ui
