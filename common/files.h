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
#include <string>
#include <vector>

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

// The longest line the text readers take; longer ones are runtime error 3.
inline constexpr size_t kMaxLineLength = 1 << 20;

// Splits bytes into lines ended by LF or CR LF; a last line without an end counts.
std::vector<std::string> splitLines(const std::string& bytes);

// Reads a whole file; a missing file is runtime error 2, any other failure 3, and so
// is a line longer than kMaxLineLength.
std::string readWholeFile(const std::string& name);
// Reads a text file into lines; errors as readWholeFile.
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
  bool isOpen() const { return fd_ >= 0; }
  void close();
  int lastError() const { return lastError_; }

 private:
  bool fill();

  int fd_ = -1;
  std::string name_;
  int lastError_ = 0;
  size_t lineLimit_ = kMaxLineLength;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool atEnd_ = false;
};

// Writes a file whole: the bytes go to a temporary file in the same folder, which
// replaces the target by a rename only when everything was written. A failed step
// is runtime error 3 (and the target is left as it was).
class AtomicWriter {
 public:
  explicit AtomicWriter(const std::string& target);
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  void write(const std::string& bytes);
  void commit();

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
};

void writeFileAtomically(const std::string& target, const std::string& bytes);

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

}  // namespace kivo
