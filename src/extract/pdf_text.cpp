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
  const int pages = document->pages();
  for (int index = 0; index < pages && !context.Stopped(); ++index) {
    const std::unique_ptr<poppler::page> page(document->create_page(index));
    if (page == nullptr) {
      context.Fail("damaged PDF");
      continue;
    }
    const poppler::byte_array text =
        page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
    const std::string_view pageText(text.data(), text.size());
    // A page without text of its own is a scan, or blank: recognition reads it.
    if (pageText.find_first_not_of(" \t\r\n\f") == std::string_view::npos) {
      RecogniseScannedPage(context, bytes, page.get(), index, pages);
    } else {
      context.Text(pageText);
    }
    context.Text("\n");
  }
}

}  // namespace extract::detail
