#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "extract/formats.h"
#include "extract/reasons.h"

namespace extract::detail {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

// libarchive reading a compressed stream or an archive other than zip through a ByteSource.
class ArchiveReader {
 public:
  ArchiveReader(Context& context, ByteSource& source) : context_(context), source_(source) {}
  ~ArchiveReader() { Close(); }
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // What the library is asked to look for. Each reading bids only on what it needs: the ISO
  // bidder's long look-ahead would fail a truncated compressed stream before its first member.
  enum class Reading {
    Archive,     ///< tar, cpio, 7z, ISO 9660, RAR, uncompressed
    Compressed,  ///< a compressed stream holding a tar or cpio archive, or one file
  };

  // Opens from the start; false when the library takes neither the compression nor the format.
  bool Open(Reading reading) {
    Close();
    archive_ = archive_read_new();
    if (archive_ == nullptr) return false;
    if (reading == Reading::Archive) {
      archive_read_support_format_tar(archive_);
      archive_read_support_format_cpio(archive_);
      archive_read_support_format_7zip(archive_);
      archive_read_support_format_iso9660(archive_);
      archive_read_support_format_rar(archive_);
      archive_read_support_format_rar5(archive_);
    } else {
      // The compressions named one by one: "all" would let the library start outside programs.
      archive_read_support_filter_gzip(archive_);
      archive_read_support_filter_bzip2(archive_);
      archive_read_support_filter_xz(archive_);
      archive_read_support_filter_lzma(archive_);
      archive_read_support_filter_zstd(archive_);
      archive_read_support_format_tar(archive_);
      archive_read_support_format_cpio(archive_);
      // Bids last: a compressed stream holding no archive is one member, the unpacked file.
      archive_read_support_format_raw(archive_);
    }
    archive_read_set_read_callback(archive_, Read);
    archive_read_set_seek_callback(archive_, Seek);
    archive_read_set_skip_callback(archive_, Skip);
    archive_read_set_callback_data(archive_, this);
    return archive_read_open1(archive_) == ARCHIVE_OK;
  }

  // The next member; nullptr at the end or when the archive cannot be read further (failed()).
  archive_entry* Next() {
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(archive_, &entry);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN) return entry;
    failed_ = status != ARCHIVE_EOF;
    return nullptr;
  }

  // The next piece of the current member's bytes; 0 at its end, negative when it failed.
  la_ssize_t Data(char* buffer, std::size_t size) {
    return archive_read_data(archive_, buffer, size);
  }

  bool failed() const { return failed_; }
  // True when the library found neither a compression nor a format it knows.
  bool unrecognised() const {
    return error().find("nrecognized archive format") != std::string_view::npos;
  }
  std::string_view error() const {
    const char* text = archive_ == nullptr ? nullptr : archive_error_string(archive_);
    return text == nullptr ? std::string_view() : text;
  }

 private:
  void Close() {
    if (archive_ != nullptr) archive_read_free(archive_);
    archive_ = nullptr;
    offset_ = 0;
    failed_ = false;
  }

  static la_ssize_t Read(archive* a, void* self, const void** block) {
    auto& reader = *static_cast<ArchiveReader*>(self);
    std::size_t count = 0;
    if (!reader.source_.ReadAt(reader.offset_, reader.buffer_.data(), reader.buffer_.size(),
                               count)) {
      archive_set_error(a, EIO, "read error");
      return -1;
    }
    if (!InputRead(reader.context_, count)) {
      archive_set_error(a, ECANCELED, "stopped");
      return -1;
    }
    reader.offset_ += count;
    *block = reader.buffer_.data();
    return static_cast<la_ssize_t>(count);
  }

  static la_int64_t Seek(archive*, void* self, la_int64_t offset, int whence) {
    auto& reader = *static_cast<ArchiveReader*>(self);
    la_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<la_int64_t>(reader.offset_);
    if (whence == SEEK_END) base = static_cast<la_int64_t>(reader.source_.Size());
    if (offset < -base) return ARCHIVE_FATAL;
    reader.offset_ = static_cast<std::uint64_t>(base + offset);
    return base + offset;
  }

  static la_int64_t Skip(archive*, void* self, la_int64_t request) {
    auto& reader = *static_cast<ArchiveReader*>(self);
    const std::uint64_t size = reader.source_.Size();
    const std::uint64_t left = size > reader.offset_ ? size - reader.offset_ : 0;
    const auto skipped = std::min<std::uint64_t>(left, static_cast<std::uint64_t>(request));
    reader.offset_ += skipped;
    return static_cast<la_int64_t>(skipped);
  }

  Context& context_;
  ByteSource& source_;
  archive* archive_ = nullptr;
  std::uint64_t offset_ = 0;
  std::string buffer_ = std::string(kBlockBytes, '\0');
  bool failed_ = false;
};

bool Mentions(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

// Records why the archive, or the member entry (when not null), could not be read on. The library
// tells only in its error text whether a method is missing or the data is encrypted; anything
// else is damage, and what came before it was searched.
void RecordFailure(Context& context, const ArchiveReader& reader, archive_entry* entry) {
  if (context.Stopped()) return;
  const std::string_view error = reader.error();
  if ((entry != nullptr && archive_entry_is_encrypted(entry)) || Mentions(error, "ncrypt")) {
    context.Unread(reason::kEncrypted);
  } else if (Mentions(error, "nsupported") || Mentions(error, "not supported") ||
             Mentions(error, "nknown codec") || Mentions(error, "nknown compression") ||
             Mentions(error, "nrecognized")) {
    context.Unread(reason::kUnsupportedCompression);
  } else {
    context.Fail(reason::kDamaged);
  }
}

// Passes one member on as raw bytes, and as a document when it is one; false when the archive
// cannot be read past it.
bool ReadMember(Context& context, ArchiveReader& reader, archive_entry* entry,
                std::string& buffer) {
  MemberBytes member(context);
  la_ssize_t count = 0;
  while (!context.Stopped() && (count = reader.Data(buffer.data(), buffer.size())) > 0) {
    const std::string_view piece(buffer.data(), static_cast<std::size_t>(count));
    member.Add(piece);
    if (!context.Inflated(piece.size())) break;
  }
  if (count == 0) {
    member.Finish();
    return true;
  }
  context.Separate();  // the next member is a stream of its own
  if (count < 0) RecordFailure(context, reader, entry);
  return count != ARCHIVE_FATAL;
}

}  // namespace

void ExtractArchive(Context& context, ByteSource& source) {
  ArchiveReader reader(context, source);
  // The compressed reading is tried only when the library knew no archive format: the error of a
  // damaged archive is its own.
  if (!reader.Open(ArchiveReader::Reading::Archive) &&
      (!reader.unrecognised() || !reader.Open(ArchiveReader::Reading::Compressed))) {
    // A file that only started like one holds no archive; else the library said why.
    if (reader.unrecognised()) {
      context.Disown();
    } else {
      RecordFailure(context, reader, nullptr);
    }
    return;
  }
  std::string buffer(kBlockBytes, '\0');
  while (!context.Stopped()) {
    archive_entry* entry = reader.Next();
    if (entry == nullptr) {
      if (reader.failed()) RecordFailure(context, reader, nullptr);
      break;
    }
    if (archive_entry_filetype(entry) != AE_IFREG) continue;  // folders, links, devices
    if (archive_entry_is_encrypted(entry)) {
      context.Unread(reason::kEncrypted);
      continue;
    }
    if (!ReadMember(context, reader, entry, buffer)) break;
  }
}

}  // namespace extract::detail
