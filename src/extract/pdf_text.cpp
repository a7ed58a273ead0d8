#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "extract/formats.h"
#include "extract/pdf_words.h"
#include "support/compose_text.h"

namespace extract::detail {

namespace {

void Quiet(const std::string&, void*) {}

// The library sets up its global tables with the first open document and drops them with the
// last, which costs more than reading a small PDF; one empty document stays open to keep them.
constexpr std::string_view kEmptyPdf =
    "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    "2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\n"
    "trailer<</Size 3/Root 1 0 R>>\n%%EOF\n";

GlyphBox BoxOf(const poppler::rectf& rect) {
  return {rect.left(), rect.top(), rect.right(), rect.bottom()};
}

// The page's words in reading order, each glyph with its box: what PageText needs to join
// accents with their letters and to find the spaces the library missed. The font size is taken
// from the word's height, as asking the library for fonts costs as much again.
std::vector<PdfWord> Words(const poppler::page& page) {
  std::vector<PdfWord> words;
  for (const poppler::text_box& box : page.text_list()) {
    PdfWord word;
    word.FontSize = box.bbox().height();
    word.SpaceAfter = box.has_space_after();
    // The box's text is UTF-16; its glyph boxes count code points.
    const poppler::ustring text = box.text();
    for (std::size_t at = 0; at < text.size(); ++at) {
      char32_t code = text[at];
      if (code >= 0xD800 && code < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
          text[at + 1] < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (text[++at] - 0xDC00u);
      }
      word.Glyphs.push_back({code, {}});
    }
    for (std::size_t glyph = 0; glyph < word.Glyphs.size(); ++glyph)
      word.Glyphs[glyph].Box = BoxOf(box.char_bbox(glyph));
    words.push_back(std::move(word));
  }
  return words;
}

// Whether a page's text holds a spacing accent the library left apart from its letter (TeX
// draws accents as glyphs of their own, ` among them). The ASCII ^ and ~ are left out: they
// stand in code far more often than over a letter.
bool HoldsSpacingAccent(std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    if (byte == '`') return true;
    if (byte != 0xC2 && byte != 0xCB && byte != 0xCE) continue;
    if (at + 1 == utf8.size()) break;
    const char32_t code =
        ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[at + 1]) & 0x3Fu);
    if (MarkOfSpacingAccent(code) != 0) return true;
  }
  return false;
}

// The library keeps at most 50,000 characters of under 3 points on a page and drops the rest,
// also the normal letters among them, without a word. A page whose text comes near that many
// characters may have lost some: it is named, so a miss there is not silent.
constexpr std::size_t kMaybeCutCharacters = 40000;

bool MaybeCut(std::string_view utf8) {
  std::size_t characters = 0;
  for (const char c : utf8)
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\n' && c != '\r';
  return characters >= kMaybeCutCharacters;
}

// Asks whether to go on and checks the time limits after a page. The library cannot be
// interrupted within a page, so a stop or a limit takes effect between pages.
bool PageDone(Context& context, double pageSeconds) {
  if (pageSeconds >= context.limits().MaxPageSeconds) {
    context.Exceed(TimeLimitReason(context.limits().MaxPageSeconds) + " je Seite");
  }
  return context.Check();
}

}  // namespace

void ExtractPdf(Context& context, ByteSource& source, std::string_view held) {
  std::string read;
  if (held.empty() && !ReadWhole(context, source, read)) return;
  const std::string_view bytes = held.empty() ? std::string_view(read) : held;
  if (bytes.size() > INT_MAX) {
    context.Unread("too large to extract");
    return;
  }
  static const std::unique_ptr<poppler::document> keptOpen = [] {
    poppler::set_debug_error_function(Quiet, nullptr);  // damaged files are no news on stderr
    return std::unique_ptr<poppler::document>(poppler::document::load_from_raw_data(
        kEmptyPdf.data(), static_cast<int>(kEmptyPdf.size())));
  }();
  const std::unique_ptr<poppler::document> document(
      poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
  if (document == nullptr) {
    context.Fail("damaged PDF");
    return;
  }
  if (document->is_locked()) {
    context.Unread("encrypted");
    return;
  }
  if (!context.Check()) return;  // loading may have taken long
  // The document information a viewer shows among the properties.
  for (const char* key : {"Title", "Author", "Subject", "Keywords"}) {
    const poppler::byte_array value = document->info_key(key).to_utf8();
    if (value.empty()) continue;
    context.Text(std::string_view(value.data(), value.size()));
    context.Text("\n");
  }
  context.Separate();
  const int pages = document->pages();
  for (int index = 0; index < pages && !context.Stopped(); ++index) {
    const std::unique_ptr<poppler::page> page(document->create_page(index));
    if (page == nullptr) {
      context.Fail("damaged PDF");
      continue;
    }
    // The library's own reading of the page, unless it left accents apart: then the words
    // with their glyphs' places, which cost twice as much to get.
    const double started = context.Elapsed();
    const poppler::byte_array text =
        page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
    const std::string_view view(text.data(), text.size());
    if (view.find_first_not_of(" \t\r\n\f") != std::string_view::npos) {
      if (HoldsSpacingAccent(view)) {
        context.Text(PageText(Words(*page)));
      } else {
        context.Text(view);
        context.Text("\n");
      }
      if (MaybeCut(view)) context.Fail("Seite unvollst\xC3\xA4ndig: " + std::to_string(index + 1));
    } else {
      // A page without text of its own is a scan, or blank: recognition reads it. Its time is
      // bounded by the recognition's own limit, not by the limits on reading text.
      const double before = context.Elapsed();
      RecogniseScannedPage(context, bytes, page.get(), index, pages);
      context.Text("\n");
      context.Discount(context.Elapsed() - before);
    }
    if (!PageDone(context, context.Elapsed() - started)) break;
  }
}

}  // namespace extract::detail
