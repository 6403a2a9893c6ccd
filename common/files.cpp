#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string_view>

#include "common/fatal.h"
#include "common/fd_io.h"

namespace kivo {

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Finds `component` in `dir` ignoring ASCII case; empty when there is none.
std::string matchInFolder(const std::string& dir, const std::string& component) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, component.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// Resolves the first `parts` components of a path case-insensitively.
std::string resolveComponents(const std::string& name, bool lastAsGiven) {
  if (name.empty() || exists(name)) return name;
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t slash = name.find('/', start);
    parts.push_back(name.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string path = name[0] == '/' ? "/" : "";
  std::string dir = path;  // folder that holds the next component
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) continue;
    std::string candidate = path + part;
    bool last = i + 1 == parts.size();
    if (!exists(candidate) && !(last && lastAsGiven) && part != "." && part != "..") {
      std::string match = matchInFolder(dir, part);
      if (!match.empty()) candidate = path + match;
    }
    path = candidate;
    if (!last) path += "/";
    dir = path;
  }
  return path;
}

[[noreturn]] void failErrno(const std::string& place) { fail(errorNumberFromErrno(errno), place); }

}  // namespace

std::string resolveExisting(const std::string& name) { return resolveComponents(name, false); }
std::string resolveForCreate(const std::string& name) { return resolveComponents(name, true); }

bool fileExists(const std::string& name) { return exists(resolveExisting(name)); }

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  const bool hasA = ::stat(resolveExisting(a).c_str(), &sa) == 0, hasB = ::stat(resolveExisting(b).c_str(), &sb) == 0;
  if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (hasA != hasB) return false;
  std::error_code ec;
  auto full = [&](const std::string& n) { return std::filesystem::absolute(n, ec).lexically_normal().string(); };
  return ::strcasecmp(full(a).c_str(), full(b).c_str()) == 0;
}

long long fileLength(const std::string& name) {
  struct stat st;
  if (::stat(resolveExisting(name).c_str(), &st) != 0) return -1;
  return st.st_size;
}

bool removeFile(const std::string& name) { return ::unlink(resolveExisting(name).c_str()) == 0; }

bool renameFile(const std::string& from, const std::string& to) {
  return ::rename(resolveExisting(from).c_str(), resolveForCreate(to).c_str()) == 0;
}

FileTooLarge::FileTooLarge(const std::string& name)
    : RuntimeError(kFileIoError, "read " + name + ": larger than such a file can be") {}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string realPath(const std::string& name) {
  const std::string path = resolveExisting(name);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return resolveForCreate(name);
  if (!S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // a link that leads nowhere is written as a file
  std::string result(real);
  std::free(real);
  return result;
}

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) failErrno("open folder " + folder);
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  if (!synced) fail(kFileIoError, "sync folder " + folder);
}

std::vector<std::string> splitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string::npos ? bytes.size() : lf;
    size_t stop = end;
    if (lf != std::string::npos && stop > start && bytes[stop - 1] == '\r') --stop;
    lines.emplace_back(bytes, start, stop - start);
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  return lines;
}

std::string readWholeFile(const std::string& name, long long limit) {
  int fd = ::open(resolveExisting(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) failErrno("open " + name);
  std::string bytes;
  char buf[65536];
  while (true) {
    ssize_t got = ::read(fd, buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      fail(err == EISDIR ? kFileIoError : errorNumberFromErrno(err), "read " + name);
    }
    if (got == 0) break;
    bytes.append(buf, static_cast<size_t>(got));
    if (limit >= 0 && static_cast<long long>(bytes.size()) > limit) {
      ::close(fd);
      throw FileTooLarge(name);
    }
    const size_t lastLf = bytes.rfind('\n');
    if (bytes.size() - (lastLf == std::string::npos ? 0 : lastLf + 1) > kMaxLineLength + 1) {
      ::close(fd);
      fail(kFileIoError, "read " + name + ": a line longer than the limit");
    }
  }
  ::close(fd);
  return bytes;
}

std::vector<std::string> readTextLines(const std::string& name) {
  TextReader in;
  in.open(name);
  in.setSizeLimit(kMaxTableBytes);
  std::vector<std::string> lines;
  std::string line;
  while (in.readLine(line)) {
    if (lines.size() >= kMaxTableLines) throw FileTooLarge(name);
    lines.push_back(std::move(line));
  }
  return lines;
}

// ---- TextReader ----

TextReader::~TextReader() { close(); }

bool TextReader::tryOpen(const std::string& name) {
  close();
  std::string path = resolveExisting(name);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    lastError_ = EISDIR;
    return false;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  lastError_ = fd_ < 0 ? errno : 0;
  name_ = name;
  begin_ = end_ = 0;
  atEnd_ = false;
  bytesRead_ = 0;
  return fd_ >= 0;
}

void TextReader::open(const std::string& name) {
  if (!tryOpen(name)) fail(lastError_ == EISDIR ? kFileIoError : errorNumberFromErrno(lastError_), "open " + name);
}

// More bytes after those not yet taken; false at the end of the file.
bool TextReader::fill() {
  if (atEnd_) return false;
  constexpr size_t kChunk = 1 << 16;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() < end_ + kChunk) buffer_.resize(end_ + kChunk);
  ssize_t got;
  do got = ::read(fd_, buffer_.data() + end_, kChunk);
  while (got < 0 && errno == EINTR);
  if (got < 0) fail(kFileIoError, "read " + name_);
  if (got == 0) atEnd_ = true;
  end_ += static_cast<size_t>(got);
  bytesRead_ += got;
  if (sizeLimit_ >= 0 && bytesRead_ > sizeLimit_) throw FileTooLarge(name_);
  return got > 0;
}

bool TextReader::readLine(std::string& line) {
  line.clear();
  if (fd_ < 0) return false;
  size_t scanned = begin_;
  while (true) {
    const char* from = buffer_.data() + scanned;
    const void* lf = end_ > scanned ? std::memchr(from, '\n', end_ - scanned) : nullptr;
    if (lf) {
      const size_t at = static_cast<size_t>(static_cast<const char*>(lf) - buffer_.data());
      size_t stop = at > begin_ && buffer_[at - 1] == '\r' ? at - 1 : at;
      if (stop - begin_ > lineLimit_) fail(kFileIoError, "read " + name_ + ": a line longer than the limit");
      line.assign(buffer_.data() + begin_, stop - begin_);
      begin_ = at + 1;
      return true;
    }
    if (end_ - begin_ > lineLimit_ + 1) fail(kFileIoError, "read " + name_ + ": a line longer than the limit");
    const size_t taken = end_ - begin_;
    if (!fill()) {
      if (end_ == begin_) return false;
      line.assign(buffer_.data() + begin_, end_ - begin_);  // a last line without its end
      begin_ = end_;
      return true;
    }
    scanned = begin_ + taken;
  }
}

bool TextReader::rewind() {
  if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return false;
  begin_ = end_ = 0;
  atEnd_ = false;
  bytesRead_ = 0;
  return true;
}

void TextReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

// ---- AtomicWriter ----

namespace {

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kTempMark = ".kivo-";
constexpr size_t kTempSuffix = 6;  // the XXXXXX of mkstemp

// "." NAME ".kivo-XXXXXX", as AtomicWriter names its temporary files.
bool isTemporaryName(std::string_view name) {
  if (name.size() < 1 + kTempMark.size() + kTempSuffix || name[0] != '.') return false;
  return name.substr(name.size() - kTempSuffix - kTempMark.size(), kTempMark.size()) == kTempMark;
}

// Temporary files of a rewrite that nobody is writing any more: left by a run that
// was killed. A writer holds a lock on its temporary file until it is renamed or
// removed, so those that can be locked are stale.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  while (dirent* e = ::readdir(d)) {
    if (!isTemporaryName(e->d_name)) continue;
    if (std::string_view(e->d_name).substr(0, prefix.size()) != prefix) continue;
    const std::string path = folder + "/" + e->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(d);
}

// The path a temporary file for `target` starts with, beside it and named after it so
// that a stale one can be told apart; the stale ones of earlier runs are removed.
std::string temporaryPathFor(const std::string& target) {
  const std::string prefix = "." + baseName(target) + std::string(kTempMark);
  removeStaleTemporaries(folderOf(target), prefix);
  return folderOf(target) + "/" + prefix;
}

}  // namespace

void removeStaleTemporaries(const std::string& folder) { removeStaleTemporaries(folder, "."); }

AtomicWriter::AtomicWriter(const std::string& target) : target_(realPath(target)) {
  std::string pattern = temporaryPathFor(target_) + "XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  fd_ = ::mkstemp(buf.data());
  if (fd_ < 0) failErrno("create temporary file for " + target);
  temp_ = buf.data();
  ::flock(fd_, LOCK_EX);
  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat st;
  mode_t mode = 0666;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd_, mode);
}

AtomicWriter::~AtomicWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void AtomicWriter::write(std::string_view bytes) {
  if (!writeAll(fd_, bytes.data(), bytes.size())) fail(kFileIoError, "write " + target_);
  written_ += bytes.size();
  // A large file goes to the disk while the rest of it is made, a megabyte at a time:
  // the sync of commit then waits for the last part alone. The sync is what counts:
  // this only starts the writing early, and its failure is that sync's to report.
  constexpr size_t kWriteBackEvery = 1 << 20;
  if (written_ - sent_ >= kWriteBackEvery) {
    startWriteBack(fd_, static_cast<off_t>(sent_), written_ - sent_);
    sent_ = written_;
  }
}

void AtomicWriter::sync() {
  if (synced_) return;
  if (::fsync(fd_) != 0) fail(kFileIoError, "write " + target_);
  synced_ = true;
}

void AtomicWriter::commit(Folder folder) {
  sync();
  // Renamed while still open and locked, so that nobody takes it for a stale one.
  if (::rename(temp_.c_str(), target_.c_str()) != 0) fail(kFileIoError, "replace " + target_);
  temp_.clear();
  const int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0) fail(kFileIoError, "write " + target_);
  if (folder == Folder::kSynced) syncFolder(folderOf(target_));
}

void writeFileAtomically(const std::string& target, std::string_view bytes) {
  AtomicWriter writer(target);
  writer.write(bytes);
  writer.commit();
}

namespace {

// Makes `backup` a second name of the file `file`, replacing whatever had that name;
// its folder is left to be synced. False where that cannot be done, and for a file
// that has other names already: it could be written through them, and the backup
// must keep the bytes it had.
bool linkAsBackup(const std::string& file, const std::string& backup) {
  struct stat st;
  if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) return false;
  // Bytes that never reached the disk would not come back after a power cut.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  if (!synced) return false;
  const std::string prefix = temporaryPathFor(backup);
  // The name is mkstemp's kind, but a link cannot be made by mkstemp: drawn here.
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::minstd_rand draw(static_cast<unsigned>(::getpid()) ^
                        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = prefix;
    for (size_t i = 0; i < kTempSuffix; ++i) temp += kLetters[draw() % (sizeof kLetters - 1)];
    if (::link(file.c_str(), temp.c_str()) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (::rename(temp.c_str(), backup.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
  }
  return false;
}

}  // namespace

void replaceKeepingBackups(const std::vector<Replacement>& files) {
  std::vector<std::unique_ptr<AtomicWriter>> writers;
  for (const Replacement& f : files) {
    writers.push_back(std::make_unique<AtomicWriter>(f.path));
    writers.back()->write(f.bytes);
  }
  // One after the other, the later syncs find most of their work done by the first.
  for (const auto& writer : writers) writer->sync();
  std::vector<std::string> folders;
  auto toSync = [&](const std::string& folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  };
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string backup = realPath(files[i].path + ".bak");
    if (linkAsBackup(writers[i]->target(), backup)) {
      toSync(folderOf(backup));
    } else {
      writeFileAtomically(backup, files[i].old);
    }
  }
  for (const auto& writer : writers) {
    writer->commit(AtomicWriter::Folder::kLeftToCaller);
    toSync(folderOf(writer->target()));
  }
  for (const std::string& folder : folders) syncFolder(folder);
}

// ---- FolderLock ----

FolderLock::FolderLock(const std::string& fileInFolder) {
  // The folder the file really is in: a table linked from elsewhere locks its own.
  fd_ = ::open(folderOf(realPath(fileInFolder)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  int rc;
  do rc = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  busy_ = rc != 0 && errno == EWOULDBLOCK;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

TableFolderLocks lockTableFolders(const std::vector<std::string>& tables) {
  TableFolderLocks held;
  std::vector<std::string> folders;
  for (const std::string& table : tables) {
    std::string folder = folderOf(realPath(table));
    std::error_code ec;
    folder = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec).string();
    if (ec || std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
    folders.push_back(folder);
    held.locks.push_back(std::make_unique<FolderLock>(table));
    if (!held.locks.back()->busy()) continue;
    held.busy = folder;
    break;
  }
  return held;
}

}  // namespace kivo
