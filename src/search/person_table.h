#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "collect/catalog_ids.h"

/// One person to look for.
struct Person {
  std::u16string Name;   ///< as written in the NAME line; unique, compared exactly
  std::u16string Terms;  ///< field list of search terms, at least "|"
};

/// The persons of a run in the order they were declared; a name is taken once.
class PersonTable {
 public:
  /// Adds the person unless the name is taken; the new person's id, or none.
  std::optional<PersonId> Add(std::u16string name, std::u16string terms);
  /// The person of that exact name, if any; found without comparing every name.
  std::optional<PersonId> Find(const std::u16string& name) const;

  std::size_t Count() const { return persons_.size(); }
  const Person& operator[](PersonId person) const { return persons_[IndexOf(person)]; }
  /// Every person, in declaration order (index = id).
  const std::vector<Person>& All() const { return persons_; }

 private:
  std::vector<Person> persons_;
  std::unordered_map<std::u16string, PersonId> byName_;
};

/// Every person's hits: the files that mention them, in the order they were found.
class HitTable {
 public:
  /// Records that file mentions person.
  void Add(PersonId person, FileId file);
  /// The files that mention person, in the order found; empty for a person without hits.
  const std::vector<FileId>& FilesOf(PersonId person) const;
  /// How many files mention person.
  std::size_t CountOf(PersonId person) const { return FilesOf(person).size(); }

 private:
  std::vector<std::vector<FileId>> files_;  ///< per person; grows to the highest person hit
};
