#include "engine/sqlite/Scope.h"

#include <algorithm>

#include "engine/AppError.h"

namespace telvarn::sqlite {
namespace {

// An alias names its table; the table's own name does too, but only where
// no level closer in has a table going by it (strict is false then).
bool names(const ScopeSource& source, const std::string& qualifier, bool strict = false) {
  if (!source.alias.empty() && sameName(source.alias, qualifier)) return true;
  if (source.name.empty() || !sameName(source.name, qualifier)) return false;
  return !strict || source.alias.empty();
}

const FieldRecord* fieldOf(const ScopeSource& source, const std::string& name) {
  const auto found = std::find_if(source.fields.begin(), source.fields.end(),
                                  [&](const FieldRecord& f) { return sameName(f.name, name); });
  return found == source.fields.end() ? nullptr : &*found;
}

}  // namespace

const ScopeSource* Scope::source(const std::string& qualifier) const {
  for (const ScopeSource& source : sources_) {
    if (names(source, qualifier)) return &source;
  }
  return nullptr;
}

Scope::Found Scope::find(const std::string& qualifier, const std::string& name) const {
  if (!qualifier.empty()) {
    for (const Scope* level = this; level; level = level->outer_) {
      const Found found = level->findHere(qualifier, name, true);
      if (found.field) return found;
    }
  }
  return findHere(qualifier, name, false);
}

Scope::Found Scope::findHere(const std::string& qualifier, const std::string& name,
                             bool strict) const {
  Found found;
  for (const ScopeSource& source : sources_) {
    if (!qualifier.empty() && !names(source, qualifier, strict)) continue;
    const FieldRecord* field = fieldOf(source, name);
    if (!field) continue;
    if (found.field) throw engineError(3079, {name});
    found = {&source, field};
    if (!qualifier.empty()) break;
  }
  if (found.field || !outer_ || strict) return found;
  return outer_->findHere(qualifier, name, false);
}

}  // namespace telvarn::sqlite
