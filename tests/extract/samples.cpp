#include "extract/samples.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace samples {

std::string CollectingSink::AllText() const {
  std::string all;
  for (const Stream& stream : streams_) {
    if (!stream.raw) all += stream.bytes + "\n";
  }
  return all;
}

std::string CollectingSink::AllRaw() const {
  std::string all;
  for (const Stream& stream : streams_) {
    if (stream.raw) all += stream.bytes + "\n";
  }
  return all;
}

bool CollectingSink::Add(bool raw, std::string_view piece) {
  if (!open_ || streams_.back().raw != raw) {
    if (open_) throw std::logic_error("a stream mixes text and raw bytes");
    streams_.push_back({raw, {}});
    open_ = true;
  }
  streams_.back().bytes.append(piece);
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

Extraction Extract(std::string_view bytes, const extract::Limits& limits) {
  Extraction extraction;
  extract::MemorySource source(bytes);
  extraction.result = extract::ExtractText(source, extraction.sink, limits);
  return extraction;
}

namespace {

la_ssize_t Append(archive*, void* out, const void* data, size_t size) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return static_cast<la_ssize_t>(size);
}

}  // namespace

std::string Zip(const std::vector<std::pair<std::string, std::string>>& members,
                const char* options) {
  std::string out;
  archive* writer = archive_write_new();
  archive_write_set_format_zip(writer);
  archive_write_set_bytes_per_block(writer, 0);
  if (options != nullptr) {
    if (archive_write_set_options(writer, options) != ARCHIVE_OK) {
      throw std::runtime_error(archive_error_string(writer));
    }
    archive_write_set_passphrase(writer, "geheim");
  }
  archive_write_open(writer, &out, nullptr, Append, nullptr);
  for (const auto& [name, content] : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
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
    for (const std::string& run : runs) {
      body += "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" + run + "</w:t></w:r>";
    }
    body += "</w:p>";
  }
  return Zip({
      {"[Content_Types].xml",
       "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
       "content-types\"><Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
      {"_rels/.rels", "<?xml version=\"1.0\"?><Relationships/>"},
      {"word/document.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
       "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
           body + "</w:body></w:document>"},
  });
}

std::string Cp1252(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size()) {
      out.push_back(static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F)));
    } else {
      out.push_back(static_cast<char>(c));
    }
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

std::string PdfString(std::string_view utf8) {
  std::string out = "(";
  for (const char c : Cp1252(utf8)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte >= 0x80) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + ")";
}

}  // namespace

std::string Pdf(const std::vector<std::string>& pages, const std::string& encryption) {
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  const auto object = [&](const std::string& body) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
  };
  const std::size_t fontObject = 3 + 2 * pages.size();
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i)
    kids += std::to_string(3 + 2 * i) + " 0 R ";
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 " +
           std::to_string(fontObject) + " 0 R >> >> /Contents " + std::to_string(4 + 2 * i) +
           " 0 R >>");
    const std::string stream = Deflate("BT /F1 12 Tf 72 700 Td " + PdfString(pages[i]) + " Tj ET");
    object("<< /Length " + std::to_string(stream.size()) + " /Filter /FlateDecode >>\nstream\n" +
           stream + "\nendstream");
  }
  object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  std::string trailerExtra;
  if (!encryption.empty()) {
    object(encryption);
    trailerExtra =
        " /Encrypt " + std::to_string(offsets.size()) +
        " 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>]";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R" + trailerExtra +
         " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace samples
