#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "extract/recognition.h"

namespace extract {

namespace {

constexpr const char* kFileName = "recognition.sqlite";
/// How long a run waits for another run that writes to the cache at the same time.
constexpr int kBusyMilliseconds = 10000;

std::int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

/// Makes folder (and its parents) with mode 0700; an existing folder of ours is narrowed to it.
bool MakePrivateFolder(const std::string& folder, std::string& problem) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      problem = part + ": " + std::strerror(errno);
      return false;
    }
    if (slash == std::string::npos) break;
  }
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    problem = folder + ": not a folder";
    return false;
  }
  if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    problem = folder + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

/// Makes the database file with mode 0600 before SQLite opens it (SQLite gives its journal
/// files the database's mode), and narrows an existing one.
bool MakePrivateFile(const std::string& path, std::string& problem) {
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor < 0) {
    problem = path + ": " + std::strerror(errno);
    return false;
  }
  const bool narrowed = ::fchmod(descriptor, 0600) == 0;
  ::close(descriptor);
  if (!narrowed) problem = path + ": " + std::strerror(errno);
  return narrowed;
}

}  // namespace

/// The open database and its prepared statements.
struct RecognitionCache::Database {
  sqlite3* handle = nullptr;
  ~Database() { sqlite3_close_v2(handle); }

  bool Run(const char* sql) {
    return sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  /// A prepared statement, finalised when it goes.
  struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
  };
  bool Prepare(Statement& statement, const char* sql) {
    return sqlite3_prepare_v2(handle, sql, -1, &statement.handle, nullptr) == SQLITE_OK;
  }
};

namespace {

/// Opens the database at path and makes sure it is sound and has its table; false when not.
bool OpenSound(sqlite3*& handle, const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                      nullptr) != SQLITE_OK) {
    return false;
  }
  sqlite3_busy_timeout(handle, kBusyMilliseconds);
  const auto run = [handle](const char* sql) {
    return sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  bool sound = false;
  sqlite3_stmt* check = nullptr;
  if (sqlite3_prepare_v2(handle, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
      sqlite3_step(check) == SQLITE_ROW) {
    const auto* answer = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    sound = answer != nullptr && std::strcmp(answer, "ok") == 0;
  }
  sqlite3_finalize(check);
  // Deleted text is overwritten, not only unlinked: an erased person must not live on in it.
  return sound && run("PRAGMA journal_mode=WAL") && run("PRAGMA secure_delete=ON") &&
         run("CREATE TABLE IF NOT EXISTS pages (file TEXT NOT NULL, setting TEXT NOT NULL, "
             "page INTEGER NOT NULL, text BLOB NOT NULL, confidence INTEGER NOT NULL, "
             "met INTEGER NOT NULL, PRIMARY KEY (file, setting, page))") &&
         run("CREATE INDEX IF NOT EXISTS pages_met ON pages (met)");
}

}  // namespace

std::string RecognitionCache::DefaultFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
    return std::string(cache) + "/fundort";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    return std::string(home) + "/.cache/fundort";
  }
  return {};
}

std::unique_ptr<RecognitionCache> RecognitionCache::Open(const std::string& folder, Clock clock,
                                                         std::string& problem) {
  if (folder.empty()) {
    problem = "no cache folder";
    return nullptr;
  }
  if (!MakePrivateFolder(folder, problem)) return nullptr;
  const std::string path = folder + "/" + kFileName;
  if (!MakePrivateFile(path, problem)) return nullptr;
  auto database = std::make_unique<Database>();
  if (!OpenSound(database->handle, path)) {
    // A damaged cache is set aside, where it can still be looked at, and a new one made.
    sqlite3_close_v2(database->handle);
    database->handle = nullptr;
    const std::string aside = path + ".damaged";
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
      problem = path + ": damaged and cannot be set aside";
      return nullptr;
    }
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    if (!MakePrivateFile(path, problem)) return nullptr;
    if (!OpenSound(database->handle, path)) {
      problem = path + ": " + sqlite3_errmsg(database->handle);
      return nullptr;
    }
  }
  if (!clock) clock = SystemSeconds;
  return std::unique_ptr<RecognitionCache>(
      new RecognitionCache(std::move(database), std::move(clock)));
}

bool RecognitionCache::Clear(const std::string& folder) {
  bool cleared = true;
  for (const char* suffix : {"", "-wal", "-shm", ".damaged"}) {
    const std::string path = folder + "/" + kFileName + suffix;
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) cleared = false;
  }
  return cleared;
}

RecognitionCache::RecognitionCache(std::unique_ptr<Database> database, Clock clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

RecognitionCache::~RecognitionCache() = default;

std::optional<PageText> RecognitionCache::Find(const std::string& file, const std::string& setting,
                                               int page) {
  const std::lock_guard lock(mutex_);
  Database::Statement query;
  if (!database_->Prepare(query,
                          "SELECT text, confidence FROM pages WHERE file=?1 AND setting=?2 AND "
                          "page=?3")) {
    return std::nullopt;
  }
  sqlite3_bind_text(query.handle, 1, file.data(), static_cast<int>(file.size()), SQLITE_STATIC);
  sqlite3_bind_text(query.handle, 2, setting.data(), static_cast<int>(setting.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int(query.handle, 3, page);
  if (sqlite3_step(query.handle) != SQLITE_ROW) return std::nullopt;
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(query.handle, 0));
  PageText text{std::string(bytes == nullptr ? "" : bytes,
                            static_cast<std::size_t>(sqlite3_column_bytes(query.handle, 0))),
                sqlite3_column_int(query.handle, 1)};
  // The file was met: its entries live another 90 days.
  Database::Statement touch;
  if (database_->Prepare(touch,
                         "UPDATE pages SET met=?1 WHERE file=?2 AND setting=?3 AND page=?4")) {
    sqlite3_bind_int64(touch.handle, 1, clock_());
    sqlite3_bind_text(touch.handle, 2, file.data(), static_cast<int>(file.size()), SQLITE_STATIC);
    sqlite3_bind_text(touch.handle, 3, setting.data(), static_cast<int>(setting.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int(touch.handle, 4, page);
    sqlite3_step(touch.handle);
  }
  return text;
}

void RecognitionCache::Store(const std::string& file, const std::string& setting, int page,
                             const PageText& text) {
  const std::lock_guard lock(mutex_);
  Database::Statement insert;
  if (!database_->Prepare(insert, "INSERT OR REPLACE INTO pages VALUES (?1, ?2, ?3, ?4, ?5, ?6)")) {
    return;
  }
  sqlite3_bind_text(insert.handle, 1, file.data(), static_cast<int>(file.size()), SQLITE_STATIC);
  sqlite3_bind_text(insert.handle, 2, setting.data(), static_cast<int>(setting.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int(insert.handle, 3, page);
  sqlite3_bind_blob(insert.handle, 4, text.Text.data(), static_cast<int>(text.Text.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int(insert.handle, 5, text.Confidence);
  sqlite3_bind_int64(insert.handle, 6, clock_());
  sqlite3_step(insert.handle);
}

void RecognitionCache::Forget(const std::string& file) {
  const std::lock_guard lock(mutex_);
  Database::Statement remove;
  if (!database_->Prepare(remove, "DELETE FROM pages WHERE file=?1")) return;
  sqlite3_bind_text(remove.handle, 1, file.data(), static_cast<int>(file.size()), SQLITE_STATIC);
  sqlite3_step(remove.handle);
  // The text also leaves the write-ahead log at once.
  database_->Run("PRAGMA wal_checkpoint(TRUNCATE)");
}

void RecognitionCache::Expire() {
  const std::lock_guard lock(mutex_);
  Database::Statement remove;
  if (!database_->Prepare(remove, "DELETE FROM pages WHERE met < ?1")) return;
  sqlite3_bind_int64(remove.handle, 1, clock_() - kKeepSeconds);
  sqlite3_step(remove.handle);
}

std::int64_t RecognitionCache::PageCount() {
  const std::lock_guard lock(mutex_);
  Database::Statement count;
  if (!database_->Prepare(count, "SELECT count(*) FROM pages") ||
      sqlite3_step(count.handle) != SQLITE_ROW) {
    return 0;
  }
  return sqlite3_column_int64(count.handle, 0);
}

}  // namespace extract
