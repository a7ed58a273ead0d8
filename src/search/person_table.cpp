#include "search/person_table.h"

std::optional<PersonId> PersonTable::Add(std::u16string name, std::u16string terms) {
  const PersonId id = IdOf<PersonId>(persons_.size());
  if (!byName_.try_emplace(name, id).second) return std::nullopt;
  persons_.push_back(Person{std::move(name), std::move(terms)});
  return id;
}

std::optional<PersonId> PersonTable::Find(const std::u16string& name) const {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return std::nullopt;
  return found->second;
}

void HitTable::Add(PersonId person, FileId file) {
  if (IndexOf(person) >= files_.size()) files_.resize(IndexOf(person) + 1);
  files_[IndexOf(person)].push_back(file);
}

const std::vector<FileId>& HitTable::FilesOf(PersonId person) const {
  static const std::vector<FileId> kNone;
  return IndexOf(person) < files_.size() ? files_[IndexOf(person)] : kNone;
}
