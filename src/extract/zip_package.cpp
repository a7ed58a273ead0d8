#include <archive.h>
#include <archive_entry.h>

#include <sys/stat.h>
#include <memory>
#include <string>
#include <string_view>

#include "extract/formats.h"
#include "extract/xml_text.h"

namespace extract::detail {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

// libarchive reading a zip through a ByteSource: by its central directory when the source can be
// sought (always, here), or front to back when that directory is damaged.
class ZipReader {
 public:
  enum class Mode { CentralDirectory, Streaming };

  ZipReader(Context& context, ByteSource& source) : context_(context), source_(source) {}
  ~ZipReader() { Close(); }
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens from the start; false when the archive cannot be read that way.
  bool Open(Mode mode) {
    Close();
    offset_ = 0;
    archive_ = archive_read_new();
    if (archive_ == nullptr) return false;
    if (mode == Mode::CentralDirectory) {
      archive_read_support_format_zip_seekable(archive_);
      archive_read_set_seek_callback(archive_, Seek);
    } else {
      archive_read_support_format_zip_streamable(archive_);
    }
    archive_read_set_read_callback(archive_, Read);
    archive_read_set_skip_callback(archive_, Skip);
    archive_read_set_callback_data(archive_, this);
    return archive_read_open1(archive_) == ARCHIVE_OK;
  }

  // The next member; nullptr at the end, and damaged() tells whether the end was an error.
  archive_entry* Next() {
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(archive_, &entry);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN) return entry;
    damaged_ = damaged_ || status != ARCHIVE_EOF;
    return nullptr;
  }

  // The next piece of the current member's bytes; 0 at its end, negative when damaged.
  la_ssize_t Data(char* buffer, std::size_t size) {
    const la_ssize_t count = archive_read_data(archive_, buffer, size);
    if (count < 0) {
      // The library names a compression method it lacks; the archive is not damaged then.
      const char* error = archive_error_string(archive_);
      const bool method = error != nullptr && std::string_view(error).find("compression method") !=
                                                  std::string_view::npos;
      (method ? unsupported_ : damaged_) = true;
    }
    return count;
  }

  bool damaged() const { return damaged_; }
  // A member was packed by a compression method the library cannot unpack.
  bool unsupported() const { return unsupported_; }

 private:
  void Close() {
    if (archive_ != nullptr) archive_read_free(archive_);
    archive_ = nullptr;
    damaged_ = false;
    unsupported_ = false;
  }

  static la_ssize_t Read(archive* a, void* self, const void** block) {
    auto& reader = *static_cast<ZipReader*>(self);
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
    auto& reader = *static_cast<ZipReader*>(self);
    const auto size = static_cast<la_int64_t>(reader.source_.Size());
    la_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<la_int64_t>(reader.offset_);
    if (whence == SEEK_END) base = size;
    const la_int64_t target = base + offset;
    if (target < 0) return ARCHIVE_FATAL;
    reader.offset_ = static_cast<std::uint64_t>(target);
    return target;
  }

  static la_int64_t Skip(archive*, void* self, la_int64_t request) {
    auto& reader = *static_cast<ZipReader*>(self);
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
  bool damaged_ = false;
  bool unsupported_ = false;
};

enum class Package { Zip, OfficeOpenXml, OpenDocument };

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

struct Survey {
  Package package = Package::Zip;
  bool encryptedPackage = false;
  bool content = false;  // an OpenDocument package's content.xml is there
};

// Reads at most limit bytes of the current member.
std::string Head(ZipReader& reader, std::size_t limit) {
  std::string head(limit, '\0');
  const la_ssize_t count = reader.Data(head.data(), head.size());
  head.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  return head;
}

// Finds out from the member names (and two small members) what kind of package the zip is.
Survey SurveyPackage(ZipReader& reader) {
  Survey survey;
  while (archive_entry* entry = reader.Next()) {
    const char* name = archive_entry_pathname(entry);
    const std::string_view path = name == nullptr ? std::string_view() : name;
    if (path == "[Content_Types].xml") {
      survey.package = Package::OfficeOpenXml;
    } else if (path == "mimetype") {
      if (Head(reader, 64).starts_with("application/vnd.oasis.opendocument")) {
        survey.package = Package::OpenDocument;
      }
    } else if (path == "content.xml") {
      survey.content = true;
    } else if (path == "META-INF/manifest.xml") {
      survey.encryptedPackage =
          Head(reader, std::size_t{1} << 20).find("encryption-data") != std::string::npos;
    }
  }
  if (survey.package != Package::OpenDocument) survey.encryptedPackage = false;
  return survey;
}

enum class Use { Skip, Markup, Member };

Use UseOf(Package package, std::string_view path) {
  if (EndsWith(path, "/")) return Use::Skip;
  switch (package) {
    case Package::OfficeOpenXml:
      return EndsWith(path, ".xml") || EndsWith(path, ".rels") || EndsWith(path, ".vml")
                 ? Use::Markup
                 : Use::Member;
    case Package::OpenDocument: {
      const std::string_view base = BaseName(path);
      if (base == "content.xml" || base == "styles.xml" || base == "meta.xml") return Use::Markup;
      return EndsWith(path, ".xml") || EndsWith(path, ".rdf") || path == "mimetype" ? Use::Skip
                                                                                    : Use::Member;
    }
    case Package::Zip:
      break;
  }
  return Use::Member;
}

// Passes one member on as markup text or as member bytes. A member that cannot be unpacked (a
// method the library lacks, damaged data) spoils only itself: the next is found by the directory.
void ReadMember(Context& context, ZipReader& reader, Use use, std::string& buffer) {
  std::unique_ptr<XmlText> xml;
  std::unique_ptr<MemberBytes> member;
  if (use == Use::Markup) {
    xml = std::make_unique<XmlText>(context, XmlAttributes::Authors);
  } else {
    member = std::make_unique<MemberBytes>(context);
  }
  bool markupIntact = true;
  la_ssize_t count = 0;
  // Markup that proved damaged or too long is not unpacked further: the next member is read.
  while (!context.Stopped() && markupIntact &&
         (count = reader.Data(buffer.data(), buffer.size())) > 0) {
    const std::string_view piece(buffer.data(), static_cast<std::size_t>(count));
    if (xml != nullptr) {
      markupIntact = xml->Feed(piece, false);
    } else {
      member->Add(piece);
    }
    if (!context.Inflated(piece.size())) break;
  }
  if (xml != nullptr) {
    if (count == 0 && markupIntact && !context.Stopped()) markupIntact = xml->Feed({}, true);
    xml->Finish();
    if (!markupIntact && !context.Stopped()) context.Fail("damaged XML");
  } else if (count == 0) {
    member->Finish();
  }
}

}  // namespace

void ExtractZip(Context& context, ByteSource& source) {
  ZipReader reader(context, source);
  ZipReader::Mode mode = ZipReader::Mode::CentralDirectory;
  if (!reader.Open(mode)) {
    context.Fail("damaged zip");
    mode = ZipReader::Mode::Streaming;  // read the members that are still there
    if (!reader.Open(mode)) return;
  }
  const Survey survey = SurveyPackage(reader);
  if (survey.encryptedPackage) {
    context.Unread("encrypted");
    return;
  }
  if (!reader.Open(mode)) {
    context.Fail("damaged zip");
    return;
  }
  // A template or a package saved without its body: what else it holds is still read.
  if (survey.package == Package::OpenDocument && !survey.content) context.Fail("no content");
  std::string buffer(kBlockBytes, '\0');
  while (!context.Stopped()) {
    archive_entry* entry = reader.Next();
    if (entry == nullptr) break;
    if (archive_entry_filetype(entry) == AE_IFDIR) continue;
    if (archive_entry_is_encrypted(entry)) {
      context.Unread("encrypted");
      continue;
    }
    const char* name = archive_entry_pathname(entry);
    const Use use = UseOf(survey.package, name == nullptr ? "" : name);
    if (use == Use::Skip) continue;
    ReadMember(context, reader, use, buffer);
  }
  if (reader.unsupported()) context.Fail("unsupported compression");
  if (reader.damaged()) context.Fail("damaged zip");
}

}  // namespace extract::detail
