#include "type_words.h"

#include <QCoreApplication>

#include "components/shared_dll_audit.h"
#include "scan/junk_item.h"
#include "scan/junk_rules.h"
#include "scan/locations.h"

namespace kelvo::ui {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Tr(const char* text) {
  return QCoreApplication::translate("kelvo::ui::TypeWords", text);
}

// The texts of the scan, listed for the translation tools.
[[maybe_unused]] constexpr const char* kLabels[] = {
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "Temp临时文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "零字节文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "最近的文档"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "历史文档文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "IE Cookies文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "IE临时缓存文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "空文件夹"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "冗余的DLL或组件文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "缩略图缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "回收站"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "浏览器缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "应用缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "崩溃转储"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "软件包缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "旧日志"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "未完成的下载"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "Snap应用缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "开发工具缓存"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "旧临时文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "归档的系统日志"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "%1临时文件"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.tmp(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.old(旧备份文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.gid(帮助临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.bak(临时备份文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.chk(丢失的簇恢复文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.ftg(帮助的临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.fts(帮助的临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*._mp(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.syd(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.wbk(Word的备份文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.xlk(Excel的备份文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.$$$(异常的临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.@@@(异常的临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.---(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.??$(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.??~(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "*.dir(安装临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "~*.*(临时文件)"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "位置: %1"),
    QT_TRANSLATE_NOOP("kelvo::ui::TypeWords", "规则: %1"),
};

}  // namespace

QString TypeWords(const QString& label) {
  const QString translated = Tr(label.toUtf8().constData());
  if (translated != label) return translated;  // one of the fixed labels
  // A name rule's label: the extension as the name has it, then the suffix.
  const QString suffix = FromUtf8(scan::kNameRuleLabelSuffix);
  if (label.endsWith(suffix) && label.size() > suffix.size())
    return Tr("%1临时文件").arg(label.left(label.size() - suffix.size()));
  return label;
}

QString PatternWords(std::string_view text) {
  return Tr(std::string(text).c_str());
}

QString KindWords(int rule, bool emptyFolder) {
  if (rule >= 1 && rule <= scan::kPatternCount)
    return PatternWords(scan::kPatternTexts[static_cast<std::size_t>(rule - 1)]);
  if (const auto location = scan::LocationOfRule(rule))
    return TypeWords(FromUtf8(scan::kLocations[static_cast<std::size_t>(*location)].label));
  if (rule == scan::kAuditRule) return TypeWords(FromUtf8(components::kAuditLabel));
  if (rule == scan::kZeroByteRule && emptyFolder)
    return TypeWords(FromUtf8(scan::kEmptyFolderLabel));
  if (rule > scan::kPatternCount && rule <= scan::kRuleCount)
    return TypeWords(FromUtf8(scan::FixedLabel(rule)));
  return FromUtf8(scan::RuleName(rule, emptyFolder));
}

QString ListedByWords(int rule, bool emptyFolder) {
  const QString kind = KindWords(rule, emptyFolder);
  return scan::LocationOfRule(rule) ? Tr("位置: %1").arg(kind) : Tr("规则: %1").arg(kind);
}

}  // namespace kelvo::ui
