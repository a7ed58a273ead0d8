#pragma once

#include <cstddef>
#include <cstdint>

/// Whether files are read ahead on a helper thread or on the searching thread itself.
enum class ReadThread {
  Helper,  ///< a helper thread reads the next files while the current one is searched
  Caller,  ///< every block is read when it is asked for
};

/// How the search reads files: in blocks, and how far ahead of the file being searched.
struct ReadLimits {
  /// Bytes read and scanned at a time; a larger file comes in several blocks.
  std::size_t BlockBytes = std::size_t{1} << 20;
  /// Files read ahead of the one being searched, at most.
  std::int32_t FilesAhead = 8;
  /// Bytes held ready ahead of the block being searched, at most (one block more when a single
  /// block is larger).
  std::size_t BytesAhead = std::size_t{16} << 20;
  /// Files at least this long are mapped into memory and searched in place where the system
  /// can, which spares copying them; shorter ones are read.
  std::int64_t MapFrom = std::int64_t{16} << 20;
  /// Bytes of a large file mapped at a time (rounded down to whole blocks, at least one).
  std::size_t MapBytes = std::size_t{4} << 20;
  /// Where the reading happens.
  ReadThread Thread = ReadThread::Helper;
};
