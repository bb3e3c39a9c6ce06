// Where a scan reads its rule switches. Options may change while a scan runs: the scan asks once
// for every entry it examines, and a change counts from the next entry.
#pragma once

#include "scan/junk_rules.h"

namespace kelvo::scan {

class RuleSource {
 public:
  virtual ~RuleSource() = default;
  // The switches for the entry about to be examined. May be called from the walk's thread while
  // another thread changes the options.
  virtual RuleSwitches Current() = 0;
};

// Switches set once for a whole scan.
class FixedRules final : public RuleSource {
 public:
  explicit FixedRules(RuleSwitches rules) : rules_(rules) {}
  RuleSwitches Current() override { return rules_; }

 private:
  RuleSwitches rules_;
};

}  // namespace kelvo::scan
