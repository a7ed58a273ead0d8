#include "platform/system.h"

namespace platform {
namespace {

/// Opens every file by its full path.
class PathOpener : public FoundFileOpener {
 public:
  explicit PathOpener(System& system) : system_(system) {}
  std::unique_ptr<ReadableFile> Open(const FoundFile& /*file*/, const std::u16string& path,
                                     std::optional<SystemError>& failure) override {
    return system_.OpenForReading(path, failure);
  }

 private:
  System& system_;
};

}  // namespace

std::unique_ptr<ReadableFile> FoundFileOpener::OpenNext(std::optional<SystemError>& failure) {
  // Only reached when OpenAhead took files, which this opener never does.
  failure = SystemError{ErrorKind::Other, u"Datei nicht vorab geöffnet"};
  return nullptr;
}

std::unique_ptr<FoundFileOpener> System::OpenFoundFiles() {
  return std::make_unique<PathOpener>(*this);
}

}  // namespace platform
