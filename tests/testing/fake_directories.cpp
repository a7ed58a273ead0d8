#include "testing/fake_directories.h"

namespace {

class FakeEnumeration : public platform::DirectoryEnumeration {
 public:
  FakeEnumeration(FakeDirectories& source, std::u16string path,
                  const std::vector<FakeDirectories::Entry>& entries)
      : source_(source), path_(std::move(path)), entries_(entries) {
    ++source_.OpenNow;
  }
  ~FakeEnumeration() override {
    --source_.OpenNow;
    source_.Events.push_back(u"close " + path_);
  }
  FakeEnumeration(const FakeEnumeration&) = delete;
  FakeEnumeration& operator=(const FakeEnumeration&) = delete;

  bool Next() override {
    ++source_.Fetches;
    if (next_ == entries_.size()) return false;
    current_ = &entries_[next_++];
    return true;
  }
  const std::u16string& Name() const override { return current_->Name; }
  bool IsFolder() const override { return current_->IsFolder; }
  std::int64_t Size() override {
    ++source_.SizeQueries;
    return current_->Size;
  }

 private:
  FakeDirectories& source_;
  std::u16string path_;
  const std::vector<FakeDirectories::Entry>& entries_;
  std::size_t next_ = 0;
  const FakeDirectories::Entry* current_ = nullptr;
};

}  // namespace

std::unique_ptr<platform::DirectoryEnumeration> FakeDirectories::Open(const std::u16string& path) {
  const auto found = folders_.find(path);
  if (found == folders_.end()) {
    Events.push_back(u"unreadable " + path);
    return nullptr;
  }
  Events.push_back(u"open " + path);
  return std::make_unique<FakeEnumeration>(*this, path, found->second);
}
