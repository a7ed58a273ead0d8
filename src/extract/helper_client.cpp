#include "extract/helper_client.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <thread>

#include "extract/context.h"

namespace extract {

namespace {

/// The socket's number in the helper.
constexpr int kHelperSocket = 3;

// Frames from the helper: a type byte, a 32-bit length and that many bytes.
constexpr char kText = 'T';
constexpr char kRaw = 'R';
constexpr char kSeparate = 'S';
constexpr char kPage = 'P';
constexpr char kEnd = 'E';

bool WriteAll(int socket, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // MSG_NOSIGNAL: a helper that died must not take the program down with SIGPIPE.
    const ssize_t written = ::send(socket, bytes, size, MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

template <typename Number>
void Append(std::string& out, Number number) {
  out.append(reinterpret_cast<const char*>(&number), sizeof number);
}

template <typename Number>
Number Take(std::string_view& in) {
  Number number{};
  if (in.size() >= sizeof number) {
    std::memcpy(&number, in.data(), sizeof number);
    in.remove_prefix(sizeof number);
  }
  return number;
}

void AppendFrame(std::string& out, char type, std::string_view payload) {
  out += type;
  Append(out, static_cast<std::uint32_t>(payload.size()));
  out += payload;
}

/// Reads exactly size bytes in the helper, which waits as long as it takes.
bool ReadBlocking(int socket, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t count = ::recv(socket, data, size, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    data += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

/// The helper's frames to the client, sent in batches: a call per piece of text would cost more
/// than extracting it. A batch goes when it is large, when 50 ms have passed since the last
/// (so the client sees the work go on, and its time limit counts from real silence), and when
/// a page begins or the file ends.
class FrameWriter {
 public:
  explicit FrameWriter(int socket) : socket_(socket) {}

  /// Adds a frame; false when the client is gone.
  bool Add(char type, std::string_view payload) {
    AppendFrame(pending_, type, payload);
    constexpr std::size_t kBatchBytes = std::size_t{64} << 10;
    constexpr auto kBatchTime = std::chrono::milliseconds(50);
    if (pending_.size() >= kBatchBytes || std::chrono::steady_clock::now() - sent_ >= kBatchTime)
      return Flush();
    return true;
  }
  /// Sends what waits; false when the client is gone.
  bool Flush() {
    const bool sent = WriteAll(socket_, pending_.data(), pending_.size());
    pending_.clear();
    sent_ = std::chrono::steady_clock::now();
    return sent;
  }

 private:
  int socket_;
  std::string pending_;
  std::chrono::steady_clock::time_point sent_ = std::chrono::steady_clock::now();
};

/// The helper's side of the sink: every piece becomes a frame to the client.
class FrameSink final : public TextSink {
 public:
  explicit FrameSink(FrameWriter& frames) : frames_(frames) {}
  bool Text(std::string_view utf8) override { return frames_.Add(kText, utf8); }
  bool Raw(std::string_view bytes) override { return frames_.Add(kRaw, bytes); }
  void Separate() override { frames_.Add(kSeparate, {}); }

 private:
  FrameWriter& frames_;
};

}  // namespace

bool ExtractedInHelper(std::string_view head) {
  const detail::Kind kind = detail::Recognise(head.substr(0, detail::kHeadBytes));
  return kind == detail::Kind::Pdf || kind == detail::Kind::Image;
}

ExtractHelper::ExtractHelper(Setup setup) : setup_(std::move(setup)) {}

ExtractHelper::~ExtractHelper() {
  Stop();
}

bool ExtractHelper::Start() {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  std::string languages;
  for (const std::string& language : setup_.Languages)
    languages += (languages.empty() ? "" : "+") + language;
  const std::string memory = std::to_string(setup_.MemoryLimit);
  // Everything the child needs is made before the fork: after it, only calls safe there.
  std::vector<const char*> arguments = {setup_.Program.c_str(),   languages.c_str(),
                                        setup_.OffReason.c_str(), setup_.CacheFolder.c_str(),
                                        memory.c_str(),           nullptr};
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(sockets[0]);
    ::close(sockets[1]);
    return false;
  }
  if (child == 0) {
    ::dup2(sockets[1], kHelperSocket);  // dup2 clears close-on-exec on the copy
    ::execv(setup_.Program.c_str(), const_cast<char* const*>(arguments.data()));
    ::_exit(127);
  }
  ::close(sockets[1]);
  child_ = child;
  socket_ = sockets[0];
  ++starts_;
  return true;
}

ExtractHelper::ReadState ExtractHelper::Receive(char* data, std::size_t size,
                                                std::chrono::steady_clock::time_point deadline,
                                                const KeepGoing& keepGoing) {
  while (size > 0) {
    // What came with an earlier call is taken first: one call takes many frames.
    if (inboxAt_ < inboxEnd_) {
      const std::size_t take = std::min(size, inboxEnd_ - inboxAt_);
      std::memcpy(data, inbox_.get() + inboxAt_, take);
      inboxAt_ += take;
      data += take;
      size -= take;
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ReadState::Late;
    pollfd wait{socket_, POLLIN, 0};
    // The run answers its user (a window repaints, a close is seen) while a page is recognised.
    const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      if (keepGoing && !keepGoing()) return ReadState::Stopped;
      continue;
    }
    if (inbox_ == nullptr) inbox_ = std::make_unique<char[]>(kInboxBytes);
    const ssize_t count = ::recv(socket_, inbox_.get(), kInboxBytes, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return ReadState::Closed;
    inboxAt_ = 0;
    inboxEnd_ = static_cast<std::size_t>(count);
  }
  return ReadState::Done;
}

void ExtractHelper::Stop() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  inboxAt_ = inboxEnd_ = 0;  // a new helper's frames start afresh
  if (child_ > 0) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  child_ = -1;
}

Result ExtractHelper::Failed(const std::string& reason) {
  Stop();
  return {Outcome::NotExtracted, reason, Gap::Unread};
}

Result ExtractHelper::Extract(std::string_view content, TextSink& sink, RecognitionSummary& summary,
                              const PageProgress& progress, const KeepGoing& keepGoing,
                              HelperFault fault) {
  summary = RecognitionSummary();
  if (socket_ < 0 && !Start())
    return {Outcome::NotExtracted, "Hilfsprozess startet nicht", Gap::Unread};
  std::string request;
  Append(request, static_cast<std::uint32_t>(fault));
  Append(request, static_cast<std::uint64_t>(content.size()));
  if (!WriteAll(socket_, request.data(), request.size()) ||
      !WriteAll(socket_, content.data(), content.size())) {
    // A helper that died since its last file is started again once.
    Stop();
    if (!Start() || !WriteAll(socket_, request.data(), request.size()) ||
        !WriteAll(socket_, content.data(), content.size())) {
      return Failed("Hilfsprozess startet nicht");
    }
  }
  const auto wait = std::chrono::seconds(setup_.SecondsPerPage);
  auto deadline = std::chrono::steady_clock::now() + wait;
  std::string payload;
  for (;;) {
    char head[5];
    ReadState state = Receive(head, sizeof head, deadline, keepGoing);
    std::uint32_t size = 0;
    if (state == ReadState::Done) {
      std::memcpy(&size, head + 1, sizeof size);
      payload.resize(size);
      state = Receive(payload.data(), size, deadline, keepGoing);
    }
    if (state == ReadState::Stopped) {
      Stop();  // the helper's work on this file is of no use any more
      return {Outcome::NotExtracted, "stopped", Gap::Unread};
    }
    if (state == ReadState::Late) {
      return Failed("Zeitlimit überschritten (" + std::to_string(setup_.SecondsPerPage) +
                    " s je Seite)");
    }
    if (state == ReadState::Closed) {
      // The helper ended in the middle of a file: say how.
      ::close(socket_);
      socket_ = -1;
      int status = 0;
      ::waitpid(child_, &status, 0);
      child_ = -1;
      if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return Failed("Speichergrenze überschritten");
      if (WIFSIGNALED(status)) {
        return Failed("Hilfsprozess abgestürzt (Signal " + std::to_string(WTERMSIG(status)) + ")");
      }
      return Failed("Hilfsprozess beendet");
    }
    deadline = std::chrono::steady_clock::now() + wait;
    std::string_view body(payload);
    bool more = true;
    switch (head[0]) {
      case kText:
        more = sink.Text(body);
        break;
      case kRaw:
        more = sink.Raw(body);
        break;
      case kSeparate:
        sink.Separate();
        break;
      case kPage: {
        const auto page = Take<std::uint32_t>(body);
        const auto pages = Take<std::uint32_t>(body);
        if (progress) progress(static_cast<int>(page), static_cast<int>(pages));
        break;
      }
      case kEnd: {
        Result result;
        result.Kind = static_cast<Outcome>(Take<std::uint8_t>(body));
        result.Missing = static_cast<Gap>(Take<std::uint8_t>(body));
        summary.Pages = static_cast<int>(Take<std::uint32_t>(body));
        summary.PagesFromCache = static_cast<int>(Take<std::uint32_t>(body));
        summary.ConfidenceSum = static_cast<long>(Take<std::int64_t>(body));
        result.Reason = std::string(body);
        return result;
      }
      default:
        return Failed("Hilfsprozess gestört");
    }
    if (!more) {
      // A stop: the helper's work on this file is of no use any more.
      Stop();
      return {Outcome::NotExtracted, "stopped", Gap::Unread};
    }
  }
}

int ServeExtractions(int socket, int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string languages = argv[1];
  const std::string offReason = argv[2];
  const std::string cacheFolder = argv[3];
  const std::uint64_t memory = std::strtoull(argv[4], nullptr, 10);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // A sanitizer reserves far more address space than it uses; there the limit is left out.
  if (memory > 0) {
    const rlimit limit{memory, memory};
    ::setrlimit(RLIMIT_AS, &limit);
  }
#else
  (void)memory;
#endif
  FrameWriter frames(socket);
  std::unique_ptr<RecognitionCache> cache;
  bool cacheTried = false;
  std::vector<std::string> codes;
  for (std::size_t at = 0; at < languages.size();) {
    const std::size_t plus = std::min(languages.find('+', at), languages.size());
    codes.push_back(languages.substr(at, plus - at));
    at = plus + 1;
  }
  std::unique_ptr<Recognizer> recognizer;
  if (!codes.empty()) {
    recognizer = std::make_unique<Recognizer>(codes, [&]() -> RecognitionCache* {
      if (!cacheTried && !cacheFolder.empty()) {
        cacheTried = true;
        std::string problem;
        cache = RecognitionCache::Open(cacheFolder, {}, problem);
      }
      return cache.get();
    });
    recognizer->OnPage([&frames](int page, int pages) {
      std::string body;
      Append(body, static_cast<std::uint32_t>(page));
      Append(body, static_cast<std::uint32_t>(pages));
      frames.Add(kPage, body);
      frames.Flush();  // the client shows the page at once
    });
  }
  std::string content;
  for (;;) {
    char head[12];
    if (!ReadBlocking(socket, head, sizeof head)) return 0;  // the client is done
    std::string_view view(head, sizeof head);
    const auto fault = static_cast<HelperFault>(Take<std::uint32_t>(view));
    const auto size = Take<std::uint64_t>(view);
    try {
      content.resize(size);
      if (!ReadBlocking(socket, content.data(), content.size())) return 0;
      if (fault == HelperFault::Crash) std::abort();
      while (fault == HelperFault::Hang)
        std::this_thread::sleep_for(std::chrono::hours(1));
      for (std::vector<std::unique_ptr<char[]>> eaten; fault == HelperFault::EatMemory;) {
        // Address space runs out at the limit whether or not the pages are touched.
        eaten.emplace_back(new char[std::size_t{64} << 20]);
        eaten.back()[0] = 1;
      }
      if (recognizer) recognizer->BeginFile();
      FrameSink sink(frames);
      MemorySource source(content);
      const Result result =
          ExtractText(source, sink, Limits{}, Recognition{recognizer.get(), offReason});
      const RecognitionSummary summary = recognizer ? recognizer->Summary() : RecognitionSummary();
      std::string body;
      Append(body, static_cast<std::uint8_t>(result.Kind));
      Append(body, static_cast<std::uint8_t>(result.Missing));
      Append(body, static_cast<std::uint32_t>(summary.Pages));
      Append(body, static_cast<std::uint32_t>(summary.PagesFromCache));
      Append(body, static_cast<std::int64_t>(summary.ConfidenceSum));
      body += result.Reason;
      frames.Add(kEnd, body);
      if (!frames.Flush()) return 0;
    } catch (const std::bad_alloc&) {
      return 3;  // the client names the memory limit
    }
  }
}

}  // namespace extract
