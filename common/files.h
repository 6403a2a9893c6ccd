#pragma once
// Files as the logbook uses them: text files by lines, record files of 144-byte
// records by number, and whole-file rewrites that never leave a half-written file.
//
// Names on the command line arrive upper-cased (the old file system ignored case).
// A name that is read, or opened as an existing file, and that does not exist as
// given is therefore looked up case-insensitively, one path component at a time.
// A file that is created keeps the name as given (its folder is still resolved).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/fatal.h"

namespace kivo {

std::string resolveExisting(const std::string& name);
std::string resolveForCreate(const std::string& name);

bool fileExists(const std::string& name);
// True when the two names lead to one file: the same file where both exist,
// otherwise the same path, letters compared without case as names are looked up.
bool sameFile(const std::string& a, const std::string& b);
// Length in bytes, or -1 when the file does not exist.
long long fileLength(const std::string& name);
// These two report failure by their result; callers that must not fail check it.
bool removeFile(const std::string& name);
bool renameFile(const std::string& from, const std::string& to);

// The file a name leads to, through symbolic links: a rewrite replaces that file,
// not the link (a log linked into a synced folder stays linked and gets every
// change). A name that does not exist is resolved as for creating it.
std::string realPath(const std::string& name);
// Makes a rename in the folder survive a power cut. A failure is runtime error 3.
void syncFolder(const std::string& folder);
// The folder of a path ("." for a bare name).
std::string folderOf(const std::string& path);
// Removes the temporaries of whole-file rewrites ("." NAME ".kivo-XXXXXX") in the
// folder that nobody is writing any more: left by a run that was killed.
void removeStaleTemporaries(const std::string& folder);

// The longest line the text readers take; longer ones are runtime error 3.
inline constexpr size_t kMaxLineLength = 1 << 20;
// The largest table or settings file read (COUNTRY.DAT, WORKED.CFM, GRID.SQU,
// KIVOLOG.INI): far beyond any real one, so that a device or a pipe named as one
// cannot fill the memory. Larger is runtime error 3.
inline constexpr long long kMaxTableBytes = 64LL << 20;
inline constexpr size_t kMaxTableLines = 1000000;

// A file past the limits its reader sets: runtime error 3 naming it. A reader that
// takes an unreadable file as empty still lets this one through.
class FileTooLarge : public RuntimeError {
 public:
  explicit FileTooLarge(const std::string& name);
};

// Splits bytes into lines ended by LF or CR LF; a last line without an end counts.
std::vector<std::string> splitLines(const std::string& bytes);

// Reads a whole file; a missing file is runtime error 2, any other failure 3, and so
// is a line longer than kMaxLineLength or a file longer than `limit` bytes.
std::string readWholeFile(const std::string& name, long long limit = -1);
// Reads a table into lines; errors as readWholeFile, with the limits of a table.
std::vector<std::string> readTextLines(const std::string& name);

// A text file read line by line, for files too large to hold at once.
class TextReader {
 public:
  TextReader() = default;
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Opens for reading; false (and errno kept in lastError) when it cannot.
  bool tryOpen(const std::string& name);
  // Opens for reading; a failure is a runtime error.
  void open(const std::string& name);
  // The next line without its line end; false at the end of the file. A line longer
  // than the limit is runtime error 3 naming the file (an endless file without line
  // ends, such as a device, would otherwise fill the memory); so is a failed read.
  bool readLine(std::string& line);
  void setLineLimit(size_t bytes) { lineLimit_ = bytes; }
  // Reading past `bytes` in all is runtime error 3 naming the file (for tables).
  void setSizeLimit(long long bytes) { sizeLimit_ = bytes; }
  bool isOpen() const { return fd_ >= 0; }
  const std::string& name() const { return name_; }
  // Starts again at the first line; false (and nothing changed) for a pipe or a
  // device, which cannot go back.
  bool rewind();
  void close();
  int lastError() const { return lastError_; }

 private:
  bool fill();

  int fd_ = -1;
  std::string name_;
  int lastError_ = 0;
  size_t lineLimit_ = kMaxLineLength;
  long long sizeLimit_ = -1;  // none
  long long bytesRead_ = 0;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool atEnd_ = false;
};

// Writes a file whole: the bytes go to a temporary file in the same folder, which
// replaces the target by a rename only when everything was written and synced; the
// folder is synced after the rename. A target that is a symbolic link is followed:
// the file it leads to is replaced. A failed step is runtime error 3 (and the
// target is left as it was).
class AtomicWriter {
 public:
  explicit AtomicWriter(const std::string& target);
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  enum class Folder { kSynced, kLeftToCaller };

  void write(std::string_view bytes);
  // Syncs what was written; commit does so itself when this was not called.
  void sync();
  // Puts the file in place of the target. kLeftToCaller leaves the folder's sync to
  // the caller, who replaces several files and syncs their folder once.
  void commit(Folder folder = Folder::kSynced);
  // The temporary file, open for reading and writing until commit.
  int descriptor() const { return fd_; }
  // The file it replaces: the target with its symbolic links followed.
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  size_t written_ = 0;  // bytes written so far
  size_t sent_ = 0;     // of which the disk was asked to write
  bool synced_ = false;
};

void writeFileAtomically(const std::string& target, std::string_view bytes);

// A file to be replaced by `bytes`, its present contents `old` kept as <path>.bak.
struct Replacement {
  std::string path;
  std::string_view old;
  std::string_view bytes;
};

// Replaces the files, each kept first as <path>.bak, so that a failure at any step
// leaves every file as it was (and, for the backups that were complete, a copy beside
// it). The new files are written and synced first; a backup is a second name for the
// file it keeps where the file system allows, else a synced copy of `old`; each
// folder is synced once, at the end.
void replaceKeepingBackups(const std::vector<Replacement>& files);

// The folder of a file held under an advisory lock while the object lives, so that
// a second logbook cannot work on the same station tables.
class FolderLock {
 public:
  explicit FolderLock(const std::string& fileInFolder);
  // True when another process holds the folder. A folder that cannot be opened for
  // the lock is used without it.
  bool busy() const { return busy_; }
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
  bool busy_ = false;
};

// The folders that hold the station's tables, each locked once (a second lock on one
// folder from this process would be refused by the first): the logbook holds them for
// its run, and whatever else rewrites the tables refuses to run while it does.
struct TableFolderLocks {
  std::vector<std::unique_ptr<FolderLock>> locks;
  std::string busy;  // the folder another process holds; empty when all were had
};
TableFolderLocks lockTableFolders(const std::vector<std::string>& tables);

}  // namespace kivo
