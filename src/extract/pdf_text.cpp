#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>

#include "extract/formats.h"

namespace extract::detail {

namespace {

void Quiet(const std::string&, void*) {}

// The library sets up its global tables with the first open document and drops them with the
// last, which costs more than reading a small PDF; one empty document stays open to keep them.
constexpr std::string_view kEmptyPdf =
    "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    "2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\n"
    "trailer<</Size 3/Root 1 0 R>>\n%%EOF\n";

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
    context.Fail("too large to extract");
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
    context.Fail("encrypted");
    return;
  }
  if (!context.Check()) return;  // loading may have taken long
  const int pages = document->pages();
  for (int index = 0; index < pages && !context.Stopped(); ++index) {
    const std::unique_ptr<poppler::page> page(document->create_page(index));
    if (page == nullptr) {
      context.Fail("damaged PDF");
      continue;
    }
    const double started = context.Elapsed();
    const poppler::byte_array text =
        page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
    context.Text(std::string_view(text.data(), text.size()));
    context.Text("\n");
    if (MaybeCut(std::string_view(text.data(), text.size()))) {
      context.Fail("Seite unvollst\xC3\xA4ndig: " + std::to_string(index + 1));
    }
    if (!PageDone(context, context.Elapsed() - started)) break;
  }
}

}  // namespace extract::detail
