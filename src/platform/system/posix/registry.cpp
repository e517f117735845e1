// POSIX registry stand-in: one SQLite database file holds every key and typed
// value. Covers HKCU (mapped to HKU\<SID of the current user>), HKLM and HKU;
// open, create (with parents), query, set, delete value, enumerate, delete tree.
// Not covered: security descriptors (every caller may read and write every
// key), volatile keys, change notification, registry views (all one view).
//
// Each operation opens the database, runs in its own transaction and closes
// it again, so several processes see each other's writes at once. A store
// that another process holds is waited for about 1 s; the operation then
// fails and the caller's default applies, and for 30 s the process's later
// operations try the store once without waiting. Only creating a key or writing a
// value creates the store file (and its folders); a read of a store that
// does not exist finds nothing (2).
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text.h"
#include "platform/system/known_folders.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"

namespace platform {
namespace {

constexpr long kErrorInvalidHandle = 6;
constexpr int kBusyTimeoutMs = 1000;
// After one operation has waited out a held store, the process's next ones
// only try once for this long: a run loses about a second to a held store,
// not a second for every value it reads.
constexpr auto kBusyQuiet = std::chrono::seconds(30);
std::atomic<int64_t> g_busyQuietUntil{0};

int64_t NowTicks() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

int BusyTimeoutMs() { return NowTicks() < g_busyQuietUntil.load() ? 0 : kBusyTimeoutMs; }

void NoteBusyStore() {
  const auto quiet = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kBusyQuiet);
  g_busyQuietUntil.store(NowTicks() + quiet.count());
}

// SQLite's own busy handler sleeps longer the longer it waits (up to 100 ms
// between tries). Another process that writes value after value frees the
// store for only the moment between two of its operations, which such
// sleeps nearly always miss: a writer waited out its whole second and lost
// its value. Trying again every millisecond until the deadline finds those
// moments.
int RetryUntilDeadline(void* deadline, int) {
  if (NowTicks() >= *static_cast<const int64_t*>(deadline)) return 0;
  usleep(1000);
  return 1;
}

std::string StorePath() {
  if (const char* env = std::getenv("ORV_REGISTRY"); env && *env) return env;
  return Utf16ToUtf8(GetAppDataFolder()) + "/orvane/registry.db";
}

void EnsureParentFolders(const std::string& file) {
  for (size_t pos = file.find('/', 1); pos != std::string::npos; pos = file.find('/', pos + 1)) {
    mkdir(file.substr(0, pos).c_str(), 0700);
  }
}

enum class EStoreUse { kRead, kWrite };

// One connection for the duration of one registry operation.
class Store {
 public:
  explicit Store(EStoreUse use) {
    const std::string path = StorePath();
    int flags = SQLITE_OPEN_READWRITE;
    if (use == EStoreUse::kWrite) {
      EnsureParentFolders(path);
      flags |= SQLITE_OPEN_CREATE;
    } else if (access(path.c_str(), F_OK) != 0) {
      m_missing = true;
      return;
    }
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) return;
    const auto wait = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::milliseconds(BusyTimeoutMs()));
    m_deadline = NowTicks() + wait.count();
    sqlite3_busy_handler(m_db, RetryUntilDeadline, &m_deadline);
    // A write-ahead log: a commit is one append, so a writer holds the store
    // for a far shorter time than with a rollback journal.
    if (use == EStoreUse::kWrite) Exec("PRAGMA journal_mode=WAL");
    if (!Exec("BEGIN IMMEDIATE")) {
      if (sqlite3_errcode(m_db) == SQLITE_BUSY) NoteBusyStore();
      return;
    }
    m_ok = Exec("CREATE TABLE IF NOT EXISTS reg_keys(path TEXT PRIMARY KEY COLLATE NOCASE)") &&
           Exec(
               "CREATE TABLE IF NOT EXISTS reg_values(key TEXT COLLATE NOCASE, "
               "name TEXT COLLATE NOCASE, type INTEGER, data BLOB, PRIMARY KEY(key, name))");
  }
  ~Store() {
    if (m_db == nullptr) return;
    Exec(m_failed ? "ROLLBACK" : "COMMIT");
    sqlite3_close(m_db);
  }
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  bool ok() const { return m_ok; }
  // A read found no store file: nothing exists in it.
  bool missing() const { return m_missing; }
  // What a failed open means to the caller: no store, or a bad or busy one.
  long OpenError() const { return m_missing ? kErrorFileNotFound : kErrorBadDb; }
  void Fail() { m_failed = true; }
  sqlite3* db() const { return m_db; }

 private:
  bool Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  sqlite3* m_db = nullptr;
  int64_t m_deadline = 0;  // of waiting for a store another process holds
  bool m_ok = false;
  bool m_failed = false;
  bool m_missing = false;
};

// A prepared statement bound to text and blob arguments, finalised on scope exit.
class Statement {
 public:
  Statement(const Store& store, const char* sql) {
    m_ok = sqlite3_prepare_v2(store.db(), sql, -1, &m_stmt, nullptr) == SQLITE_OK;
  }
  ~Statement() { sqlite3_finalize(m_stmt); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(const std::string& text) {
    m_ok = m_ok && sqlite3_bind_text(m_stmt, ++m_index, text.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
  }
  Statement& Bind(int64_t value) {
    m_ok = m_ok && sqlite3_bind_int64(m_stmt, ++m_index, value) == SQLITE_OK;
    return *this;
  }
  Statement& BindBlob(const void* data, uint32_t size) {
    m_ok = m_ok && sqlite3_bind_blob(m_stmt, ++m_index, size ? data : "", static_cast<int>(size),
                                     SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
  }
  // Steps once: SQLITE_ROW, SQLITE_DONE, or an error code.
  int Step() { return m_ok ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
  sqlite3_stmt* get() const { return m_stmt; }

 private:
  sqlite3_stmt* m_stmt = nullptr;
  int m_index = 0;
  bool m_ok = false;
};

std::string RootPrefix(RegRoot root) {
  switch (root) {
    case RegRoot::kLocalMachine:
      return "HKLM";
    case RegRoot::kUsers:
      return "HKU";
    case RegRoot::kCurrentUser:
      return "HKU\\" + Utf16ToUtf8(CurrentUserSidText());
  }
  return "HKU";
}

std::string TrimSeparators(const std::u16string& path) {
  std::string text = Utf16ToUtf8(path);
  const size_t first = text.find_first_not_of('\\');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of('\\');
  return text.substr(first, last - first + 1);
}

std::string FullPath(RegRoot root, const std::u16string& path) {
  const std::string rel = TrimSeparators(path);
  return rel.empty() ? RootPrefix(root) : RootPrefix(root) + "\\" + rel;
}

bool IsRootPath(const std::string& full) {
  return full == "HKLM" || full == "HKU" || full.find('\\') == std::string::npos;
}

long KeyExists(Store& store, const std::string& full, bool* exists) {
  if (IsRootPath(full)) {
    *exists = true;
    return kErrorSuccess;
  }
  Statement st(store, "SELECT 1 FROM reg_keys WHERE path = ?");
  const int rc = st.Bind(full).Step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return kErrorBadDb;
  *exists = rc == SQLITE_ROW;
  return kErrorSuccess;
}

long InsertKeyChain(Store& store, const std::string& full) {
  for (size_t pos = full.find('\\');; pos = full.find('\\', pos + 1)) {
    const std::string prefix = pos == std::string::npos ? full : full.substr(0, pos);
    if (!IsRootPath(prefix)) {
      Statement st(store, "INSERT OR IGNORE INTO reg_keys(path) VALUES(?)");
      if (st.Bind(prefix).Step() != SQLITE_DONE) return kErrorBadDb;
    }
    if (pos == std::string::npos) return kErrorSuccess;
  }
}

}  // namespace

RegistryKey::~RegistryKey() { Close(); }

RegistryKey::RegistryKey(RegistryKey&& other) noexcept { *this = std::move(other); }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    m_open = other.m_open;
    m_access = other.m_access;
    m_path = std::move(other.m_path);
    other.m_open = false;
  }
  return *this;
}

void RegistryKey::Close() {
  m_open = false;
  m_path.clear();
}

std::u16string RegistryStorePath() { return Utf8ToUtf16(StorePath()); }

long RegistryKey::Open(RegRoot root, const std::u16string& path, uint32_t access) {
  Close();
  Store store(EStoreUse::kRead);
  if (!store.ok()) return store.OpenError();
  const std::string full = FullPath(root, path);
  bool exists = false;
  if (const long rc = KeyExists(store, full, &exists); rc != kErrorSuccess) return rc;
  if (!exists) return kErrorFileNotFound;
  m_open = true;
  m_access = access;
  m_path = Utf8ToUtf16(full);
  return kErrorSuccess;
}

long RegistryKey::Create(RegRoot root, const std::u16string& path, uint32_t access) {
  Close();
  Store store(EStoreUse::kWrite);
  if (!store.ok()) return store.OpenError();
  const std::string full = FullPath(root, path);
  if (const long rc = InsertKeyChain(store, full); rc != kErrorSuccess) {
    store.Fail();
    return rc;
  }
  m_open = true;
  m_access = access;
  m_path = Utf8ToUtf16(full);
  return kErrorSuccess;
}

long RegistryKey::QueryValue(const std::u16string& name, uint32_t* type, void* buffer, uint32_t* size) const {
  if (!m_open) return kErrorInvalidHandle;
  Store store(EStoreUse::kRead);
  if (!store.ok()) return store.OpenError();
  Statement st(store, "SELECT type, data FROM reg_values WHERE key = ? AND name = ?");
  const int rc = st.Bind(Utf16ToUtf8(m_path)).Bind(Utf16ToUtf8(name)).Step();
  if (rc == SQLITE_DONE) return kErrorFileNotFound;
  if (rc != SQLITE_ROW) return kErrorBadDb;
  const auto valueType = static_cast<uint32_t>(sqlite3_column_int64(st.get(), 0));
  const void* data = sqlite3_column_blob(st.get(), 1);
  const auto dataSize = static_cast<uint32_t>(sqlite3_column_bytes(st.get(), 1));
  if (type) *type = valueType;
  if (size == nullptr) return kErrorSuccess;
  const uint32_t capacity = *size;
  *size = dataSize;
  if (buffer == nullptr) return kErrorSuccess;
  if (capacity < dataSize) return kErrorMoreData;
  if (dataSize > 0) std::memcpy(buffer, data, dataSize);
  return kErrorSuccess;
}

long RegistryKey::SetValue(const std::u16string& name, uint32_t type, const void* data, uint32_t size) {
  if (!m_open) return kErrorInvalidHandle;
  if ((m_access & 0x0002) == 0) return kErrorAccessDenied;  // KEY_SET_VALUE
  Store store(EStoreUse::kWrite);
  if (!store.ok()) return store.OpenError();
  bool exists = false;
  if (KeyExists(store, Utf16ToUtf8(m_path), &exists) != kErrorSuccess || !exists) {
    store.Fail();
    return exists ? kErrorBadDb : 1018;  // ERROR_KEY_DELETED
  }
  Statement st(store, "INSERT OR REPLACE INTO reg_values(key, name, type, data) VALUES(?, ?, ?, ?)");
  if (st.Bind(Utf16ToUtf8(m_path)).Bind(Utf16ToUtf8(name)).Bind(int64_t{type}).BindBlob(data, size).Step() !=
      SQLITE_DONE) {
    store.Fail();
    return kErrorBadDb;
  }
  return kErrorSuccess;
}

long RegistryKey::DeleteValue(const std::u16string& name) {
  if (!m_open) return kErrorInvalidHandle;
  Store store(EStoreUse::kRead);
  if (!store.ok()) return store.OpenError();
  Statement st(store, "DELETE FROM reg_values WHERE key = ? AND name = ?");
  if (st.Bind(Utf16ToUtf8(m_path)).Bind(Utf16ToUtf8(name)).Step() != SQLITE_DONE) {
    store.Fail();
    return kErrorBadDb;
  }
  return sqlite3_changes(store.db()) > 0 ? kErrorSuccess : kErrorFileNotFound;
}

long RegistryKey::EnumValues(std::vector<Value>* values) const {
  values->clear();
  if (!m_open) return kErrorInvalidHandle;
  Store store(EStoreUse::kRead);
  if (!store.ok()) return store.OpenError();
  Statement st(store, "SELECT name, type, data FROM reg_values WHERE key = ? ORDER BY name");
  st.Bind(Utf16ToUtf8(m_path));
  int rc;
  while ((rc = st.Step()) == SQLITE_ROW) {
    Value value;
    value.name = Utf8ToUtf16(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    value.type = static_cast<uint32_t>(sqlite3_column_int64(st.get(), 1));
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(st.get(), 2));
    value.data.assign(data, data + sqlite3_column_bytes(st.get(), 2));
    values->push_back(std::move(value));
  }
  return rc == SQLITE_DONE ? kErrorSuccess : kErrorBadDb;
}

long RegistryKey::DeleteTree(RegRoot root, const std::u16string& path) {
  Store store(EStoreUse::kRead);
  if (!store.ok()) return store.OpenError();
  const std::string full = FullPath(root, path);
  bool exists = false;
  if (const long rc = KeyExists(store, full, &exists); rc != kErrorSuccess) return rc;
  if (!exists || IsRootPath(full)) return exists ? kErrorAccessDenied : kErrorFileNotFound;
  // Sub-keys are the paths that start with full + "\"; compared without LIKE,
  // whose wildcards "_" and "%" are legal in key names.
  const std::string children = full + "\\";
  Statement values(store,
                   "DELETE FROM reg_values WHERE key = ?1 OR "
                   "substr(key, 1, length(?2)) = ?2 COLLATE NOCASE");
  Statement keys(store,
                 "DELETE FROM reg_keys WHERE path = ?1 OR "
                 "substr(path, 1, length(?2)) = ?2 COLLATE NOCASE");
  if (values.Bind(full).Bind(children).Step() != SQLITE_DONE ||
      keys.Bind(full).Bind(children).Step() != SQLITE_DONE) {
    store.Fail();
    return kErrorBadDb;
  }
  return kErrorSuccess;
}

}  // namespace platform
