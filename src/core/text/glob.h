// Glob patterns over paths, as shells and ignore files know them: "*" matches within one name,
// "?" one character of a name, "[a-z]" / "[!a-z]" a class, and "**" as a whole component any
// number of folders (none included). Elsewhere "**" is an ordinary "*". Matching goes component by
// component, so its cost stays linear in the path for the patterns people write.
#pragma once

#include <cstddef>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::text {

struct GlobSyntax {
  bool ignoreCase = false;       // Windows paths
  bool backslashEscapes = true;  // POSIX: "\*" is a literal "*"; Windows: "\" separates
};

template <class Char>
class GlobPattern {
 public:
  using View = std::basic_string_view<Char>;

  GlobPattern(View pattern, GlobSyntax syntax) : syntax_(syntax) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
      if (i < pattern.size() && syntax.backslashEscapes && pattern[i] == Char('\\')) {
        ++i;  // the escaped character belongs to the component
        continue;
      }
      if (i == pattern.size() || IsSeparator(pattern[i])) {
        parts_.emplace_back(pattern.substr(start, i - start));
        start = i + 1;
      }
    }
  }

  // Whether the whole path matches; path components are split at the separators.
  bool Matches(View path) const {
    std::vector<View> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || IsSeparator(path[i])) {
        names.push_back(path.substr(start, i - start));
        start = i + 1;
      }
    }
    // The classic two-pointer walk with "**" as the star over components: going back to the last
    // "**" alone is enough, as with "*" over characters.
    std::size_t p = 0, n = 0, starP = kNone, starN = 0;
    while (n < names.size()) {
      if (p < parts_.size() && IsGlobstar(parts_[p])) {
        starP = p++;
        starN = n;
      } else if (p < parts_.size() && MatchName(parts_[p], names[n])) {
        ++p;
        ++n;
      } else if (starP != kNone) {
        p = starP + 1;
        n = ++starN;
      } else {
        return false;
      }
    }
    while (p < parts_.size() && IsGlobstar(parts_[p])) ++p;
    return p == parts_.size();
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  bool IsSeparator(Char c) const {
    return c == Char('/') || (!syntax_.backslashEscapes && c == Char('\\'));
  }
  static bool IsGlobstar(View part) { return part.size() == 2 && part[0] == '*' && part[1] == '*'; }

  Char Fold(Char c) const {
    if (!syntax_.ignoreCase) return c;
    if (c >= Char('A') && c <= Char('Z')) return static_cast<Char>(c - 'A' + 'a');
    if constexpr (sizeof(Char) > 1) {
      if (c > 0x7F) return static_cast<Char>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return c;
  }

  // One "[...]" class at pattern[i] (just after "["); false when it is not closed, so the "[" is
  // then an ordinary character. end is set past the "]".
  bool MatchClass(View pat, std::size_t i, Char c, bool& matched, std::size_t& end) const {
    bool negate = false;
    if (i < pat.size() && (pat[i] == Char('!') || pat[i] == Char('^'))) {
      negate = true;
      ++i;
    }
    bool hit = false;
    bool first = true;
    const Char folded = Fold(c);
    while (i < pat.size() && (first || pat[i] != Char(']'))) {
      first = false;
      Char lo = pat[i];
      if (syntax_.backslashEscapes && lo == Char('\\') && i + 1 < pat.size()) lo = pat[++i];
      ++i;
      Char hi = lo;
      if (i + 1 < pat.size() && pat[i] == Char('-') && pat[i + 1] != Char(']')) {
        hi = pat[i + 1];
        if (syntax_.backslashEscapes && hi == Char('\\') && i + 2 < pat.size()) hi = pat[++i + 1];
        i += 2;
      }
      if ((c >= lo && c <= hi) || (folded >= Fold(lo) && folded <= Fold(hi))) hit = true;
    }
    if (i >= pat.size()) return false;
    matched = hit != negate;
    end = i + 1;
    return true;
  }

  // "*" within one name: the classic walk, going back to the last "*" only.
  bool MatchName(View pat, View name) const {
    std::size_t p = 0, n = 0, starP = kNone, starN = 0;
    while (n < name.size()) {
      if (p < pat.size() && pat[p] == Char('*')) {
        while (p < pat.size() && pat[p] == Char('*')) ++p;
        starP = p;
        starN = n;
        continue;
      }
      bool ok = false;
      std::size_t next = p + 1;
      if (p < pat.size()) {
        const Char pc = pat[p];
        if (pc == Char('?')) {
          ok = true;
        } else if (pc == Char('[') && MatchClass(pat, p + 1, name[n], ok, next)) {
          // next is past the class
        } else if (syntax_.backslashEscapes && pc == Char('\\') && p + 1 < pat.size()) {
          ok = pat[p + 1] == name[n];
          next = p + 2;
        } else {
          ok = Fold(pc) == Fold(name[n]);
        }
      }
      if (ok) {
        p = next;
        ++n;
      } else if (starP != kNone) {
        p = starP;
        n = ++starN;
      } else {
        return false;
      }
    }
    while (p < pat.size() && pat[p] == Char('*')) ++p;
    return p == pat.size();
  }

  GlobSyntax syntax_;
  std::vector<std::basic_string<Char>> parts_;
};

}  // namespace kelvo::text
