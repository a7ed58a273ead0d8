#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <string>

#include "extract/formats.h"

namespace extract::detail {

namespace {

void Quiet(const std::string&, void*) {}

}  // namespace

void ExtractPdf(Context& context, ByteSource& source) {
  std::string bytes;
  if (!ReadWhole(context, source, bytes)) return;
  if (bytes.size() > INT_MAX) {
    context.Fail("too large to extract");
    return;
  }
  static const bool quiet = [] {
    poppler::set_debug_error_function(Quiet, nullptr);  // damaged files are no news on stderr
    return true;
  }();
  static_cast<void>(quiet);
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
    context.Text(std::string_view(text.data(), text.size()));
    context.Text("\n");
  }
}

}  // namespace extract::detail
