#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "extract/content_hash.h"
#include "extract/recognition.h"

namespace extract {

namespace {

/// Below this mean confidence a small image is recognised once more, scaled up, and the better
/// reading kept: a screenshot's text is smaller than the engine reads well.
constexpr int kRetryBelow = 70;
/// Images whose longer side is shorter than this are scaled up before the first reading.
constexpr int kSmallSide = 800;
/// Images whose longer side is shorter than this are read once more, scaled up, when they read
/// poorly (a screenshot at screen resolution).
constexpr int kRetrySide = 1400;
/// The scale for small images, and the most pixels an image scaled up may have.
constexpr float kUpscale = 3.0F;
constexpr double kMaxScaledPixels = 30e6;

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

/// The engine keeps some settings in globals of its own (the file its notes go to among them),
/// so engines are started one at a time and that file is set once: two search workers starting
/// their engines together, or one starting while another recognises, never write them at once.
std::mutex engineStart;
bool notesSilenced = false;  ///< guarded by engineStart

/// The folders where the engine's language data may lie, the one it was built for last.
std::vector<std::filesystem::path> DataFolders() {
  std::vector<std::filesystem::path> folders;
  if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix != nullptr && *prefix != '\0') {
    folders.emplace_back(prefix);
    folders.emplace_back(std::filesystem::path(prefix) / "tessdata");
  }
  for (const char* folder :
       {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
        "/usr/share/tessdata", "/usr/local/share/tessdata"}) {
    folders.emplace_back(folder);
  }
  return folders;
}

}  // namespace

bool RecognitionBuilt() {
  return true;
}

bool LanguageInstalled(std::string_view code) {
  // A code is a plain name: no path may be smuggled in through the configuration.
  if (code.empty() || code.find_first_of("/\\.") != std::string_view::npos) return false;
  std::error_code error;
  for (const std::filesystem::path& folder : DataFolders()) {
    if (std::filesystem::is_regular_file(folder / (std::string(code) + ".traineddata"), error)) {
      return true;
    }
  }
  return false;
}

std::string RecognitionEngineVersion() {
  return std::string("tesseract ") + tesseract::TessBaseAPI::Version();
}

struct Recognizer::Engine {
  tesseract::TessBaseAPI api;
  bool ready = false;
  bool failed = false;
};

Recognizer::Recognizer(std::vector<std::string> languages, CacheSource cache)
    : cacheSource_(std::move(cache)), engine_(std::make_unique<Engine>()) {
  for (const std::string& language : languages)
    languages_ += (languages_.empty() ? "" : "+") + language;
  setting_ = languages_ + "|" + RecognitionEngineVersion();
  setMsgSeverity(L_SEVERITY_NONE);  // damaged images are no news on stderr
}

Recognizer::~Recognizer() {
  if (engine_->ready) engine_->api.End();
}

RecognitionCache* Recognizer::Cache() {
  if (!cacheAsked_) {
    cacheAsked_ = true;
    cache_ = cacheSource_ ? cacheSource_() : nullptr;
  }
  return cache_;
}

void Recognizer::BeginFile() {
  summary_ = RecognitionSummary();
}

std::optional<PageText> Recognizer::Page(
    std::string_view document, int page, int pages,
    const std::function<std::optional<PageText>()>& recognise) {
  if (Cache() != nullptr) {
    if (document.data() != hashed_.data() || document.size() != hashed_.size()) {
      BeginDocument(document);
    }
    if (documentHash_.empty()) documentHash_ = Sha256Hex(document);
    if (std::optional<PageText> cached = cache_->Find(documentHash_, setting_, page)) {
      ++summary_.Pages;
      ++summary_.PagesFromCache;
      summary_.ConfidenceSum += cached->Confidence;
      return cached;
    }
  }
  if (progress_) progress_(page + 1, pages);
  std::optional<PageText> text = recognise();
  if (!text) return text;
  ++summary_.Pages;
  summary_.ConfidenceSum += text->Confidence;
  if (cache_ != nullptr) cache_->Store(documentHash_, setting_, page, *text);
  return text;
}

std::optional<PageText> Recognizer::RecogniseImage(void* image, int resolution) {
  Engine& engine = *engine_;
  if (!engine.ready && !engine.failed) {
    const std::lock_guard lock(engineStart);
    engine.failed = engine.api.Init(nullptr, languages_.c_str(), tesseract::OEM_DEFAULT) != 0;
    engine.ready = !engine.failed;
    // The engine's notes on each page (estimated resolution, empty pages) are no news.
    if (engine.ready && !notesSilenced) {
      engine.api.SetVariable("debug_file", "/dev/null");
      notesSilenced = true;
    }
  }
  if (engine.failed) return std::nullopt;

  Pix* pix = static_cast<Pix*>(image);
  const auto read = [&engine](Pix* page, int dpi) {
    engine.api.SetImage(page);
    if (dpi > 0) engine.api.SetSourceResolution(dpi);
    const std::unique_ptr<char[]> text(engine.api.GetUTF8Text());
    PageText result{text ? std::string(text.get()) : std::string(),
                    std::max(0, engine.api.MeanTextConf())};
    engine.api.Clear();
    return result;
  };
  const int width = pixGetWidth(pix);
  const int height = pixGetHeight(pix);
  const double scaledPixels = double(width) * height * kUpscale * kUpscale;
  const auto scaled = [&]() -> PixPtr {
    const PixPtr grey(pixConvertTo8(pix, 0));
    if (!grey) return nullptr;
    return PixPtr(pixScaleGrayLI(grey.get(), kUpscale, kUpscale));
  };
  const bool canScale = scaledPixels <= kMaxScaledPixels;
  if (canScale && std::max(width, height) < kSmallSide) {
    const PixPtr larger = scaled();
    if (larger) return read(larger.get(), 300);
  }
  PageText first = read(pix, resolution);
  // Only a smallish image is read again: a full page that reads poorly is noisy or blurred, and
  // scaling it up multiplies the time without making its letters any clearer.
  if (first.Confidence >= kRetryBelow || !canScale || std::max(width, height) >= kRetrySide) {
    return first;
  }
  const PixPtr larger = scaled();
  if (!larger) return first;
  PageText second = read(larger.get(), 300);
  return second.Confidence > first.Confidence ? second : first;
}

}  // namespace extract
