#pragma once

#include <cstddef>
#include <cstdint>

// Typed numbers of the run's tables, counted from 0 in the order the entries were added.

/// A folder of the file catalog.
enum class FolderId : std::int32_t {};
/// A file of the file catalog.
enum class FileId : std::int32_t {};
/// A person of the person table.
enum class PersonId : std::int32_t {};

/// The table index an id stands for.
template <typename Id>
constexpr std::size_t IndexOf(Id id) {
  return static_cast<std::size_t>(id);
}

/// The id of a table index.
template <typename Id>
constexpr Id IdOf(std::size_t index) {
  return static_cast<Id>(static_cast<std::int32_t>(index));
}
