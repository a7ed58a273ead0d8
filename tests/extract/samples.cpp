#include "extract/samples.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace samples {

std::string CollectingSink::All(bool raw) const {
  std::string all;
  for (const auto& [isRaw, bytes] : streams_)
    if (isRaw == raw) all += bytes + "\n";
  return all;
}

bool CollectingSink::Add(bool raw, std::string_view piece) {
  if (!open_ || streams_.back().first != raw) {
    if (open_) throw std::logic_error("a stream mixes text and raw bytes");
    streams_.emplace_back(raw, std::string());
    open_ = true;
  }
  streams_.back().second.append(piece);
  total_ += piece.size();
  return total_ < stopAfter;
}

bool ChoppySource::ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                          std::size_t& count) {
  count = 0;
  if (offset + std::min(size, readSize_) > failFrom) return false;
  if (offset >= bytes_.size()) return true;
  count = std::min({size, readSize_, static_cast<std::size_t>(bytes_.size() - offset)});
  std::memcpy(buffer, bytes_.data() + offset, count);
  return true;
}

std::string Zip(const std::vector<std::pair<std::string, std::string>>& members,
                const char* options) {
  std::string out;
  archive* writer = archive_write_new();
  archive_write_set_format_zip(writer);
  archive_write_set_bytes_per_block(writer, 0);
  if (options != nullptr && archive_write_set_options(writer, options) != ARCHIVE_OK)
    throw std::runtime_error(archive_error_string(writer));
  archive_write_set_passphrase(writer, "geheim");  // used only when the options encrypt
  const auto append = [](archive*, void* to, const void* data, size_t size) {
    static_cast<std::string*>(to)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
  };
  archive_write_open(writer, &out, nullptr, append, nullptr);
  for (const auto& [name, content] : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_write_header(writer, entry);
    archive_write_data(writer, content.data(), content.size());
    archive_entry_free(entry);
  }
  archive_write_close(writer);
  archive_write_free(writer);
  return out;
}

std::string Docx(const std::vector<std::vector<std::string>>& paragraphs) {
  std::string body;
  for (const auto& runs : paragraphs) {
    body += "<w:p><w:pPr><w:jc w:val=\"left\"/></w:pPr>";
    for (const std::string& run : runs)
      body += "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" + run + "</w:t></w:r>";
    body += "</w:p>";
  }
  return Zip({{"[Content_Types].xml", "<Types/>"},
              {"word/document.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
               "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                   body + "</w:body></w:document>"}});
}

std::string Cp1252(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool pair = c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size();  // U+0080 to U+00FF
    out.push_back(static_cast<char>(pair ? ((c & 0x1F) << 6) | (utf8[++i] & 0x3F) : c));
  }
  return out;
}

namespace {

std::string Deflate(std::string_view data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
           data.size());
  out.resize(size);
  return out;
}

}  // namespace

std::string Pdf(const std::vector<std::string>& pages, const std::string& encryption) {
  std::vector<std::string> streams;
  for (const std::string& page : pages)
    streams.push_back("BT /F1 12 Tf 72 700 Td (" + Cp1252(page) + ") Tj ET");
  return DrawnPdf(streams, encryption);
}

std::string DrawnPdf(const std::vector<std::string>& streams, const std::string& encryption,
                     const std::string& info) {
  // Without a cross-reference table, which the reader rebuilds.
  std::string pdf = "%PDF-1.4\n", kids;
  std::size_t count = 0;
  const auto object = [&pdf, &count](const std::string& body) {  // numbered from 1
    pdf += std::to_string(++count) + " 0 obj\n" + body + "\nendobj\n";
  };
  for (std::size_t i = 0; i < streams.size(); ++i)
    kids += std::to_string(3 + 2 * i) + " 0 R ";
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(streams.size()) + " >>");
  for (const std::string& content : streams) {
    object(
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 << "
        "/Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
        "/WinAnsiEncoding /Differences [1 /caron /ogonek /dotaccent /hungarumlaut /ring] >> "
        ">> >> >> "
        "/Contents " +
        std::to_string(count + 2) + " 0 R >>");
    const std::string stream = Deflate(content);
    object("<< /Length " + std::to_string(stream.size()) + " /Filter /FlateDecode >>\nstream\n" +
           stream + "\nendstream");
  }
  std::string trailer = " /Root 1 0 R";
  if (!info.empty()) {
    object("<< " + info + " >>");
    trailer += " /Info " + std::to_string(count) + " 0 R";
  }
  if (!encryption.empty()) object(encryption);
  const std::string encrypt = " /Encrypt " + std::to_string(count) +
                              " 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> "
                              "<0123456789ABCDEF0123456789ABCDEF>]";
  return pdf + "trailer\n<< /Size " + std::to_string(count + 1) + trailer +
         (encryption.empty() ? "" : encrypt) + " >>\n%%EOF\n";
}

std::optional<std::string> Packed(const std::string& tool, const std::string& command,
                                  const std::vector<std::pair<std::string, std::string>>& files) {
  if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0) return std::nullopt;
  std::string folder = (std::filesystem::temp_directory_path() / "fundort-pack-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no temporary folder");
  for (const auto& [name, bytes] : files)
    std::ofstream(std::filesystem::path(folder) / name, std::ios::binary) << bytes;
  const int status = std::system(("cd '" + folder + "' && " + command).c_str());
  std::ifstream out(std::filesystem::path(folder) / "out", std::ios::binary);
  const std::string packed{std::istreambuf_iterator<char>(out), {}};
  std::filesystem::remove_all(folder);
  if (status != 0) throw std::runtime_error("packing failed: " + command);
  return packed;
}

}  // namespace samples
