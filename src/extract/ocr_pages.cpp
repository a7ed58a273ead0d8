#include <leptonica/allheaders.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "extract/formats.h"
#include "extract/recognition.h"

namespace extract::detail {

namespace {

/// The resolution pages without text are rendered at: what the engine reads best.
constexpr double kPageDpi = 300;
/// The resolution a page is looked at when recognition is off, to tell a blank page from a scan.
constexpr double kGlanceDpi = 24;

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

const auto* Bytes(std::string_view bytes) {
  return reinterpret_cast<const l_uint8*>(bytes.data());
}

/// The number of pages (directories) of a TIFF; 0 when it cannot be read.
int TiffPages(std::string_view bytes) {
  FILE* file = fopenReadFromMemory(Bytes(bytes), bytes.size());
  if (file == nullptr) return 0;
  l_int32 pages = 0;
  if (tiffGetCount(file, &pages) != 0) pages = 0;
  std::fclose(file);
  return pages;
}

/// A rendered page as an 8-bit grey leptonica image.
PixPtr GreyPix(const poppler::image& image) {
  const int width = image.width();
  const int height = image.height();
  PixPtr pix(pixCreate(width, height, 8));
  if (!pix) return nullptr;
  const char* rows = image.const_data();
  l_uint32* lines = pixGetData(pix.get());
  const int wordsPerLine = pixGetWpl(pix.get());
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(rows + y * image.bytes_per_row());
    l_uint32* line = lines + std::ptrdiff_t{y} * wordsPerLine;
    for (int x = 0; x < width; ++x)
      SET_DATA_BYTE(line, x, row[x]);
  }
  pixSetResolution(pix.get(), static_cast<int>(kPageDpi), static_cast<int>(kPageDpi));
  return pix;
}

/// True when a rendered page has a dark pixel anywhere: it shows something, though no text.
bool HasInk(const poppler::image& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* row =
        reinterpret_cast<const unsigned char*>(image.const_data() + y * image.bytes_per_row());
    for (int x = 0; x < image.width(); ++x) {
      if (row[x] < 160) return true;
    }
  }
  return false;
}

poppler::image Render(const poppler::page& page, double dpi) {
  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_gray8);
  renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
  renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
  return renderer.render_page(&page, dpi, dpi);
}

}  // namespace

void ExtractImage(Context& context, ByteSource& source, std::string_view held) {
  std::string read;
  if (held.empty() && !ReadWhole(context, source, read)) return;
  const std::string_view bytes = held.empty() ? std::string_view(read) : held;
  Recognizer* recognizer = context.recognition().Engine;
  if (recognizer == nullptr) {
    context.Unread(context.recognition().OffReason);
    return;
  }
  l_int32 format = 0, width = 0, height = 0, bits = 0, samples = 0, colourMap = 0;
  // The header alone says how large the image is: one too large is refused before decoding.
  if (pixReadHeaderMem(Bytes(bytes), bytes.size(), &format, &width, &height, &bits, &samples,
                       &colourMap) != 0) {
    context.Unread("damaged image");
    return;
  }
  const bool tiff = format == IFF_TIFF || (format >= IFF_TIFF_PACKBITS && format <= IFF_TIFF_ZIP);
  const int pages = tiff ? TiffPages(bytes) : 1;
  if (pages > context.limits().MaxRecognisedPages) {
    context.Unread("zu groß für die Texterkennung: mehr als " +
                   std::to_string(context.limits().MaxRecognisedPages) + " Seiten");
    return;
  }
  recognizer->BeginDocument(bytes);
  for (int page = 0; page < pages && !context.Stopped(); ++page) {
    if (tiff && page > 0) {
      l_int32 resolution = 0, map = 0, pageFormat = 0;
      if (readHeaderMemTiff(Bytes(bytes), bytes.size(), page, &width, &height, &bits, &samples,
                            &resolution, &map, &pageFormat) != 0) {
        context.Unread("damaged image");
        return;
      }
    }
    if (double(width) * height > double(context.limits().MaxPixels)) {
      context.Unread("zu groß für die Texterkennung: mehr als " +
                     std::to_string(context.limits().MaxPixels / 1'000'000) + " Megapixel");
      continue;
    }
    const std::optional<PageText> text =
        recognizer->Page(bytes, page, pages, [&]() -> std::optional<PageText> {
          const PixPtr pix(tiff ? pixReadMemTiff(Bytes(bytes), bytes.size(), page)
                                : pixReadMem(Bytes(bytes), bytes.size()));
          if (!pix) return std::nullopt;
          return recognizer->RecogniseImage(pix.get(), pixGetXRes(pix.get()));
        });
    if (!text) {
      context.Unread("damaged image");
      continue;
    }
    context.Text(text->Text);
    context.Separate();  // a name never runs from one page into the next
  }
}

void RecogniseScannedPage(Context& context, std::string_view document, const void* opaquePage,
                          int index, int pages) {
  const auto& page = *static_cast<const poppler::page*>(opaquePage);
  Recognizer* recognizer = context.recognition().Engine;
  if (recognizer == nullptr) {
    // A blank page holds nothing to read; only a page that shows something is a scan unread.
    if (HasInk(Render(page, kGlanceDpi))) context.Unread(context.recognition().OffReason);
    return;
  }
  if (pages > context.limits().MaxRecognisedPages) {
    context.Unread("zu groß für die Texterkennung: mehr als " +
                   std::to_string(context.limits().MaxRecognisedPages) + " Seiten");
    return;
  }
  const poppler::rectf box = page.page_rect();
  const double pixels = box.width() * box.height() * (kPageDpi / 72) * (kPageDpi / 72);
  if (pixels > double(context.limits().MaxPixels)) {
    context.Unread("zu groß für die Texterkennung: mehr als " +
                   std::to_string(context.limits().MaxPixels / 1'000'000) + " Megapixel");
    return;
  }
  const std::optional<PageText> text =
      recognizer->Page(document, index, pages, [&]() -> std::optional<PageText> {
        const poppler::image image = Render(page, kPageDpi);
        if (!image.is_valid()) return std::nullopt;
        const PixPtr pix = GreyPix(image);
        if (!pix) return std::nullopt;
        return recognizer->RecogniseImage(pix.get(), static_cast<int>(kPageDpi));
      });
  if (!text) {
    context.Unread("Seite " + std::to_string(index + 1) + " nicht lesbar");
    return;
  }
  context.Text(text->Text);
}

}  // namespace extract::detail
